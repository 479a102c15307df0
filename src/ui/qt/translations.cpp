#include "ui/qt/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibraryInfo>

#include <cstring>

namespace parvela::qt {

namespace {

struct Entry {
  const char* context;
  const char* source;
  const char* romanian;
};

// Written without diacritics, like every other text of the window.
constexpr Entry kRomanian[] = {
    // Standard buttons (message boxes, the editor, the file dialog).
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "Salveaza"},
    {"QPlatformTheme", "Save All", "Salveaza tot"},
    {"QPlatformTheme", "Open", "Deschide"},
    {"QPlatformTheme", "&Yes", "&Da"},
    {"QPlatformTheme", "Yes to &All", "Da la &toate"},
    {"QPlatformTheme", "&No", "&Nu"},
    {"QPlatformTheme", "N&o to All", "N&u la toate"},
    {"QPlatformTheme", "Abort", "Abandoneaza"},
    {"QPlatformTheme", "Retry", "Reincearca"},
    {"QPlatformTheme", "Ignore", "Ignora"},
    {"QPlatformTheme", "Close", "Inchide"},
    {"QPlatformTheme", "Cancel", "Anuleaza"},
    {"QPlatformTheme", "Discard", "Nu salva"},
    {"QPlatformTheme", "Help", "Ajutor"},
    {"QPlatformTheme", "Apply", "Aplica"},
    {"QPlatformTheme", "Reset", "Reseteaza"},
    {"QPlatformTheme", "Restore Defaults", "Valorile implicite"},
    // The file dialog.
    {"QFileDialog", "Look in:", "Cauta in:"},
    {"QFileDialog", "File &name:", "&Nume fisier:"},
    {"QFileDialog", "Files of type:", "Fisiere de tipul:"},
    {"QFileDialog", "&Open", "&Deschide"},
    {"QFileDialog", "&Save", "&Salveaza"},
    {"QFileDialog", "&Choose", "&Alege"},
    {"QFileDialog", "Open", "Deschide"},
    {"QFileDialog", "Save As", "Salveaza ca"},
    {"QFileDialog", "Find Directory", "Alege dosarul"},
    {"QFileDialog", "Directory:", "Dosar:"},
    {"QFileDialog", "Back", "Inapoi"},
    {"QFileDialog", "Forward", "Inainte"},
    {"QFileDialog", "Parent Directory", "Dosarul parinte"},
    {"QFileDialog", "Create New Folder", "Dosar nou"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Detail View", "Detalii"},
    {"QFileDialog", "Go back", "Inapoi"},
    {"QFileDialog", "Go forward", "Inainte"},
    {"QFileDialog", "Go to the parent directory", "La dosarul parinte"},
    {"QFileDialog", "Create a New Folder", "Creeaza un dosar nou"},
    {"QFileDialog", "Change to list view mode", "Arata fisierele ca lista"},
    {"QFileDialog", "Change to detail view mode", "Arata fisierele cu detalii"},
    {"QFileDialog", "Sidebar", "Bara laterala"},
    {"QFileDialog", "Recent Places", "Locuri recente"},
    {"QFileDialog", "New Folder", "Dosar nou"},
    {"QFileDialog", "&New Folder", "Dosar &nou"},
    {"QFileDialog", "&Rename", "&Redenumeste"},
    {"QFileDialog", "&Delete", "&Sterge"},
    {"QFileDialog", "Delete", "Sterge"},
    {"QFileDialog", "Remove", "Elimina"},
    {"QFileDialog", "Show &hidden files", "Arata fisierele &ascunse"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Sigur stergeti '%1'?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' este protejat la scriere.\nIl stergeti totusi?"},
    {"QFileDialog", "Could not delete directory.", "Dosarul nu a putut fi sters."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 exista deja.\nIl inlocuiti?"},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFisierul nu a fost gasit.\nVerificati numele fisierului."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nDosarul nu a fost gasit.\nVerificati numele dosarului."},
    {"QFileDialog", "All Files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "Directories", "Dosare"},
    {"QFileDialog", "My Computer", "Computerul meu"},
    {"QFileDialog", "Unknown", "Necunoscut"},
    {"QFileDialog", "Drive", "Unitate"},
    {"QFileDialog", "File", "Fisier"},
    {"QFileDialog", "File Folder", "Dosar"},
    {"QFileDialog", "Folder", "Dosar"},
    {"QFileDialog", "Alias", "Alias"},
    {"QFileDialog", "Shortcut", "Scurtatura"},
    {"QFileDialog", "Show ", "Arata "},  // + the name of a column, in the header's menu
    {"QFileDialog", "List of places and bookmarks", "Lista locurilor si a semnelor de carte"},
    {"QFileDialog", "Files", "Fisiere"},
    {"QFileSystemModel", "Name", "Nume"},
    {"QFileSystemModel", "Size", "Dimensiune"},
    {"QFileSystemModel", "Type", "Tip"},
    {"QFileSystemModel", "Kind", "Tip"},
    {"QFileSystemModel", "Date Modified", "Modificat"},
    {"QFileSystemModel", "My Computer", "Computerul meu"},
    {"QFileSystemModel", "Computer", "Computer"},
    {"QFileSystemModel", "Invalid filename", "Nume de fisier nevalid"},
    // Edit menus of the text boxes and of the editor.
    {"QLineEdit", "&Undo", "&Anuleaza"},
    {"QLineEdit", "&Redo", "&Reface"},
    {"QLineEdit", "Cu&t", "&Taie"},
    {"QLineEdit", "&Copy", "&Copiaza"},
    {"QLineEdit", "&Paste", "&Lipeste"},
    {"QLineEdit", "Delete", "Sterge"},
    {"QLineEdit", "Select All", "Selecteaza tot"},
    {"QWidgetTextControl", "&Undo", "&Anuleaza"},
    {"QWidgetTextControl", "&Redo", "&Reface"},
    {"QWidgetTextControl", "Cu&t", "&Taie"},
    {"QWidgetTextControl", "&Copy", "&Copiaza"},
    {"QWidgetTextControl", "Copy &Link Location", "Copiaza adresa &legaturii"},
    {"QWidgetTextControl", "&Paste", "&Lipeste"},
    {"QWidgetTextControl", "Delete", "Sterge"},
    {"QWidgetTextControl", "Select All", "Selecteaza tot"},
    {"QMessageBox", "Show Details...", "Arata detaliile..."},
    {"QMessageBox", "Hide Details...", "Ascunde detaliile..."},
    {"QDialog", "What's This?", "Ce este?"},
    // Types of the file dialog's entries that are not files.
    {"QAbstractFileIconProvider", "Folder", "Dosar"},
    {"QAbstractFileIconProvider", "Drive", "Unitate"},
    {"QAbstractFileIconProvider", "File", "Fisier"},
    {"QAbstractFileIconProvider", "Shortcut", "Scurtatura"},
    // The program's own questions and messages in these dialogs.
    {"parvela::qt::OpenFileDialog", "%1\nPath does not exist.\nCheck the path and try again.",
     "%1\nCalea nu exista.\nVerificati calea si incercati din nou."},
    {"parvela::qt::OpenFileDialog", "%1\nThis file does not exist.\nCreate the file?",
     "%1\nAcest fisier nu exista.\nCreati fisierul?"},
    {"parvela::qt::QtPlatform", "Do you want to save changes to %1?", "Salvati modificarile din %1?"},
    {"parvela::qt::TextEditorWindow", "Cannot open the file:\n", "Fisierul nu poate fi deschis:\n"},
    {"parvela::qt::TextEditorWindow", "Cannot save the file:\n", "Fisierul nu poate fi salvat:\n"},
};

// The program's own table, looked up by context and source text (Qt's
// disambiguations of these texts never separate two meanings here).
class RomanianTable final : public QTranslator {
 public:
  RomanianTable() {
    for (const Entry& e : kRomanian) texts_.insert(key(e.context, e.source), QString::fromUtf8(e.romanian));
  }
  QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                    int /*n*/) const override {
    if (!context || !sourceText) return {};
    return texts_.value(key(context, sourceText));
  }
  bool isEmpty() const override { return false; }

 private:
  static QByteArray key(const char* context, const char* source) {
    return QByteArray(context) + '\x04' + QByteArray(source);
  }
  QHash<QByteArray, QString> texts_;
};

}  // namespace

QStringList StandardDialogTranslations::defaultFolders() {
  QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                      QStringLiteral("/usr/share/qt6/translations")};
  if (QCoreApplication::instance()) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    folders << QDir::cleanPath(programFolder + QStringLiteral("/../share/qt6/translations"))
            << QDir::cleanPath(programFolder + QStringLiteral("/../share/parvela/translations"));
  }
  folders.removeDuplicates();
  return folders;
}

QLocale programLocale(const QLocale& user) {
  if (user.language() == QLocale::C) return QLocale(QLocale::Romanian, QLocale::Romania);
  return user;
}

StandardDialogTranslations::StandardDialogTranslations(const QStringList& folders)
    : builtIn_(std::make_unique<RomanianTable>()), previousLocale_(QLocale()) {
  QLocale::setDefault(programLocale(QLocale::system()));
  // Translators installed later are asked first: Qt's catalogue before the
  // program's table.
  QCoreApplication::installTranslator(builtIn_.get());
  for (const QString& folder : folders) {
    const QString path = QDir(folder).filePath(QStringLiteral("qtbase_ro.qm"));
    if (!QFileInfo::exists(path)) continue;
    auto catalogue = std::make_unique<QTranslator>();
    if (!catalogue->load(path)) continue;
    QCoreApplication::installTranslator(catalogue.get());
    qtCatalogue_ = std::move(catalogue);
    catalogue_ = path;
    break;
  }
}

StandardDialogTranslations::~StandardDialogTranslations() {
  if (qtCatalogue_) QCoreApplication::removeTranslator(qtCatalogue_.get());
  QCoreApplication::removeTranslator(builtIn_.get());
  QLocale::setDefault(previousLocale_);
}

}  // namespace parvela::qt
