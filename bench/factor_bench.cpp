// The factor group: LU (factorisation and one solve) against LAPACK's in
// single and in double precision, Cholesky on packed storage against the
// packed and the full LAPACK routines, and the residuals of the
// verification against sgemm (nb = n) and sgemv (nb = 1).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench.h"
#include "core/problem_state.h"
#include "direct/cholesky_fast.h"
#include "direct/lu.h"
#include "direct/lu_fast.h"
#include "direct/proba_fast.h"
#include "peer.h"

using namespace parvela;

namespace {

void runFactor(int n, int reps) {
  const std::size_t N = static_cast<std::size_t>(n);
  const int one = 1;
  int info = 0;

  // A general matrix and one right-hand side.
  std::vector<float> A0(N * N), B0(N);
  bench::fillRandom(A0.data(), A0.size(), 1);
  bench::fillRandom(B0.data(), B0.size(), 2);
  std::vector<float> A(N * N), B(N);
  std::vector<double> AD(N * N), BD(N);
  std::vector<std::int32_t> order(N);
  std::vector<int> ipiv(N);
  {
    const auto setup = [&] {
      A = A0;
      B = B0;
      for (std::size_t i = 0; i < N * N; ++i) AD[i] = A0[i];
      for (std::size_t i = 0; i < N; ++i) BD[i] = B0[i];
    };
    const auto ours = [&] {
      std::int32_t ierr = 0;
      std::int32_t swaps = 0;
      luFactor(A.data(), n, order.data(), ierr, swaps);
      luSolve(A.data(), n, order.data(), 1, B.data());
    };
    bench::row("LUDECOMP+LUSOLVE", n, "sgetrf+sgetrs",
               bench::compare(reps, setup, ours, [&] {
                 sgetrf_(&n, &n, A.data(), &n, ipiv.data(), &info);
                 sgetrs_("N", &n, &one, A.data(), &n, ipiv.data(), B.data(), &n, &info, 1);
               }));
    bench::row("LUDECOMP+LUSOLVE", n, "dgetrf+dgetrs",
               bench::compare(reps, setup, ours, [&] {
                 dgetrf_(&n, &n, AD.data(), &n, ipiv.data(), &info);
                 dgetrs_("N", &n, &one, AD.data(), &n, ipiv.data(), BD.data(), &n, &info, 1);
               }));
  }

  // A symmetric positive definite matrix: packed upper triangle, and the
  // same in full storage for spotrf.
  {
    std::vector<float> P0(N * (N + 1) / 2), P(P0.size()), F(N * N);
    bench::fillRandom(P0.data(), P0.size(), 3);
    for (std::size_t j = 1; j <= N; ++j) P0[packedOffset(j, j)] += 2.0f * static_cast<float>(n);
    const auto setup = [&] {
      P = P0;
      B = B0;
      for (std::size_t j = 1; j <= N; ++j)
        for (std::size_t i = 1; i <= j; ++i) F[(j - 1) * N + (i - 1)] = P0[packedOffset(i, j)];
    };
    const auto ours = [&] {
      std::int32_t status = 0;
      choleskyFactor(n, P.data(), status);
      choleskySolve(n, P.data(), 1, B.data());
    };
    bench::row("Cholesky packed", n, "spptrf+spptrs",
               bench::compare(reps, setup, ours, [&] {
                 spptrf_("U", &n, P.data(), &info, 1);
                 spptrs_("U", &n, &one, P.data(), B.data(), &n, &info, 1);
               }));
    bench::row("Cholesky packed", n, "spotrf+spotrs",
               bench::compare(reps, setup, ours, [&] {
                 spotrf_("U", &n, F.data(), &n, &info, 1);
                 spotrs_("U", &n, &one, F.data(), &n, B.data(), &n, &info, 1);
               }));
  }

  // Residuals A*X - B of n solutions, and of one.
  {
    std::vector<float> X(N * N), R(N * N), D(N * N);
    bench::fillRandom(X.data(), X.size(), 4);
    bench::fillRandom(R.data(), R.size(), 5);
    const float alpha = 1.0f, minusOne = -1.0f;
    bench::row("PROBA nb=n", n, "sgemm",
               bench::compare(reps, [&] { D = R; },
                              [&] { probaResiduals(n, n, A0.data(), R.data(), X.data(), D.data()); },
                              [&] {
                                sgemm_("N", "N", &n, &n, &n, &alpha, A0.data(), &n, X.data(), &n,
                                       &minusOne, D.data(), &n, 1, 1);
                              }));
    bench::row("PROBA nb=1", n, "sgemv",
               bench::compare(reps * 5, [&] { std::copy(R.begin(), R.begin() + n, D.begin()); },
                              [&] { probaResiduals(n, 1, A0.data(), R.data(), X.data(), D.data()); },
                              [&] {
                                sgemv_("N", &n, &n, &alpha, A0.data(), &n, X.data(), &one, &minusOne,
                                       D.data(), &one, 1);
                              }));
  }
}

bench::Register reg("factor", &runFactor);

}  // namespace
