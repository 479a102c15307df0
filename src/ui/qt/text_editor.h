// A small modal plain-text editor: the program's viewer for the data file
// and the generator help file.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QFont>
#include <QString>

#include <string>
#include <vector>

#include "io/file_write.h"
#include "ui/core/paged_file.h"
#include "ui/core/text_lines.h"

class QPlainTextEdit;
class QPushButton;

namespace parvela::qt {

class ReportText;
class QtPlatform;

// The editor's font: a fixed-pitch face whatever fonts are installed
// (DejaVu Sans Mono, then other common monospaced families, then the
// desktop's fixed font).
QFont fixedPitchFont();

class TextEditorWindow : public QDialog {
  Q_OBJECT
 public:
  // An empty path gives an empty window without a file (nothing to save).
  TextEditorWindow(const QString& path, QtPlatform& platform, QWidget* parent = nullptr);
  // The file by the bytes of its name (which need not be UTF-8).
  TextEditorWindow(const std::string& nativePath, QtPlatform& platform, QWidget* parent = nullptr);

  const QString& path() const { return path_; }
  const std::string& nativePath() const { return native_; }
  QPlainTextEdit* editor() const { return edit_; }
  // Files larger than this are shown read-only in the report view's text
  // area, which reads the lines it shows from the file (editing them in the
  // text box would take seconds and many times the file's size in memory).
  static constexpr qint64 kLargeFile = 8 * 1024 * 1024;
  // The view of a large file (nullptr for a file shown in the text box).
  ReportText* largeView() const { return large_; }
  // The large file's line index (empty for a file in the text box).
  const PagedFile& pages() const { return pages_; }
  // The first line in sight (0-based).
  qint64 firstVisibleLine() const;
  QPushButton* saveButton() const { return save_; }
  // Puts the cursor on a line and column (1-based; column 0: the line's
  // start) and brings it into sight.
  void goTo(qint64 line, qint64 column);
  QPushButton* closeButton() const { return close_; }
  bool isModified() const;

  // Writes the text through the all-or-nothing writer, when it changed:
  // the lines not edited keep their bytes and line ends, edited ones take
  // the file's encoding. A file changed by another program since it was
  // opened is overwritten only after asking (or reloaded). False when
  // nothing was saved (after a message on failure).
  bool save();
  // Closes after asking, when the text has unsaved changes, whether to save
  // it. Esc, the close box and the Close button all come here.
  void reject() override;

 private:
  void build();
  void load();
  void showLarge();
  // The bytes the text would be saved as.
  std::string textBytes() const;

  QString path_;
  std::string native_;
  QtPlatform& platform_;
  QPlainTextEdit* edit_ = nullptr;
  PagedFile pages_;
  ReportText* large_ = nullptr;
  std::string original_;  // the bytes read
  std::vector<TextLine> lines_;  // their lines
  bool existed_ = false;  // the file was there when it was read
  FileStamp stamp_;       // as it was then
  QPushButton* save_ = nullptr;
  QPushButton* close_ = nullptr;
  bool latin1_ = false; // the file is not valid UTF-8: kept byte for byte
};

}  // namespace parvela::qt
