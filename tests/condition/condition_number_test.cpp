#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "condition/condition_number.h"
#include "condition/norms.h"
#include "core/problem_state.h"
#include "io/fortran_io.h"
#include "io/generators.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using testing::byRows;
using testing::identity;

constexpr std::int32_t kInf = 0, kOne = 1, kTwo = 2, kStar = -1;

std::vector<float> hilbert(int n) {
  std::vector<float> a(static_cast<std::size_t>(n) * n);
  GEN_A(n, a.data(), 0, nullptr, "Hilbert");
  return a;
}

// The state a read leaves for the condition number: B the identity.
void load(int n, std::vector<float> a, std::int32_t code) {
  ProblemState& ps = problem();
  ps = ProblemState{};
  INITIALIZEDATA();
  ps.problemKind = ProblemKind::ConditionNumber;
  ps.n = n;
  ps.nb = n;
  ps.A = std::move(a);
  ps.B = identity(n);
  ps.normIndex = code;
  ps.normSelection = code < 0 ? 4 : code + 1;
  ps.dataRead = true;
  ReportFile().clear();
  StdOut().clear();
}

struct RunOutput {
  std::string report;
  std::string stdout_;
};

RunOutput run() {
  NUMAR_CONDITIE();
  return {ReportFile().take(), StdOut().take()};
}

// ---------------------------------------------------------------------------
// Reports with numbers checked against independent values: in `pattern`,
// {g} stands for a 1pg15.7 field in fixed notation and {e} for a 1pe15.7
// field; each is compared with the next of `values` within a relative
// tolerance.
struct Expected {
  double value;
  double relTol;
};

void expectReport(const std::string& actual, const std::string& pattern,
                  const std::vector<Expected>& values) {
  static const std::regex fixedShape(R"( *-?\d+\.\d+    )");
  static const std::regex exponentShape(R"( *-?[1-9]\.\d{7}E[+-]\d\d)");
  std::size_t a = 0, p = 0, v = 0;
  while (p < pattern.size()) {
    if (pattern.compare(p, 3, "{g}") == 0 || pattern.compare(p, 3, "{e}") == 0) {
      ASSERT_LE(a + 15, actual.size()) << actual;
      const std::string field = actual.substr(a, 15);
      EXPECT_TRUE(std::regex_match(field, pattern[p + 1] == 'g' ? fixedShape : exponentShape))
          << "'" << field << "' in\n" << actual;
      ASSERT_LT(v, values.size());
      const Expected& e = values[v++];
      EXPECT_NEAR(std::strtod(field.c_str(), nullptr), e.value, std::fabs(e.value) * e.relTol)
          << "field " << v << " in\n" << actual;
      a += 15;
      p += 3;
    } else {
      ASSERT_TRUE(a < actual.size() && actual[a] == pattern[p])
          << "at offset " << a << "; expected\n" << pattern << "\ngot\n" << actual;
      ++a;
      ++p;
    }
  }
  EXPECT_EQ(actual.substr(a), "");
  EXPECT_EQ(v, values.size());
}

double conditionOf(const std::string& stdoutLine) {
  const std::string key = " Numarul de conditie =";
  EXPECT_EQ(stdoutLine.compare(0, key.size(), key), 0) << stdoutLine;
  return std::strtod(stdoutLine.c_str() + key.size(), nullptr);
}

// Relative accuracy that single precision allows for a quantity resting on
// an inverse of condition kappa.
double allowed(double kappa) { return kappa * std::ldexp(1.0, -24); }

// The exact inverse of the Hilbert matrix (integers), in double precision.
std::vector<double> hilbertInverse(int n) {
  auto binom = [](int m, int k) {
    double r = 1;
    for (int t = 1; t <= k; ++t) r = r * (m - k + t) / t;
    return r;
  };
  std::vector<double> x(static_cast<std::size_t>(n) * n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      const double c = binom(i + j - 2, i - 1);
      x[(j - 1) * n + i - 1] = ((i + j) % 2 ? -1 : 1) * (i + j - 1) * binom(n + i - 1, n - j) *
                               binom(n + j - 1, n - i) * c * c;
    }
  return x;
}

double normInf(int n, const std::vector<double>& a) {
  double r = 0;
  for (int i = 0; i < n; ++i) {
    double s = 0;
    for (int j = 0; j < n; ++j) s += std::fabs(a[j * n + i]);
    r = std::max(r, s);
  }
  return r;
}

// ---------------------------------------------------------------------------

TEST(ConditionNumber, IdentityInEveryNorm) {
  const std::string one = "   1.000000    ";
  load(3, identity(3), kInf);
  RunOutput r = run();
  EXPECT_EQ(r.report, "\n\n Norma-infinit (norma liniilor):\n\n Norm(A) =" + one +
                          "\n Norm(A-invers) =" + one + "\n\n Numarul de conditie =" + one + "\n");
  EXPECT_EQ(r.stdout_, " Numarul de conditie =" + one + "\n");

  load(3, identity(3), kOne);
  r = run();
  EXPECT_EQ(r.report, "\n\n Norma-1 (norma coloanelor):\n\n Norm(A) =" + one +
                          "\n Norm(A-invers) =" + one + "\n\n Numarul de conditie =" + one + "\n");

  load(3, identity(3), kTwo);
  r = run();
  EXPECT_EQ(r.report, "\n\n Norma-2 (norma euclidiana):\n\n Raza_spectrala(A_transpus*A) =" + one +
                          "\n Raza_spectrala(A-invers_transpus*A-invers) =" + one +
                          "\n\n Numarul de conditie =" + one + "\n");

  load(3, identity(3), kStar);
  r = run();
  EXPECT_EQ(r.report, "\n\n Cond(A)*:\n\n Raza_spectrala(A):" + one + "\n Raza_spectrala(A-invers):" +
                          one + "\n\n Numarul de conditie =" + one + "\n");
  EXPECT_EQ(r.stdout_, " Numarul de conditie =" + one + "\n");
}

TEST(ConditionNumber, RotationNeedsTheShiftedPassTwice) {
  load(2, byRows(2, {0, -1, 1, 0}), kStar);
  const RunOutput r = run();
  const std::string one = "   1.000000    ";
  EXPECT_EQ(r.report, "\n\n Cond(A)*:\n\n Raza_spectrala(A):" + one + "\n Raza_spectrala(A-invers):" +
                          one + "\n\n Numarul de conditie =" + one + "\n");
}

// The Hilbert matrices in all four norms against double-precision values
// (the exact inverse, and the extreme eigenvalues of H3 and H5): order 3
// stays in fixed notation, order 5 passes 1000 and takes the exponent
// layout for its condition number.
TEST(ConditionNumber, HilbertMatricesAgreeWithDoublePrecision) {
  struct Case {
    int n;
    double lmax, lmin;
  };
  for (const Case& k : {Case{3, 1.408318927123654, 2.687340355773529e-3},
                        Case{5, 1.567050691098231, 3.287928772171863e-6}}) {
    const int n = k.n;
    SCOPED_TRACE(n);
    double normA = 0;
    for (int j = 1; j <= n; ++j) normA += 1.0 / j;  // first row
    const double normInv = normInf(n, hilbertInverse(n));  // = 1-norm: symmetric
    const double kappa = normA * normInv;
    const double tol = allowed(kappa);
    const std::string c = n == 3 ? "{g}" : "{e}";

    for (std::int32_t code : {kInf, kOne}) {
      load(n, hilbert(n), code);
      const RunOutput r = run();
      expectReport(r.report,
                   std::string(code == kInf ? "\n\n Norma-infinit (norma liniilor):"
                                            : "\n\n Norma-1 (norma coloanelor):") +
                       "\n\n Norm(A) ={g}\n Norm(A-invers) ={g}\n\n Numarul de conditie =" + c + "\n",
                   {{normA, 1e-6}, {normInv, tol}, {kappa, tol}});
      EXPECT_NEAR(conditionOf(r.stdout_), kappa, kappa * tol);
    }

    // Symmetric positive definite: both estimates are lmax / lmin; the
    // radius of (A^-1)^T A^-1 passes 1E7 for H5 and leaves fixed notation.
    load(n, hilbert(n), kTwo);
    expectReport(run().report,
                 "\n\n Norma-2 (norma euclidiana):\n\n Raza_spectrala(A_transpus*A) ={g}\n"
                 " Raza_spectrala(A-invers_transpus*A-invers) =" +
                     c + "\n\n Numarul de conditie =" + c + "\n",
                 {{k.lmax * k.lmax, 1e-5}, {1 / (k.lmin * k.lmin), 2 * tol}, {k.lmax / k.lmin, tol}});

    load(n, hilbert(n), kStar);
    expectReport(run().report,
                 "\n\n Cond(A)*:\n\n Raza_spectrala(A):{g}\n Raza_spectrala(A-invers):{g}"
                 "\n\n Numarul de conditie =" + c + "\n",
                 {{k.lmax, 1e-6}, {1 / k.lmin, tol}, {k.lmax / k.lmin, tol}});
  }
}

// A non-symmetric matrix tells A^T A from A A^T and rows from columns.
TEST(ConditionNumber, NonSymmetricMatrixAgreesWithDoublePrecision) {
  const double a = 4, b = -1, c = 3, d = 2;  // [[a, b], [c, d]]
  const double det = a * d - b * c;
  const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
  const double frob = a * a + b * b + c * c + d * d;
  const double root = std::sqrt(frob * frob - 4 * det * det);
  const double expected[] = {
      std::max(std::fabs(a) + std::fabs(b), std::fabs(c) + std::fabs(d)) *
          std::max(std::fabs(ia) + std::fabs(ib), std::fabs(ic) + std::fabs(id)),
      std::max(std::fabs(a) + std::fabs(c), std::fabs(b) + std::fabs(d)) *
          std::max(std::fabs(ia) + std::fabs(ic), std::fabs(ib) + std::fabs(id)),
      std::sqrt((frob + root) / (frob - root))};  // largest / smallest singular value
  for (std::int32_t code : {kInf, kOne, kTwo}) {
    load(2, byRows(2, {4, -1, 3, 2}), code);
    const RunOutput r = run();
    EXPECT_NEAR(conditionOf(r.stdout_), expected[code], expected[code] * 1e-6) << code;
    EXPECT_EQ(r.report.find("(?)"), std::string::npos);
  }
}

TEST(ConditionNumber, SingularMatrix) {
  load(2, byRows(2, {1, 2, 2, 4}), kInf);
  RunOutput r = run();
  EXPECT_EQ(r.report, "\n Linia 2: Pivot =   0.000000     <  1.000E-08\n\n* Matrice aproape singulara.\n");
  EXPECT_EQ(r.stdout_, "");

  // Two equal rows; the 2-norm has its spectral radius of A^T A first,
  // which settles, and nothing of the inverse follows the failure.
  load(3, byRows(3, {1, 2, 3, 1, 2, 3, 4, 5, 7}), kTwo);
  r = run();
  EXPECT_EQ(r.report.rfind("\n* Matrice aproape singulara.\n"),
            r.report.size() - std::string("\n* Matrice aproape singulara.\n").size());
  EXPECT_NE(r.report.find(" Linia "), std::string::npos);
  EXPECT_EQ(r.report.find("Norma-2"), std::string::npos);
  EXPECT_EQ(r.report.find("Toleranta"), std::string::npos);
  EXPECT_EQ(r.stdout_, "");
}

TEST(ConditionNumber, ZeroMatrixEndsWithoutTrapping) {
  // The power method on A fails with NaN values, then the inverse fails.
  load(3, std::vector<float>(9, 0.0f), kStar);
  const RunOutput r = run();
  const std::string head =
      "\n A: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de iteratii (metoda Puterii).\n"
      " Valoarea de test =";
  ASSERT_EQ(r.report.compare(0, head.size(), head), 0) << r.report;
  const std::string nanField = formatRecord("(1pg11.4)", {std::nanf("")});
  EXPECT_EQ(r.report.substr(head.size(), 11), nanField);
  EXPECT_NE(r.report.find("\n Linia 1: Pivot =   0.000000     <  1.000E-08\n\n* Matrice aproape singulara.\n"),
            std::string::npos);
  EXPECT_EQ(r.stdout_, "");
}

TEST(ConditionNumber, NaNConditionTakesTheExponentLayout) {
  // An infinite element: ||A|| is infinite, the inverse is zero.
  load(1, {std::numeric_limits<float>::infinity()}, kInf);
  const RunOutput r = run();
  const std::string expected =
      formatRecord("(a, :, 1p, e15.7)", {" Numarul de conditie =", std::nanf("")}) + "\n";
  EXPECT_EQ(r.stdout_, expected);
  EXPECT_EQ(r.report.substr(r.report.size() - expected.size()), expected);
}

TEST(ConditionNumber, InversePrinted) {
  // A general matrix from the data file: the inverse is printed, A is not.
  load(2, byRows(2, {2, 1, 0, 40}), kInf);
  problem().printMatrix = true;
  const RunOutput r = run();
  EXPECT_EQ(r.report,
            "\n Matricea inversa A^(-1):\n"
            "  0.5000000     -0.1250000E-01\n"
            "   0.000000      0.2500000E-01\n"
            "\n"
            "\n Norma-infinit (norma liniilor):\n"
            "\n Norm(A) =   40.00000    \n"
            " Norm(A-invers) =  0.5125000    \n"
            "\n Numarul de conditie =   20.50000    \n");
}

TEST(ConditionNumber, MatrixPrintedWhenSymmetricGeneratedOrInverted) {
  for (int variant = 0; variant < 3; ++variant) {
    load(2, byRows(2, {2, 1, 1, 2}), kOne);
    ProblemState& ps = problem();
    ps.printMatrix = true;
    if (variant == 0) ps.matrixKind = MatrixKind::Symmetric;
    if (variant == 1) ps.inputSource = InputSource::Generated;
    if (variant == 2) ps.invertElements = true;
    const RunOutput r = run();
    EXPECT_EQ(r.report.rfind("\nMatricea A\n", 0), 0u) << r.report;
    EXPECT_EQ(r.report.find("Termenii liberi"), std::string::npos);
    EXPECT_LT(r.report.find("Matricea A\n"), r.report.find(" Matricea inversa A^(-1):"));
  }
  // Without the print flag neither matrix appears.
  load(2, byRows(2, {2, 1, 1, 2}), kOne);
  problem().matrixKind = MatrixKind::Symmetric;
  EXPECT_EQ(run().report.find("Matricea"), std::string::npos);
}

TEST(ConditionNumber, SecondRunWithoutANewRead) {
  // The first run leaves the eliminated matrix (with the stale entries
  // below its diagonal) in A and the inverse in B; the second works on
  // those: ||A1|| ||A1^-1 B1||.
  const std::vector<float> m = byRows(2, {1, 2, 3, 4});
  load(2, m, kInf);
  const RunOutput first = run();
  const std::vector<float> u = problem().A;
  const std::vector<float> b = problem().B;
  EXPECT_EQ(u, byRows(2, {3, 4, 1, 2.0f - (1.0f / 3.0f) * 4.0f}));

  const RunOutput second = run();
  EXPECT_NE(first.report, second.report);
  // A1^-1 B1 in double precision.
  const double det = double(u[0]) * u[3] - double(u[2]) * u[1];
  const std::vector<double> x = {(u[3] * double(b[0]) - u[2] * double(b[1])) / det,
                                 (u[0] * double(b[1]) - u[1] * double(b[0])) / det,
                                 (u[3] * double(b[2]) - u[2] * double(b[3])) / det,
                                 (u[0] * double(b[3]) - u[1] * double(b[2])) / det};
  const double normU = normInf(2, std::vector<double>(u.begin(), u.end()));
  expectReport(second.report,
               "\n\n Norma-infinit (norma liniilor):\n\n Norm(A) ={g}\n Norm(A-invers) ={g}\n\n"
               " Numarul de conditie ={g}\n",
               {{normU, 1e-7}, {normInf(2, x), 1e-5}, {normU * normInf(2, x), 1e-5}});
}

TEST(ConditionNumber, EmptyProblemWritesZeros) {
  load(0, {}, kStar);
  const RunOutput r = run();
  EXPECT_EQ(r.stdout_, formatRecord("(a, :, 1p, g15.7)", {" Numarul de conditie =", 0.0f}) + "\n");
}

}  // namespace
}  // namespace parvela
