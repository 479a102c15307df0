// Gauss elimination against LAPACK's sgesv: one right-hand side, the
// inverse (B the identity) and the inverse for the condition number.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench.h"
#include "condition/elim2_fast.h"
#include "direct/elim_fast.h"
#include "peer.h"

namespace parvela::bench {
namespace {

void directGroup(int n, int reps) {
  const std::size_t N = static_cast<std::size_t>(n);
  std::vector<float> A0(N * N), b0(N), I0(N * N, 0.0f);
  fillRandom(A0.data(), A0.size(), 1);
  fillRandom(b0.data(), b0.size(), 2);
  for (std::size_t i = 0; i < N; ++i) I0[i * N + i] = 1.0f;
  std::vector<float> A, B;
  std::vector<int> ipiv(N);

  auto runPeer = [&](int nrhs) {
    int info = 0;
    sgesv_(&n, &nrhs, A.data(), &n, ipiv.data(), B.data(), &n, &info);
  };

  for (int many = 0; many < 2; ++many) {
    const std::vector<float>& b = many ? I0 : b0;
    const int nb = many ? n : 1;
    const Timing t = compare(
        reps, [&] { A = A0; B = b; },
        [&] {
          std::int32_t ierr = 0, npiv = 0;
          elimFast(n, nb, A.data(), B.data(), 1.0E-6f, ierr, npiv);
        },
        [&] { runPeer(nb); });
    row(many ? "ELIM nb=n" : "ELIM nb=1", n, many ? "sgesv, identity" : "sgesv", t);
  }

  const Timing t = compare(
      reps, [&] { A = A0; B = I0; },
      [&] {
        std::int32_t status = 0;
        elim2Fast(n, n, A.data(), B.data(), 1.0E-8f, status);
      },
      [&] { runPeer(n); });
  row("ELIM2, identity", n, "sgesv, identity", t);
}

const Register kDirect("direct", directGroup);

}  // namespace
}  // namespace parvela::bench
