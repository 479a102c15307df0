// The command line of the window program: parvela [--help | --version] [FILE].
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace parvela {

struct WindowArguments {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  std::optional<std::string> file;  // the data file to select at start-up
  std::string error;                // for Action::Error
};

// `args` without the program name. --help (-h) and --version win over
// everything else before "--"; "--" ends the options; at most one FILE.
WindowArguments parseWindowArguments(const std::vector<std::string>& args);

// The texts printed for --help and --version, and the usage line of an error.
extern const char* const kWindowHelp;
extern const char* const kWindowUsageLine;
std::string windowVersionText(const char* version);

}  // namespace parvela
