// The blocked, vectorised and two-thread kernels of the direct methods
// against the straightforward ones: every output bit for bit, on every
// instruction-set path this machine runs and on one and two threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/problem_state.h"
#include "direct/cholesky.h"
#include "direct/cholesky_fast.h"
#include "direct/lu.h"
#include "direct/lu_fast.h"
#include "direct/proba.h"
#include "direct/proba_fast.h"
#include "direct/tile_kernels.h"
#include "io/fortran_io.h"
#include "support/kernel_paths.h"
#include "support/matrices.h"

namespace parvela {
namespace {


using testing::forEachKernelPath;

// Position of the first differing bit pattern, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long>(i);
  return -1;
}

#define EXPECT_SAME_BITS(ref, got, what)                                            \
  do {                                                                              \
    const long at_ = firstDifference(ref, got);                                     \
    EXPECT_EQ(at_, -1) << what << ": first difference at " << at_ << " ("          \
                       << (at_ >= 0 && static_cast<std::size_t>(at_) < ref.size()  \
                               ? ref[at_] : 0.0f)                                   \
                       << " vs "                                                    \
                       << (at_ >= 0 && static_cast<std::size_t>(at_) < got.size()  \
                               ? got[at_] : 0.0f)                                   \
                       << ")";                                                      \
  } while (0)

// Special values sprinkled into random data.
// Wide: magnitudes spread over 2^-30..2^30. Cancel: only +-2^-24, +-1 and
// +-2^24, so that large products cancel exactly and the order of a sum
// shows even in double precision.
enum class Extra { None, Zeros, NegZeros, NaNs, Infs, Tiny, Wide, Cancel };

const char* extraName(Extra e) {
  switch (e) {
    case Extra::None: return "plain";
    case Extra::Zeros: return "zeros";
    case Extra::NegZeros: return "-0";
    case Extra::NaNs: return "NaN";
    case Extra::Infs: return "Inf";
    case Extra::Tiny: return "tiny";
    case Extra::Wide: return "wide";
    case Extra::Cancel: return "cancel";
  }
  return "?";
}

void sprinkle(std::vector<float>& v, Extra e, std::mt19937& rng, std::size_t count) {
  if (v.empty() || e == Extra::None) return;
  if (e == Extra::Wide) {
    std::uniform_int_distribution<int> ex(-30, 30);
    for (float& x : v) x = std::ldexp(x, ex(rng));
    return;
  }
  if (e == Extra::Cancel) {
    std::uniform_int_distribution<int> ex(-1, 1);
    for (float& x : v) x = std::ldexp(x < 0 ? -1.0f : 1.0f, 24 * ex(rng));
    return;
  }
  std::uniform_int_distribution<std::size_t> pos(0, v.size() - 1);
  for (std::size_t c = 0; c < count; ++c) {
    float& x = v[pos(rng)];
    switch (e) {
      case Extra::Zeros: x = 0.0f; break;
      case Extra::NegZeros: x = -0.0f; break;
      case Extra::NaNs: x = std::numeric_limits<float>::quiet_NaN(); break;
      case Extra::Infs: x = (c % 2 ? -1.0f : 1.0f) * std::numeric_limits<float>::infinity(); break;
      case Extra::Tiny: x = (c % 2 ? -1.0f : 1.0f) * 1.0e-41f; break;
      case Extra::None:
      case Extra::Wide:
      case Extra::Cancel: break;
    }
  }
}

std::vector<float> randomValues(std::size_t count, std::mt19937& rng) {
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> v(count);
  for (float& x : v) x = u(rng);
  return v;
}

constexpr std::int32_t kSizes[] = {1, 2, 3, 7, 15, 17, 33, 63, 64, 65, 100, 129, 257};
constexpr Extra kExtras[] = {Extra::None, Extra::Zeros, Extra::NegZeros, Extra::NaNs,
                             Extra::Infs, Extra::Tiny,  Extra::Wide,     Extra::Cancel};

// ---------------------------------------------------------------- tiles

// The tile products against plain loops, on sizes across the tile and
// panel edges, with data whose sums cancel exactly (so any change of the
// order of a sum shows, even in double precision). Rows one side or the
// other of a block of rows (256 in single, 128 in double precision: B is
// packed once, or panel by panel), columns around multiples of the column
// tiles, depths around the depth of a block.
TEST(TileProducts, EverySumInAscendingOrder) {
  std::mt19937 rng(9);
  struct Shape { std::size_t M, N, K; };
  for (Shape sh : {Shape{1, 1, 1}, Shape{37, 13, 600}, Shape{300, 70, 530}, Shape{16, 9, 257},
                   Shape{257, 7, 255}, Shape{256, 12, 257}, Shape{129, 5, 256},
                   Shape{128, 17, 513}}) {
    for (Extra e : {Extra::Cancel, Extra::Wide}) {
      const std::size_t lda = sh.M + 3;
      std::vector<float> A = randomValues(lda * sh.K, rng), Bm = randomValues(sh.K * sh.N, rng);
      sprinkle(A, e, rng, 0);
      sprinkle(Bm, e, rng, 0);
      std::vector<const float*> cols(sh.N);
      for (std::size_t j = 0; j < sh.N; ++j) cols[j] = Bm.data() + j * sh.K;
      std::vector<float> C0 = randomValues(sh.M * sh.N, rng), c32(C0);
      std::vector<double> c64(sh.M * sh.N);
      std::vector<double> x64(sh.K);
      for (std::size_t d = 0; d < sh.K; ++d) x64[d] = Bm[d];
      std::vector<float> y32(C0.begin(), C0.begin() + sh.M);
      std::vector<double> y64(sh.M);
      for (std::size_t j = 0; j < sh.N; ++j)
        for (std::size_t i = 0; i < sh.M; ++i) {
          float s = C0[i + j * sh.M];
          double t = 0.0;
          for (std::size_t d = 0; d < sh.K; ++d) {
            s = s + A[i + d * lda] * Bm[d + j * sh.K];
            t = t + static_cast<double>(A[i + d * lda]) * static_cast<double>(Bm[d + j * sh.K]);
          }
          c32[i + j * sh.M] = s;
          c64[i + j * sh.M] = t;
          if (j == 0) {
            y32[i] = s;
            y64[i] = t;
          }
        }
      forEachKernelPath([&](const std::string& path) {
        SCOPED_TRACE(path + " " + extraName(e) + " M=" + std::to_string(sh.M));
        const kernels::tile::Table& t = kernels::tile::activeTable();
        std::vector<float> g32(C0);
        t.gemmF32(sh.M, sh.N, sh.K, A.data(), lda, cols.data(), g32.data(), sh.M, false);
        EXPECT_SAME_BITS(c32, g32, "gemmF32");
        std::vector<double> g64(sh.M * sh.N, 7.0);
        t.gemmF64(sh.M, sh.N, sh.K, A.data(), lda, cols.data(), g64.data(), sh.M, true);
        EXPECT_EQ(std::memcmp(g64.data(), c64.data(), sizeof(double) * g64.size()), 0) << "gemmF64";
        std::vector<float> v32(C0.begin(), C0.begin() + sh.M);
        t.gemvF32(sh.M, sh.K, A.data(), lda, Bm.data(), v32.data());
        EXPECT_SAME_BITS(y32, v32, "gemvF32");
        std::vector<double> v64(sh.M, 0.0);
        t.gemvF64(sh.M, sh.K, A.data(), lda, x64.data(), v64.data());
        EXPECT_EQ(std::memcmp(v64.data(), y64.data(), sizeof(double) * sh.M), 0) << "gemvF64";
      });
    }
  }
}

// ------------------------------------------------------------------- LU

// Two kernels stopped at the same step on the same value (to the bit).
void expectSameStatus(const KernelStatus& got, const KernelStatus& want) {
  EXPECT_EQ(got.failed, want.failed);
  EXPECT_EQ(got.step, want.step);
  EXPECT_SAME_BITS(std::vector<float>{want.value}, std::vector<float>{got.value}, "breakdown value");
}

struct LuOutcome {
  std::vector<float> A, X;
  std::vector<float> order;  // ORDER, as bits, so one comparison does all
  std::int32_t ierr = 0, swaps = 0;
  KernelStatus status;  // where a breakdown stopped, and on what
};

// factor(A, ORDER, ierr) then, when it succeeds, solve(LU, ORDER, X) for
// the nb right-hand sides in X.
template <class Factor, class Solve>
LuOutcome runLu(std::int32_t n, const std::vector<float>& A0, const std::vector<float>& B0,
                Factor&& factor, Solve&& solve) {
  LuOutcome r;
  r.A = A0;
  std::vector<std::int32_t> order(n);
  r.status = factor(r.A.data(), order.data(), r.ierr, r.swaps);
  r.X = B0;
  if (r.ierr == 0) solve(r.A.data(), order.data(), r.X.data());
  r.order.resize(n);
  std::memcpy(r.order.data(), order.data(), sizeof(std::int32_t) * n);
  return r;
}

LuOutcome luReference(std::int32_t n, std::int32_t nb, const std::vector<float>& A0,
                      const std::vector<float>& B0) {
  return runLu(
      n, A0, B0,
      [&](float* A, std::int32_t* order, std::int32_t& ierr, std::int32_t& swaps) {
        return LUDECOMP(A, n, order, ierr, swaps);
      },
      [&](const float* LU, std::int32_t* order, float* X) {
        std::vector<float> x(n);
        for (std::int32_t k = 0; k < nb; ++k) {
          float* b = X + static_cast<std::size_t>(k) * n;
          LUSOLVE(LU, b, n, x.data(), order);
          std::copy(x.begin(), x.end(), b);
        }
      });
}

LuOutcome luFast(std::int32_t n, std::int32_t nb, const std::vector<float>& A0,
                 const std::vector<float>& B0) {
  return runLu(
      n, A0, B0,
      [&](float* A, std::int32_t* order, std::int32_t& ierr, std::int32_t& swaps) {
        return luFactor(A, n, order, ierr, swaps);
      },
      [&](const float* LU, std::int32_t* order, float* X) { luSolve(LU, n, order, nb, X); });
}

void expectSameLu(std::int32_t n, std::int32_t nb, const std::vector<float>& A0,
                  const std::vector<float>& B0, const std::string& label) {
  const LuOutcome ref = luReference(n, nb, A0, B0);
  forEachKernelPath([&](const std::string& path) {
    SCOPED_TRACE(label + " " + path);
    const LuOutcome got = luFast(n, nb, A0, B0);
    EXPECT_EQ(got.ierr, ref.ierr);
    EXPECT_EQ(got.swaps, ref.swaps);
    EXPECT_SAME_BITS(ref.order, got.order, "ORDER");
    EXPECT_SAME_BITS(ref.A, got.A, "LU factors");
    EXPECT_SAME_BITS(ref.X, got.X, "solutions");
    expectSameStatus(got.status, ref.status);
  });
}

TEST(FastLu, RandomMatricesWithSpecialValues) {
  std::mt19937 rng(12);
  for (std::int32_t n : kSizes) {
    for (Extra e : kExtras) {
      const std::size_t N = static_cast<std::size_t>(n);
      std::vector<float> A = randomValues(N * N, rng);
      std::vector<float> B = randomValues(N * 2, rng);
      sprinkle(A, e, rng, 1 + N / 4);
      sprinkle(B, e, rng, 1);
      expectSameLu(n, 2, A, B, "n=" + std::to_string(n) + " " + extraName(e));
    }
  }
}

TEST(FastLu, BreakdownAtEveryStep) {
  // A zero column k makes u(k,k) exactly zero at step k, after every
  // earlier step and the interchanges; a tiny one just misses the
  // threshold, and one of exactly the threshold passes.
  std::mt19937 rng(7);
  for (std::int32_t n : {5, 17, 70}) {
    const std::size_t N = static_cast<std::size_t>(n);
    for (std::int32_t k = 0; k < n; ++k) {
      std::vector<float> A = randomValues(N * N, rng);
      const float fill = k % 3 == 0 ? 0.0f : (k % 3 == 1 ? -0.0f : 0.0f);
      for (std::size_t i = 0; i < N; ++i) A[k * N + i] = fill;
      if (k % 3 == 2) A[k * N + k] = (k % 2 ? 0.99e-8f : -1.0e-8f);
      const std::vector<float> B = randomValues(N, rng);
      expectSameLu(n, 1, A, B, "n=" + std::to_string(n) + " zero column " + std::to_string(k));
    }
  }
  // The first step fails on the whole first column, after an interchange
  // that reaches beyond the first block of columns.
  for (std::int32_t n : {3, 100}) {
    std::vector<float> A = randomValues(static_cast<std::size_t>(n) * n, rng);
    for (std::int32_t i = 0; i < n; ++i) A[i] = 1e-9f * static_cast<float>(i % 5);
    expectSameLu(n, 1, A, randomValues(n, rng), "tiny u(1,1), n=" + std::to_string(n));
  }
}

TEST(FastLu, EveryNumberOfRightHandSides) {
  std::mt19937 rng(3);
  for (std::int32_t n : {1, 2, 7, 18}) {
    const std::size_t N = static_cast<std::size_t>(n);
    const std::vector<float> A = randomValues(N * N, rng);
    for (std::int32_t nb = 1; nb <= n + 1; ++nb) {
      std::vector<float> B = randomValues(N * nb, rng);
      sprinkle(B, Extra::NegZeros, rng, 2);
      expectSameLu(n, nb, A, B, "n=" + std::to_string(n) + " nb=" + std::to_string(nb));
    }
  }
}

TEST(FastLu, LargeOrder) {
  std::mt19937 rng(1000);
  const std::int32_t n = 1000;
  std::vector<float> A = randomValues(1000u * 1000u, rng);
  sprinkle(A, Extra::Zeros, rng, 5000);
  expectSameLu(n, 3, A, randomValues(3000, rng), "n=1000");
  for (Extra e : {Extra::Wide, Extra::Cancel}) {
    // Beyond the depth of one tile panel, so sums cross panels.
    std::vector<float> W = randomValues(400u * 400u, rng);
    sprinkle(W, e, rng, 0);
    expectSameLu(400, 2, W, randomValues(800, rng), std::string("n=400 ") + extraName(e));
  }
}

// ------------------------------------------------------------- Cholesky

// A symmetric matrix, packed, dominant on the diagonal (so positive
// definite) unless the special values say otherwise.
std::vector<float> packedSymmetric(std::int32_t n, std::mt19937& rng, float diagonal) {
  const std::size_t N = static_cast<std::size_t>(n);
  std::vector<float> S = randomValues(N * (N + 1) / 2, rng);
  for (std::size_t j = 1; j <= N; ++j) S[packedOffset(j, j)] = diagonal + S[packedOffset(j, j)];
  return S;
}

struct CholOutcome {
  std::vector<float> S, X;
  std::int32_t status = 0;
  KernelStatus stop;  // where a breakdown stopped, and on what
};

template <class Factor, class Solve>
CholOutcome cholRun(std::int32_t n, std::int32_t nb, const std::vector<float>& S0,
                    const std::vector<float>& B0, Factor factor, Solve solve) {
  CholOutcome r;
  r.S = S0;
  r.X = B0;
  r.stop = factor(n, r.S.data(), r.status);
  if (r.status == 0) solve(n, r.S.data(), nb, r.X.data());
  return r;
}

void expectSameCholesky(std::int32_t n, std::int32_t nb, const std::vector<float>& S0,
                        const std::vector<float>& B0, const std::string& label) {
  const CholOutcome ref = cholRun(n, nb, S0, B0, SUB_CHOLESKY_S,
                                  [](std::int32_t n, const float* S, std::int32_t nb, float* B) {
                                    for (std::int32_t k = 0; k < nb; ++k) {
                                      FORWARD(n, S, B + static_cast<std::size_t>(k) * n);
                                      BACK(n, S, B + static_cast<std::size_t>(k) * n);
                                    }
                                  });
  forEachKernelPath([&](const std::string& path) {
    SCOPED_TRACE(label + " " + path);
    const CholOutcome got = cholRun(n, nb, S0, B0, choleskyFactor, choleskySolve);
    EXPECT_EQ(got.status, ref.status);
    EXPECT_SAME_BITS(ref.S, got.S, "packed factor");
    EXPECT_SAME_BITS(ref.X, got.X, "solutions");
    expectSameStatus(got.stop, ref.stop);
  });
}

TEST(FastCholesky, RandomMatricesWithSpecialValues) {
  std::mt19937 rng(21);
  for (std::int32_t n : kSizes) {
    for (Extra e : kExtras) {
      std::vector<float> S = packedSymmetric(n, rng, 2.0f * static_cast<float>(n));
      std::vector<float> B = randomValues(static_cast<std::size_t>(n) * 2, rng);
      sprinkle(S, e, rng, 1 + static_cast<std::size_t>(n) / 4);
      sprinkle(B, e, rng, 1);
      expectSameCholesky(n, 2, S, B, "n=" + std::to_string(n) + " " + extraName(e));
    }
  }
}

TEST(FastCholesky, BreakdownAtEveryRow) {
  std::mt19937 rng(8);
  for (std::int32_t n : {6, 70, 140}) {
    for (std::int32_t j = 1; j <= n; j += (n > 70 ? 9 : 1)) {
      std::vector<float> S = packedSymmetric(n, rng, 2.0f * static_cast<float>(n));
      // d <= 0 exactly at row j: a zero or negative diagonal entry, or -0.
      const float d[] = {0.0f, -1.0f, -0.0f};
      S[packedOffset(j, j)] = j == 1 ? d[j % 3] : -static_cast<float>(n * n) * d[j % 2];
      expectSameCholesky(n, 1, S, randomValues(n, rng),
                         "n=" + std::to_string(n) + " row " + std::to_string(j));
    }
  }
}

TEST(FastCholesky, EveryNumberOfRightHandSidesAndALargeOrder) {
  std::mt19937 rng(4);
  for (std::int32_t n : {1, 2, 9}) {
    const std::vector<float> S = packedSymmetric(n, rng, 3.0f * n);
    for (std::int32_t nb = 1; nb <= n + 1; ++nb)
      expectSameCholesky(n, nb, S, randomValues(static_cast<std::size_t>(n) * nb, rng),
                         "n=" + std::to_string(n) + " nb=" + std::to_string(nb));
  }
  const std::vector<float> S = packedSymmetric(1000, rng, 1000.0f);
  expectSameCholesky(1000, 2, S, randomValues(2000, rng), "n=1000");
}

// ---------------------------------------------------------------- PROBA

void expectSameResiduals(std::int32_t n, std::int32_t nb, const std::vector<float>& A,
                         const std::vector<float>& B, const std::vector<float>& X,
                         const std::string& label) {
  std::vector<float> ref(B.size(), 1.0f);
  PROBA_RESIDUALS(n, nb, A.data(), B.data(), X.data(), ref.data());
  forEachKernelPath([&](const std::string& path) {
    SCOPED_TRACE(label + " " + path);
    std::vector<float> got(B.size(), 2.0f);
    probaResiduals(n, nb, A.data(), B.data(), X.data(), got.data());
    EXPECT_SAME_BITS(ref, got, "residuals");
  });
}

TEST(FastProba, RandomDataWithSpecialValues) {
  std::mt19937 rng(5);
  for (std::int32_t n : kSizes) {
    for (Extra e : kExtras) {
      const std::size_t N = static_cast<std::size_t>(n);
      for (std::int32_t nb : {1, n}) {
        std::vector<float> A = randomValues(N * N, rng);
        std::vector<float> X = randomValues(N * nb, rng);
        std::vector<float> B = randomValues(N * nb, rng);
        sprinkle(A, e, rng, 1 + N / 3);
        sprinkle(X, e, rng, 1);
        sprinkle(B, e, rng, 1);
        expectSameResiduals(n, nb, A, B, X,
                            "n=" + std::to_string(n) + " nb=" + std::to_string(nb) + " " +
                                extraName(e));
      }
    }
  }
}

TEST(FastProba, EveryNumberOfRightHandSidesAndLargeOrders) {
  std::mt19937 rng(6);
  const std::int32_t n = 19;
  const std::vector<float> A = randomValues(19 * 19, rng);
  for (std::int32_t nb = 1; nb <= n + 2; ++nb)
    expectSameResiduals(n, nb, A, randomValues(19u * nb, rng), randomValues(19u * nb, rng),
                        "nb=" + std::to_string(nb));
  const std::vector<float> big = randomValues(1000u * 1000u, rng);
  for (std::int32_t nb : {1, 300})
    expectSameResiduals(1000, nb, big, randomValues(1000u * nb, rng),
                        randomValues(1000u * nb, rng), "n=1000 nb=" + std::to_string(nb));
}

}  // namespace
}  // namespace parvela
