// Romanian texts for Qt's own parts of the window: the file dialog, the
// standard buttons of the message boxes and of the editor, the edit menus.
// The program's own messages, captions and filters are not translated.
#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

#include <memory>

namespace parvela::qt {

// Installed on the application for as long as it lives. Qt's catalogue
// qtbase_ro.qm is taken from the first of `folders` that holds it; the
// program's own table answers for every text the catalogue lacks (or for
// all of them when there is none). A text found in neither stays English.
class StandardDialogTranslations {
 public:
  explicit StandardDialogTranslations(const QStringList& folders = defaultFolders());
  ~StandardDialogTranslations();
  StandardDialogTranslations(const StandardDialogTranslations&) = delete;
  StandardDialogTranslations& operator=(const StandardDialogTranslations&) = delete;

  // The catalogue loaded, empty when only the program's table serves.
  const QString& catalogue() const { return catalogue_; }

  // Qt's translations folder, then the usual places of a Debian install
  // and beside the program.
  static QStringList defaultFolders();

 private:
  std::unique_ptr<QTranslator> builtIn_;
  std::unique_ptr<QTranslator> qtCatalogue_;
  QString catalogue_;
};

}  // namespace parvela::qt
