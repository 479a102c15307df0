#include "ui/qt/text_editor.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QPushButton>
#include <QShortcut>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>

#include "ui/qt/report_view.h"
#include "ui/qt/qt_platform.h"

namespace parvela::qt {

namespace {

constexpr std::string_view kReportStart = "Problema: ";

// True when no byte has its high bit set; checked a block at a time so that
// the loop vectorises.
bool isAscii(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  constexpr qsizetype kBlock = 4096;
  for (qsizetype at = 0; at < size; at += kBlock) {
    const qsizetype end = std::min(size, at + kBlock);
    unsigned char any = 0;
    for (qsizetype k = at; k < end; ++k) any |= p[k];
    if (any & 0x80) return false;
  }
  return true;
}

}  // namespace

QFont fixedPitchFont() {
  const QFont desktop = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (const char* family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Noto Mono",
                             "Ubuntu Mono", "Courier New", "Nimbus Mono PS", "FreeMono", "Monospace"}) {
    QFont f(QString::fromLatin1(family));
    f.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    f.setFixedPitch(true);
    if (desktop.pointSize() > 0) f.setPointSize(desktop.pointSize());
    if (QFontInfo(f).fixedPitch()) return f;
  }
  if (QFontInfo(desktop).fixedPitch()) return desktop;
  // Any installed family the font database knows as fixed-pitch.
  for (const QString& family : QFontDatabase::families()) {
    if (!QFontDatabase::isFixedPitch(family)) continue;
    QFont f(family);
    if (QFontInfo(f).fixedPitch()) return f;
  }
  return desktop;
}

TextEditorWindow::TextEditorWindow(const QString& path, QtPlatform& platform, QWidget* parent)
    : QDialog(parent), path_(path), native_(QFile::encodeName(path).toStdString()), platform_(platform) {
  build();
}

TextEditorWindow::TextEditorWindow(const std::string& nativePath, QtPlatform& platform, QWidget* parent)
    : QDialog(parent),
      path_(QFile::decodeName(QByteArray::fromStdString(nativePath))),
      native_(nativePath),
      platform_(platform) {
  build();
}

void TextEditorWindow::build() {
  setModal(true);
  setSizeGripEnabled(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);

  edit_ = new QPlainTextEdit(this);
  edit_->setFont(fixedPitchFont());
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit_->setTabStopDistance(8 * QFontMetricsF(edit_->font()).horizontalAdvance(QLatin1Char(' ')));

  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton(QDialogButtonBox::Save);
  close_ = buttons->addButton(QDialogButtonBox::Close);
  // Enter in the text inserts a line; neither button is a default button.
  save_->setAutoDefault(false);
  close_->setAutoDefault(false);
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
  connect(close_, &QPushButton::clicked, this, &TextEditorWindow::reject);
  auto* saveKey = new QShortcut(QKeySequence::Save, this);
  connect(saveKey, &QShortcut::activated, this, [this] {
    if (save_->isEnabled()) save();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addWidget(buttons);

  const QFontMetrics fm(edit_->font());
  resize(fm.horizontalAdvance(QLatin1Char('0')) * 100 + 40, fm.lineSpacing() * 36 + 60);

  load();
  connect(edit_->document(), &QTextDocument::modificationChanged, this,
          &QWidget::setWindowModified);
}

bool TextEditorWindow::isModified() const { return edit_->document()->isModified(); }

void TextEditorWindow::load() {
  original_.clear();
  lines_.clear();
  existed_ = false;
  latin1_ = false;
  if (native_.empty()) {
    setWindowTitle(QStringLiteral("Parvela"));
    edit_->setReadOnly(true);
    save_->setEnabled(false);
    return;
  }
  setWindowTitle(QFileInfo(path_).fileName() + QStringLiteral("[*] - Parvela"));
  // Only a regular file, and no open waits (a FIFO would block the window).
  struct stat st {};
  const int err = ::stat(native_.c_str(), &st) != 0 ? errno : 0;
  const bool large = err == 0 && S_ISREG(st.st_mode) && st.st_size > kLargeFile;
  const int read = err != 0 ? err : large ? 0 : readRegularFile(native_, original_, stamp_);
  if (read == ENOENT) {  // a new file: empty text, created by Save
    lines_ = splitLines(original_, true);
    edit_->clear();
    edit_->document()->setModified(false);
    return;
  }
  if (read != 0) {
    platform_.showMessage(tr("Cannot open the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    edit_->setReadOnly(true);
    save_->setEnabled(false);
    return;
  }
  existed_ = true;
  if (large) {
    showLarge();
    return;
  }
  const QByteArray bytes = QByteArray::fromRawData(original_.data(), static_cast<qsizetype>(original_.size()));
  if (!isAscii(bytes)) {
    // UTF-8 check without keeping the decoded text (plain ASCII, what the
    // program writes, needs none).
    QStringDecoder utf8(QStringDecoder::Utf8);
    constexpr qsizetype kChunk = 1 << 20;
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kChunk)
      (void)QString(utf8.decode(QByteArrayView(bytes).sliced(at, std::min(kChunk, bytes.size() - at))));
    latin1_ = utf8.hasError();
  }
  // One block per line of the file, whatever ends it; the line ends stay
  // with the file's bytes (see save()).
  lines_ = splitLines(original_, !latin1_);
  // The last line that begins with a report's first words (0 when none does).
  qint64 newest = 0;
  for (std::size_t k = lines_.size(); k-- > 0;) {
    if (std::string_view(original_).substr(lines_[k].begin, lines_[k].end - lines_[k].begin).starts_with(kReportStart)) {
      newest = static_cast<qint64>(k);
      break;
    }
  }
  QString text;
  text.reserve(bytes.size());
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    const QByteArrayView line(original_.data() + lines_[k].begin, static_cast<qsizetype>(lines_[k].end - lines_[k].begin));
    if (k > 0) text += QLatin1Char('\n');
    text += latin1_ ? QString::fromLatin1(line) : QString::fromUtf8(line);
  }
  edit_->setPlainText(text);
  edit_->document()->setModified(false);
  if (newest > 0) {
    // The newest report at the top of the window.
    const QTextBlock block = edit_->document()->findBlockByNumber(static_cast<int>(newest));
    QTextCursor cursor(block);
    edit_->setTextCursor(cursor);
    edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
    edit_->setTextCursor(cursor);
    edit_->ensureCursorVisible();
    edit_->verticalScrollBar()->setValue(static_cast<int>(newest));
  }
}

void TextEditorWindow::showLarge() {
  // Nothing to edit, so nothing to save.
  edit_->setReadOnly(true);
  save_->setEnabled(false);
  if (!pages_.open(native_)) {
    platform_.showMessage(tr("Cannot open the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    save_->setEnabled(false);
    return;
  }
  large_ = new ReportText(pages_, this);
  large_->reload();
  layout()->replaceWidget(edit_, large_);
  edit_->hide();
  setWindowTitle(QFileInfo(path_).fileName() + QStringLiteral("[*] - Parvela (doar citire)"));
  // The newest report at the top: the last line that begins with its first
  // words.
  const std::string start = "\n" + std::string(kReportStart);
  std::size_t newest = 0;
  if (const auto m = pages_.find(start, pages_.size(), false, true))
    newest = m->line + 1;
  large_->scrollToLine(newest);
}

void TextEditorWindow::goTo(qint64 line, qint64 column) {
  if (line < 1) return;
  if (large_) {
    large_->scrollToLine(line - 1);
    return;
  }
  const QTextBlock block = edit_->document()->findBlockByNumber(static_cast<int>(line - 1));
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  if (column > 1) cursor.setPosition(block.position() + static_cast<int>(std::min<qint64>(column - 1, block.length() - 1)));
  edit_->setTextCursor(cursor);
  edit_->centerCursor();
}

qint64 TextEditorWindow::firstVisibleLine() const {
  if (large_) return large_->firstVisibleLine();
  return edit_->verticalScrollBar()->value();  // the plain text box scrolls by lines
}

std::string TextEditorWindow::textBytes() const {
  // The document's own text: a no-break space stays one, blocks are split
  // at paragraph and line separators.
  const QString raw = edit_->document()->toRawText();
  std::vector<std::string> edited;
  qsizetype from = 0;
  auto add = [&](qsizetype to) {
    const QStringView piece = QStringView(raw).sliced(from, to - from);
    edited.push_back(latin1_ ? piece.toLatin1().toStdString() : piece.toUtf8().toStdString());
  };
  for (qsizetype k = 0; k < raw.size(); ++k) {
    const char16_t c = raw[k].unicode();
    if (c == u'\u2029' || c == u'\u2028' || c == u'\n' || c == u'\r') {
      add(k);
      from = k + 1;
    }
  }
  add(raw.size());
  return mergeEditedLines(original_, lines_, edited, usualLineEnd(original_, lines_));
}

bool TextEditorWindow::save() {
  if (native_.empty()) return false;
  if (large_) return true;  // shown from the file itself, which is as it was
  const std::string bytes = textBytes();
  if (existed_ && bytes == original_) {  // nothing to write
    edit_->document()->setModified(false);
    return true;
  }
  // The file as it was opened: same size, time and bytes (or still absent).
  WriteRequest r;
  r.path = native_;
  r.text = bytes;
  r.mayReplace = existed_;
  r.mayCreate = !existed_;
  r.check = [this](int fd, const struct stat& st) {
    if (stampOf(st).size != stamp_.size || stampOf(st).mtimeSeconds != stamp_.mtimeSeconds ||
        stampOf(st).mtimeNanoseconds != stamp_.mtimeNanoseconds)
      return WriteStatus::Changed;
    std::string now(original_.size(), '\0');
    if (readAt(fd, now.data(), now.size(), 0) != static_cast<ssize_t>(now.size())) return WriteStatus::Changed;
    return now == original_ ? WriteStatus::Ok : WriteStatus::Changed;
  };
  WriteOutcome o = guardedWrite(r);
  const bool changedMeanwhile = o.status == WriteStatus::Changed || o.status == WriteStatus::Exists ||
                                (o.status == WriteStatus::IoError && o.error == ENOENT && existed_);
  if (changedMeanwhile) {
    switch (platform_.askReloadOrOverwrite(QFileInfo(path_).fileName())) {
      case QtPlatform::ReloadChoice::Reload:
        load();
        return false;
      case QtPlatform::ReloadChoice::Cancel:
        return false;
      case QtPlatform::ReloadChoice::Overwrite:
        r.check = nullptr;
        r.mayReplace = r.mayCreate = true;
        o = guardedWrite(r);
        break;
    }
  }
  if (o.status != WriteStatus::Ok) {
    platform_.showMessage(tr("Cannot save the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    return false;
  }
  original_ = bytes;
  lines_ = splitLines(original_, !latin1_);
  stamp_ = o.stamp;
  existed_ = true;
  edit_->document()->setModified(false);
  return true;
}

void TextEditorWindow::reject() {
  if (isModified() && !native_.empty()) {
    switch (platform_.askSaveChanges(QFileInfo(path_).fileName())) {
      case QtPlatform::SaveChoice::Save:
        if (!save()) return;
        break;
      case QtPlatform::SaveChoice::Discard:
        break;
      case QtPlatform::SaveChoice::Cancel:
        return;
    }
  }
  QDialog::reject();
}

}  // namespace parvela::qt
