// The blocked elimination for the inverse against ELIM2: every output bit
// and the pivot line, on every instruction-set path and thread count.
#include <gtest/gtest.h>

#include <bit>
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

// The status ELIM2 leaves, and the step and value (as bits) it names.
template <class F>
auto elimination(F elim) {
  return [elim](const EliminationCase& c, float* A, float* B) {
    std::int32_t status = 5;
    const KernelStatus st = elim(c.n, c.nb, A, B, c.threshold, status);
    return std::vector<std::int32_t>{status, st.failed, st.step, std::bit_cast<std::int32_t>(st.value)};
  };
}

void expectSameAsElim2(const EliminationCase& c) {
  testing::expectSameOnEveryPath(c, elimination(ELIM2), elimination(elim2Fast));
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
