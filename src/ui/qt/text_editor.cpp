#include "ui/qt/text_editor.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QVBoxLayout>

#include "ui/qt/qt_platform.h"

namespace parvela::qt {

TextEditorWindow::TextEditorWindow(const QString& path, QtPlatform& platform, QWidget* parent)
    : QDialog(parent), path_(path), platform_(platform) {
  setModal(true);
  setSizeGripEnabled(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);

  edit_ = new QPlainTextEdit(this);
  edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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
  if (path_.isEmpty()) {
    setWindowTitle(QStringLiteral("Parvela"));
    edit_->setReadOnly(true);
    save_->setEnabled(false);
    return;
  }
  setWindowTitle(QFileInfo(path_).fileName() + QStringLiteral("[*] - Parvela"));
  QFile file(path_);
  if (!file.exists()) return;  // a new file: empty text, created by Save
  if (!file.open(QIODevice::ReadOnly)) {
    platform_.showMessage(QStringLiteral("Cannot open the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    edit_->setReadOnly(true);
    save_->setEnabled(false);
    return;
  }
  const QByteArray bytes = file.readAll();
  crlf_ = bytes.contains("\r\n");
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                QStringDecoder::Flag::ConvertInitialBom);
  QString text = utf8.decode(bytes);
  latin1_ = utf8.hasError();
  if (latin1_) text = QString::fromLatin1(bytes);
  if (crlf_) text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  edit_->setPlainText(text);
  edit_->document()->setModified(false);
}

bool TextEditorWindow::save() {
  if (path_.isEmpty()) return false;
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
    platform_.showMessage(QStringLiteral("Cannot save the file:\n") + path_, QStringLiteral("Error"),
                          IconKind::Error);
    return false;
  }
  file.close();
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
