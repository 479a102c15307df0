// Loads one problem from the selected data file into the problem state.
#pragma once

namespace parvela {

// Reads the data file from its first byte: title, n and nb, the matrix (or
// nc and the generator constants), the right-hand sides. On success sets
// dataRead; on failure shows "Eroare de citire in fisierul de date"
// (caption "Error") or the allocation message and leaves dataRead false.
// Either way the data file learns where the data ended.
void READINPUTFILE();

}  // namespace parvela
