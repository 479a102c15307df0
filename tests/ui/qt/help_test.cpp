// The help and about boxes shown from the window, and the two help files.
#include <QLabel>

#include "qt_test_support.h"
#include "ui/core/help.h"

namespace parvela::qt::test {
namespace {

namespace fs = std::filesystem;
using HelpBoxes = MainWindowTest;

std::vector<std::string> lines(const std::string& bytes) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      out.push_back(bytes.substr(start));
      break;
    }
    out.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

TEST_F(HelpBoxes, FileStructureBoxSavesTheFile) {
  host_.onShow = [&](QtDialog& box) {
    EXPECT_TRUE(box.isVisible());
    // The long help texts fit their boxes whatever the font.
    for (int id : {kIdStructureUpper, kIdStructureMiddle, kIdStructureLower}) {
      auto* label = box.controlAs<QLabel>(id);
      EXPECT_LE(label->heightForWidth(label->width()), label->height()) << id;
      EXPECT_TRUE(box.rect().contains(label->geometry())) << id;
    }
    // First cancelled: the error box, and the help box stays open.
    platform_.fileAnswers.push_back(std::nullopt);
    click(box, kIdSaveStructure);
    EXPECT_FALSE(box.isClosed());
    platform_.fileAnswers.push_back("structura");
    click(box, kIdSaveStructure);
    platform_.fileAnswers.push_back("structura.txt");
    click(box, kIdSaveStructure);  // twice to the same name
  };
  click(window(), kIdFileHelp);
  ASSERT_EQ(host_.shown.size(), 1u);
  const auto& shown = host_.shown[0];
  EXPECT_EQ(shown.templateId, kStructureHelpDialog);
  EXPECT_EQ(shown.title, "Structura Fisierului de Intrare");
  EXPECT_EQ(shown.texts.at(kIdStructureUpper).substr(0, 53),
            "Datele din Fisierul de Intrare  (pe linii separate):\r");

  ASSERT_EQ(platform_.fileDialogs.size(), 3u);
  EXPECT_EQ(platform_.fileDialogs[0].filters,
            QStringList({"Text Files (*.txt)", "Data Files (*.dat)", "All files (*.*)"}));
  EXPECT_EQ(platform_.fileDialogs[0].typedName, "Input File Structure.txt");
  EXPECT_EQ(platform_.fileDialogs[0].defaultSuffix, "txt");

  ASSERT_EQ(platform_.boxes.size(), 3u);
  EXPECT_EQ(platform_.boxes[0].text, "Can not create \"Save File\".");
  EXPECT_EQ(platform_.boxes[0].caption, "Error");
  EXPECT_EQ(platform_.boxes[1].caption, "Fisier salvat");
  EXPECT_EQ(platform_.boxes[1].icon, IconKind::Information);
  EXPECT_EQ(fs::path(platform_.boxes[1].text), folder() / "structura.txt");

  const std::string bytes = readFile(folder() / "structura.txt");
  EXPECT_EQ(bytes, fileStructureFileContents());
  const std::vector<std::string> l = lines(bytes);
  ASSERT_EQ(l.size(), 23u);  // 22 records, the last with a line end inside its field
  EXPECT_EQ(l[0], fixedText("Datele din Fisierul de Intrare  (pe linii separate):", 100));
  EXPECT_EQ(l[1], "");
  EXPECT_EQ(l[15], fixedText("3-0)  nc     = numar de constante \"c\" pentru generare", 100));
  EXPECT_EQ(l[21].substr(0, 4), "II. ");
}

TEST_F(HelpBoxes, TextsOfTheShownBoxes) {
  QString aboutShown;
  host_.onShow = [&](QtDialog& box) {
    if (box.dialogTemplate().id == kAboutDialog) aboutShown = box.controlAs<QLabel>(kIdAboutText)->text();
  };
  click(window(), kIdAbout);
  click(window(), kIdIterationHelp);
  ASSERT_EQ(host_.shown.size(), 2u);
  EXPECT_EQ(host_.shown[0].templateId, kAboutDialog);
  EXPECT_EQ(host_.shown[0].title, "ABOUT");
  EXPECT_EQ(host_.shown[0].texts.at(kIdAboutText), aboutText());
  EXPECT_TRUE(aboutShown.startsWith(" Parvela Solver\n\n"));
  EXPECT_TRUE(aboutShown.endsWith("\n\n Version 2.7"));
  EXPECT_EQ(host_.shown[1].templateId, kIterationHelpDialog);
  EXPECT_EQ(host_.shown[1].title, "Parametri Gauss-Seidel si SOR");
  EXPECT_EQ(host_.shown[1].texts.at(kIdNlimHelp), " NLIM:\r\n\r\n Numarul limita de iteratii.");
  EXPECT_EQ(host_.shown[1].texts.at(kIdOmegaHelp),
            " OMEGA (numai pentru SOR):\r\n\r\n Factorul de accelerare (relaxare):\r\n 1 < OMEGA < 2.");
}

TEST_F(HelpBoxes, GeneratorHelpFileIsCreatedOnceAndShown) {
  if (searchAlongProgramPath("Help-Generare.txt")) GTEST_SKIP() << "a Help-Generare.txt is on the search path";
  click(window(), kIdGeneratorHelp);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "A fost creat fisierul:\n\"Help-Generare.txt\"");
  EXPECT_EQ(platform_.boxes[0].caption, "Info");
  EXPECT_EQ(platform_.boxes[0].icon, IconKind::Information);
  ASSERT_EQ(platform_.viewed, std::vector<std::string>{"Help-Generare.txt"});
  const std::string bytes = readFile(folder() / "Help-Generare.txt");
  EXPECT_EQ(bytes, genHelpFileContents());
  const std::vector<std::string> l = lines(bytes);
  ASSERT_EQ(l.size(), 140u);
  EXPECT_EQ(l[0], "MATRICI GENERATE");
  EXPECT_EQ(l[12], "\t1\t1/2\t\t...\t1/n");
  EXPECT_EQ(l[136], "Se vor utiliza proiectele separate ale metodelor, din Merok.");
  EXPECT_EQ(l[139], "");

  // Edited by the user: shown again as it is, without the box.
  writeFile(folder() / "Help-Generare.txt", "my notes\r\n");
  click(window(), kIdGeneratorHelp);
  EXPECT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.viewed.size(), 2u);
  EXPECT_EQ(readFile(folder() / "Help-Generare.txt"), "my notes\r\n");
}

}  // namespace
}  // namespace parvela::qt::test
