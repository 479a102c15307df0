// The blocked elimination against the plain one: every output bit, on every
// instruction-set path and thread count the machine has.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "core/progress.h"
#include "direct/elim_fast.h"
#include "direct/elim_kernels.h"
#include "direct/gauss.h"
#include "io/fortran_io.h"
#include "support/elimination_cases.h"

namespace parvela {
namespace {

using testing::CaseKind;
using testing::EliminationCase;
using testing::makeEliminationCase;

// ierr and npiv as ELIM leaves them (npiv is only ever increased), and the
// step and value (as bits) its status names.
template <class F>
auto elimination(F elim) {
  return [elim](const EliminationCase& c, float* A, float* B) {
    std::int32_t ierr = 7, npiv = 3;
    const KernelStatus st = elim(c.n, c.nb, A, B, c.threshold, ierr, npiv);
    return std::vector<std::int32_t>{ierr, npiv, st.failed, st.step, std::bit_cast<std::int32_t>(st.value)};
  };
}

void expectSameAsElim(const EliminationCase& c) {
  testing::expectSameOnEveryPath(c, elimination(ELIM), elimination(elimFast));
}

constexpr float kPrag = 1.0E-6f;

TEST(ElimFast, SmallOrdersEveryRightHandSideCount) {
  unsigned seed = 1;
  for (std::int32_t n : {1, 2, 7, 15, 17}) {
    for (std::int32_t nb = 0; nb <= n; ++nb) {
      const CaseKind kind = static_cast<CaseKind>(seed % 6);
      expectSameAsElim(makeEliminationCase(n, nb, kind, seed, kPrag));
      ++seed;
    }
  }
}

TEST(ElimFast, PivotFailureAtEveryStep) {
  // Rows interchanged and skipped before the failing column; A and B end
  // with every earlier step done, and the pivot line is the same.
  for (std::int32_t n : {7, 33, 100}) {
    const int step = n == 100 ? 7 : 1;
    for (int s = 0; s < n; s += step) {
      expectSameAsElim(makeEliminationCase(n, 3, CaseKind::SingularAt, 100u + s, kPrag, s));
      if (n == 33)
        expectSameAsElim(makeEliminationCase(n, 2, CaseKind::SmallPivots, 200u + s, kPrag, s));
    }
  }
  // A threshold that random pivots cross somewhere in the middle.
  for (unsigned seed = 0; seed < 6; ++seed)
    expectSameAsElim(makeEliminationCase(100, 5, CaseKind::Dense, 300 + seed, 0.2f));
}

TEST(ElimFast, LargerOrdersAllKinds) {
  unsigned seed = 400;
  for (std::int32_t n : {33, 100, 257}) {
    for (int k = 0; k < 6; ++k) {
      const std::int32_t nb = k % 3 == 0 ? 1 : k % 3 == 1 ? n : n / 3 + 1;
      expectSameAsElim(makeEliminationCase(n, nb, static_cast<CaseKind>(k), seed++, kPrag));
    }
  }
  // After the first panel 385 rows (three blocks of 128 and one) and 385
  // columns (a chunk and one); 256 and 257 rows (the AVX2 path's row block
  // and one).
  expectSameAsElim(makeEliminationCase(449, 1, CaseKind::Dense, seed++, kPrag));
  expectSameAsElim(makeEliminationCase(320, 3, CaseKind::Sparse, seed++, kPrag));
  expectSameAsElim(makeEliminationCase(321, 1, CaseKind::Dense, seed++, kPrag));
  expectSameAsElim(makeEliminationCase(449, 2, CaseKind::Sparse, seed++, kPrag));
  expectSameAsElim(makeEliminationCase(1000, 1, CaseKind::Dense, seed++, kPrag));
  expectSameAsElim(makeEliminationCase(1000, 2, CaseKind::Sparse, seed++, kPrag));
}

// Stops at a checkpoint of the elimination and one of the back substitution.
class StopAt : public WorkMonitor {
 public:
  StopAt(Stage s, std::int64_t done) : stage_(s), done_(done) {}
  void progress(const Progress& p) override {
    seen.push_back(p);
    if (p.stage == stage_ && p.done >= done_) stop_ = true;
  }
  bool cancelRequested() override { return stop_; }
  std::vector<Progress> seen;

 private:
  Stage stage_;
  std::int64_t done_;
  bool stop_ = false;
};

TEST(ElimFast, ReportsProgressAndStops) {
  const EliminationCase c = makeEliminationCase(200, 150, CaseKind::Dense, 9, kPrag);
  {
    StopAt never(Stage::Reading, 0);
    MonitorScope scope(&never);
    std::vector<float> A = c.A, B = c.B;
    std::int32_t ierr = 0, npiv = 0;
    elimFast(c.n, c.nb, A.data(), B.data(), kPrag, ierr, npiv);
    ASSERT_EQ(ierr, 0);
    std::int64_t columns = 0, lastSolved = 0;
    for (const Progress& p : never.seen) {
      if (p.stage == Stage::Elimination) {
        EXPECT_EQ(p.done, ++columns);
        EXPECT_EQ(p.total, 200);
        EXPECT_EQ(static_cast<float>(p.measure), A[(p.done - 1) * 201]);
      } else {
        EXPECT_EQ(p.stage, Stage::Substitution);
        EXPECT_GT(p.done, lastSolved);
        EXPECT_EQ(p.total, 150);
        lastSolved = p.done;
      }
    }
    EXPECT_EQ(columns, 199);
    EXPECT_EQ(lastSolved, 150);
  }
  for (Stage s : {Stage::Elimination, Stage::Substitution}) {
    StopAt stop(s, 20);
    MonitorScope scope(&stop);
    std::vector<float> A = c.A, B = c.B;
    std::int32_t ierr = 0, npiv = 0;
    EXPECT_THROW(elimFast(c.n, c.nb, A.data(), B.data(), kPrag, ierr, npiv), WorkCancelled);
  }
}

// The largest magnitude a step listener is told of: every path gives what
// the plain loop gives, NaNs passed over, at every length around the vector
// widths.
TEST(FastElimination, LargestMagnitudeOnEveryPath) {
  std::mt19937 rng(31);
  for (std::size_t n = 0; n <= 70; ++n) {
    std::vector<float> x(n);
    testing::fillHard(rng, x.data(), n, 0.3);
    float want = 0.0f;
    for (float v : x) want = std::max(want, std::fabs(v));
    testing::forEachKernelPath([&](const std::string& path) {
      EXPECT_EQ(kernels::elim::activeTable().maxMagnitude(x.data(), n), want) << path << " n=" << n;
    });
  }
}

}  // namespace
}  // namespace parvela
