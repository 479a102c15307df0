// The desktop services of the program (message boxes, the open-file dialog,
// the text viewer, standard output) on Qt Widgets.
//
// Every place where the user is asked something goes through one of the
// protected virtual hooks below; a subclass can answer them without any
// window appearing (the GUI tests do so).
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <optional>
#include <string>

#include "core/platform.h"

namespace parvela::qt {

class QtPlatform;
class TextEditorWindow;

// The non-native open-file dialog, configured from an OpenFileRequest. It
// refuses a name whose folder does not exist and asks before accepting a
// file that does not exist yet (when the request says so).
class OpenFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  OpenFileDialog(const OpenFileRequest& request, QtPlatform& platform);

  const OpenFileRequest& request() const { return request_; }
  // The path accepted by the last accept(), when there was one.
  const std::optional<QString>& chosenPath() const { return chosen_; }

  void accept() override;

 private:
  void applyPatternOf(const QString& filterText);
  void fitColumns();

  OpenFileRequest request_;
  QtPlatform& platform_;
  std::optional<QString> chosen_;
};

class QtPlatform : public Platform {
 public:
  QtPlatform() = default;

  void messageBox(std::string_view text, std::string_view caption, IconKind icon) override;
  void standardOutput(std::string_view text) override;
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
  void viewFile(const std::string& path) override;
  std::optional<std::string> searchProgramPath(const std::string& name) override;

  // A Yes/No question of the window (asked through the same hook as every
  // other); true for Yes.
  bool question(const QString& text, const QString& caption) { return askYesNo(text, caption); }

  // Answers of the editor's question before closing with unsaved changes.
  enum class SaveChoice { Save, Discard, Cancel };

 protected:
  friend class OpenFileDialog;
  friend class TextEditorWindow;

  // Shows a message box with an OK button and waits for it.
  virtual void showMessage(const QString& text, const QString& caption, IconKind icon);
  // Yes/No question; true for Yes.
  virtual bool askYesNo(const QString& text, const QString& caption);
  // Runs the open-file dialog; the accepted path, or nothing when cancelled.
  virtual std::optional<QString> runFileDialog(OpenFileDialog& dialog);
  // Runs the text editor modally until it is closed.
  virtual void runEditor(TextEditorWindow& editor);
  // The editor's question before closing a changed text.
  virtual SaveChoice askSaveChanges(const QString& fileName);
};

}  // namespace parvela::qt
