// The window started with a file on the command line, and Qt's own dialog
// texts in Romanian.
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include "qt_test_support.h"
#include "ui/qt/translations.h"

namespace parvela::qt::test {
namespace {

namespace fs = std::filesystem;
using StartUpFile = MainWindowTest;

const char* const kSystem = "Sistem\n2 1\n4 1\n1 3\n5 4\n";

TEST_F(StartUpFile, SelectedAsSelecteazaDoesButNotRead) {
  writeFile(folder() / "exercitiu.dat", kSystem);
  selectFileAtStartUp("exercitiu.dat");  // relative to the current folder
  QtDialog& d = window();
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_TRUE(platform_.questions.empty());
  EXPECT_EQ(fs::path(shownText(d, kIdFilePath).toStdString()), folder() / "exercitiu.dat");
  EXPECT_EQ(fs::path(problem().dataFileName), folder() / "exercitiu.dat");
  EXPECT_TRUE(enabled(d, kIdRead));
  EXPECT_TRUE(enabled(d, kIdOpen));
  // Nothing read: no counts, no run possible, the file as it was.
  EXPECT_FALSE(problem().dataRead);
  EXPECT_EQ(shownText(d, kIdOrder), "");
  EXPECT_FALSE(enabled(d, kIdSolve));
  EXPECT_EQ(readFile(folder() / "exercitiu.dat"), kSystem);

  // The usual session goes on from there.
  select(d, kIdMethodList, 1);
  click(d, kIdRead);
  EXPECT_EQ(shownText(d, kIdOrder).trimmed(), "2");
  ASSERT_TRUE(enabled(d, kIdSolve));
  click(d, kIdSolve);
  EXPECT_NE(readFile(folder() / "exercitiu.dat").find("Metoda: Gauss"), std::string::npos);
}

TEST_F(StartUpFile, AbsolutePathAndTheNextSelectionOffersIt) {
  fs::create_directories(folder() / "sub");
  writeFile(folder() / "sub" / "a.dat", kSystem);
  selectFileAtStartUp((folder() / "sub" / "a.dat").string());
  EXPECT_EQ(fs::path(problem().dataFileName), folder() / "sub" / "a.dat");
  platform_.fileAnswers.push_back(std::nullopt);
  click(window(), kIdSelect);
  ASSERT_EQ(platform_.fileDialogs.size(), 1u);
  EXPECT_EQ(fs::path(platform_.fileDialogs[0].typedName.toStdString()).filename(), "a.dat");
}

TEST_F(StartUpFile, MissingFileIsCreatedOnlyAfterTheQuestion) {
  platform_.answerYes = false;
  selectFileAtStartUp("nou.dat");
  ASSERT_EQ(platform_.questions.size(), 1u);
  EXPECT_TRUE(platform_.questions[0].startsWith("nou.dat\n"));
  EXPECT_FALSE(fs::exists(folder() / "nou.dat"));
  // Refused: as a cancelled "Selecteaza".
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "Can not create \"Result File\".");
  EXPECT_FALSE(enabled(window(), kIdRead));

  platform_.answerYes = true;
  platform_.boxes.clear();
  selectFileAtStartUp("nou.dat");
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_TRUE(fs::exists(folder() / "nou.dat"));
  EXPECT_TRUE(enabled(window(), kIdRead));
}

TEST_F(StartUpFile, FolderThatDoesNotExistOrIsAFolder) {
  selectFileAtStartUp("lipsa/x.dat");
  ASSERT_EQ(platform_.boxes.size(), 2u);
  EXPECT_NE(platform_.boxes[0].text.find("Path does not exist"), std::string::npos);
  EXPECT_EQ(platform_.boxes[1].text, "Can not create \"Result File\".");
  EXPECT_FALSE(fs::exists(folder() / "lipsa"));
  EXPECT_FALSE(enabled(window(), kIdRead));

  platform_.boxes.clear();
  fs::create_directories(folder() / "dosar");
  selectFileAtStartUp("dosar");
  ASSERT_FALSE(platform_.boxes.empty());
  EXPECT_FALSE(enabled(window(), kIdRead));
  EXPECT_FALSE(InputDataFile().selected());
}

// Texts of Qt's own widgets once the Romanian texts are installed; an empty
// folder list keeps the test to the program's own table.
class RomanianStandardTexts : public MainWindowTest {};

QString buttonText(QDialogButtonBox& box, QDialogButtonBox::StandardButton b) {
  QPushButton* button = box.button(b);
  return button ? button->text() : QString();
}

TEST_F(RomanianStandardTexts, ButtonsAndFileDialog) {
  {
    StandardDialogTranslations ro(QStringList{});
    EXPECT_TRUE(ro.catalogue().isEmpty());
    QDialogButtonBox editorButtons(QDialogButtonBox::Save | QDialogButtonBox::Close);
    EXPECT_EQ(buttonText(editorButtons, QDialogButtonBox::Save), "Salveaza");
    EXPECT_EQ(buttonText(editorButtons, QDialogButtonBox::Close), "Inchide");

    QMessageBox question(QMessageBox::Warning, "Parvela", "Do you want to save changes to a.dat?",
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    EXPECT_EQ(question.button(QMessageBox::Save)->text(), "Salveaza");
    EXPECT_EQ(question.button(QMessageBox::Discard)->text(), "Nu salva");
    EXPECT_EQ(question.button(QMessageBox::Cancel)->text(), "Anuleaza");
    QMessageBox yesNo(QMessageBox::Warning, "Selecteaza Fisierul", "x", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(yesNo.button(QMessageBox::Yes)->text(), "&Da");
    EXPECT_EQ(yesNo.button(QMessageBox::No)->text(), "&Nu");
    // The program's own text is not touched.
    EXPECT_EQ(question.text(), "Do you want to save changes to a.dat?");

    // The file dialog: its buttons and labels in Romanian, the caption and
    // the filters of the program as they are.
    OpenFileRequest request;
    request.title = "Selecteaza Fisierul";
    request.filters = {{"Data Files (*.dat)", "*.dat"}, {"All files (*.*)", "*.*"}};
    OpenFileDialog dialog(request, platform_);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttonText(*buttons, QDialogButtonBox::Open), "&Deschide");
    EXPECT_EQ(buttonText(*buttons, QDialogButtonBox::Cancel), "Anuleaza");
    QStringList labels;
    for (QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Cauta in:")) << labels.join('|').toStdString();
    EXPECT_TRUE(labels.contains("&Nume fisier:")) << labels.join('|').toStdString();
    EXPECT_EQ(dialog.windowTitle(), "Selecteaza Fisierul");
    EXPECT_EQ(dialog.nameFilters(), QStringList({"Data Files (*.dat)", "All files (*.*)"}));
  }
  // Removed again with the object.
  QDialogButtonBox after(QDialogButtonBox::Cancel);
  EXPECT_EQ(buttonText(after, QDialogButtonBox::Cancel), "Cancel");
}

TEST_F(RomanianStandardTexts, TextWithoutTranslationStaysEnglish) {
  StandardDialogTranslations ro(QStringList{});
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "No text of that name"), "No text of that name");
  EXPECT_EQ(QCoreApplication::translate("SomeOtherContext", "Save"), "Save");
}

// Asked after every other translator: records the texts of the dialogs
// that none of them answered (not key sequences, which are not words, nor
// the names of keys, the same in Romanian).
class MissedTexts final : public QTranslator {
 public:
  QString translate(const char* context, const char* source, const char*, int) const override {
    const QString c = QString::fromUtf8(context), text = QString::fromUtf8(source);
    static const QStringList dialogs{"QFileDialog",    "QFileSystemModel", "QAbstractFileIconProvider",
                                     "QPlatformTheme", "QMessageBox",      "QDialogButtonBox"};
    const bool keys = QKeySequence::fromString(text, QKeySequence::PortableText).count() == 1 &&
                      text.contains(QLatin1Char('+'));
    if ((dialogs.contains(c) || c.startsWith(QLatin1String("parvela::"))) && !keys)
      missed << c + QStringLiteral(": ") + text;
    return {};
  }
  bool isEmpty() const override { return false; }
  mutable QStringList missed;
};

TEST_F(RomanianStandardTexts, EveryTextOfTheFileDialogAndTheEditorsQuestions) {
  MissedTexts missed;
  QCoreApplication::installTranslator(&missed);
  QStringList asked;  // the texts of the questions
  {
    StandardDialogTranslations ro(QStringList{});
    fs::create_directories(folder() / "dosar");
    writeFile(folder() / "a.dat", kSystem);
    writeFile(folder() / "note.txt", "text");
    OpenFileRequest request;
    request.title = "Selecteaza Fisierul";
    request.filters = {{"Data Files (*.dat)", "*.dat"}, {"All files (*.*)", "*.*"}};
    request.filterIndex = 2;
    request.initialDirectory = folder().string();
    request.defaultExtension = "dat";
    request.pathMustExist = request.createPrompt = true;
    OpenFileDialog dialog(request, platform_);
    dialog.setViewMode(QFileDialog::Detail);
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(tree, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(tree->rootIndex()) == 3; }));
    QCoreApplication::processEvents();

    // Every column after the name as wide as its header and its entries,
    // also after narrower widths (the desktop's, or the user's last ones).
    QHeaderView* header = tree->header();
    for (int column = 1; column < header->count(); ++column) header->resizeSection(column, 20);
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    emit model->directoryLoaded(QString::fromStdString(folder().string()));
    for (int column = 1; column < header->count(); ++column) {
      EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
      for (int row = 0; row < 3; ++row) {
        const QModelIndex at = tree->model()->index(row, column, tree->rootIndex());
        EXPECT_GE(header->sectionSize(column), tree->itemDelegate()->sizeHint(QStyleOptionViewItem(), at).width())
            << at.data().toString().toStdString();
      }
    }
    // The system's name of the file type in the window's language.
    if (programLocale(QLocale::system()).language() == QLocale::Romanian) {
      EXPECT_EQ(model->type(model->index(QString::fromStdString((folder() / "note.txt").string()))),
                "document text simplu");
      EXPECT_EQ(model->type(model->index(QString::fromStdString((folder() / "dosar").string()))), "Dosar");
    }

    // The dialog's questions, and the editor's.
    dialog.hide();
    OpenFileDialog asking(request, platform_);
    platform_.answerYes = false;
    asking.selectFile(QStringLiteral("nou"));
    asking.accept();
    asking.selectFile(QStringLiteral("nu-exista/x.dat"));
    asking.accept();
    for (const QString& q : platform_.questions) asked << q;
    for (const Box& b : platform_.boxes) asked << QString::fromStdString(b.text);
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        asked << box->text();
        QStringList buttons;
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        buttons.sort();
        asked << buttons;
        box->reject();
      }
    });
    EXPECT_EQ(platform_.desktopAskSaveChanges(QStringLiteral("a.dat")), QtPlatform::SaveChoice::Cancel);
    TextEditorWindow editor(QString::fromStdString((folder() / "nu-exista" / "y.dat").string()), platform_);
    editor.editor()->insertPlainText("x");
    EXPECT_FALSE(editor.save());
  }
  QCoreApplication::removeTranslator(&missed);
  EXPECT_EQ(asked, QStringList({"nou.dat\nAcest fisier nu exista.\nCreati fisierul?",
                                "x.dat\nCalea nu exista.\nVerificati calea si incercati din nou.",
                                "Salvati modificarile din a.dat?", "Anuleaza", "Nu salva", "Salveaza"}));
  EXPECT_EQ(missed.missed, QStringList());
}

TEST(StandardDialogTranslationFolders, QtsOwnFolderComesFirst) {
  const QStringList folders = StandardDialogTranslations::defaultFolders();
  ASSERT_FALSE(folders.isEmpty());
  EXPECT_EQ(folders.front(), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  EXPECT_TRUE(folders.contains("/usr/share/qt6/translations"));
}

}  // namespace
}  // namespace parvela::qt::test
