// Romanian texts for Qt's own parts of the window: the file dialog, the
// standard buttons of the message boxes and of the editor, the edit menus,
// and the questions the editor and the file dialog ask. The program's own
// messages, captions and filters are not translated.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <memory>

namespace parvela::qt {

// The locale of the window: Romanian, unless the user's own locale names a
// language ("C" and "POSIX" name none). Qt's MIME database takes the names
// of file types from it ("document text simplu").
QLocale programLocale(const QLocale& user);

// Installed on the application for as long as it lives. Qt's catalogue
// qtbase_ro.qm is taken from the first of `folders` that holds it; the
// program's own table answers for every text the catalogue lacks (or for
// all of them when there is none). A text found in neither stays English.
// The window's locale (programLocale) is the default one for as long.
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
  QLocale previousLocale_;
};

}  // namespace parvela::qt
