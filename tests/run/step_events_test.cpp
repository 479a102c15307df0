// What a run publishes step by step, and runs on a private state. The fast
// kernels' summaries must tell the same story (pivot rows, pivots, the
// finished rows' largest elements, the iterations) as the straightforward
// kernels' full steps on the same data; the full steps must end in the
// arrays the run leaves; a private run must leave the program alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "condition/elim2.h"
#include "condition/elim2_fast.h"
#include "condition/power.h"
#include "condition/power_fast.h"
#include "core/problem_state.h"
#include "core/steps.h"
#include "direct/cholesky.h"
#include "direct/cholesky_fast.h"
#include "direct/elim_fast.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "direct/lu_fast.h"
#include "io/fortran_io.h"
#include "run/dispatcher.h"

namespace parvela {
namespace {

// An event with the values its spans showed, copied.
struct Recorded {
  StepEvent e;
  std::vector<float> A, B, S, x, candidates, sums;
};

struct Recorder : StepListener {
  std::vector<Recorded> events;
  void step(const StepEvent& e) override {
    Recorded r{e, {e.A.values.begin(), e.A.values.end()}, {e.B.values.begin(), e.B.values.end()},
               {e.S.begin(), e.S.end()}, {e.x.begin(), e.x.end()}, {e.candidates.begin(), e.candidates.end()},
               {e.partialSums.begin(), e.partialSums.end()}};
    events.push_back(std::move(r));
  }
  std::vector<const Recorded*> of(StepKind kind) const {
    std::vector<const Recorded*> v;
    for (const Recorded& r : events)
      if (r.e.kind == kind) v.push_back(&r);
    return v;
  }
};

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

std::vector<float> randomMatrix(std::size_t count, std::mt19937& rng, float diagonalBoost = 0.0f,
                                std::size_t n = 0) {
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> m(count);
  for (float& v : m) v = u(rng);
  if (diagonalBoost != 0.0f)
    for (std::size_t i = 0; i < n; ++i) m[i * n + i] += diagonalBoost;
  return m;
}

// The facts both kinds of step share, compared to the bit.
void expectSameSteps(const std::vector<const Recorded*>& full, const std::vector<const Recorded*>& summary) {
  ASSERT_EQ(full.size(), summary.size());
  for (std::size_t k = 0; k < full.size(); ++k) {
    const StepEvent& f = full[k]->e;
    const StepEvent& s = summary[k]->e;
    SCOPED_TRACE("step " + std::to_string(f.step));
    EXPECT_EQ(f.detail, StepDetail::Full);
    EXPECT_EQ(s.detail, StepDetail::Summary);
    EXPECT_EQ(f.step, s.step);
    EXPECT_EQ(f.pivotRow, s.pivotRow);
    EXPECT_EQ(bits(f.pivot), bits(s.pivot));
    EXPECT_EQ(f.interchanged, s.interchanged);
    EXPECT_EQ(f.interchanges, s.interchanges);
    EXPECT_EQ(bits(f.rowMax), bits(s.rowMax));
    EXPECT_EQ(f.value, s.value);
  }
}

// Order 40 (above the detail limit) on both kinds of kernel, the same data.
constexpr std::int32_t kN = 40;

TEST(StepEvents, EliminationSummariesAgreeWithTheFullStepsAndEveryPivotIsShown) {
  std::mt19937 rng(7);
  const std::size_t N = kN;
  const std::vector<float> A0 = randomMatrix(N * N, rng), B0 = randomMatrix(N * 2, rng);
  Recorder full, summary;
  std::vector<float> A = A0, B = B0, A2 = A0, B2 = B0;
  std::int32_t ierr = 0, npiv = 0, ierr2 = 0, npiv2 = 0;
  {
    StepScope scope(&full);
    ELIM(kN, 2, A.data(), B.data(), 1.0E-6f, ierr, npiv);
  }
  {
    StepScope scope(&summary);
    elimFast(kN, 2, A2.data(), B2.data(), 1.0E-6f, ierr2, npiv2);
  }
  const auto f = full.of(StepKind::Elimination);
  ASSERT_EQ(f.size(), N) << "one step per column, the last pivot U(n,n) included";
  expectSameSteps(f, summary.of(StepKind::Elimination));
  // The full steps end in the arrays the run leaves before back substitution:
  // the last one shows A as left, and the back substitution ends in B.
  EXPECT_EQ(f.back()->A, A);
  EXPECT_EQ(full.of(StepKind::BackSubstitution).size(), N * 2);
  EXPECT_EQ(full.events.back().B, B);
  // Growth: per step of the updated matrix on the plain path; per panel of
  // the rows of U so far on the fast one, which can only be smaller.
  double largestOfA = 0.0, largestOfU = 0.0;
  for (float v : A0) largestOfA = std::max(largestOfA, double(std::fabs(v)));
  for (const Recorded* r : f) largestOfU = std::max(largestOfU, double(r->e.rowMax));
  double lastGrowth = std::nan("");
  for (const Recorded* r : summary.of(StepKind::Elimination))
    if (!std::isnan(r->e.growth)) lastGrowth = r->e.growth;
  EXPECT_EQ(lastGrowth, std::max(largestOfA, largestOfU) / largestOfA);
  EXPECT_LE(lastGrowth, f.back()->e.growth);
}

TEST(StepEvents, LuAndCholeskySummariesAgreeWithTheFullSteps) {
  std::mt19937 rng(11);
  const std::size_t N = kN;
  {
    const std::vector<float> A0 = randomMatrix(N * N, rng);
    Recorder full, summary;
    std::vector<float> A = A0, A2 = A0;
    std::vector<std::int32_t> order(N), order2(N);
    std::int32_t ierr = 0, swaps = 0, ierr2 = 0, swaps2 = 0;
    {
      StepScope scope(&full);
      LUDECOMP(A.data(), kN, order.data(), ierr, swaps);
    }
    {
      StepScope scope(&summary);
      luFactor(A2.data(), kN, order2.data(), ierr2, swaps2);
    }
    ASSERT_EQ(full.of(StepKind::Lu).size(), N);
    expectSameSteps(full.of(StepKind::Lu), summary.of(StepKind::Lu));
    EXPECT_EQ(full.of(StepKind::Lu).back()->A, A);
  }
  {
    // A symmetric positive definite matrix, packed.
    std::vector<float> S0(N * (N + 1) / 2);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (std::size_t j = 1; j <= N; ++j)
      for (std::size_t i = 1; i <= j; ++i) S0[packedOffset(i, j)] = i == j ? 2.0f * kN : u(rng);
    Recorder full, summary;
    std::vector<float> S = S0, S2 = S0;
    std::int32_t status = 0, status2 = 0;
    {
      StepScope scope(&full);
      SUB_CHOLESKY_S(kN, S.data(), status);
    }
    {
      StepScope scope(&summary);
      choleskyFactor(kN, S2.data(), status2);
    }
    ASSERT_EQ(full.of(StepKind::Cholesky).size(), N);
    expectSameSteps(full.of(StepKind::Cholesky), summary.of(StepKind::Cholesky));
    EXPECT_EQ(full.of(StepKind::Cholesky).back()->S, S);
  }
}

TEST(StepEvents, InverseEliminationAndPowerMethodAgreeOnBothPaths) {
  std::mt19937 rng(5);
  const std::size_t N = kN;
  const std::vector<float> A0 = randomMatrix(N * N, rng, 4.0f, N);
  std::vector<float> I(N * N, 0.0f);
  for (std::size_t i = 0; i < N; ++i) I[i * N + i] = 1.0f;
  {
    Recorder full, summary;
    std::vector<float> A = A0, B = I, A2 = A0, B2 = I;
    std::int32_t s1 = 0, s2 = 0;
    {
      StepScope scope(&full);
      ELIM2(kN, kN, A.data(), B.data(), 1.0E-8f, s1);
    }
    {
      StepScope scope(&summary);
      elim2Fast(kN, kN, A2.data(), B2.data(), 1.0E-8f, s2);
    }
    expectSameSteps(full.of(StepKind::Elimination), summary.of(StepKind::Elimination));
  }
  {
    Recorder full, summary;
    Complex l1{}, l2{};
    std::int32_t st1 = 0, st2 = 0, total1 = 0, total2 = 0;
    float t1 = 0, t2 = 0;
    {
      StepScope scope(&full);
      EIGEN_POWER(kN, A0.data(), l1, st1, t1, &total1);
    }
    {
      StepScope scope(&summary);
      fastEigenPower(kN, A0.data(), l2, st2, t2, 1, &total2);
    }
    const auto a = full.of(StepKind::Power), b = summary.of(StepKind::Power);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(static_cast<std::size_t>(total1), a.size());
    EXPECT_EQ(total1, total2);
    EXPECT_TRUE(std::isnan(a.front()->e.measure)) << "the first iteration has no previous estimate";
    for (std::size_t k = 0; k < a.size(); ++k) {
      EXPECT_EQ(a[k]->e.pass, b[k]->e.pass);
      EXPECT_EQ(bits(a[k]->e.estimateRe), bits(b[k]->e.estimateRe));
      EXPECT_EQ(bits(a[k]->e.estimateIm), bits(b[k]->e.estimateIm));
    }
  }
}

TEST(StepEvents, NothingIsPublishedWithoutAListener) {
  // Runs with nobody listening take the same path and leave the same bits.
  std::mt19937 rng(3);
  const std::vector<float> A0 = randomMatrix(9, rng), B0 = randomMatrix(3, rng);
  std::vector<float> A = A0, B = B0, A2 = A0, B2 = B0;
  std::int32_t ierr = 0, npiv = 0;
  ELIM(3, 1, A.data(), B.data(), 1.0E-6f, ierr, npiv);
  Recorder r;
  {
    StepScope scope(&r);
    ELIM(3, 1, A2.data(), B2.data(), 1.0E-6f, ierr, npiv);
  }
  EXPECT_EQ(A, A2);
  EXPECT_EQ(B, B2);
  EXPECT_EQ(stepListener(), nullptr);
}

// ---------------------------------------------------------------------------
// A run on a private state

ProblemState sistem3(std::int32_t method) {
  ProblemState s;
  {
    ProblemScope scope(s);
    INITIALIZEDATA();
  }
  s.n = 3;
  s.nb = 1;
  s.A = {4, 1, 0, 1, 4, 1, 0, 1, 4};
  s.B = {5, 6, 5};
  s.methodIndex = method;
  s.epsText = fixedText("0.0001", kParamTextLength);
  s.nlimText = fixedText("100", kParamTextLength);
  s.omegaText = fixedText("1.2", kParamTextLength);
  s.readForSystem = true;
  return s;
}

TEST(PrivateRun, LeavesTheProgramAloneAndReturnsWhatTheMethodDid) {
  problem() = ProblemState{};
  INITIALIZEDATA();
  const std::uint64_t before = std::hash<std::string>{}(ReportFile().text()) ^ problem().A.size();
  struct Case {
    std::int32_t method;
    Verdict verdict;
    std::int32_t sweeps;
  };
  for (const Case c : {Case{4, Verdict::Tolerance, 6}, Case{5, Verdict::Tolerance, 7}}) {
    ProblemState s = sistem3(c.method);
    std::string report, out;
    Recorder steps;
    RunResult r;
    {
      StepScope scope(&steps);
      r = runOnPrivateState(s, &report, &out);
    }
    EXPECT_EQ(r.status, RunStatus::Computed);
    ASSERT_EQ(r.outcome.sweeps.size(), 1u);
    EXPECT_EQ(r.outcome.sweeps[0].verdict, c.verdict);
    EXPECT_EQ(r.outcome.sweeps[0].sweeps, c.sweeps);
    EXPECT_EQ(steps.of(StepKind::Sweep).size(), static_cast<std::size_t>(c.sweeps));
    EXPECT_NE(report.find("Numar iteratii: " + std::to_string(c.sweeps)), std::string::npos);
    EXPECT_NE(out.find("Toleranta atinsa."), std::string::npos);
  }
  ProblemState g = sistem3(1);
  const RunResult gauss = runOnPrivateState(g);
  EXPECT_FALSE(gauss.outcome.breakdown);
  ASSERT_TRUE(gauss.outcome.determinant);
  EXPECT_FLOAT_EQ(static_cast<float>(*gauss.outcome.determinant), 56.0f);
  EXPECT_EQ(g.B[0], 1.0f);
  EXPECT_NEAR(g.B[2], 1.0f, 1e-6f);
  EXPECT_EQ(gauss.outcome.interchanges, 0);
  // The program's own problem and units were not touched.
  EXPECT_EQ(std::hash<std::string>{}(ReportFile().text()) ^ problem().A.size(), before);
  EXPECT_TRUE(problem().A.empty());
}

}  // namespace
}  // namespace parvela
