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

#include <algorithm>
#include <string>
#include <string_view>

#include "ui/qt/report_view.h"
#include "ui/qt/qt_platform.h"

namespace parvela::qt {

namespace {

// The whole file in one read into a buffer of its size (readAll() grows its
// buffer piece by piece, which costs a large report a quarter of a second).
QByteArray readWhole(QFile& file) {
  const qint64 size = file.size();
  if (size <= 0) return file.readAll();  // not a regular file, or empty
  QByteArray bytes(size, Qt::Uninitialized);
  qint64 got = 0;
  while (got < size) {
    const qint64 r = file.read(bytes.data() + got, size - got);
    if (r <= 0) break;
    got += r;
  }
  bytes.truncate(got);
  if (got == size) {
    const QByteArray more = file.readAll();  // whatever was appended meanwhile
    if (!more.isEmpty()) bytes += more;
  }
  return bytes;
}

constexpr std::string_view kReportStart = "Problema: ";

// The last line that begins with a report's first words (0 when none does).
qint64 newestReportLine(const char* text, qint64 size) {
  const qint64 n = static_cast<qint64>(kReportStart.size());
  for (qint64 pos = size - n; pos >= 0; --pos) {
    if ((pos == 0 || text[pos - 1] == '\n') && std::string_view(text + pos, kReportStart.size()) == kReportStart)
      return std::count(text, text + pos, '\n');
  }
  return 0;
}

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
    : QDialog(parent), path_(path), platform_(platform) {
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
  connect(edit_->document(), &QTextDocument::contentsChanged, this, [this] { changed_ = true; });
  connect(edit_->document(), &QTextDocument::modificationChanged, this,
          &QWidget::setWindowModified);
}

bool TextEditorWindow::isModified() const { return edit_->document()->isModified(); }

void TextEditorWindow::load() {
  if (path_.isEmpty()) {
    setWindowTitle(QStringLiteral("Parvela"));
    edit_->setReadOnly(true);
    save_->setEnabled(false);
    return;
  }
  setWindowTitle(QFileInfo(path_).fileName() + QStringLiteral("[*] - Parvela"));
  QFile file(path_);
  if (!file.exists()) return;  // a new file: empty text, created by Save
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    platform_.showMessage(tr("Cannot open the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    edit_->setReadOnly(true);
    save_->setEnabled(false);
    return;
  }
  if (file.size() > kLargeFile) {
    showLarge();
    return;
  }
  original_ = readWhole(file);
  const QByteArray& bytes = original_;
  crlf_ = bytes.contains("\r\n");
  if (!isAscii(bytes)) {
    // UTF-8 check without keeping the decoded text (plain ASCII, what the
    // program writes, needs none).
    QStringDecoder utf8(QStringDecoder::Utf8);
    constexpr qsizetype kChunk = 1 << 20;
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kChunk)
      (void)QString(utf8.decode(QByteArrayView(bytes).sliced(at, std::min(kChunk, bytes.size() - at))));
    latin1_ = utf8.hasError();
  }
  const qint64 newest = newestReportLine(bytes.constData(), bytes.size());

  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                QStringDecoder::Flag::ConvertInitialBom);
  QString text = latin1_ ? QString::fromLatin1(bytes) : QString(utf8.decode(bytes));
  if (crlf_) text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
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
  if (!pages_.open(QFile::encodeName(path_).toStdString())) {
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

qint64 TextEditorWindow::firstVisibleLine() const {
  if (large_) return large_->firstVisibleLine();
  return edit_->verticalScrollBar()->value();  // the plain text box scrolls by lines
}

bool TextEditorWindow::save() {
  if (path_.isEmpty()) return false;
  if (large_) return true;  // shown from the file itself, which is as it was
  if (!changed_) {
    // Nothing changed: the bytes as they were read (line ends, blanks and
    // all).
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(original_) != original_.size() ||
        !file.flush()) {
      platform_.showMessage(tr("Cannot save the file:\n") + path_, QStringLiteral("Error"),
                            IconKind::Error);
      return false;
    }
    return true;
  }
  QString text = edit_->toPlainText();
  if (crlf_) text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  QByteArray bytes;
  if (latin1_) {
    bytes = text.toLatin1();
  } else {
    QStringEncoder utf8(QStringEncoder::Utf8);
    bytes = utf8.encode(text);
  }
  // Rewritten in place (not replaced by a new file), as a plain editor does.
  QFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush()) {
    platform_.showMessage(tr("Cannot save the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    return false;
  }
  file.close();
  original_ = bytes;
  changed_ = false;
  edit_->document()->setModified(false);
  return true;
}

void TextEditorWindow::reject() {
  if (isModified() && !path_.isEmpty()) {
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
