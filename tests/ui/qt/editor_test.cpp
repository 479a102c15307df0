// The built-in text editor that shows the data file and the help file.
#include <QElapsedTimer>
#include <iostream>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>

#include "qt_test_support.h"
#include "ui/qt/report_view.h"

namespace parvela::qt::test {
namespace {

namespace fs = std::filesystem;

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  fs::path file(const char* name) const { return fs::path(dir_.path().toStdString()) / name; }
  QString qfile(const char* name) const { return QString::fromStdString(file(name).string()); }

  TestPlatform platform_;
  QTemporaryDir dir_;
};

TEST_F(EditorTest, ShowsTheFileInAFixedFont) {
  writeFile(file("a.dat"), "Titlu\r\n3 1\r\n");
  TextEditorWindow editor(qfile("a.dat"), platform_);
  EXPECT_EQ(editor.editor()->toPlainText(), "Titlu\n3 1\n");
  EXPECT_TRUE(QFontInfo(editor.editor()->font()).fixedPitch());
  EXPECT_EQ(editor.editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_FALSE(editor.isModified());
  EXPECT_TRUE(editor.windowTitle().startsWith("a.dat"));
}

TEST_F(EditorTest, SaveKeepsLineEndsAndBytes) {
  // CR LF lines, a Latin-1 byte (not UTF-8) and no final line end.
  writeFile(file("a.dat"), "Titlu \xe2 x\r\n3 1\r\n4");
  TextEditorWindow editor(qfile("a.dat"), platform_);
  editor.show();
  editor.editor()->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor.editor(), "2");
  EXPECT_TRUE(editor.isModified());
  QTest::mouseClick(editor.saveButton(), Qt::LeftButton);
  EXPECT_FALSE(editor.isModified());
  EXPECT_EQ(readFile(file("a.dat")), "Titlu \xe2 x\r\n3 1\r\n42");

  writeFile(file("b.dat"), "unu\ndoi \xc8\x99i\n");  // UTF-8, LF
  TextEditorWindow second(qfile("b.dat"), platform_);
  second.editor()->moveCursor(QTextCursor::End);
  second.editor()->insertPlainText("trei\n");
  ASSERT_TRUE(second.save());
  EXPECT_EQ(readFile(file("b.dat")), "unu\ndoi \xc8\x99i\ntrei\n");
}

TEST_F(EditorTest, SaveRewritesTheFileInPlace) {
  // Not replaced by a new file: a reader that holds the file sees the text.
  writeFile(file("a.dat"), "x\n");
  std::ifstream held(file("a.dat"));
  TextEditorWindow editor(qfile("a.dat"), platform_);
  editor.editor()->setPlainText("y\n");
  ASSERT_TRUE(editor.save());
  std::string seen;
  std::getline(held, seen);
  EXPECT_EQ(seen, "y");
}

TEST_F(EditorTest, ClosingWithUnsavedChangesAsks) {
  writeFile(file("a.dat"), "x\n");
  {
    TextEditorWindow editor(qfile("a.dat"), platform_);
    editor.show();
    QTest::mouseClick(editor.closeButton(), Qt::LeftButton);  // unchanged: no question
    EXPECT_EQ(platform_.saveQuestions, 0);
    EXPECT_FALSE(editor.isVisible());
  }
  TextEditorWindow editor(qfile("a.dat"), platform_);
  editor.show();
  editor.editor()->insertPlainText("changed\n");
  platform_.saveChoice = QtPlatform::SaveChoice::Cancel;
  QTest::keyClick(&editor, Qt::Key_Escape);
  EXPECT_EQ(platform_.saveQuestions, 1);
  EXPECT_TRUE(editor.isVisible());
  platform_.saveChoice = QtPlatform::SaveChoice::Discard;
  editor.close();  // the close box
  EXPECT_EQ(platform_.saveQuestions, 2);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(readFile(file("a.dat")), "x\n");

  TextEditorWindow third(qfile("a.dat"), platform_);
  third.show();
  third.editor()->selectAll();
  third.editor()->insertPlainText("saved\n");
  platform_.saveChoice = QtPlatform::SaveChoice::Save;
  QTest::mouseClick(third.closeButton(), Qt::LeftButton);
  EXPECT_FALSE(third.isVisible());
  EXPECT_EQ(readFile(file("a.dat")), "saved\n");
}

TEST_F(EditorTest, MissingFileAndNoFile) {
  TextEditorWindow created(qfile("nou.dat"), platform_);
  EXPECT_EQ(created.editor()->toPlainText(), "");
  created.editor()->setPlainText("3 1\n");
  ASSERT_TRUE(created.save());
  EXPECT_EQ(readFile(file("nou.dat")), "3 1\n");

  TextEditorWindow none(QString(), platform_);
  EXPECT_FALSE(none.saveButton()->isEnabled());

  // A file that cannot be written: an error box, the window stays.
  TextEditorWindow bad(QString::fromStdString((file("no-such-folder") / "x.dat").string()), platform_);
  bad.show();
  bad.editor()->insertPlainText("x");
  EXPECT_FALSE(bad.save());
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].caption, "Error");
  platform_.saveChoice = QtPlatform::SaveChoice::Save;
  bad.close();
  EXPECT_TRUE(bad.isVisible());
}

// Resident memory of the process, in bytes.
std::int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

// A data part and two reports; returns the 0-based line of the second
// report's "Problema:" line.
int reports(std::string& text, const std::string& eol, int padLines) {
  text = "Titlu  " + eol + "3 1" + eol + "4 1 0" + eol;
  text += eol + "Problema: Sistem liniar" + eol;
  for (int k = 0; k < padLines; ++k) text += "  1   " + std::to_string(k) + ".0000000E+00   " + eol;
  text += eol;
  int line = 0;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) ++line;
  text += "Problema: Inversare matrice" + eol + " Solutia:   " + eol + "   1.000000    " + eol;
  return line;
}

TEST_F(EditorTest, OpensAtTheNewestReport) {
  std::string text;
  const int newest = reports(text, "\n", 300);
  writeFile(file("a.dat"), text);
  TextEditorWindow editor(qfile("a.dat"), platform_);
  editor.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(editor.editor()->textCursor().blockNumber(), newest);
  // The newest report is in sight (at the top, unless the file ends first).
  EXPECT_LE(editor.firstVisibleLine(), newest);
  EXPECT_GT(editor.firstVisibleLine(), newest - 60);

  // Saved without a change: the same bytes, even line ends the text box
  // would not write back (a CR LF file with one LF line).
  writeFile(file("b.dat"), "T  \r\n3 1\n4 1 0\r\n");
  TextEditorWindow mixed(qfile("b.dat"), platform_);
  ASSERT_TRUE(mixed.save());
  EXPECT_EQ(readFile(file("b.dat")), "T  \r\n3 1\n4 1 0\r\n");
}

TEST_F(EditorTest, ALargeFileOpensAtOnceInAViewOfItsBytes) {
  std::string text;
  const int pad = 2720000;  // about 80 MB, the size of a large inverse's report
  const int newest = reports(text, "\r\n", pad);
  ASSERT_GT(static_cast<qint64>(text.size()), 80'000'000);
  writeFile(file("big.dat"), text);

  const std::int64_t before = residentBytes();
  QElapsedTimer clock;
  clock.start();
  TextEditorWindow editor(qfile("big.dat"), platform_);
  editor.show();
  QCoreApplication::processEvents();
  const qint64 ms = clock.elapsed();
  const std::int64_t grown = residentBytes() - before;
  EXPECT_LT(ms, 1500);
  EXPECT_LT(grown, 3 * static_cast<std::int64_t>(text.size()));
  std::cerr << text.size() / 1000000 << " MB: opened in " << ms << " ms, memory grown by " << grown / 1000000
            << " MB\n";

  ASSERT_NE(editor.largeView(), nullptr);
  EXPECT_FALSE(editor.saveButton()->isEnabled()) << "nothing to save in a view of the file";
  // The newest report is in sight (at the top, unless the file ends first).
  EXPECT_LE(editor.firstVisibleLine(), newest);
  EXPECT_GT(editor.firstVisibleLine(), newest - 60);
  EXPECT_EQ(editor.largeView()->lineText(newest), "Problema: Inversare matrice");
  EXPECT_EQ(editor.largeView()->lineText(newest + 1), " Solutia:   ");  // trailing blanks kept, no CR
  EXPECT_EQ(editor.pages().lineCount(), static_cast<std::size_t>(newest + 3));
  EXPECT_TRUE(QFontInfo(editor.largeView()->font()).fixedPitch());
  ASSERT_TRUE(editor.save());
  EXPECT_EQ(readFile(file("big.dat")), text);
}

}  // namespace
}  // namespace parvela::qt::test
