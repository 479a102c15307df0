// The help and about boxes shown from the window, and the two help files.
#include <QLabel>
#include <QPlainTextEdit>

#include "qt_test_support.h"
#include "ui/core/help.h"

namespace parvela::qt::test {
namespace {

using HelpBoxes = MainWindowTest;

// The help texts, the files and the boxes' rules are checked on the model
// dialog (tests/ui/help_test.cpp); here: the boxes as shown, the file
// dialog they open and the editor that shows the generator help.
TEST_F(HelpBoxes, FileStructureBoxSavesTheFile) {
  host_.onShow = [&](QtDialog& box) {
    EXPECT_TRUE(box.isVisible());
    // The long help texts fit their boxes whatever the font.
    for (int id : {kIdStructureUpper, kIdStructureMiddle, kIdStructureLower}) {
      auto* label = box.controlAs<QLabel>(id);
      EXPECT_LE(label->heightForWidth(label->width()), label->height()) << id;
      EXPECT_TRUE(box.rect().contains(label->geometry())) << id;
    }
    platform_.fileAnswers.push_back("structura");
    click(box, kIdSaveStructure);
  };
  click(window(), kIdFileHelp);
  ASSERT_EQ(host_.shown.size(), 1u);
  ASSERT_EQ(platform_.fileDialogs.size(), 1u);
  EXPECT_EQ(platform_.fileDialogs[0].filters,
            QStringList({"Text Files (*.txt)", "Data Files (*.dat)", "All files (*.*)"}));
  EXPECT_EQ(platform_.fileDialogs[0].typedName, "Input File Structure.txt");
  EXPECT_EQ(platform_.fileDialogs[0].defaultSuffix, "txt");
  // The name typed without extension got the default one.
  EXPECT_EQ(readFile(folder() / "structura.txt"), fileStructureFileContents());
}

TEST_F(HelpBoxes, TextsOfTheShownBoxes) {
  QString aboutShown, nlimShown;
  host_.onShow = [&](QtDialog& box) {
    if (box.dialogTemplate().id == kAboutDialog) aboutShown = box.controlAs<QLabel>(kIdAboutText)->text();
    if (box.dialogTemplate().id == kIterationHelpDialog) nlimShown = box.controlAs<QLabel>(kIdNlimHelp)->text();
  };
  click(window(), kIdAbout);
  click(window(), kIdIterationHelp);
  ASSERT_EQ(host_.shown.size(), 2u);
  // Lines end in CR LF in the texts, in line breaks on the screen.
  EXPECT_TRUE(aboutShown.startsWith(" Parvela Solver\n\n"));
  EXPECT_TRUE(aboutShown.endsWith("\n\n Version 2.7"));
  EXPECT_EQ(nlimShown, " NLIM:\n\n Numarul limita de iteratii.");
}

TEST_F(HelpBoxes, GeneratorHelpIsShownInTheEditor) {
  if (searchAlongProgramPath("Help-Generare.txt")) GTEST_SKIP() << "a Help-Generare.txt is on the search path";
  QString shown;
  platform_.onEditor = [&](TextEditorWindow& editor) { shown = editor.editor()->toPlainText(); };
  click(window(), kIdGeneratorHelp);
  ASSERT_EQ(platform_.viewed, std::vector<std::string>{"Help-Generare.txt"});
  EXPECT_TRUE(shown.startsWith("MATRICI GENERATE\n")) << shown.left(40).toStdString();
}

}  // namespace
}  // namespace parvela::qt::test
