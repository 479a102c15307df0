// The help and about boxes and the two help files.
#pragma once

#include <string>
#include <vector>

#include "ui/core/dialog.h"

namespace parvela {

// Texts of the help and about boxes: lines joined with CR LF, trailing
// blanks removed.
std::string structureHelpUpperText();   // dialog 103, control 1024
std::string structureHelpMiddleText();  // dialog 103, control 1025
std::string structureHelpLowerText();   // dialog 103, control 1026
std::string epsHelpText();              // dialog 105, control 1038
std::string nlimHelpText();             // dialog 105, control 1042
std::string omegaHelpText();            // dialog 105, control 1040
std::string aboutText();                // dialog 104, control 1029

// The bytes of the file-structure file: 22 records, CR LF line ends.
std::string fileStructureFileContents();
// The bytes of the generator help file: 140 lines without trailing
// blanks, CR LF line ends.
std::string genHelpFileContents();

// "?" of the file group: shows dialog 103, whose button saves the
// file-structure file.
void SUB_HELP(Dialog& dialog, int controlId, int eventCode);
// "Salveaza in Fisier" of dialog 103.
void SUB_SAVE(Dialog& dialog, int controlId, int eventCode);
// "?" of the iteration parameters: dialog 105.
void SUB_HELP_GS(Dialog& dialog, int controlId, int eventCode);
// "Despre": dialog 104.
void SUB_ABOUT(Dialog& dialog, int controlId, int eventCode);
// "?" of the generator list: shows the generator help file, creating it
// first when the program search path holds none.
void SUB_GENHELP(Dialog& dialog, int controlId, int eventCode);

// Writes the generator help file named genHelpFileName; false when the
// file cannot be written.
bool CREATE_GEN_HELPFILE();

}  // namespace parvela
