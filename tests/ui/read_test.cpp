// "Citeste" with the real reader on files of the scratch directory.
#include <sstream>

#include "ui_test_support.h"

namespace parvela::test {
namespace {

class ReadTest : public MainWindowTest {
 protected:
  void selectFile(const std::string& name, const std::string& bytes) {
    writeBytes(dir_ / name, bytes);
    platform_.answers.push_back((dir_ / name).string());
    ASSERT_TRUE(d().click(kIdSelect));
    ASSERT_TRUE(InputDataFile().selected());
  }
  static std::string system12() {
    std::ostringstream f;
    f << "Sistem de ordin 12\r\n12 1\r\n";
    for (int i = 1; i <= 12; ++i) {
      for (int j = 1; j <= 12; ++j) f << (i == j ? 4 : 0) << ' ';
      f << "\r\n";
    }
    for (int i = 1; i <= 12; ++i) f << "4 ";
    f << "\r\n";
    return f.str();
  }
};

TEST_F(ReadTest, ShowsNAndNbAndEnablesRezolvaOnceAMethodIsChosen) {
  selectFile("p12.dat", system12());
  ASSERT_TRUE(d().click(kIdRead));
  EXPECT_TRUE(platform_.messages.empty());
  EXPECT_TRUE(s().dataRead);
  EXPECT_EQ(d().text(kIdOrder), "12 ");
  EXPECT_EQ(d().text(kIdRhsCount), "1  ");
  EXPECT_FALSE(d().isEnabled(kIdSolve)) << "no method chosen yet";
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  EXPECT_TRUE(d().isEnabled(kIdSolve));

  // Read again with the method chosen: still enabled.
  ASSERT_TRUE(d().click(kIdRead));
  EXPECT_TRUE(d().isEnabled(kIdSolve));
}

TEST_F(ReadTest, ConditionNumberNeedsANorm) {
  selectFile("inv.dat", "Inversa\n2 7\n4 1\n1 3\n");
  ASSERT_TRUE(d().click(kIdConditionNumber));
  ASSERT_TRUE(d().click(kIdRead));
  EXPECT_EQ(d().text(kIdOrder), "2  ");
  EXPECT_EQ(d().text(kIdRhsCount), "2  ") << "nb = n for the condition number";
  EXPECT_FALSE(d().isEnabled(kIdSolve));
  ASSERT_TRUE(d().select(kIdNormList, 3));
  EXPECT_TRUE(d().isEnabled(kIdSolve));
}

TEST_F(ReadTest, FailedReadDisablesRezolva) {
  selectFile("good.dat", "T\n2 1\n4 1\n1 3\n1 2\n");
  ASSERT_TRUE(d().select(kIdMethodList, 2));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().isEnabled(kIdSolve));

  selectFile("bad.dat", "T\n3 1\n4 1 x\n");
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Eroare de citire in fisierul de date");
  EXPECT_FALSE(s().dataRead);
  EXPECT_FALSE(d().isEnabled(kIdSolve));
  EXPECT_EQ(d().text(kIdOrder), "3  ") << "n and nb are shown whatever the outcome";
}

TEST_F(ReadTest, DeschideAfterAFailedReadOpensWhereItStopped) {
  selectFile("bad.dat", "T\n3 1\n4 1 x\n");
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().click(kIdOpen));
  const std::string bad = (dir_ / "bad.dat").string();
  EXPECT_EQ(platform_.viewedAt, (std::vector<RecordingPlatform::Place>{{bad, 3, 5}}));
  EXPECT_TRUE(platform_.viewed.empty());

  // Read well, or another file selected: the file opens as usual.
  writeBytes(dir_ / "bad.dat", "T\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n");
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().click(kIdOpen));
  selectFile("other.dat", "");
  ASSERT_TRUE(d().click(kIdOpen));
  EXPECT_EQ(platform_.viewed, (std::vector<std::string>{bad, (dir_ / "other.dat").string()}));
  EXPECT_EQ(platform_.viewedAt.size(), 1u);
}

TEST_F(ReadTest, ReadAfterACancelledSelection) {
  selectFile("good.dat", "T\n2 1\n4 1\n1 3\n1 2\n");
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().click(kIdSelect));  // cancelled
  ASSERT_TRUE(d().isEnabled(kIdRead));
  const std::size_t before = platform_.messages.size();
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_EQ(platform_.messages.size(), before + 1) << "the reader reports that no file is selected";
  EXPECT_EQ(platform_.messages.back().caption, "Error");
  EXPECT_FALSE(s().dataRead);
  EXPECT_FALSE(d().isEnabled(kIdSolve));
}

TEST_F(ReadTest, LargeOrderShownInFull) {
  selectFile("hilbert.dat", "Hilbert mare\n1000 1\n0\n");
  ASSERT_TRUE(d().click(kIdInverse));
  ASSERT_TRUE(d().click(kIdGenerated));
  ASSERT_TRUE(d().select(kIdGeneratorList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(platform_.messages.empty()) << platform_.messages[0].text;
  EXPECT_EQ(d().text(kIdOrder), "1000");
  EXPECT_EQ(d().text(kIdRhsCount), "1000");
}

}  // namespace
}  // namespace parvela::test
