// The Gauss-Seidel and SOR drivers as the report and the standard output
// show them: verdicts, result blocks, traces, scaling and reordering lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/problem_state.h"
#include "io/fortran_io.h"
#include "iterative/iteration.h"

namespace parvela {
namespace {

std::string joinLines(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) {
    s += l;
    s += '\n';
  }
  return s;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// The verification lines of one right-hand side of a system.
std::string probaTail(const char* residualLine) {
  return joinLines({"", "", " * Proba", "", " Diferenta (A*x_k -b_k), maxima in modul",
                    " (b_k = termenul liber nr. 'k')", "", " Solutia nr. 1:", residualLine});
}

class Drivers : public ::testing::Test {
 protected:
  void SetUp() override {
    problem() = ProblemState{};
    INITIALIZEDATA();
    problem().eps = 1.0e-5f;
    problem().nlim = 50;
    ReportFile().clear();
    StdOut().clear();
  }
  void TearDown() override {
    ReportFile().clear();
    StdOut().clear();
  }

  // A given row by row, the right-hand sides column by column.
  static void setSystem(std::int32_t n, std::initializer_list<float> rowsOfA,
                        std::initializer_list<float> columnsOfB) {
    ProblemState& s = problem();
    s.n = n;
    s.nb = static_cast<std::int32_t>(columnsOfB.size()) / n;
    s.A.assign(static_cast<std::size_t>(n) * n, 0.0f);
    std::size_t r = 0;
    for (float v : rowsOfA) {
      s.A[(r % n) * n + r / n] = v;
      ++r;
    }
    s.B.assign(columnsOfB);
  }
  static void setOmega(float omega) {
    problem().omega = omega;
    problem().oneMinusOmega = 1.0f - omega;
  }

  std::string report() { return ReportFile().text(); }
  std::string out() { return StdOut().text(); }
};

// The diagonally dominant system of the Gauss-Seidel reference run.
void dominant2x2() {
  problem().n = 2;
  problem().nb = 1;
  problem().A = {4, 1, 1, 3};
  problem().B = {5, 4};
}

TEST_F(Drivers, LimitReachedWhileStillDecreasing) {
  dominant2x2();
  problem().nlim = 3;
  GAUSS_SEIDEL();
  EXPECT_EQ(report(), joinLines({"", "Numar de schimbari de linii: 0", "", " Solutia:", "",
                                 " Numar de iteratii depasit. (1.909721E-02)", "",
                                 " Ultima aproximatie:", " x(1) =   1.001736    ",
                                 " x(2) =  0.9994213    "}) +
                          probaTail("  6.3657761E-03; ecuatia 1"));
  EXPECT_EQ(out(), joinLines({"", " Numar de iteratii depasit.", ""}));
}

TEST_F(Drivers, StationaryStep) {
  // x2 grows by the same amount each sweep: dif 1, 2, 2.
  setSystem(2, {1, 2, 0.5f, 1}, {0, 1});
  GAUSS_SEIDEL();
  const std::vector<std::string> lines = splitLines(report());
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(lines[2], " * Divergenta la iteratia           2");
  EXPECT_EQ(lines[3], " * Iteratie stationara           3");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], " Solutia:");
  EXPECT_EQ(lines[7], " Iteratie stationara ( 2.00000     =  2.00000    )");
  EXPECT_EQ(lines[9], " Ultima aproximatie:");
  EXPECT_EQ(lines[10], " x(1) =  -4.000000    ");
  EXPECT_EQ(lines[11], " x(2) =   3.000000    ");
  EXPECT_EQ(out(), joinLines({"", " Iteratie stationara", ""}));
}

// dif = 1.5, 1.75 (first growth), 0.75, 0.875 (second growth).
void divergent3x3(std::initializer_list<float> b) {
  problem().n = 3;
  problem().nb = static_cast<std::int32_t>(b.size()) / 3;
  problem().A = {2, 0, -2, 1, 2, -2, 2, -2, 2};
  problem().B.assign(b);
}

TEST_F(Drivers, DivergenceOnASecondGrowthNotConsecutive) {
  divergent3x3({1, 1, 1});
  GAUSS_SEIDEL();
  EXPECT_EQ(report(),
            joinLines({"", "Numar de schimbari de linii: 0", " * Divergenta la iteratia           2",
                       " * Divergenta la iteratia           4", "", " Solutia:", "",
                       " Divergenta (0.875000     > 0.750000    )", "", " Ultima aproximatie:",
                       " x(1) = -0.8750000    ", " x(2) =   1.000000    ",
                       " x(3) =  0.6250000    "}) +
                probaTail(" -0.5000000    ; ecuatia 1"));
  EXPECT_EQ(out(), joinLines({"", " Divergenta", ""}));
}

TEST_F(Drivers, DivergenceWhileTracing) {
  divergent3x3({1, 1, 1});
  problem().printIterations = true;
  GAUSS_SEIDEL();
  const std::vector<std::string> lines = splitLines(report());
  // Head (two lines), sweep 0, sweeps 1 and 2, the mark, sweeps 3 and 4, the mark.
  ASSERT_GE(lines.size(), 13u);
  EXPECT_EQ(lines[3], " Iter\tx" + std::string(51 - 8, ' ') + "max|x - x_ant|");
  EXPECT_EQ(lines[4], "  0     0.000000       0.000000       0.000000    ");
  EXPECT_EQ(lines[6].substr(0, 5), "  2  ");
  EXPECT_EQ(lines[7], " * Divergenta");
  EXPECT_EQ(lines[9].substr(0, 5), "  4  ");
  EXPECT_EQ(lines[9].substr(50), "  0.8750000    ");
  EXPECT_EQ(lines[10], " * Divergenta");
  EXPECT_EQ(lines[12], " Solutia:");
}

TEST_F(Drivers, NaNDifferencePassesNoTest) {
  // Second right-hand side: x1 is NaN from the first sweep on. The verdict
  // of the first one (tolerance) is not claimed for it.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  setSystem(2, {4, 1, 1, 3}, {5, 4, nan, 1});
  problem().nlim = 20;
  GAUSS_SEIDEL();
  const std::string r = report();
  EXPECT_EQ(r.find("Divergenta"), std::string::npos);
  EXPECT_EQ(r.find("stationara"), std::string::npos);
  const std::size_t second = r.find(" Solutia - Termenii liberi nr. 2");
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(r.find(" Toleranta atinsa. (8.344650E-07)"), std::string::npos);
  EXPECT_NE(r.find("\n Numar de iteratii depasit. (         NaN)\n\n Ultima aproximatie:\n",
                   second),
            std::string::npos);
  EXPECT_EQ(out(), joinLines({"", " Toleranta atinsa.", " Numar iteratii: 7", "", "",
                              " Numar de iteratii depasit.", ""}));
}

TEST_F(Drivers, VerdictCarriesOverToTheNextRightHandSide) {
  // The second right-hand side never sets a verdict of its own (every
  // difference is NaN), so the divergence of the first one stands.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  divergent3x3({1, 1, 1, nan, 1, 1});
  GAUSS_SEIDEL();
  const std::string r = report();
  const std::size_t second = r.find(" Solutia - Termenii liberi nr. 2");
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(r.find(" Solutia - Termenii liberi nr. 1\n\n Divergenta (0.875000     > 0.750000    )"),
            std::string::npos);
  EXPECT_NE(r.find("\n Divergenta (         NaN > 1.000000E+10)\n\n Ultima aproximatie:\n", second),
            std::string::npos);
}

TEST_F(Drivers, FirstDifferenceAboveReferenceWithOneSweep) {
  // nlim = 1: the first right-hand side meets the tolerance at once, the
  // second grows past 1.0e10 on its only sweep and gets the limit verdict.
  setSystem(2, {1, 0, 0, 1}, {0.5f, 0, 2.0e10f, 0});
  problem().eps = 1.0f;
  problem().nlim = 1;
  GAUSS_SEIDEL();
  const std::string r = report();
  EXPECT_NE(r.find(" Toleranta atinsa. (0.500000    )\n Numar iteratii: 1\n"), std::string::npos);
  EXPECT_NE(r.find(" * Divergenta la iteratia           1\n\n Solutia - Termenii liberi nr. 2\n\n"
                   " Numar de iteratii depasit. (2.000000E+10)\n"),
            std::string::npos);
  EXPECT_EQ(r.find("Toleranta atinsa. (2"), std::string::npos);
}

TEST_F(Drivers, SeveralRightHandSidesEachWithItsTrace) {
  setSystem(2, {4, 1, 1, 3}, {5, 4, 10, 8, 0, 0});
  problem().printIterations = true;
  GAUSS_SEIDEL();
  const std::string r = report();
  std::size_t heads = 0;
  for (std::size_t p = 0; (p = r.find(" Iter\tx", p)) != std::string::npos; ++p) ++heads;
  EXPECT_EQ(heads, 3u);
  for (const char* k : {"1", "2", "3"})
    EXPECT_NE(r.find(std::string("\n Solutia - Termenii liberi nr. ") + k + "\n"), std::string::npos);
  // The zero right-hand side stops on its first sweep.
  EXPECT_NE(r.find(" Toleranta atinsa. ( 0.00000    )\n Numar iteratii: 1\n"), std::string::npos);
  EXPECT_NE(r.find(" Solutia nr. 3:"), std::string::npos);
  EXPECT_EQ(r.find(" Solutia:"), std::string::npos);
}

TEST_F(Drivers, TraceOfTenUnknownsTakesTwoLinesASweep) {
  // Tridiagonal 4, 1 with b = A * ones.
  ProblemState& s = problem();
  s.n = 10;
  s.nb = 1;
  s.A.assign(100, 0.0f);
  s.B.assign(10, 6.0f);
  for (int i = 0; i < 10; ++i) {
    s.A[i * 10 + i] = 4;
    if (i > 0) s.A[(i - 1) * 10 + i] = 1;
    if (i < 9) s.A[(i + 1) * 10 + i] = 1;
  }
  s.B[0] = s.B[9] = 5;
  s.nlim = 2;
  s.printIterations = true;
  GAUSS_SEIDEL();
  const std::vector<std::string> lines = splitLines(report());
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[3], " Iter\tx" + std::string(125 - 7, ' ') + "max|x - x_ant|");
  std::string zeros = "  0  ";
  for (int i = 0; i < 8; ++i) zeros += "   0.000000    ";
  EXPECT_EQ(lines[4], zeros);
  EXPECT_EQ(lines[5], "   0.000000       0.000000    ");
  // Sweep 1: the number in four columns, nine values, then x10 and dif.
  EXPECT_EQ(lines[6].substr(0, 5), "   1 ");
  EXPECT_EQ(lines[6].size(), 5u + 9 * 15);
  EXPECT_EQ(lines[6].substr(5, 15), "   1.250000    ");
  EXPECT_EQ(lines[7].size(), 2u * 15);
  EXPECT_EQ(lines[7].substr(15), "   1.250000    ");  // dif = x1 - 0
  EXPECT_EQ(lines[8].substr(0, 5), "   2 ");
  EXPECT_EQ(lines[10], "");
  EXPECT_EQ(lines[11], " Solutia:");
}

TEST_F(Drivers, SweepNumbersTooWideForTheirFieldBecomeAsterisks) {
  // Gauss-Seidel with spectral radius 0.998: still decreasing at sweep 1000.
  setSystem(2, {1, 1, 0.998f, 1}, {1, 0});
  problem().eps = 1.0e-6f;
  problem().nlim = 1000;
  problem().printIterations = true;
  GAUSS_SEIDEL();
  const std::vector<std::string> lines = splitLines(report());
  ASSERT_GE(lines.size(), 1006u);
  EXPECT_EQ(lines[1003].substr(0, 5), "999  ");
  EXPECT_EQ(lines[1004].substr(0, 5), "***  ");
  EXPECT_EQ(lines[1005], "");
  EXPECT_EQ(lines[1006], " Solutia:");
  EXPECT_EQ(lines[1008].substr(0, 28), " Numar de iteratii depasit. ");
}

TEST_F(Drivers, WideSweepNumbersDoNotRunIntoTheValues) {
  // n = 999: the sweep number takes six columns and the values follow it.
  ProblemState& s = problem();
  s.n = 999;
  s.nb = 1;
  s.A.assign(999u * 999u, 0.0f);
  for (std::size_t i = 0; i < 999; ++i) s.A[i * 999 + i] = 1.0f;
  s.B.assign(999, 2.0f);
  s.nlim = 1;
  s.printIterations = true;
  GAUSS_SEIDEL();
  const std::vector<std::string> lines = splitLines(report());
  ASSERT_GE(lines.size(), 4u + 125 + 112);
  EXPECT_EQ(lines[4].substr(0, 21), "  0      0.000000    ");
  EXPECT_EQ(lines[4].size(), 6u + 8 * 15);
  const std::string& sweep1 = lines[4 + 125];  // sweep 0 takes 125 lines
  EXPECT_EQ(sweep1.substr(0, 21), "     1   2.000000    ");
  EXPECT_EQ(sweep1.size(), 6u + 9 * 15);
}

TEST_F(Drivers, OneUnknownSorSettlesOnTheSecondSweep) {
  setSystem(1, {4}, {2});
  setOmega(1.7f);
  SOR();
  EXPECT_EQ(report(), joinLines({"", "Numar de schimbari de linii: 0", "", " Solutia:", "",
                                 " Toleranta atinsa. ( 0.00000    )", " Numar iteratii: 2", "",
                                 " x(1) =  0.5000000    "}) +
                          probaTail("   0.000000    ; ecuatia 1"));
}

TEST_F(Drivers, ReorderedSystemIsIteratedAndKept) {
  setSystem(2, {0, 2, 3, 1}, {4, 5});
  GAUSS_SEIDEL();
  const std::string r = report();
  EXPECT_EQ(r.substr(0, 32), "\nNumar de schimbari de linii: 1\n");
  EXPECT_NE(r.find(" x(1) =   1.000000    \n x(2) =   2.000000    \n"), std::string::npos);
  EXPECT_EQ(problem().A, (std::vector<float>{3, 0, 1, 2}));
  EXPECT_EQ(problem().B, (std::vector<float>{5, 4}));
}

TEST_F(Drivers, ReorderingFailureEndsTheRun) {
  setSystem(2, {0, 1, 0, 1}, {1, 2});
  setOmega(1.5f);
  SOR();
  EXPECT_EQ(report(), joinLines({"", " Linia 1: Pivot =   0.000000    ",
                                 " Pivot < prag, linia:           1"}));
  EXPECT_EQ(out(), joinLines({" Pivot < prag, linia:           1"}));
  // Nothing was scaled.
  EXPECT_EQ(problem().B, (std::vector<float>{1, 2}));
}

TEST_F(Drivers, NoSweepAllowedMeansNoRun) {
  dominant2x2();
  for (std::int32_t nlim : {0, -5}) {
    problem().nlim = nlim;
    GAUSS_SEIDEL();
    setOmega(1.2f);
    SOR();
  }
  EXPECT_EQ(report(), "");
  EXPECT_EQ(out(), "");
  EXPECT_EQ(problem().B, (std::vector<float>{5, 4}));
}

}  // namespace
}  // namespace parvela
