#include "ui/core/window_arguments.h"

namespace parvela {

const char* const kWindowUsageLine = "Usage: parvela [options] [FILE]\n";

const char* const kWindowHelp =
    "Usage: parvela [options] [FILE]\n"
    "\n"
    "The Parvela window: solves linear systems, inverts matrices and computes\n"
    "condition numbers, writing a detailed report into the data file.\n"
    "FILE, when given, is selected at start-up as \"Selecteaza\" selects it; it is\n"
    "read when \"Citeste\" is pressed.\n"
    "\n"
    "  -h, --help       this text\n"
    "      --version    the version\n"
    "  --               ends the options (for a FILE whose name starts with '-')\n"
    "\n"
    "Qt's own options (-platform, -style, -display, ...) are accepted as well.\n"
    "The batch front end, parvela-batch, does the same work without a window.\n";

std::string windowVersionText(const char* version) { return std::string("parvela (Parvela) ") + version + "\n"; }

WindowArguments parseWindowArguments(const std::vector<std::string>& args) {
  WindowArguments result;
  std::vector<std::string> files;
  std::string firstError;
  bool optionsEnded = false;
  for (const std::string& a : args) {
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (a == "--help" || a == "-h")) {
      result.action = WindowArguments::Action::Help;
      return result;
    } else if (!optionsEnded && a == "--version") {
      result.action = WindowArguments::Action::Version;
      return result;
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      if (firstError.empty()) firstError = "unknown option " + a;
    } else {
      files.push_back(a);
    }
  }
  if (firstError.empty() && files.size() > 1) firstError = "one data file at most";
  if (firstError.empty() && !files.empty() && files.front().empty()) firstError = "empty file name";
  if (!firstError.empty()) {
    result.action = WindowArguments::Action::Error;
    result.error = firstError;
    return result;
  }
  if (!files.empty()) result.file = files.front();
  return result;
}

}  // namespace parvela
