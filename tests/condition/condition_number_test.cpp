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

namespace parvela {
namespace {

constexpr std::int32_t kInf = 0, kOne = 1, kTwo = 2, kStar = -1;

// Column-major from rows.
std::vector<float> byRows(int n, std::initializer_list<float> rows) {
  std::vector<float> r(rows), a(rows.size());
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[j * n + i] = r[i * n + j];
  return a;
}

std::vector<float> hilbert(int n) {
  std::vector<float> a(static_cast<std::size_t>(n) * n);
  GEN_A(n, a.data(), 0, nullptr, "Hilbert");
  return a;
}

std::vector<float> identity(int n) {
  std::vector<float> v(static_cast<std::size_t>(n) * n, 0.0f);
  for (int i = 0; i < n; ++i) v[i * n + i] = 1.0f;
  return v;
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
// {g} stands for a 15-character 1pg15.7 field in fixed notation and {e} for
// a 1pe15.7 field; each is compared with the next of `values` within a
// relative tolerance.
struct Expected {
  double value;
  double relTol;
};

void expectReport(const std::string& actual, const std::string& pattern,
                  const std::vector<Expected>& values) {
  std::size_t a = 0, p = 0, v = 0;
  while (p < pattern.size()) {
    if (pattern.compare(p, 3, "{g}") == 0 || pattern.compare(p, 3, "{e}") == 0) {
      const bool fixed = pattern[p + 1] == 'g';
      ASSERT_LE(a + 15, actual.size()) << actual;
      const std::string field = actual.substr(a, 15);
      const std::string digits = field.substr(0, fixed ? 11 : 15);
      const std::size_t first = digits.find_first_not_of(' ');
      ASSERT_NE(first, std::string::npos) << field;
      const std::string number = digits.substr(first);
      // Fixed: seven significant digits and four blanks; exponent form
      // under 1p: one non-zero digit before the point, seven after.
      static const std::regex fixedShape(R"(-?(\d+\.\d*|\.\d+))");
      static const std::regex exponentShape(R"(-?[1-9]\.\d{7}E[+-]\d\d)");
      if (fixed) {
        EXPECT_EQ(field.substr(11), "    ") << field;
        EXPECT_TRUE(std::regex_match(number, fixedShape)) << field;
        std::string significant;
        for (char c : number)
          if (c >= '0' && c <= '9') significant += c;
        significant.erase(0, significant.find_first_not_of('0'));
        EXPECT_TRUE(significant.size() == 7 || number.find_first_not_of("0.") == std::string::npos)
            << field;
      } else {
        EXPECT_TRUE(std::regex_match(number, exponentShape)) << field;
      }
      ASSERT_LT(v, values.size());
      const double got = std::strtod(number.c_str(), nullptr);
      const Expected& e = values[v++];
      EXPECT_NEAR(got, e.value, std::fabs(e.value) * e.relTol) << "field " << v << ": " << field;
      a += 15;
      p += 3;
      continue;
    }
    ASSERT_LT(a, actual.size()) << "report ends early; expected\n" << pattern << "\ngot\n" << actual;
    ASSERT_EQ(actual[a], pattern[p]) << "at offset " << a << "; expected\n"
                                     << pattern << "\ngot\n"
                                     << actual;
    ++a;
    ++p;
  }
  EXPECT_EQ(a, actual.size()) << "extra text: " << actual.substr(a);
  EXPECT_EQ(v, values.size());
}

// Independent double-precision arithmetic.
using DMatrix = std::vector<double>;  // column-major

DMatrix toDouble(const std::vector<float>& a) { return DMatrix(a.begin(), a.end()); }

DMatrix inverse(int n, DMatrix a) {
  DMatrix x(static_cast<std::size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i) x[i * n + i] = 1.0;
  auto at = [n](DMatrix& m, int i, int j) -> double& { return m[j * n + i]; };
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(at(a, i, k)) > std::fabs(at(a, p, k))) p = i;
    for (int j = 0; j < n; ++j) {
      std::swap(at(a, k, j), at(a, p, j));
      std::swap(at(x, k, j), at(x, p, j));
    }
    const double d = at(a, k, k);
    for (int j = 0; j < n; ++j) {
      at(a, k, j) /= d;
      at(x, k, j) /= d;
    }
    for (int i = 0; i < n; ++i) {
      if (i == k) continue;
      const double f = at(a, i, k);
      for (int j = 0; j < n; ++j) {
        at(a, i, j) -= f * at(a, k, j);
        at(x, i, j) -= f * at(x, k, j);
      }
    }
  }
  return x;
}

double normInf(int n, const DMatrix& a) {
  double r = 0;
  for (int i = 0; i < n; ++i) {
    double s = 0;
    for (int j = 0; j < n; ++j) s += std::fabs(a[j * n + i]);
    r = std::max(r, s);
  }
  return r;
}

double norm1(int n, const DMatrix& a) {
  double r = 0;
  for (int j = 0; j < n; ++j) {
    double s = 0;
    for (int i = 0; i < n; ++i) s += std::fabs(a[j * n + i]);
    r = std::max(r, s);
  }
  return r;
}

DMatrix gram(int n, const DMatrix& a) {
  DMatrix w(static_cast<std::size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) w[j * n + i] += a[i * n + k] * a[j * n + k];
  return w;
}

// Eigenvalues of a symmetric matrix by cyclic Jacobi rotations.
std::vector<double> symmetricEigenvalues(int n, DMatrix a) {
  auto at = [n](DMatrix& m, int i, int j) -> double& { return m[j * n + i]; };
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0;
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) off += at(a, i, j) * at(a, i, j);
    if (off < 1e-300) break;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) {
        if (at(a, p, q) == 0.0) continue;
        const double theta = (at(a, q, q) - at(a, p, p)) / (2 * at(a, p, q));
        const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        const double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < n; ++k) {
          const double akp = at(a, k, p), akq = at(a, k, q);
          at(a, k, p) = c * akp - s * akq;
          at(a, k, q) = s * akp + c * akq;
        }
        for (int k = 0; k < n; ++k) {
          const double apk = at(a, p, k), aqk = at(a, q, k);
          at(a, p, k) = c * apk - s * aqk;
          at(a, q, k) = s * apk + c * aqk;
        }
      }
  }
  std::vector<double> ev(n);
  for (int i = 0; i < n; ++i) ev[i] = at(a, i, i);
  return ev;
}

double spectralRadius(int n, const DMatrix& symmetric) {
  double r = 0;
  for (double e : symmetricEigenvalues(n, symmetric)) r = std::max(r, std::fabs(e));
  return r;
}

double conditionOf(const std::string& stdoutLine) {
  const std::string key = " Numarul de conditie =";
  EXPECT_EQ(stdoutLine.compare(0, key.size(), key), 0) << stdoutLine;
  return std::strtod(stdoutLine.c_str() + key.size(), nullptr);
}

// Relative accuracy single precision allows for a quantity resting on an
// inverse of condition kappa.
double allowed(double kappa) { return kappa * std::ldexp(1.0, -24); }

// ---------------------------------------------------------------------------

TEST(ConditionNumber, ReferenceRunHilbertThreeInfinityNorm) {
  load(3, hilbert(3), kInf);
  const RunOutput r = run();
  EXPECT_EQ(r.report,
            "\n"
            "\n"
            " Norma-infinit (norma liniilor):\n"
            "\n"
            " Norm(A) =   1.833333    \n"
            " Norm(A-invers) =   407.9988    \n"
            "\n"
            " Numarul de conditie =   747.9979    \n");
  EXPECT_EQ(r.stdout_, " Numarul de conditie =   747.9979    \n");
}

TEST(ConditionNumber, ReferenceRunPowerMethodFailure) {
  // Eigenvalues 1 and -1; the shift by i leaves them of equal modulus.
  load(2, byRows(2, {1, 1, 0, -1}), kStar);
  const RunOutput r = run();
  EXPECT_EQ(r.report,
            "\n"
            " A: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de iteratii (metoda Puterii).\n"
            " Valoarea de test = 0.7500    \n"
            " Calculeaza valorile proprii ale lui A cu alta metoda !\n"
            "\n"
            "\n"
            " A-invers: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de iteratii (metoda "
            "Puterii).\n"
            " Valoarea de test = 0.7500    \n"
            " Calculeaza valorile proprii ale lui \"A-invers\" cu alta metoda !\n"
            "\n"
            " Cond(A)*:\n"
            "\n"
            " Raza_spectrala(A):   1.788854     (?)\n"
            " Raza_spectrala(A-invers):   1.788854     (?)\n"
            "\n"
            " Numarul de conditie = ?\n");
  // The standard output shows the number the report withholds.
  EXPECT_EQ(r.stdout_, " Numarul de conditie =   3.200000    \n");
}

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

// The Hilbert matrices in all four norms against double-precision values:
// order 3 stays in fixed notation, order 5 passes 1000 and takes the
// exponent layout.
TEST(ConditionNumber, HilbertMatricesAgreeWithDoublePrecision) {
  for (int n : {3, 5}) {
    const std::vector<float> h = hilbert(n);
    const DMatrix a = toDouble(h);
    const DMatrix inv = inverse(n, a);
    const double kappa = normInf(n, a) * normInf(n, inv);
    const double tol = allowed(kappa);
    // The condition number switches layout above 1000; the norms stay in
    // fixed notation below 1E7.
    const std::string c = n == 3 ? "{g}" : "{e}";
    SCOPED_TRACE(n);

    load(n, h, kInf);
    RunOutput r = run();
    expectReport(r.report,
                 "\n\n Norma-infinit (norma liniilor):\n\n Norm(A) ={g}\n Norm(A-invers) ={g}"
                 "\n\n Numarul de conditie =" + c + "\n",
                 {{normInf(n, a), 1e-6}, {normInf(n, inv), tol}, {kappa, tol}});
    EXPECT_NEAR(conditionOf(r.stdout_), kappa, kappa * tol);

    load(n, h, kOne);
    r = run();
    const double kappa1 = norm1(n, a) * norm1(n, inv);
    expectReport(r.report,
                 "\n\n Norma-1 (norma coloanelor):\n\n Norm(A) ={g}\n Norm(A-invers) ={g}"
                 "\n\n Numarul de conditie =" + c + "\n",
                 {{norm1(n, a), 1e-6}, {norm1(n, inv), tol}, {kappa1, tol}});

    // For a symmetric positive-definite matrix both estimates are the ratio
    // of the extreme eigenvalues.
    const std::vector<double> ev = symmetricEigenvalues(n, a);
    const double lmax = *std::max_element(ev.begin(), ev.end());
    const double lmin = *std::min_element(ev.begin(), ev.end());
    const std::string big = n == 3 ? "{g}" : "{e}";  // 1/lmin^2 for the 2-norm
    load(n, h, kTwo);
    r = run();
    expectReport(r.report,
                 "\n\n Norma-2 (norma euclidiana):\n\n Raza_spectrala(A_transpus*A) ={g}\n"
                 " Raza_spectrala(A-invers_transpus*A-invers) =" +
                     big + "\n\n Numarul de conditie =" + c + "\n",
                 {{spectralRadius(n, gram(n, a)), 1e-5},
                  {spectralRadius(n, gram(n, inv)), 2 * tol},
                  {lmax / lmin, tol}});

    load(n, h, kStar);
    r = run();
    expectReport(r.report,
                 "\n\n Cond(A)*:\n\n Raza_spectrala(A):{g}\n Raza_spectrala(A-invers):{g}"
                 "\n\n Numarul de conditie =" + c + "\n",
                 {{lmax, 1e-6}, {1 / lmin, tol}, {lmax / lmin, tol}});
  }
}

TEST(ConditionNumber, NonSymmetricMatrixAgreesWithDoublePrecision) {
  const int n = 4;
  const std::vector<float> m =
      byRows(n, {4, -1, 0.5f, 2, 1, 3, -2, 0, 0.25f, 1, 5, -1, 2, 0, 1, 6});
  const DMatrix a = toDouble(m);
  const DMatrix inv = inverse(n, a);
  const double kappa = normInf(n, a) * normInf(n, inv);
  for (std::int32_t code : {kInf, kOne, kTwo}) {
    load(n, m, code);
    const RunOutput r = run();
    double expected = 0;
    if (code == kInf) expected = kappa;
    if (code == kOne) expected = norm1(n, a) * norm1(n, inv);
    if (code == kTwo)
      expected = std::sqrt(spectralRadius(n, gram(n, a)) * spectralRadius(n, gram(n, inv)));
    EXPECT_NEAR(conditionOf(r.stdout_), expected, expected * allowed(kappa)) << code;
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
  const DMatrix ud = toDouble(u);
  DMatrix prod(4, 0.0);
  const DMatrix uinv = inverse(2, ud);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      for (int k = 0; k < 2; ++k) prod[j * 2 + i] += uinv[k * 2 + i] * b[j * 2 + k];
  expectReport(second.report,
               "\n\n Norma-infinit (norma liniilor):\n\n Norm(A) ={g}\n Norm(A-invers) ={g}\n\n"
               " Numarul de conditie ={g}\n",
               {{normInf(2, ud), 1e-7}, {normInf(2, prod), 1e-5}, {normInf(2, ud) * normInf(2, prod), 1e-5}});
}

TEST(ConditionNumber, EmptyProblemWritesZeros) {
  load(0, {}, kStar);
  const RunOutput r = run();
  EXPECT_EQ(r.stdout_, formatRecord("(a, :, 1p, g15.7)", {" Numarul de conditie =", 0.0f}) + "\n");
}

}  // namespace
}  // namespace parvela
