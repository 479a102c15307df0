// The steps of a run, kept and redone exactly. On random small systems
// (zero entries for the skip rule, an interchange at every step, a
// breakdown at every step) the last step's arrays are, to the bit, what the
// run leaves and what its report prints; on integer data the exact replay
// is exact (its solutions satisfy the system, its determinant is the
// integer one).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "analysis/exact_input.h"
#include "analysis/exact_replay.h"
#include "analysis/step_record.h"
#include "direct/cholesky.h"
#include "direct/solutions.h"
#include "io/fortran_io.h"
#include "run/dispatcher.h"
#include "support/recorded_run.h"

namespace parvela {
namespace {

enum class Shape { Random, Sparse, Interchanges, Breakdown };
const char* shapeName(Shape s) {
  switch (s) {
    case Shape::Random: return "random";
    case Shape::Sparse: return "sparse";
    case Shape::Interchanges: return "interchanges";
    case Shape::Breakdown: return "breakdown";
  }
  return "";
}

struct Case {
  std::int32_t method;  // 1 Gauss, 2 LU, 3 Cholesky
  Shape shape;
  std::int32_t n, nb;
  std::int32_t breakAt = 0;  // Breakdown: the step
  std::vector<float> A;  // column-major; Cholesky: symmetric
  std::vector<float> B;
};

float& at(std::vector<float>& m, std::int32_t n, std::int32_t i, std::int32_t j) {
  return m[static_cast<std::size_t>(j - 1) * n + (i - 1)];
}

// A = L U with |l| <= 1 (halves, so that every operation is exact and
// partial pivoting keeps the rows in place) and u(k,k) = 0: every pivot
// candidate of step k is exactly zero.
std::vector<float> singularAt(std::int32_t n, std::int32_t k, std::mt19937& rng) {
  std::uniform_int_distribution<int> half(-2, 2), small(-4, 4);
  std::vector<float> L(n * n, 0.0f), U(n * n, 0.0f), A(n * n, 0.0f);
  for (std::int32_t i = 1; i <= n; ++i) {
    at(L, n, i, i) = 1.0f;
    for (std::int32_t j = 1; j < i; ++j) at(L, n, i, j) = half(rng) * 0.5f;
    for (std::int32_t j = i; j <= n; ++j) at(U, n, i, j) = static_cast<float>(small(rng));
    at(U, n, i, i) = i == k ? 0.0f : static_cast<float>(2 + (i % 3));
  }
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = 1; j <= n; ++j)
      for (std::int32_t m = 1; m <= n; ++m) at(A, n, i, j) += at(L, n, i, m) * at(U, n, m, j);
  return A;
}

// S^T S for an upper-triangular integer S with unit diagonal but s(j,j) = 0
// at `zeroAt` (0: none) or a larger `diag`; `extra` is added to the
// diagonal of the product (square roots then are irrational).
std::vector<float> gramOfUpper(std::int32_t n, std::int32_t zeroAt, float diag, float extra, bool sparse,
                               std::mt19937& rng) {
  std::uniform_int_distribution<int> small(-3, 3), coin(0, 2);
  std::vector<float> S(n * n, 0.0f), A(n * n, 0.0f);
  for (std::int32_t i = 1; i <= n; ++i) {
    at(S, n, i, i) = i == zeroAt ? 0.0f : diag;
    for (std::int32_t j = i + 1; j <= n; ++j) at(S, n, i, j) = sparse && coin(rng) ? 0.0f : static_cast<float>(small(rng));
  }
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = 1; j <= n; ++j) {
      for (std::int32_t m = 1; m <= n; ++m) at(A, n, i, j) += at(S, n, m, i) * at(S, n, m, j);
      if (i == j) at(A, n, i, j) += extra;
    }
  return A;
}

std::vector<Case> cases() {
  std::vector<Case> out;
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> digit(-9, 9), coin(0, 9), order(2, 7), rhs(1, 2);
  for (std::int32_t method = 1; method <= 3; ++method) {
    for (int c = 0; c < 32; ++c) {
      Case k;
      k.method = method;
      k.shape = static_cast<Shape>(c % 4);
      k.n = order(rng);
      k.nb = rhs(rng);
      const std::int32_t n = k.n;
      k.A.assign(n * n, 0.0f);
      if (method == 3) {
        switch (k.shape) {
          case Shape::Random: k.A = gramOfUpper(n, 0, 1.0f, static_cast<float>(1 + c % 5), false, rng); break;
          case Shape::Sparse: k.A = gramOfUpper(n, 0, 2.0f, 0.0f, true, rng); break;
          case Shape::Interchanges: k.A = gramOfUpper(n, 0, 1.0f, 0.0f, false, rng); break;
          case Shape::Breakdown:
            k.breakAt = 1 + (c / 4) % n;
            k.A = gramOfUpper(n, k.breakAt, 1.0f, 0.0f, false, rng);
            break;
        }
      } else {
        switch (k.shape) {
          case Shape::Random:
            for (float& v : k.A) v = static_cast<float>(digit(rng));
            break;
          case Shape::Sparse:
            for (float& v : k.A) v = coin(rng) < 6 ? 0.0f : static_cast<float>(digit(rng));
            for (std::int32_t i = 1; i <= n; ++i) at(k.A, n, i, i) = static_cast<float>(10 + i);
            break;
          case Shape::Interchanges:
            // Row k + 1 holds column k's largest entry (row 1 column n's):
            // every step brings up the next row.
            for (float& v : k.A) v = static_cast<float>(digit(rng) % 3);
            for (std::int32_t j = 1; j < n; ++j) at(k.A, n, j + 1, j) = 40.0f + static_cast<float>(j);
            at(k.A, n, 1, n) = 40.0f;
            break;
          case Shape::Breakdown:
            k.breakAt = 1 + (c / 4) % n;
            k.A = singularAt(n, k.breakAt, rng);
            break;
        }
      }
      k.B.resize(static_cast<std::size_t>(n * k.nb));
      for (float& v : k.B) v = static_cast<float>(digit(rng));
      out.push_back(std::move(k));
    }
  }
  return out;
}

ProblemState stateOf(const Case& c) {
  ProblemState s = testing::readState(c.n, c.nb);
  s.A = c.A;
  s.B = c.B;
  s.methodIndex = c.method;
  s.printDeterminant = true;
  if (c.method == 3) {
    s.matrixKind = MatrixKind::Symmetric;
    s.AV.resize(static_cast<std::size_t>(c.n * (c.n + 1) / 2));
    for (std::int32_t j = 1; j <= c.n; ++j)
      for (std::int32_t i = 1; i <= j; ++i) s.AV[packedOffset(i, j)] = c.A[(j - 1) * c.n + i - 1];
    s.avAllocated = true;
    s.avFromRead = true;
  }
  return s;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

const RecordedStep* last(const StepRun& run, StepKind kind, std::int32_t rhs = -1) {
  const RecordedStep* found = nullptr;
  for (const RecordedStep& s : run.steps)
    if (s.kind == kind && (rhs < 0 || s.rhs == rhs)) found = &s;
  return found;
}

// The solutions as the report writes them.
std::string printedSolutions(std::int32_t n, std::int32_t nb, const std::vector<float>& X) {
  TextUnit report, out;
  OutputScope scope(report, out);
  writeSolutions(n, nb, X.data(), true);
  return report.take();
}

mpq_class q(float v) { return ExactNumber::of(v).rational(); }

// The determinant by elimination in rationals (any non-zero pivot).
mpq_class determinantOf(std::int32_t n, const std::vector<float>& A) {
  std::vector<mpq_class> M(A.size());
  for (std::size_t k = 0; k < A.size(); ++k) M[k] = q(A[k]);
  auto m = [&](std::int32_t i, std::int32_t j) -> mpq_class& { return M[(j - 1) * n + (i - 1)]; };
  mpq_class det = 1;
  for (std::int32_t k = 1; k <= n; ++k) {
    std::int32_t r = k;
    while (r <= n && m(r, k) == 0) ++r;
    if (r > n) return 0;
    if (r != k) {
      for (std::int32_t j = 1; j <= n; ++j) std::swap(m(k, j), m(r, j));
      det = -det;
    }
    det *= m(k, k);
    for (std::int32_t i = k + 1; i <= n; ++i) {
      const mpq_class f = m(i, k) / m(k, k);
      for (std::int32_t j = k; j <= n; ++j) m(i, j) -= f * m(k, j);
    }
  }
  return det;
}

TEST(StepReplay, TheLastStepIsWhatTheRunLeftAndTheExactReplayIsExact) {
  int skipped = 0, sparseCases = 0;
  for (const Case& c : cases()) {
    SCOPED_TRACE(std::string("method ") + std::to_string(c.method) + ", " + shapeName(c.shape) + ", n = " +
                 std::to_string(c.n) + ", break at " + std::to_string(c.breakAt));
    ProblemState s = stateOf(c);
    std::string report;
    const StepRun run = testing::recordedRun(s, &report);
    const RunResult& result = run.result;
    const StepKind factorKind = c.method == 1 ? StepKind::Elimination : c.method == 2 ? StepKind::Lu : StepKind::Cholesky;
    const RecordedStep* factor = last(run, factorKind);
    ASSERT_NE(factor, nullptr);

    // The arrays of the last step are those the run leaves.
    if (c.method == 3) {
      std::vector<float> S(s.AV.empty() ? stateOf(c).AV : s.AV);
      std::int32_t status = 0;
      SUB_CHOLESKY_S(c.n, S.data(), status);
      EXPECT_TRUE(sameBits(factor->S, S)) << "the packed factor";
    } else {
      EXPECT_TRUE(sameBits(factor->A.values, s.A)) << "the factored matrix";
    }

    if (c.shape == Shape::Breakdown) {
      ASSERT_TRUE(result.outcome.breakdown.has_value());
      EXPECT_EQ(result.outcome.breakdown->step, c.breakAt);
      EXPECT_EQ(run.steps.back().kind, StepKind::Breakdown);
      EXPECT_EQ(run.steps.back().step, c.breakAt);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(run.steps.back().pivot),
                std::bit_cast<std::uint32_t>(result.outcome.breakdown->value));
    } else {
      ASSERT_FALSE(result.outcome.breakdown.has_value());
      // The solutions: the last substitution of each right-hand side holds
      // them, and the report prints them.
      std::vector<float> X(static_cast<std::size_t>(c.n * c.nb));
      for (std::int32_t k = 1; k <= c.nb; ++k) {
        const RecordedStep* sub = last(run, c.method == 1 ? StepKind::BackSubstitution : StepKind::Backward, k);
        ASSERT_NE(sub, nullptr);
        const std::vector<float>& xs = c.method == 1 ? sub->B.values : sub->x;
        const std::size_t from = c.method == 1 ? static_cast<std::size_t>((k - 1) * c.n) : 0;
        std::copy_n(xs.begin() + static_cast<std::ptrdiff_t>(from), c.n, X.begin() + (k - 1) * c.n);
      }
      EXPECT_TRUE(sameBits(X, std::vector<float>(s.B.begin(), s.B.begin() + c.n * c.nb)));
      EXPECT_NE(report.find(printedSolutions(c.n, c.nb, X)), std::string::npos);
      ASSERT_TRUE(factor->determinant.has_value());
      EXPECT_EQ(*factor->determinant, *result.outcome.determinant);
    }
    if (c.shape == Shape::Interchanges && c.method == 1)
      for (const RecordedStep& recorded : run.steps)
        if (recorded.kind == StepKind::Elimination && recorded.step < c.n) {
          EXPECT_TRUE(recorded.interchanged) << "step " << recorded.step;
        }
    if (c.shape == Shape::Sparse && c.method == 1) {
      ++sparseCases;
      for (const RecordedStep& recorded : run.steps) skipped += static_cast<int>(recorded.skippedRows.size());
    }

    // The exact replay on the integer data.
    const std::optional<ExactInput> input = exactInputFor(run.start, nullptr);
    ASSERT_TRUE(input.has_value());
    const std::optional<ExactRun> exact = replayExactly(run, *input);
    ASSERT_TRUE(exact.has_value());
    ASSERT_EQ(exact->steps.size(), run.steps.size());
    EXPECT_FALSE(exact->stoppedAt.has_value()) << "integer data: no exact pivot is zero where the run's is not";
    const mpq_class det = determinantOf(c.n, c.A);
    if (c.shape == Shape::Breakdown) {
      EXPECT_EQ(det, 0);
      const ExactStep& e = exact->steps.back();
      ASSERT_TRUE(e.value.has_value());
      EXPECT_TRUE(e.value->isZero()) << "the exact value at the breakdown";
      continue;
    }
    // The exact determinant is the integer one; the exact solutions satisfy
    // every equation.
    for (std::size_t k = run.steps.size(); k-- > 0;) {
      if (run.steps[k].kind != factorKind) continue;
      ASSERT_TRUE(exact->steps[k].determinant.has_value());
      const ExactNumber& d = *exact->steps[k].determinant;
      if (d.isRational())
        EXPECT_EQ(d.rational(), det);
      else  // square roots on the way (Cholesky): 256 bits
        EXPECT_LT(std::fabs((d - ExactNumber(det)).toDouble()), 1e-60 * std::fabs(det.get_d()));
      break;
    }
    for (std::int32_t k = 1; k <= c.nb; ++k) {
      std::size_t idx = run.steps.size();
      for (std::size_t p = 0; p < run.steps.size(); ++p)
        if ((run.steps[p].kind == StepKind::BackSubstitution || run.steps[p].kind == StepKind::Backward) &&
            run.steps[p].rhs == k)
          idx = p;
      ASSERT_LT(idx, run.steps.size());
      const ExactStep& e = exact->steps[idx];
      const ExactValues& x = c.method == 1 ? *e.B : *e.x;
      const std::size_t from = c.method == 1 ? static_cast<std::size_t>((k - 1) * c.n) : 0;
      for (std::int32_t i = 1; i <= c.n; ++i) {
        ExactNumber r = ExactNumber::of(c.B[(k - 1) * c.n + i - 1]);
        for (std::int32_t j = 1; j <= c.n; ++j)
          r = r - ExactNumber::of(c.A[(j - 1) * c.n + i - 1]) * x[from + static_cast<std::size_t>(j - 1)];
        if (c.method == 3 && c.shape == Shape::Random) {
          EXPECT_LT(std::fabs(r.toDouble()), 1e-60) << "MPFR: equation " << i;
          EXPECT_TRUE(exact->mpfr);
        } else {
          EXPECT_TRUE(r.isZero()) << "equation " << i << " of right-hand side " << k;
        }
      }
    }
  }
  EXPECT_GT(sparseCases, 0);
  EXPECT_GT(skipped, 0) << "the zero entries made the elimination skip rows";
}

// Data whose exact pivot is zero while the single-precision one passes the
// test: the replay says so and stops there.
TEST(StepReplay, AnExactZeroPivotThatTheRunPassedStopsTheReplay) {
  ProblemState s = testing::readState(2, 1);
  // Row 2 is 7 times row 1; in single precision u(2,2) = -3.8E-6.
  const std::vector<std::string> rows = {"0.1", "37.3", "0.7", "261.1"};
  s.A = {0.1f, 0.7f, 37.3f, 261.1f};
  s.B = {1.0f, 2.0f};
  s.methodIndex = 1;
  const ValueTexts texts{rows, {"1", "2"}, {}, false};
  const ReadSnapshot read = snapshotRead(s, &texts);
  ASSERT_TRUE(read.exact.has_value());
  EXPECT_EQ(read.exact->matrixSource, ExactSource::Written);
  EXPECT_EQ(read.exact->a(2, 2).rational(), mpq_class(2611, 10));

  const StepRun run = testing::recordedRun(s);
  ASSERT_FALSE(run.result.outcome.breakdown.has_value()) << "the single-precision pivot passes";
  const std::optional<ExactInput> input = exactInputFor(run.start, &read);
  ASSERT_TRUE(input.has_value());
  EXPECT_EQ(input->matrixSource, ExactSource::Written);
  const std::optional<ExactRun> exact = replayExactly(run, *input);
  ASSERT_TRUE(exact.has_value());
  ASSERT_TRUE(exact->stoppedAt.has_value());
  const ExactStep& stop = exact->steps[*exact->stoppedAt];
  EXPECT_EQ(run.steps[*exact->stoppedAt].step, 2);
  EXPECT_TRUE(stop.hasRemark(ExactNote::PivotZero));
  EXPECT_FALSE(exact->steps.back().computed) << "no exact values after the stop";
  // A run that starts from other values than the read's takes its own.
  ProblemState changed = s;
  const std::optional<ExactInput> own = exactInputFor(stepRunStart(changed), &read);
  ASSERT_TRUE(own.has_value());
  EXPECT_EQ(own->matrixSource, ExactSource::Stored);
}

TEST(StepReplay, DecimalTextsReadExactly) {
  struct Row {
    const char* text;
    long num, den;
  };
  for (const Row& r : {Row{"0.1", 1, 10}, Row{"-1.5E-3", -3, 2000}, Row{"1.5D-3", 3, 2000}, Row{"3*0.25", 1, 4},
                       Row{"", 0, 1}, Row{"+2", 2, 1}, Row{".5e1", 5, 1}, Row{"7.", 7, 1}, Row{"1.25+2", 125, 1}}) {
    const std::optional<mpq_class> v = exactDecimal(r.text);
    ASSERT_TRUE(v.has_value()) << r.text;
    EXPECT_EQ(*v, mpq_class(r.num, r.den)) << r.text;
  }
  for (const char* bad : {"abc", "1.2.3", "1e", "--1", "1,5"}) EXPECT_FALSE(exactDecimal(bad).has_value()) << bad;
}

// The condition number's steps: the inverse by elimination with its
// multipliers kept aside is exact, and the power method's exact estimate
// goes to the dominant eigenvalue (tridiag(1, 4, 1): 4 + sqrt 2).
TEST(StepReplay, TheConditionNumbersInverseAndPowerMethodReplayed) {
  const std::vector<float> A = {4, 1, 0, 1, 4, 1, 0, 1, 4};
  for (const std::int32_t norm : {1, 4}) {
    ProblemState s = testing::readState(3, 3);
    s.A = A;
    s.B = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    s.problemKind = ProblemKind::ConditionNumber;
    s.normSelection = norm;
    s.normIndex = norm == 4 ? -1 : 0;
    s.readForSystem = false;
    const StepRun run = testing::recordedRun(s);
    const std::optional<ExactInput> input = exactInputFor(run.start, nullptr);
    ASSERT_TRUE(input.has_value());
    const std::optional<ExactRun> exact = replayExactly(run, *input);
    ASSERT_TRUE(exact.has_value());
    std::size_t lastBack = 0, lastPower = 0;
    for (std::size_t k = 0; k < run.steps.size(); ++k) {
      if (run.steps[k].kind == StepKind::BackSubstitution) lastBack = k;
      if (run.steps[k].kind == StepKind::Power && run.steps[k].pass == 1) lastPower = k;
    }
    const ExactValues& inv = *exact->steps[lastBack].B;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        ExactNumber sum;
        for (int m = 0; m < 3; ++m) sum = sum + ExactNumber::of(A[m * 3 + i]) * inv[j * 3 + m];
        EXPECT_EQ(sum, ExactNumber::integer(i == j ? 1 : 0)) << "(A A^-1)(" << i << "," << j << ")";
      }
    if (norm == 4) {
      ASSERT_GT(lastPower, 0u);
      ASSERT_TRUE(exact->steps[lastPower].modulus.has_value());
      EXPECT_NEAR(exact->steps[lastPower].modulus->toDouble(), 4.0 + std::sqrt(2.0), 1e-4);
      EXPECT_FALSE(exact->steps[lastPower].modulus->isRational()) << "a modulus is an MPFR value";
    }
  }
}

// With the data grid's reader built in, the exact data of a file are its
// values as written, 0.1 as 1/10.
TEST(StepReplay, TheDataAsTheFileWritesThem) {
  ProblemState s = testing::readState(2, 1);
  s.A = {0.1f, 0.3f, 0.2f, 1.0f / 0.4f};
  s.B = {1.0f, 2.0f};
  s.methodIndex = 1;
  s.invertElements = true;
  s.A[0] = 1.0f / 0.1f;
  s.A[1] = 1.0f / 0.3f;
  s.A[2] = 1.0f / 0.2f;
  const std::optional<ValueTexts> texts = writtenTexts(s, "Doua\n2 1\n0.1 0.2\n0.3 0.4\n1 2\n");
  ASSERT_TRUE(texts) << "the values' texts as the file writes them";
  EXPECT_EQ(texts->a, (std::vector<std::string>{"0.1", "0.2", "0.3", "0.4"}));
  const ReadSnapshot read = snapshotRead(s, texts ? &*texts : nullptr);
  ASSERT_TRUE(read.exact.has_value());
  EXPECT_EQ(read.exact->matrixSource, ExactSource::Written);
  EXPECT_EQ(read.exact->rhsSource, ExactSource::Written);
  EXPECT_EQ(read.exact->a(2, 1).rational(), mpq_class(10, 3)) << "1 / 0.3, the element inverted exactly";
}

}  // namespace
}  // namespace parvela
