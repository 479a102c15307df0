// A small modal plain-text editor: the program's viewer for the data file
// and the generator help file.
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace parvela::qt {

class QtPlatform;

class TextEditorWindow : public QDialog {
  Q_OBJECT
 public:
  // An empty path gives an empty window without a file (nothing to save).
  TextEditorWindow(const QString& path, QtPlatform& platform, QWidget* parent = nullptr);

  const QString& path() const { return path_; }
  QPlainTextEdit* editor() const { return edit_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* closeButton() const { return close_; }
  bool isModified() const;

  // Writes the text back into the file, in place, with the line ends and
  // the encoding it was read with. False (after a message) on failure.
  bool save();
  // Closes after asking, when the text has unsaved changes, whether to save
  // it. Esc, the close box and the Close button all come here.
  void reject() override;

 private:
  void load();

  QString path_;
  QtPlatform& platform_;
  QPlainTextEdit* edit_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* close_ = nullptr;
  bool crlf_ = false;   // the file's lines end with CR LF
  bool latin1_ = false; // the file is not valid UTF-8: kept byte for byte
};

}  // namespace parvela::qt
