// What the program needs from the desktop it runs on. The window supplies
// Qt implementations, the batch front end and the tests their own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvela {

enum class IconKind { None, Error, Information };

struct FileFilter {
  std::string description;  // "Data Files (*.dat)"
  std::string pattern;      // "*.dat"
};

struct OpenFileRequest {
  std::string title;                    // dialog caption
  std::vector<FileFilter> filters;      // in the order shown
  int filterIndex = 1;                  // 1-based filter selected at first
  std::string defaultExtension;         // "dat", "txt": added to a name typed without one
  std::optional<std::string> initialDirectory;  // none: the toolkit's choice
  std::string initialName;              // name offered at first
  bool pathMustExist = true;            // the folder must exist
  bool createPrompt = true;             // ask before a new file is created
  bool forSaving = false;               // the confirm button says "Salveaza"
};

class Platform {
 public:
  virtual ~Platform() = default;
  // A message box with an OK button and no owner window. Lines of `text`
  // are separated by '\n'.
  virtual void messageBox(std::string_view text, std::string_view caption, IconKind icon) = 0;
  // A question with Yes ("Da") and No ("Nu") buttons and no owner window;
  // true for Yes. Lines of `text` are separated by '\n'.
  virtual bool question(std::string_view text, std::string_view caption) = 0;
  // Text for the process's standard output.
  virtual void standardOutput(std::string_view text) = 0;
  // The open-file dialog: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> openFileDialog(const OpenFileRequest& request) = 0;
  // Shows a text file in the viewer and returns when the viewer is closed.
  virtual void viewFile(const std::string& path) = 0;
  // The same with the cursor on a line and column (1-based; column 0: the
  // line's start), such as where a read stopped. Without a place of its
  // own the viewer shows the file as viewFile() does.
  virtual void viewFileAt(const std::string& path, std::size_t line, std::size_t column) {
    (void)line, (void)column;
    viewFile(path);
  }
  // Looks for a file along the program search path (the program's folder,
  // the current folder, then PATH); the path found, or nothing.
  virtual std::optional<std::string> searchProgramPath(const std::string& name) = 0;
  // A platform that only passes everything on (keeping a copy, say) names
  // the one it passes to, so the desktop's own dialogs can be found behind it.
  virtual Platform& forwardsTo() { return *this; }
};

// The usual search: the program's folder, the current folder, then the
// folders of PATH.
std::optional<std::string> searchAlongProgramPath(const std::string& name);

// The platform in use. Until one is installed, a plain console platform
// (message boxes on standard error, no dialogs) answers.
Platform& platform();
void setPlatform(Platform* p);  // nullptr restores the console platform

}  // namespace parvela
