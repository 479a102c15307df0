#include "ui/core/file_selection.h"

#include <filesystem>
#include <system_error>

#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/read_diagnosis.h"
#include "ui/core/controls.h"
#include "ui/core/templates.h"

namespace parvela {

void SELECTFILE(const std::optional<std::string>& initialDirectory, const std::vector<FileFilter>& filter,
                std::string_view title, int filterIndex, std::string_view defaultExtension,
                std::string& fileName, int& result, bool forSaving) {
  OpenFileRequest request;
  request.title = std::string(title);
  request.filters = filter;
  request.filterIndex = filterIndex;
  request.defaultExtension = std::string(defaultExtension);
  request.initialDirectory = initialDirectory;
  request.initialName = std::string(trimRight(fileName));
  request.pathMustExist = true;
  request.createPrompt = true;
  request.forSaving = forSaving;
  std::optional<std::string> chosen = platform().openFileDialog(request);
  if (!chosen || chosen->empty() || chosen->size() > kFileNameLength) {
    result = 0;
    return;
  }
  fileName = *chosen;
  result = 1;
}

void GETFILE(std::string& FNAME, int& result, std::string_view title, int kind, bool forSaving) {
  std::optional<std::string> initialDirectory;
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (!ec && !cwd.empty() && cwd.string().size() <= kFileNameLength) initialDirectory = cwd.string();

  const FileFilter text{"Text Files (*.txt)", "*.txt"};
  const FileFilter data{"Data Files (*.dat)", "*.dat"};
  const FileFilter all{"All files (*.*)", "*.*"};
  if (kind == 0)
    SELECTFILE(initialDirectory, {text, data, all}, title, 1, "txt", FNAME, result, forSaving);
  else
    SELECTFILE(initialDirectory, {data, text, all}, title, 1, "dat", FNAME, result, forSaving);
}

namespace {

// The previous file and the data read from it are given up.
void forgetSelection(Dialog& d) {
  InputDataFile().deselect();
  d.DLG_SET_TEXT(kIdFilePath, "");
  d.DLG_SET_TEXT(kIdOrder, "");
  d.DLG_SET_TEXT(kIdRhsCount, "");
}

// The data read belong to the previous file: a run now would write its
// report into the file just chosen (or into none). A new read is needed.
void needRead(Dialog& d) {
  problem().dataRead = false;
  d.DLG_SET_ENABLED(kIdSolve, ENABLE_REZOLVA());
}

// Selects the file named by dataFileName, as chosen in the dialog.
bool selectChosen(Dialog& d) {
  const std::string path(trimRight(problem().dataFileName));
  d.DLG_SET_TEXT(kIdFilePath, path);
  // Only a regular file can hold data and take reports: a FIFO or a device
  // would block the read or never end it.
  if (classifyPath(path) == PathKind::NotRegular) {
    platform().messageBox("Calea aleasa nu este un fisier obisnuit:\n" + path, "Error", IconKind::Error);
    return false;
  }
  if (!InputDataFile().select(path)) {
    platform().messageBox("Fisierul nu poate fi deschis:\n" + path, "Error", IconKind::Error);
    return false;
  }
  // A write of this file that a killed program left half done.
  const Recovery& found = InputDataFile().recovery();
  if (found.rolledBack)
    platform().messageBox("Scrierea intrerupta a fisierului a fost anulata:\n" + path +
                              "\nFisierul este din nou cel dinaintea ei.",
                          "Info", IconKind::Information);
  else if (found.leftAlone)
    platform().messageBox("Jurnalul unei scrieri intrerupte a fost gasit, dar fisierul s-a schimbat intre timp:\n" +
                              path + "\nFisierul a ramas asa cum este.",
                          "Info", IconKind::Information);
  d.DLG_SET_ENABLED(kIdOpen, true);
  d.DLG_SET_ENABLED(kIdRead, true);
  return true;
}

}  // namespace

void SUB_SELECT(Dialog& d, int /*controlId*/, int /*eventCode*/) {
  ProblemState& s = problem();
  forgetSelection(d);
  int result = 0;
  GETFILE(s.dataFileName, result, "Selecteaza Fisierul", 1);
  needRead(d);
  if (result == 0) {
    platform().messageBox("Can not create \"Result File\".", "Error", IconKind::Error);
    return;
  }
  selectChosen(d);
}

bool selectNewProblemFile(Dialog& d) {
  std::string name;
  int result = 0;
  GETFILE(name, result, "Problema noua - Selecteaza Fisierul", 1);
  if (result == 0) return false;  // cancelled: nothing changes
  forgetSelection(d);
  problem().dataFileName = name;
  needRead(d);
  return selectChosen(d);
}

void SUB_OPEN(Dialog& /*dialog*/, int /*controlId*/, int /*eventCode*/) {
  const std::string name(trimRight(problem().dataFileName));
  if (name.empty()) return;
  // After a read of this file that stopped on a place in it, the editor
  // opens there.
  const ReadReport& read = lastReadReport();
  if (!problem().dataRead && read.stop && read.stop->line > 0 && read.path == name) {
    platform().viewFileAt(name, read.stop->line, read.stop->column);
    return;
  }
  platform().viewFile(name);
}

}  // namespace parvela
