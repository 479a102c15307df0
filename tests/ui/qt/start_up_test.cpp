// The window started with a file on the command line, and Qt's own dialog
// texts in Romanian.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>

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

TEST(StandardDialogTranslationFolders, QtsOwnFolderComesFirst) {
  const QStringList folders = StandardDialogTranslations::defaultFolders();
  ASSERT_FALSE(folders.isEmpty());
  EXPECT_EQ(folders.front(), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  EXPECT_TRUE(folders.contains("/usr/share/qt6/translations"));
}

}  // namespace
}  // namespace parvela::qt::test
