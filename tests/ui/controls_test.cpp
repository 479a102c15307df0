#include "ui_test_support.h"

namespace parvela::test {
namespace {

using ControlsTest = MainWindowTest;

TEST_F(ControlsTest, StartUpState) {
  for (int id : {1006, 1009, 1012, 1017}) EXPECT_TRUE(d().state(id)) << id;
  for (int id : {1007, 1008, 1010, 1013, 1018, 1011, 1015, 1016, 1036}) EXPECT_FALSE(d().state(id)) << id;
  for (int id : {30002, 1021, 1024, 1026, 1031, 1032, 1033, 1034, 1036}) EXPECT_FALSE(d().isEnabled(id)) << id;
  for (int id : {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1015, 1016, 1017, 1018, 1019, 1020, 1022,
                 1023, 1029, 1030, 30001})
    EXPECT_TRUE(d().isEnabled(id)) << id;
  EXPECT_EQ(d().entries(1026), (std::vector<std::string>{"Hilbert", "Lotkin", "Companion", "Wilkinson 5",
                                                         "Wilkinson 20", "Cauchy", "Banda constanta"}));
  EXPECT_EQ(d().entries(1031),
            (std::vector<std::string>{"Infinit  (linii)", "1  (coloane)", "2  (euclidiana)", "Cond(A)*"}));
  EXPECT_EQ(d().entries(1019), (std::vector<std::string>{"Gauss", "LU", "Cholesky", "Gauss-Seidel", "SOR"}));
  for (int id : {1019, 1026, 1031}) EXPECT_EQ(d().selection(id), 0) << id;
  EXPECT_EQ(d().label(1015), "Matrice");
  EXPECT_EQ(d().label(1035), " ");
  for (int id : {1025, 1027, 1028, 1032, 1033, 1034}) EXPECT_EQ(d().text(id), "") << id;
  EXPECT_EQ(d().title(), "Parvela");
  // The parameter boxes stay empty while the texts keep their start values.
  EXPECT_EQ(s().epsText, "0.        ");
  EXPECT_EQ(s().nlimText, "0         ");
}

TEST_F(ControlsTest, StartUpFollowsTheProblemState) {
  s().problemKind = ProblemKind::Inverse;
  s().matrixKind = MatrixKind::Symmetric;
  s().inputSource = InputSource::Generated;
  s().verifyMode = VerifyMode::EachEquation;
  s().printDeterminant = true;
  auto w = ModelDialog::create(kMainDialog);
  INITIALIZECONTROLS(*w);
  for (int id : {1007, 1010, 1013, 1018, 1016}) EXPECT_TRUE(w->state(id)) << id;
  for (int id : {1006, 1009, 1012, 1017}) EXPECT_FALSE(w->state(id)) << id;
}

TEST_F(ControlsTest, ConditionNumberOnAndOff) {
  ASSERT_TRUE(d().select(1019, 5));  // SOR
  ASSERT_TRUE(d().click(1008));
  EXPECT_EQ(s().problemKind, ProblemKind::ConditionNumber);
  EXPECT_EQ(s().methodIndex, 0);
  EXPECT_TRUE(s().methodChosen) << "stays true once a method was chosen";
  EXPECT_TRUE(d().isEnabled(1031));
  EXPECT_EQ(d().selection(1019), 0);
  for (int id : {1019, 1017, 1018, 1016, 1032, 1033, 1034, 1036}) EXPECT_FALSE(d().isEnabled(id)) << id;
  EXPECT_EQ(d().label(1015), "Matrice inversa");
  EXPECT_EQ(d().label(1035), " ");

  ASSERT_TRUE(d().click(1006));
  EXPECT_EQ(s().problemKind, ProblemKind::System);
  for (int id : {1019, 1017, 1018, 1016}) EXPECT_TRUE(d().isEnabled(id)) << id;
  EXPECT_FALSE(d().isEnabled(1031));
  EXPECT_EQ(d().selection(1019), 0);
  EXPECT_EQ(d().label(1015), "Matrice");

  ASSERT_TRUE(d().click(1007));
  EXPECT_EQ(s().problemKind, ProblemKind::Inverse);
  EXPECT_FALSE(d().state(1006));
}

TEST_F(ControlsTest, CholeskyNeedsASymmetricMatrix) {
  ASSERT_TRUE(d().select(1019, 3));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Metoda Cholesky:\nTipul Matrice: trebuie sa fie 'Simetrica'");
  EXPECT_EQ(platform_.messages[0].caption, "Info");
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Information);
  EXPECT_TRUE(d().state(1010));
  EXPECT_FALSE(d().state(1009));
  EXPECT_EQ(s().matrixKind, MatrixKind::Symmetric);
  EXPECT_EQ(s().methodIndex, 3);

  // Already symmetric: no message.
  ASSERT_TRUE(d().select(1019, 1));
  ASSERT_TRUE(d().select(1019, 3));
  EXPECT_EQ(platform_.messages.size(), 1u);
}

TEST_F(ControlsTest, IterativeMethodControls) {
  ASSERT_TRUE(d().select(1019, 5));
  for (int id : {1032, 1033, 1034, 1036}) EXPECT_TRUE(d().isEnabled(id)) << id;
  EXPECT_FALSE(d().isEnabled(1016));
  EXPECT_EQ(d().label(1035), s().METODA[5]);
  EXPECT_EQ(d().label(1035).size(), kNameLength);
  EXPECT_EQ(trimRight(d().label(1035)), "SOR");

  ASSERT_TRUE(d().select(1019, 4));
  EXPECT_FALSE(d().isEnabled(1034)) << "omega is for SOR only";
  EXPECT_TRUE(d().isEnabled(1032));
  EXPECT_EQ(trimRight(d().label(1035)), "Gauss-Seidel");

  ASSERT_TRUE(d().select(1019, 5));
  ASSERT_TRUE(d().click(1006));  // the problem buttons re-enable Determinant only
  EXPECT_TRUE(d().isEnabled(1016));
  EXPECT_TRUE(d().isEnabled(1034));
  EXPECT_EQ(s().methodIndex, 5);

  ASSERT_TRUE(d().select(1019, 2));
  for (int id : {1032, 1033, 1034, 1036}) EXPECT_FALSE(d().isEnabled(id)) << id;
  EXPECT_TRUE(d().isEnabled(1016));
  EXPECT_EQ(d().label(1035), " ");
}

TEST_F(ControlsTest, ChoicesReachTheProblemState) {
  ASSERT_TRUE(d().click(1013));
  EXPECT_EQ(s().inputSource, InputSource::Generated);
  EXPECT_TRUE(d().isEnabled(1026));
  ASSERT_TRUE(d().select(1026, 6));
  EXPECT_EQ(s().generatorIndex, 6);
  ASSERT_TRUE(d().click(1012));
  EXPECT_EQ(s().inputSource, InputSource::DataFile);
  EXPECT_FALSE(d().isEnabled(1026));

  ASSERT_TRUE(d().click(1010));
  EXPECT_EQ(s().matrixKind, MatrixKind::Symmetric);
  ASSERT_TRUE(d().click(1009));
  EXPECT_EQ(s().matrixKind, MatrixKind::General);
  ASSERT_TRUE(d().click(1018));
  EXPECT_EQ(s().verifyMode, VerifyMode::EachEquation);
  ASSERT_TRUE(d().click(1017));
  EXPECT_EQ(s().verifyMode, VerifyMode::MaxDifferences);

  for (int id : {1011, 1015, 1016}) ASSERT_TRUE(d().click(id));
  EXPECT_TRUE(s().invertElements && s().printMatrix && s().printDeterminant);
  ASSERT_TRUE(d().click(1015));
  EXPECT_FALSE(s().printMatrix);
  ASSERT_TRUE(d().select(1019, 4));
  ASSERT_TRUE(d().click(1036));
  EXPECT_TRUE(s().printIterations);

  // Parameter texts keep their first ten characters, blank-padded.
  ASSERT_TRUE(d().typeText(1032, "12345678901"));
  EXPECT_EQ(s().epsText, "1234567890");
  ASSERT_TRUE(d().typeText(1033, "200"));
  EXPECT_EQ(s().nlimText, "200       ");
  ASSERT_TRUE(d().select(1019, 5));
  ASSERT_TRUE(d().typeText(1034, ""));
  EXPECT_EQ(s().omegaText, std::string(10, ' '));
}

TEST_F(ControlsTest, RezolvaNeedsDataAndAChoice) {
  // The method list alone does not enable it: nothing has been read.
  ASSERT_TRUE(d().select(1019, 1));
  EXPECT_FALSE(d().isEnabled(30002));
  s().dataRead = true;
  ASSERT_TRUE(d().select(1019, 2));
  EXPECT_TRUE(d().isEnabled(30002));

  // The condition number needs a norm instead of a method.
  ASSERT_TRUE(d().click(1008));
  EXPECT_TRUE(d().isEnabled(30002)) << "the problem buttons do not re-evaluate it";
  EXPECT_FALSE(ENABLE_REZOLVA());
  ASSERT_TRUE(d().select(1031, 4));
  EXPECT_EQ(s().normSelection, 4);
  EXPECT_EQ(s().normIndex, -1);
  EXPECT_TRUE(d().isEnabled(30002));
  ASSERT_TRUE(d().select(1031, 2));
  EXPECT_EQ(s().normIndex, 1);
  ASSERT_TRUE(d().select(1031, 0));
  EXPECT_EQ(s().normIndex, 0);
  EXPECT_FALSE(d().isEnabled(30002));

  s().dataRead = false;
  ASSERT_TRUE(d().select(1031, 1));
  EXPECT_EQ(s().normIndex, 0);
  EXPECT_FALSE(d().isEnabled(30002));
}

TEST_F(ControlsTest, CallbacksOfTheMainWindow) {
  for (int id : {30002, 1020, 1021, 1022, 1023, 1029, 1026, 1031, 1019, 1006, 1007, 1008, 1009, 1010, 1012,
                 1013, 1017, 1018, 1011, 1015, 1016, 1036, 1024, 1030, 1032, 1033, 1034})
    EXPECT_TRUE(d().hasCallback(id)) << id;
  for (int id : {30001, 2, 1025, 1027, 1028, 1035}) EXPECT_FALSE(d().hasCallback(id)) << id;
  // IESIRE closes the window.
  ASSERT_TRUE(d().click(30001));
  EXPECT_TRUE(d().closed());
}

TEST(CountText, ThreeCharactersOrInFull) {
  EXPECT_EQ(countText(12), "12 ");
  EXPECT_EQ(countText(1), "1  ");
  EXPECT_EQ(countText(0), "0  ");
  EXPECT_EQ(countText(100), "100");
  EXPECT_EQ(countText(1000), "1000");
  EXPECT_EQ(countText(123456), "123456");
}

}  // namespace
}  // namespace parvela::test
