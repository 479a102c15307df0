// The vectorised sweeps against the straightforward ones, bit for bit, on
// every kernel path and thread count.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "iterative/sweeps.h"
#include "iterative/sweeps_fast.h"
#include "support/kernel_paths.h"

namespace parvela {
namespace {

using testing::firstDifference;
using testing::fillHard;
using testing::forEachKernelPath;

struct SweepCase {
  std::int32_t n;
  std::size_t offset;  // floats between a cache line start and the matrix
  double special;      // share of hard values
  bool dominant;       // a diagonally dominant matrix (the usual iterated kind)
};

std::vector<SweepCase> sweepCases() {
  std::vector<SweepCase> cases;
  // Around multiples of the vectors and of the columns a pass takes
  // (8), and of the tiles of rows (64).
  const std::int32_t sizes[] = {1, 2, 7, 8, 9, 15, 16, 17, 24, 25, 33, 63, 65, 100, 257};
  unsigned k = 0;
  for (std::int32_t n : sizes) {
    for (int variant = 0; variant < 6; ++variant, ++k) {
      cases.push_back({n, (k * 5) % 16, variant < 2 ? 0.0 : variant < 4 ? 0.02 : 0.3,
                       variant % 2 == 0});
    }
  }
  cases.push_back({1537, 7, 0.02, true});  // two threads, a short last block
  cases.push_back({385, 1, 0.02, true});   // the upper sums on two threads
  cases.push_back({1000, 3, 0.0, true});
  cases.push_back({1000, 0, 0.001, false});
  return cases;
}

// A matrix that starts `offset` floats into a 64-byte line, so that every
// placement of the row blocks against cache lines gets used.
struct Placed {
  std::vector<float> storage;
  float* A = nullptr;
  Placed(std::size_t count, std::size_t offset) : storage(count + 32) {
    auto addr = reinterpret_cast<std::uintptr_t>(storage.data());
    const std::size_t lead = ((64 - addr % 64) % 64) / sizeof(float);
    A = storage.data() + lead + offset;
  }
};

void makeSystem(std::mt19937& g, const SweepCase& c, float* A, float* b, float* x0) {
  const std::size_t n = static_cast<std::size_t>(c.n);
  fillHard(g, A, n * n, c.special);
  if (c.dominant)
    for (std::size_t i = 0; i < n; ++i) A[i * n + i] = static_cast<float>(n) + 1.5f;
  fillHard(g, b, n, c.special, -10.0f, 10.0f);
  fillHard(g, x0, n, c.special, -2.0f, 2.0f);
}

TEST(FastSweeps, GaussSeidelGivesTheBitsOfTheStraightforwardSweep) {
  std::mt19937 g(20261209);
  for (const SweepCase& c : sweepCases()) {
    const std::size_t n = static_cast<std::size_t>(c.n);
    Placed m(n * n, c.offset);
    std::vector<float> b(n), x0(n), want(n);
    makeSystem(g, c, m.A, b.data(), x0.data());
    // Three sweeps, each from the last, so that later sweeps see the
    // values the first one produced.
    std::vector<float> from = x0;
    std::vector<std::vector<float>> expected;
    for (int s = 0; s < 3; ++s) {
      sweepGaussSeidel(c.n, m.A, b.data(), from.data(), want.data());
      expected.push_back(want);
      from = want;
    }
    forEachKernelPath([&](const std::string& path) {
      std::vector<float> cur = x0, got(n, 7.0f);
      for (int s = 0; s < 3; ++s) {
        fastSweepGaussSeidel(c.n, m.A, b.data(), cur.data(), got.data());
        const long d = firstDifference(got.data(), expected[s].data(), n);
        ASSERT_EQ(d, -1) << "n = " << n << ", offset " << c.offset << ", hard share "
                         << c.special << ", sweep " << s + 1 << ", " << path << ": x("
                         << d + 1 << ") = " << got[d < 0 ? 0 : d] << ", expected "
                         << expected[s][d < 0 ? 0 : d];
        cur = got;
      }
    });
  }
}

TEST(FastSweeps, SorGivesTheBitsOfTheStraightforwardSweep) {
  std::mt19937 g(777);
  std::uniform_real_distribution<float> w(0.05f, 1.95f);
  for (const SweepCase& c : sweepCases()) {
    const std::size_t n = static_cast<std::size_t>(c.n);
    Placed m(n * n, c.offset);
    std::vector<float> b(n), x0(n), want(n);
    makeSystem(g, c, m.A, b.data(), x0.data());
    for (std::size_t i = 0; i < n; ++i) m.A[i * n + i] = 1.0f;
    const float omega = w(g);
    const float oneMinusOmega = 1.0f - omega;
    sweepSor(c.n, m.A, b.data(), x0.data(), want.data(), omega, oneMinusOmega);
    forEachKernelPath([&](const std::string& path) {
      std::vector<float> got(n, 7.0f);
      fastSweepSor(c.n, m.A, b.data(), x0.data(), got.data(), omega, oneMinusOmega);
      const long d = firstDifference(got.data(), want.data(), n);
      ASSERT_EQ(d, -1) << "n = " << n << ", offset " << c.offset << ", hard share "
                       << c.special << ", omega " << omega << ", " << path << ": x(" << d + 1
                       << ")";
    });
  }
}

TEST(FastSweeps, NothingToDoForAnEmptySystem) {
  float x = 3.0f;
  fastSweepGaussSeidel(0, nullptr, nullptr, nullptr, &x);
  fastSweepSor(0, nullptr, nullptr, nullptr, &x, 1.5f, -0.5f);
  EXPECT_EQ(x, 3.0f);
}

}  // namespace
}  // namespace parvela
