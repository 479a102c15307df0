#include "ui/qt/qt_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QTreeView>

#include <algorithm>

#include <iostream>

#include "ui/qt/qt_text.h"
#include "ui/qt/text_editor.h"

namespace parvela::qt {

namespace {


QMessageBox::Icon boxIcon(IconKind icon) {
  switch (icon) {
    case IconKind::Error: return QMessageBox::Critical;
    case IconKind::Information: return QMessageBox::Information;
    case IconKind::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

// ---------------------------------------------------------------------------
// Open-file dialog

OpenFileDialog::OpenFileDialog(const OpenFileRequest& request, QtPlatform& platform)
    : QFileDialog(nullptr, fromStd(request.title)), request_(request), platform_(platform) {
  // The same dialog on every desktop.
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::AnyFile);  // new names are allowed (after the question)
  setLabelText(QFileDialog::Accept, QFileDialog::tr("&Open"));

  QStringList filters;
  for (const FileFilter& f : request.filters) filters << fromStd(f.description);
  setNameFilters(filters);
  if (!request.defaultExtension.empty()) setDefaultSuffix(fromStd(request.defaultExtension));
  if (request.initialDirectory) setDirectory(fromStd(*request.initialDirectory));
  if (request.filterIndex >= 1 && request.filterIndex <= int(filters.size()))
    selectNameFilter(filters.at(request.filterIndex - 1));
  if (!filters.isEmpty()) applyPatternOf(selectedNameFilter());
  // A name with a folder (the previous choice) also opens that folder.
  if (!request.initialName.empty()) selectFile(fromStd(request.initialName));

  connect(this, &QFileDialog::filterSelected, this, &OpenFileDialog::applyPatternOf);
  fitColumns();
  if (auto* model = findChild<QFileSystemModel*>())
    connect(model, &QFileSystemModel::directoryLoaded, this, [this] { fitColumns(); });
}

// The columns of the detail view after the name are at least as wide as
// their headers and as the entries in sight (a type such as "document text
// simplu"); the dialog's own widths come from English sample texts.
void OpenFileDialog::fitColumns() {
  auto* tree = findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!tree) return;
  QHeaderView* header = tree->header();
  for (int column = 1; column < header->count(); ++column) {
    const int need =
        std::max(header->sectionSizeHint(column), static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(column));
    if (header->sectionSize(column) < need) header->resizeSection(column, need);
  }
}

// The dialog takes a filter's patterns from the parentheses of its text. A
// "*.*" there means every file, also one without a dot in its name.
void OpenFileDialog::applyPatternOf(const QString& filterText) {
  for (const FileFilter& f : request_.filters) {
    if (fromStd(f.description) != filterText) continue;
    if (f.pattern == "*.*") {
      if (auto* model = findChild<QFileSystemModel*>()) model->setNameFilters({QStringLiteral("*")});
    }
    return;
  }
}

void OpenFileDialog::accept() {
  const QStringList files = selectedFiles();
  if (files.isEmpty()) return;
  const QString path = files.first();
  const QFileInfo info(path);
  if (info.isDir()) {  // the dialog enters the folder
    QFileDialog::accept();
    return;
  }
  const QString caption = windowTitle();
  if (request_.pathMustExist && !QFileInfo(info.absolutePath()).isDir()) {
    platform_.showMessage(tr("%1\nPath does not exist.\nCheck the path and try again.").arg(info.fileName()),
                          caption, IconKind::Error);
    return;
  }
  if (!info.exists() && request_.createPrompt &&
      !platform_.askYesNo(tr("%1\nThis file does not exist.\nCreate the file?").arg(info.fileName()), caption)) {
    return;  // back to the dialog
  }
  chosen_ = QDir::cleanPath(info.absoluteFilePath());
  QFileDialog::accept();
}

// ---------------------------------------------------------------------------
// Platform

void QtPlatform::messageBox(std::string_view text, std::string_view caption, IconKind icon) {
  showMessage(fromStd(text), fromStd(caption), icon);
}

void QtPlatform::standardOutput(std::string_view text) {
  std::cout << text;
  std::cout.flush();
}

std::optional<std::string> QtPlatform::openFileDialog(const OpenFileRequest& request) {
  OpenFileDialog dialog(request, *this);
  const std::optional<QString> path = runFileDialog(dialog);
  if (!path) return std::nullopt;
  return path->toStdString();
}

void QtPlatform::viewFile(const std::string& path) {
  TextEditorWindow editor(QString::fromStdString(path), *this, QApplication::activeWindow());
  runEditor(editor);
}

std::optional<std::string> QtPlatform::searchProgramPath(const std::string& name) {
  return searchAlongProgramPath(name);
}

void QtPlatform::showMessage(const QString& text, const QString& caption, IconKind icon) {
  QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool QtPlatform::askYesNo(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPlatform::runFileDialog(OpenFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosenPath();
}

void QtPlatform::runEditor(TextEditorWindow& editor) { editor.exec(); }

QtPlatform::SaveChoice QtPlatform::askSaveChanges(const QString& fileName) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Parvela"),
                  QCoreApplication::translate("parvela::qt::QtPlatform", "Do you want to save changes to %1?")
                      .arg(fileName),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
  }
}

}  // namespace parvela::qt
