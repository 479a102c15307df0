// "Exercitii": the dialog writes the set the batch would write for the same
// choices, and asks before it replaces files.
#include <QPushButton>
#include <QSpinBox>

#include "analysis/exercises.h"
#include "qt_test_support.h"
#include "ui/qt/exercise_dialog.h"

namespace parvela::qt::test {
namespace {

class ExerciseDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { setPlatform(&platform_); }
  void TearDown() override { setPlatform(nullptr); }
  std::filesystem::path folder() const { return std::filesystem::path(dir_.path().toStdString()) / "set"; }
  TestPlatform platform_;
  QTemporaryDir dir_;
};

TEST_F(ExerciseDialogTest, WritesTheSetAndAsksBeforeReplacing) {
  const ExerciseRequest r{ExerciseKind::Ill, 3, 2, 11, 5};
  ExerciseDialog d;
  d.setRequest(r);
  d.setFolder(QString::fromStdString(folder().string()));
  EXPECT_TRUE(d.logCondBox()->isEnabled());
  const ExerciseRequest shown = d.request();
  EXPECT_EQ(std::tuple(shown.kind, shown.order, shown.count, shown.seed, shown.logCond),
            std::tuple(r.kind, r.order, r.count, r.seed, r.logCond));

  QTest::mouseClick(d.writeButton(), Qt::LeftButton);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].caption, "Info");
  EXPECT_EQ(readFile(folder() / "ex02.dat"), exerciseDataFile(r, makeExercise(r, 2)));
  EXPECT_EQ(d.written().back(), (folder() / "solutii.txt").string());

  // Files of those names: a question, and "No" leaves them.
  writeFile(folder() / "ex01.dat", "mine");
  platform_.answerYes = false;
  d.setResult(0);
  QTest::mouseClick(d.writeButton(), Qt::LeftButton);
  EXPECT_EQ(platform_.questions.size(), 1u);
  EXPECT_EQ(d.result(), 0);
  EXPECT_EQ(readFile(folder() / "ex01.dat"), "mine");
  platform_.answerYes = true;
  QTest::mouseClick(d.writeButton(), Qt::LeftButton);
  EXPECT_EQ(readFile(folder() / "ex01.dat"), exerciseDataFile(r, makeExercise(r, 1)));

  // The condition is asked for the ill-conditioned kind alone.
  d.setRequest({ExerciseKind::Spd, 3, 2, 11, 5});
  EXPECT_FALSE(d.logCondBox()->isEnabled());
}

}  // namespace
}  // namespace parvela::qt::test
