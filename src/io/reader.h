// Loads one problem from the selected data file into the problem state.
#pragma once

namespace parvela {

// Reads the data file from its first byte: title, n and nb, the matrix (or
// nc and the generator constants), the right-hand sides. On success sets
// dataRead and tells the data file where the data ended; on failure shows
// "Eroare de citire in fisierul de date" (caption "Error"), the allocation
// message, or the no-file / unreadable-file message, leaves dataRead false
// and leaves the data end unknown (no report can follow a failed read).
void READINPUTFILE();

}  // namespace parvela
