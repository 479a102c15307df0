// The blocked elimination for the inverse against ELIM2: every output bit
// and the pivot line, on every instruction-set path and thread count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "condition/elim2.h"
#include "condition/elim2_fast.h"
#include "io/fortran_io.h"
#include "support/elimination_cases.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using testing::CaseKind;
using testing::EliminationCase;
using testing::makeEliminationCase;

struct Run {
  std::vector<float> A, B;
  std::int32_t status = 5;
  std::string report;
};

template <class F>
Run runElim2(const EliminationCase& c, F&& elim) {
  Run r;
  r.A = c.A;
  r.B = c.B;
  ReportFile().clear();
  elim(c.n, c.nb, r.A.data(), r.B.empty() ? nullptr : r.B.data(), c.threshold, r.status);
  r.report = ReportFile().text();
  ReportFile().clear();
  return r;
}

void expectSameAsElim2(const EliminationCase& c) {
  const Run ref = runElim2(c, ELIM2);
  testing::KernelPathScope scope;
  for (const testing::KernelPath& p : testing::kernelPaths()) {
    scope.use(p);
    const Run got = runElim2(c, elim2Fast);
    const std::string where = c.label + " isa=" + kernels::isaName(p.isa) +
                              " threads=" + std::to_string(p.threads);
    EXPECT_TRUE(testing::sameBits(ref.A, got.A))
        << where << " A " << testing::firstDifference(ref.A, got.A, c.n);
    EXPECT_TRUE(testing::sameBits(ref.B, got.B))
        << where << " B " << testing::firstDifference(ref.B, got.B, c.n);
    EXPECT_EQ(ref.status, got.status) << where;
    EXPECT_EQ(ref.report, got.report) << where;
  }
}

constexpr float kEps = 1.0E-8f;

// The condition number inverts: B starts as the identity.
EliminationCase withIdentity(EliminationCase c) {
  c.nb = c.n;
  c.B = testing::identity(c.n);
  return c;
}

TEST(Elim2Fast, SmallOrdersEveryRightHandSideCount) {
  unsigned seed = 11;
  for (std::int32_t n : {1, 2, 7, 15, 17}) {
    for (std::int32_t nb = 0; nb <= n; ++nb) {
      const CaseKind kind = static_cast<CaseKind>(seed % 6);
      expectSameAsElim2(makeEliminationCase(n, nb, kind, seed, kEps));
      ++seed;
    }
  }
}

TEST(Elim2Fast, InverseOfAllKinds) {
  unsigned seed = 500;
  for (std::int32_t n : {2, 7, 33, 100, 257}) {
    for (int k = 0; k < 6; ++k)
      expectSameAsElim2(
          withIdentity(makeEliminationCase(n, n, static_cast<CaseKind>(k), seed++, kEps)));
  }
}

TEST(Elim2Fast, PivotFailureAtEveryStep) {
  for (std::int32_t n : {7, 33, 100}) {
    const int step = n == 100 ? 9 : 1;
    for (int s = 0; s < n; s += step)
      expectSameAsElim2(
          withIdentity(makeEliminationCase(n, n, CaseKind::SingularAt, 600u + s, kEps, s)));
  }
  for (unsigned seed = 0; seed < 4; ++seed)
    expectSameAsElim2(makeEliminationCase(100, 100, CaseKind::Dense, 700 + seed, 0.2f));
  for (int s : {0, 16, 31, 32})
    expectSameAsElim2(makeEliminationCase(33, 4, CaseKind::SmallPivots, 800u + s, 1.0E-6f, s));
}

TEST(Elim2Fast, LargeOrder) {
  expectSameAsElim2(makeEliminationCase(1000, 3, CaseKind::Sparse, 900, kEps));
}

}  // namespace
}  // namespace parvela
