// "REZOLVA !": one run of the chosen problem and method.
#pragma once

namespace parvela {

class Dialog;

// Converts the iteration parameters typed in the window (Gauss-Seidel and
// SOR only). Returns false when a text does not read as a number of its
// kind; its value is then taken as zero.
bool READ_EPSNLIMOMEGA(Dialog* dialog, int controlId, int callbackKind);

// The run: parameter checks, report header, one driver, then the report
// is placed in the data file and the standard-output lines are sent out.
void PARVELAAPPLY(Dialog* dialog, int controlId, int callbackKind);

}  // namespace parvela
