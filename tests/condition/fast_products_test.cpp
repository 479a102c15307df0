// The condition number's vectorised products against the straightforward
// ones, value for value, on every kernel path and thread count.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "condition/power.h"
#include "condition/power_fast.h"
#include "core/progress.h"
#include "support/kernel_paths.h"

namespace parvela {
namespace {

using testing::fillHard;
using testing::firstDifference;
using testing::forEachKernelPath;
using testing::sameValue;

// The product as the condition-number driver has always formed it.
std::vector<float> straightforwardGram(std::size_t n, const float* M) {
  std::vector<float> W(n * n, 0.0f);
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i <= j; ++i) {
      float w = 0.0f;
      for (std::size_t k = 0; k < n; ++k) w = w + M[i * n + k] * M[j * n + k];
      W[j * n + i] = w;
      W[i * n + j] = w;
    }
  return W;
}

TEST(FastProducts, TransposeTimesSelfGivesTheStraightforwardValues) {
  std::mt19937 g(4242);
  const std::size_t sizes[] = {1, 2, 7, 15, 17, 33, 100, 257, 300};
  int cases = 0;
  for (std::size_t n : sizes) {
    for (int variant = 0; variant < 6; ++variant, ++cases) {
      std::vector<float> M(n * n);
      fillHard(g, M.data(), M.size(), variant < 2 ? 0.0 : variant < 4 ? 0.01 : 0.2);
      if (variant == 1) {  // a matrix whose products underflow and overflow
        for (float& m : M) m *= (&m - M.data()) % 3 == 0 ? 1.0e-22f : 1.0e19f;
      }
      const std::vector<float> want = straightforwardGram(n, M.data());
      forEachKernelPath([&](const std::string& path) {
        std::vector<float> W(3, 5.0f);  // the wrong size on purpose
        fastTransposeTimesSelf(n, M.data(), W);
        ASSERT_EQ(W.size(), n * n);
        const long d = firstDifference(W.data(), want.data(), n * n);
        ASSERT_EQ(d, -1) << "n = " << n << ", variant " << variant << ", " << path
                         << ": element " << d << " = " << W[d < 0 ? 0 : d] << ", expected "
                         << want[d < 0 ? 0 : d];
      });
    }
  }
  EXPECT_GE(cases, 50);
}

TEST(FastProducts, TransposeTimesSelfOfOrderThousand) {
  std::mt19937 g(99);
  const std::size_t n = 1000;
  std::vector<float> M(n * n);
  fillHard(g, M.data(), M.size(), 0.0005);
  const std::vector<float> want = straightforwardGram(n, M.data());
  forEachKernelPath([&](const std::string& path) {
    std::vector<float> W;
    fastTransposeTimesSelf(n, M.data(), W);
    EXPECT_EQ(firstDifference(W.data(), want.data(), n * n), -1) << path;
  });
}

struct PowerOutcome {
  Complex lambda;
  std::int32_t iter = -5, status = -5;
  float test = -5.0f;
};

bool same(const PowerOutcome& a, const PowerOutcome& b) {
  return sameValue(a.lambda.re, b.lambda.re) && sameValue(a.lambda.im, b.lambda.im) &&
         a.iter == b.iter && a.status == b.status && sameValue(a.test, b.test);
}

PowerOutcome straightforwardPower(std::int32_t n, const std::vector<float>& A, std::int32_t nlim,
                                  float eps) {
  std::vector<Complex> C(A.size());
  for (std::size_t p = 0; p < A.size(); ++p) C[p] = {A[p], 0.0f};
  PowerOutcome r;
  POWER_COMPLEX(n, C.data(), nlim, eps, r.lambda, r.iter, r.status, r.test);
  return r;
}

// Matrices that settle in the first pass, in the shifted one, or never.
void makePowerMatrix(std::mt19937& g, std::int32_t n, int kind, std::vector<float>& A) {
  const std::size_t nn = static_cast<std::size_t>(n);
  A.assign(nn * nn, 0.0f);
  fillHard(g, A.data(), A.size(), kind == 4 ? 0.05 : 0.0);
  switch (kind) {
    case 0:  // one dominant positive eigenvalue
      for (std::size_t i = 0; i < nn; ++i) A[i * nn + i] += static_cast<float>(i % 7) + 3.0f;
      A[0] += 2.0f * static_cast<float>(n);
      break;
    case 1:  // -λ and λ: the first pass oscillates
      for (std::size_t i = 0; i < nn; ++i) A[i * nn + i] = i % 2 ? -50.0f : 50.0f;
      break;
    case 2:  // zero rows and columns, negative zeros
      for (std::size_t j = 0; j < nn; j += 3)
        for (std::size_t i = 0; i < nn; ++i) A[j * nn + i] = j % 2 ? -0.0f : 0.0f;
      break;
    default:
      break;
  }
}

TEST(FastProducts, PowerMethodGivesTheStraightforwardOutcome) {
  std::mt19937 g(5150);
  // Around multiples of the vectors, of the columns a pass takes (4) and of
  // the rows of a tile (64); 257 and 263 on two threads.
  const std::int32_t sizes[] = {1, 2, 4, 5, 7, 8, 9, 15, 17, 33, 63, 64, 65, 100, 257, 263};
  int cases = 0;
  for (std::int32_t n : sizes) {
    for (int kind = 0; kind < 5; ++kind) {
      for (int limit = 0; limit < 2; ++limit, ++cases) {
        std::vector<float> A;
        makePowerMatrix(g, n, kind, A);
        const std::int32_t nlim = n > 100 ? (limit ? 12 : 3) : (limit ? 60 : 1);
        const float eps = limit ? kPowerTolerance : 1.0e-3f;
        const PowerOutcome want = straightforwardPower(n, A, nlim, eps);
        forEachKernelPath([&](const std::string& path) {
          PowerOutcome got;
          fastPowerReal(n, A.data(), nlim, eps, got.lambda, got.iter, got.status, got.test, 1);
          EXPECT_TRUE(same(got, want))
              << "n = " << n << ", kind " << kind << ", nlim " << nlim << ", " << path
              << ": lambda " << got.lambda.re << " " << got.lambda.im << " iter " << got.iter
              << " status " << got.status << " test " << got.test << "; expected "
              << want.lambda.re << " " << want.lambda.im << " iter " << want.iter << " status "
              << want.status << " test " << want.test;
        });
      }
    }
  }
  EXPECT_GE(cases, 50);
}

TEST(FastProducts, PowerMethodOfOrderThousand) {
  std::mt19937 g(8);
  std::vector<float> A;
  makePowerMatrix(g, 1000, 0, A);
  const PowerOutcome want = straightforwardPower(1000, A, 4, kPowerTolerance);
  forEachKernelPath([&](const std::string& path) {
    PowerOutcome got;
    fastPowerReal(1000, A.data(), 4, kPowerTolerance, got.lambda, got.iter, got.status,
                  got.test, 1);
    EXPECT_TRUE(same(got, want)) << path;
  });
}

TEST(FastProducts, EigenPowerMatchesOnTheFullIterationLimit) {
  std::mt19937 g(31);
  for (int kind = 0; kind < 2; ++kind) {
    std::vector<float> A;
    makePowerMatrix(g, 9, kind, A);
    PowerOutcome want, got;
    EIGEN_POWER(9, A.data(), want.lambda, want.status, want.test);
    fastEigenPower(9, A.data(), got.lambda, got.status, got.test, 1);
    want.iter = got.iter = 0;
    EXPECT_TRUE(same(got, want)) << "kind " << kind;
  }
}

// Counts the progress reports and stops the work at a chosen one.
class CountingMonitor : public WorkMonitor {
 public:
  explicit CountingMonitor(int stopAt) : stopAt_(stopAt) {}
  void progress(const Progress& p) override {
    ++seen;
    lastStage = p.stage;
    lastPart = p.part;
    lastDone = p.done;
  }
  bool cancelRequested() override { return stopAt_ > 0 && seen >= stopAt_; }
  int seen = 0;
  Stage lastStage = Stage::Reading;
  std::int32_t lastPart = 0;
  std::int64_t lastDone = 0;

 private:
  int stopAt_;
};

TEST(FastProducts, PowerMethodReportsEachIterationAndPassAndStops) {
  std::vector<float> A;
  std::mt19937 g(3);
  makePowerMatrix(g, 6, 1, A);  // runs the plain and the shifted pass
  {
    CountingMonitor m(0);
    MonitorScope scope(&m);
    PowerOutcome r;
    fastPowerReal(6, A.data(), 20, kPowerTolerance, r.lambda, r.iter, r.status, r.test, 3);
    EXPECT_EQ(m.lastStage, Stage::PowerMethod);
    EXPECT_EQ(m.lastPart, 4);  // the shifted pass of the second radius
    EXPECT_EQ(m.seen, 20 + r.iter);
  }
  CountingMonitor stopper(5);
  MonitorScope scope(&stopper);
  PowerOutcome r;
  EXPECT_THROW(
      fastPowerReal(6, A.data(), 20, kPowerTolerance, r.lambda, r.iter, r.status, r.test, 1),
      WorkCancelled);
  EXPECT_EQ(stopper.lastDone, 5);
}

TEST(FastProducts, TransposeTimesSelfStopsWhenAsked) {
  struct Stopper : WorkMonitor {
    void progress(const Progress&) override {}
    bool cancelRequested() override { return true; }
  } always;
  MonitorScope scope(&always);
  std::vector<float> M(300 * 300, 1.0f), W;
  EXPECT_THROW(fastTransposeTimesSelf(300, M.data(), W), WorkCancelled);
}

}  // namespace
}  // namespace parvela
