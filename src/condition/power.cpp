// Power method for the dominant eigenvalue of a real matrix, in complex
// single precision, with one shifted pass when the first one oscillates.
#include "condition/power.h"

#include <cstddef>
#include <limits>
#include <vector>

#include "condition/power_arith.h"
#include "core/progress.h"
#include "core/steps.h"

namespace parvela {

namespace {

using power::add;
using power::div;
using power::normalise;
using power::sub;

// (a + bi)(c + di) = (ac - bd) + (ad + bc)i, each part in single precision.
Complex mul(Complex x, Complex y) {
  const float ac = x.re * y.re;
  const float bd = x.im * y.im;
  const float ad = x.re * y.im;
  const float bc = x.im * y.re;
  return {ac - bd, ad + bc};
}

}  // namespace

void publishPowerIteration(std::int32_t n, std::int32_t iter, std::int32_t pass, Complex estimate,
                           double measure) {
  StepListener* l = stepListener();
  if (!l) return;
  StepEvent e;
  e.kind = StepKind::Power;
  e.detail = useStepKernels(n) ? StepDetail::Full : StepDetail::Summary;
  e.n = n;
  e.step = iter;
  e.pass = pass;
  e.estimateRe = estimate.re;
  e.estimateIm = estimate.im;
  e.measure = measure;
  l->step(e);
}

void POWER_COMPLEX(std::int32_t n, Complex* A, std::int32_t nlim, float eps, Complex& lambda,
                   std::int32_t& iter, std::int32_t& status, float& test, std::int32_t* total,
                   std::int32_t firstPass) {
  iter = 0;
  test = 0.0f;
  if (total) *total = 0;
  if (n <= 0) {  // no eigenvalue at all: a spectral radius of zero
    lambda = {};
    status = 0;
    return;
  }
  const std::size_t nn = static_cast<std::size_t>(n);
  std::vector<Complex> Z(nn), Z0(nn), start(nn, Complex{1.0f, 1.0f});

  Complex s{};
  const float startLen = VECTOR_NORM2(n, start.data());
  for (std::size_t i = 0; i < nn; ++i) Z0[i] = {start[i].re / startLen, start[i].im / startLen};
  Complex lambda0{};

  for (;;) {  // one pass
    iter = 0;
    const std::int32_t pass = s.im != 0.0f ? firstPass + 1 : firstPass;
    for (;;) {  // one iteration
      ++iter;
      if (total) ++*total;
      checkpoint(Stage::PowerMethod, iter, nlim, test, pass);
      for (std::size_t i = 0; i < nn; ++i) Z[i] = {};
      for (std::size_t j = 0; j < nn; ++j) {
        const Complex* col = A + j * nn;
        const Complex zj = Z0[j];
        for (std::size_t i = 0; i < nn; ++i) Z[i] = add(Z[i], mul(col[i], zj));
      }
      const std::size_t k = static_cast<std::size_t>(MAXINDEX(n, Z.data())) - 1;
      lambda = div(Z[k], Z0[k]);
      normalise(n, Z.data());

      if (iter == 1) {
        publishPowerIteration(n, iter, pass, lambda, std::numeric_limits<double>::quiet_NaN());
        Z0.swap(Z);
        lambda0 = lambda;
        continue;
      }
      test = power::change(lambda, lambda0);
      publishPowerIteration(n, iter, pass, lambda, test);
      if (test <= eps) {
        status = 0;
        if (s.re != 0.0f || s.im != 0.0f) lambda = add(lambda, s);
        return;
      }
      // The limit is tested from the second iteration on, so a limit
      // below 2 still ends the pass.
      if (iter >= nlim) break;
      Z0.swap(Z);
      lambda0 = lambda;
    }
    if (s.re != 0.0f || s.im != 0.0f) {
      status = -1;
      return;
    }
    // Shift by the imaginary unit; the next pass starts from the iterate
    // and quotient of the iteration before the last one.
    s = {0.0f, 1.0f};
    for (std::size_t i = 0; i < nn; ++i) {
      Complex& d = A[i * nn + i];
      d = sub(d, s);
    }
  }
}

void EIGEN_POWER(std::int32_t n, const float* A, Complex& lambda, std::int32_t& status, float& test,
                 std::int32_t* total, std::int32_t firstPass) {
  const std::size_t count = n > 0 ? static_cast<std::size_t>(n) * static_cast<std::size_t>(n) : 0;
  std::vector<Complex> C(count);
  for (std::size_t p = 0; p < count; ++p) C[p] = {A[p], 0.0f};
  std::int32_t iter = 0;
  POWER_COMPLEX(n, C.data(), power::kIterations, kPowerTolerance, lambda, iter, status, test, total,
                firstPass);
}

}  // namespace parvela
