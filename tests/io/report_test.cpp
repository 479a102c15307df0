#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/problem_state.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {
namespace {

TEST(Width, DigitsThroughSinglePrecisionLogarithm) {
  EXPECT_EQ(WIDTH(0), 1);
  EXPECT_EQ(WIDTH(7), 1);
  EXPECT_EQ(WIDTH(10), 2);
  EXPECT_EQ(WIDTH(999), 3);
  EXPECT_EQ(WIDTH(1000), 4);
  EXPECT_EQ(WIDTH(-1), 2);
  EXPECT_EQ(WIDTH(-10), 3);
  EXPECT_EQ(WIDTH(999999), 6);
  EXPECT_EQ(WIDTH(-999999), 7);
  EXPECT_EQ(WIDTH(1000000), 7);
  // Large magnitudes round up to the next power of ten as single-precision
  // values and count one digit more.
  EXPECT_EQ(WIDTH(9999999), 8);
  EXPECT_EQ(WIDTH(99999999), 9);
  EXPECT_EQ(WIDTH(std::numeric_limits<std::int32_t>::max()), 10);
  EXPECT_EQ(WIDTH(std::numeric_limits<std::int32_t>::min()), 11);
}

class Header : public ::testing::Test {
 protected:
  void SetUp() override {
    problem() = ProblemState{};
    INITIALIZEDATA();
    ReportFile().clear();
  }
  void TearDown() override { ReportFile().clear(); }
  static std::string header() {
    PRINT_CODURI();
    return ReportFile().take();
  }
};

const std::string kPlainGauss =
    "\nProblema: Sistem liniar\nMatrice: generala\n- Citita din fisier\n"
    "Verificare: diferente maxime\n\nMetoda: Gauss" + std::string(28, ' ') + "\n";

TEST_F(Header, DirectMethods) {
  problem().methodIndex = 1;
  EXPECT_EQ(header(), kPlainGauss);

  // Every option on, inverse of a generated symmetric matrix, by LU.
  ProblemState& s = problem();
  s.problemKind = ProblemKind::Inverse;
  s.matrixKind = MatrixKind::Symmetric;
  s.inputSource = InputSource::Generated;
  s.generatorIndex = 1;
  s.invertElements = true;
  s.printMatrix = true;
  s.printDeterminant = true;
  s.verifyMode = VerifyMode::EachEquation;
  s.methodIndex = 2;
  EXPECT_EQ(header(),
            "\nProblema: Inversare matrice\nMatrice: simetrica\n- Generata (Hilbert)\n"
            "- Cu inversare elemente\n- Cu tiparire matrice\n- Cu calculare determinant\n"
            "Verificare: fiecare ecuatie\n\nMetoda: LU" + std::string(31, ' ') + "\n");
}

TEST_F(Header, IterativeMethods) {
  ProblemState& s = problem();
  s.methodIndex = 5;
  s.eps = 0.0001f;
  s.nlim = 100;
  s.omega = 1.2f;
  const std::string sorHead = "Verificare: diferente maxime\n\nMetoda: SOR" + std::string(30, ' ') + "\n";
  const std::string text = header();
  EXPECT_NE(text.find(sorHead +
                      "Toleranta: eps =  1.000E-04;  Numar limita de iteratii: nlim =100\n"
                      "Omega = 1.200E+00\n"),
            std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with("Omega = 1.200E+00\n"));

  // Gauss-Seidel: no Omega line; nlim's field follows its width.
  s.methodIndex = 4;
  s.nlim = 7;
  s.eps = 1.0e-5f;
  EXPECT_TRUE(header().ends_with("Toleranta: eps =  1.000E-05;  Numar limita de iteratii: nlim =7\n"));
  s.nlim = -12;
  EXPECT_TRUE(header().ends_with("nlim =-12\n"));
}

TEST_F(Header, ConditionNumber) {
  ProblemState& s = problem();
  s.problemKind = ProblemKind::ConditionNumber;
  s.printDeterminant = true;  // not shown for the condition number
  s.normSelection = 1;
  s.normIndex = 0;
  EXPECT_EQ(header(),
            "\nProblema: Numar de Conditie;  Norma-Infinit  (Norma liniilor).\n\n"
            "Matrice: generala\n- Citita din fisier\n");

  s.normSelection = 4;
  s.normIndex = -1;
  s.inputSource = InputSource::Generated;
  s.generatorIndex = 1;
  s.printMatrix = true;
  EXPECT_EQ(header(),
            "\nProblema: Numar de Conditie;  Cond(A)*.\n\nMatrice: generala\n"
            "- Generata (Hilbert)\n- Cu tiparire matrice\n");

  s.normSelection = 3;
  s.normIndex = 2;
  EXPECT_TRUE(header().starts_with("\nProblema: Numar de Conditie;  Norma-2  (Norma euclidiana).\n\n"));
}

TEST_F(Header, NothingSelected) {
  // A generated source switched on after the read, no generator and no
  // method chosen: blank names, never position 0 of the lists.
  problem().inputSource = InputSource::Generated;
  const std::string text = header();
  EXPECT_NE(text.find("\n- Generata ()\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\nMetoda: " + std::string(33, ' ') + "\n")) << text;
}

// Free-format fields of 1.0 and 2.0; a line starts with a blank.
const std::string kOne = "   1.000000    ";
const std::string kTwo = "   2.000000    ";

std::string repeat(const std::string& s, int k) {
  std::string out;
  for (int i = 0; i < k; ++i) out += s;
  return out;
}

TEST_F(Header, PrintaLineBreaks) {
  // n = 3: a line per row.
  const std::vector<float> a3{1, 1, 1, 2, 2, 2, 1, 1, 1};  // columns
  const std::vector<float> b3{2, 2, 2};
  PRINTA(3, 1, a3.data(), b3.data(), true);
  const std::string row3 = " " + kOne + kTwo + kOne + "\n";
  EXPECT_EQ(ReportFile().take(), "\nMatricea A\n" + repeat(row3, 3) + "\nTermenii liberi b\n" +
                                     repeat(" " + kTwo + "\n", 3));
  PRINTA(3, 1, a3.data(), b3.data(), false);
  EXPECT_EQ(ReportFile().take(), "\nMatricea A\n" + repeat(row3, 3));

  // n = 7: five values and two on each row, no empty lines.
  const std::vector<float> ones(100, 1.0f);
  PRINTA(7, 2, ones.data(), ones.data(), true);
  EXPECT_EQ(ReportFile().take(), "\nMatricea A\n" +
                                     repeat(" " + repeat(kOne, 5) + "\n " + repeat(kOne, 2) + "\n", 7) +
                                     "\nTermenii liberi b\n" + repeat(" " + repeat(kOne, 2) + "\n", 7));

  // n = 10: two full lines and an empty line per row, also under b.
  PRINTA(10, 1, ones.data(), ones.data(), true);
  const std::string text = ReportFile().take();
  const std::string full = " " + repeat(kOne, 5) + "\n";
  const std::string blank = text.substr(text.find(full + full) + 2 * full.size());
  const std::string empty = blank.substr(0, blank.find('\n') + 1);  // the engine's empty line
  ASSERT_TRUE(empty == "\n" || empty == " \n");
  EXPECT_EQ(text, "\nMatricea A\n" + repeat(full + full + empty, 10) + "\nTermenii liberi b\n" +
                      repeat(" " + kOne + "\n" + empty, 10));
}

}  // namespace
}  // namespace parvela
