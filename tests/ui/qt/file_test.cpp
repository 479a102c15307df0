// Choosing, reading, solving into and viewing the data file from the
// window, with the open-file dialog answered through the platform's hooks.
// The rules of selecting and reading are checked on the model dialog
// (tests/ui/file_selection_test.cpp, tests/ui/read_test.cpp); here: the
// desktop's file dialog, the work on the worker thread and what is shown.
#include <QFileSystemModel>
#include <QPlainTextEdit>

#include "qt_test_support.h"

namespace parvela::qt::test {
namespace {

namespace fs = std::filesystem;
using FileSelection = MainWindowTest;

std::string exampleBytes(const std::string& name) {
  return readFile(fs::path(PARVELA_SOURCE_DIR) / "examples" / name);
}

TEST_F(FileSelection, TheOpenFileDialogAsItComesUp) {
  platform_.fileAnswers.push_back(std::nullopt);
  click(window(), kIdSelect);
  ASSERT_EQ(platform_.fileDialogs.size(), 1u);
  const FileDialogSeen& seen = platform_.fileDialogs[0];
  EXPECT_EQ(seen.title, "Selecteaza Fisierul");
  EXPECT_EQ(seen.filters, QStringList({"Data Files (*.dat)", "Text Files (*.txt)", "All files (*.*)"}));
  EXPECT_EQ(seen.selectedFilter, "Data Files (*.dat)");
  EXPECT_EQ(fs::path(seen.directory.toStdString()), fs::current_path());
  EXPECT_EQ(seen.defaultSuffix, "dat");
  EXPECT_EQ(seen.typedName, "");
  ASSERT_EQ(platform_.boxes.size(), 1u);  // cancelled: the box of tests/ui/file_selection_test.cpp
}

TEST_F(FileSelection, NewNameGetsTheExtensionAndIsCreatedAfterTheQuestion) {
  // Refused at first: the dialog stays, the next name is taken.
  platform_.answerYes = false;
  platform_.fileAnswers.push_back("proba");
  platform_.fileAnswers.push_back(std::nullopt);
  click(window(), kIdSelect);
  ASSERT_EQ(platform_.questions.size(), 1u);
  EXPECT_TRUE(platform_.questions[0].startsWith("proba.dat\n"));
  EXPECT_FALSE(fs::exists(folder() / "proba.dat"));
  EXPECT_EQ(platform_.boxes.size(), 1u);  // cancelled in the end

  platform_.answerYes = true;
  platform_.boxes.clear();
  selectFile("proba");
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_TRUE(fs::exists(folder() / "proba.dat"));
  EXPECT_EQ(fs::path(problem().dataFileName), folder() / "proba.dat");
  EXPECT_EQ(fs::path(shownText(window(), kIdFilePath).toStdString()), folder() / "proba.dat");

  // An existing file is taken without a question; the next selection
  // offers the previous choice.
  platform_.questions.clear();
  selectFile("proba.dat");
  EXPECT_TRUE(platform_.questions.empty());
  ASSERT_EQ(platform_.fileDialogs.size(), 3u);
  EXPECT_EQ(platform_.fileDialogs[2].typedName, "proba.dat");
}

TEST_F(FileSelection, FolderMustExist) {
  platform_.fileAnswers.push_back("no-such-folder/x.dat");
  platform_.fileAnswers.push_back(std::nullopt);
  click(window(), kIdSelect);
  ASSERT_EQ(platform_.boxes.size(), 2u);
  EXPECT_NE(platform_.boxes[0].text.find("Path does not exist"), std::string::npos);
  EXPECT_EQ(platform_.boxes[1].text, "Can not create \"Result File\".");
  EXPECT_TRUE(platform_.questions.empty());
  EXPECT_FALSE(fs::exists(folder() / "no-such-folder"));
}

TEST_F(FileSelection, ReadShowsTheCounts) {
  QtDialog& d = window();
  copyExample("sistem3.dat");
  selectFile("sistem3.dat");
  select(d, kIdMethodList, 1);
  EXPECT_FALSE(enabled(d, kIdSolve));
  click(d, kIdRead);
  for (const Box& b : platform_.boxes) ADD_FAILURE() << b.caption << ": " << b.text;
  EXPECT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().n, 3);
  EXPECT_EQ(shownText(d, kIdOrder), "3  ");
  EXPECT_EQ(shownText(d, kIdRhsCount), "1  ");
  EXPECT_TRUE(enabled(d, kIdSolve));
}

TEST_F(FileSelection, BadDataAreReportedFromTheWorker) {
  QtDialog& d = window();
  writeFile(folder() / "rau.dat", "Titlu\n2 1\n1 x\n3 4\n1 1\n");
  selectFile("rau.dat");
  select(d, kIdMethodList, 1);
  click(d, kIdRead);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "Eroare de citire in fisierul de date");
  EXPECT_FALSE(enabled(d, kIdSolve));
}

TEST_F(FileSelection, UnopenableFileLeavesNoFileSelected) {
  // A new name in a folder where no file can be created (also not by the
  // superuser): the dialog asks, the selection then fails.
  selectFile("/proc/parvela-test-new.dat");
  ASSERT_EQ(platform_.questions.size(), 1u);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].caption, "Error");
  EXPECT_FALSE(InputDataFile().selected());
}

TEST_F(FileSelection, OpenShowsTheFileInTheEditor) {
  copyExample("sistem3.dat");
  selectFile("sistem3.dat");
  QString seenText;
  platform_.onEditor = [&](TextEditorWindow& editor) {
    seenText = editor.editor()->toPlainText();
    EXPECT_TRUE(editor.isModal());
  };
  click(window(), kIdOpen);
  ASSERT_EQ(platform_.viewed.size(), 1u);
  EXPECT_EQ(fs::path(platform_.viewed[0]), folder() / "sistem3.dat");
  EXPECT_EQ(seenText.toStdString(), exampleBytes("sistem3.dat"));
}

TEST_F(FileSelection, SolveWritesTheReportAfterTheData) {
  QtDialog& d = window();
  readExample("sistem3.dat", 1);  // Gauss
  ASSERT_TRUE(enabled(d, kIdSolve));
  click(d, kIdSolve);
  const std::string data = exampleBytes("sistem3.dat");
  const std::string once = readFile(folder() / "sistem3.dat");
  ASSERT_GT(once.size(), data.size());
  EXPECT_EQ(once.substr(0, data.size()), data);
  const std::string report = once.substr(data.size());
  EXPECT_NE(report.find("Metoda: Gauss"), std::string::npos);
  EXPECT_NE(report.find(" x(1) =    1.000000"), std::string::npos);
  EXPECT_NE(report.find(" * Proba"), std::string::npos);

  // A second run without a new read appends its report (computed on the
  // matrices the first run left); a new read and a run leave one report.
  click(d, kIdSolve);
  const std::string twice = readFile(folder() / "sistem3.dat");
  ASSERT_GT(twice.size(), once.size());
  EXPECT_EQ(twice.substr(0, once.size()), once);
  EXPECT_EQ(twice.substr(once.size(), 40), report.substr(0, 40));
  click(d, kIdRead);
  EXPECT_EQ(shownText(d, kIdOrder), "3  ");
  click(d, kIdSolve);
  EXPECT_EQ(readFile(folder() / "sistem3.dat"), once);
  EXPECT_TRUE(platform_.boxes.empty());
}

}  // namespace
}  // namespace parvela::qt::test
