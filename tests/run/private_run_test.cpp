// Private runs at the same time as another run (an analysis beside
// "REZOLVA !"): the kernels' second thread serves one of them at a time,
// and each gets the bits it gets alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

#include "core/problem_state.h"
#include "core/steps.h"
#include "run/dispatcher.h"

namespace parvela {
namespace {

ProblemState largeSystem(const char* method, std::int32_t n, std::uint32_t seed) {
  ProblemState s;
  {
    ProblemScope scope(s);
    INITIALIZEDATA();
  }
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  const std::size_t N = static_cast<std::size_t>(n);
  s.n = n;
  s.nb = 2;
  s.A.resize(N * N);
  for (float& v : s.A) v = u(rng);
  for (std::size_t i = 0; i < N; ++i) s.A[i * N + i] += static_cast<float>(n);
  s.B.resize(2 * N);
  for (float& v : s.B) v = u(rng);
  s.methodIndex = methodIndexOf(method);
  s.readForSystem = s.dataRead = true;
  s.epsText = fixedText("1e-30", kParamTextLength);  // every sweep up to Nlim
  s.nlimText = fixedText("6", kParamTextLength);
  return s;
}

// The last iterate of every right-hand side, as the sweeps published it.
struct LastIterates final : StepListener {
  std::vector<std::vector<float>> x;
  void step(const StepEvent& e) override {
    if (e.kind != StepKind::Sweep) return;
    x.resize(std::max<std::size_t>(x.size(), static_cast<std::size_t>(e.rhs)));
    x[static_cast<std::size_t>(e.rhs - 1)].assign(e.x.begin(), e.x.end());
  }
};

std::vector<std::vector<float>> iterate(ProblemState s) {
  LastIterates last;
  StepScope scope(&last);
  runOnPrivateState(s);
  return last.x;
}

TEST(PrivateRun, TwoAtOnceGiveTheBitsOfEachAlone) {
  // Orders where the kernels split their work between two threads.
  ProblemState luAlone = largeSystem("LU", 300, 1);
  ProblemState lu = luAlone;
  runOnPrivateState(luAlone);
  const ProblemState gs = largeSystem("Gauss-Seidel", 1600, 2);
  const std::vector<std::vector<float>> gsAlone = iterate(gs);
  ASSERT_EQ(gsAlone.size(), 2u);

  std::vector<std::vector<float>> gsBeside;
  std::thread other([&] { gsBeside = iterate(gs); });
  runOnPrivateState(lu);
  other.join();
  EXPECT_EQ(lu.A, luAlone.A);
  EXPECT_EQ(lu.B, luAlone.B);
  EXPECT_EQ(gsBeside, gsAlone);
}

}  // namespace
}  // namespace parvela
