// Choosing the data file in the open-file dialog, and showing it in the
// text viewer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "ui/core/dialog.h"

namespace parvela {

// Lets the user choose a file. FNAME is in/out: the name offered at first
// (trailing blanks ignored), and on confirmation the chosen path. result is
// non-zero when a file was confirmed, 0 when the dialog was cancelled or
// failed. kind 0 offers text files first (default extension "txt"), any
// other kind data files first ("dat"). The dialog starts in the current
// directory. `forSaving`: its confirm button says "Salveaza".
void GETFILE(std::string& FNAME, int& result, std::string_view title, int kind, bool forSaving = false);

// The open-file dialog itself. A path longer than the 260-character name
// field does not fit and counts as a failure (result 0, fileName kept).
void SELECTFILE(const std::optional<std::string>& initialDirectory, const std::vector<FileFilter>& filter,
                std::string_view title, int filterIndex, std::string_view defaultExtension,
                std::string& fileName, int& result, bool forSaving = false);

// "Selecteaza": chooses and opens the data file. Every selection, also a
// cancelled or failed one, forgets the data read so far, so that a run
// needs a new "Citeste" of the file now selected.
void SUB_SELECT(Dialog& dialog, int controlId, int eventCode);
// "Problema noua": the file for a new problem, chosen with the dialog of
// "Selecteaza" and selected as "Selecteaza" selects it (the data must then
// be read). A cancelled dialog changes nothing. True when a file is
// selected.
bool selectNewProblemFile(Dialog& dialog);
// "Deschide": the data file in the viewer (nothing when no name is known),
// at the place where the last read of it stopped, when it stopped on one.
void SUB_OPEN(Dialog& dialog, int controlId, int eventCode);

}  // namespace parvela
