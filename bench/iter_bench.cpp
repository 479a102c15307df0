// Group `iter`: the power method's product, M^T M and the sweeps of the
// iterative methods, ours against OpenBLAS.
#include <algorithm>
#include <complex>
#include <cstddef>
#include <vector>

#include "bench.h"
#include "condition/norms.h"
#include "condition/power_fast.h"
#include "core/kernel_runtime.h"
#include "core/large_pages.h"
#include "iterative/sweeps_fast.h"
#include "peer.h"

namespace parvela::bench {
namespace {

// n(n-1)/2 dependent additions: the chain no Gauss-Seidel sweep can
// shorten (row i's additions from column i-1 on wait for row i-1).
__attribute__((noinline)) float additionChain(std::size_t steps, const float* terms) {
  float s = 0.0f;
  for (std::size_t k = 0; k < steps; ++k) s = s + terms[k & 1023];
  return s;
}

// The chain no SOR sweep can shorten: component i waits for component
// i-1 through the product and the addition of its lower sum's last term,
// the two subtractions, the relaxation's product and its sum (n times).
__attribute__((noinline)) float sorChain(std::size_t n, const float* terms) {
  float x = 0.0f;
  for (std::size_t i = 0; i < n; ++i) {
    const float t = terms[i & 1023];
    const float s = t + t * x;
    const float g = (t - s) - t;
    x = 0.5f * g + t;
  }
  return x;
}

void iterGroup(int n, int reps) {
  const std::size_t nn = static_cast<std::size_t>(n);
  std::vector<float> A(nn * nn);
  fillRandom(A.data(), A.size(), 11);

  // POWER_COMPLEX, 1000 products: two passes of 500 iterations that never
  // settle, against 1000 complex matrix-vector products.
  {
    std::vector<std::complex<float>> C(nn * nn), x(nn, {0.5f, 0.25f}), y(nn);
    for (std::size_t p = 0; p < A.size(); ++p) C[p] = {A[p], 0.0f};
    Complex lambda;
    std::int32_t iter = 0, status = 0;
    float test = 0.0f;
    const std::complex<float> one(1.0f, 0.0f), zero(0.0f, 0.0f);
    const int inc = 1;
    Timing t = compare(
        reps, [] {},
        [&] { fastPowerReal(n, A.data(), 500, -1.0f, lambda, iter, status, test, 1); },
        [&] {
          for (int k = 0; k < 1000; ++k)
            cgemv_("N", &n, &n, &one, C.data(), &n, x.data(), &inc, &zero, y.data(), &inc, 1);
        });
    row("POWER_COMPLEX x1000", n, "cgemv x1000", t);
  }

  // M^T M against the full product.
  {
    std::vector<float> W, G(nn * nn);
    const float one = 1.0f, zero = 0.0f;
    Timing t = compare(
        reps, [] {}, [&] { fastTransposeTimesSelf(nn, A.data(), W); },
        [&] {
          sgemm_("T", "N", &n, &n, &n, &one, A.data(), &n, A.data(), &n, &zero, G.data(), &n, 1,
                 1);
        });
    row("A^T A", n, "sgemm", t);
  }

  // Gauss-Seidel, 100 sweeps, on a diagonally dominant system.
  {
    // Large pages where the system gives them, as the program's own
    // matrices get (a sweep reads a line of every column per block).
    std::vector<float> S;
    S.reserve(A.size());
    preferLargePages(S.data(), A.size() * sizeof(float));
    S = A;
    std::vector<float> b(nn), x0(nn), x1(nn), y(nn);
    for (std::size_t i = 0; i < nn; ++i) S[i * nn + i] = static_cast<float>(n);
    fillRandom(b.data(), nn, 12);
    fillRandom(x0.data(), nn, 13);
    const float one = 1.0f, zero = 0.0f;
    const int inc = 1;
    auto sweeps = [&] {
      for (int k = 0; k < 100; ++k) fastSweepGaussSeidel(n, S.data(), b.data(), x0.data(), x1.data());
    };
    Timing t = compare(reps, [] {}, sweeps, [&] {
      for (int k = 0; k < 100; ++k)
        sgemv_("N", &n, &n, &one, S.data(), &n, x0.data(), &inc, &zero, y.data(), &inc, 1);
    });
    row("Gauss-Seidel sweep x100", n, "sgemv x100", t);

    std::vector<float> terms(1024, 1.0e-9f);
    const std::size_t steps = nn * (nn - 1) / 2;
    volatile float sink = 0.0f;
    t = compare(reps, [] {}, sweeps, [&] {
      for (int k = 0; k < 100; ++k) sink = additionChain(steps, terms.data());
    });
    row("Gauss-Seidel sweep x100", n, "addition chain x100", t);
    // Where the machine has two cores the program sweeps on two threads:
    // the chains on one, the next block's preparation on the other.
    const int threads = kernels::threadCount();
    kernels::setThreadCount(2);
    t = compare(reps, [] {}, sweeps, [&] {
      for (int k = 0; k < 100; ++k) sink = additionChain(steps, terms.data());
    });
    kernels::setThreadCount(threads);
    row("Gauss-Seidel sweep x100, 2 threads", n, "addition chain x100", t);

    for (std::size_t i = 0; i < nn; ++i) S[i * nn + i] = 1.0f;
    auto sorSweeps = [&] {
      for (int k = 0; k < 100; ++k)
        fastSweepSor(n, S.data(), b.data(), x0.data(), x1.data(), 1.25f, -0.25f);
    };
    t = compare(reps, [] {}, sorSweeps, [&] {
      for (int k = 0; k < 100; ++k)
        sgemv_("N", &n, &n, &one, S.data(), &n, x0.data(), &inc, &zero, y.data(), &inc, 1);
    });
    row("SOR sweep x100", n, "sgemv x100", t);
    // Its own chain is short: a sweep is bound by reading A, as sgemv is.
    t = compare(reps, [] {}, sorSweeps, [&] {
      for (int k = 0; k < 100; ++k) sink = sorChain(nn, terms.data());
    });
    row("SOR sweep x100", n, "its chain x100", t);
  }
}

const Register kIter("iter", iterGroup);

}  // namespace
}  // namespace parvela::bench
