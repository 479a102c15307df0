// The built-in text editor that shows the data file and the help file.
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>

#include "qt_test_support.h"

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

}  // namespace
}  // namespace parvela::qt::test
