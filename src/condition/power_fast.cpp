#include "condition/power_fast.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "condition/power.h"
#include "condition/power_arith.h"
#include "condition/product_kernels.h"
#include "core/kernel_runtime.h"
#include "core/progress.h"

namespace parvela {

namespace {

using power::add;
using power::div;
using power::normalise;
using power::sub;

// Below this order one thread computes the product alone.
constexpr std::size_t kParallelOrder = 256;

}  // namespace

void fastPowerReal(std::int32_t n, const float* A, std::int32_t nlim, float eps,
                   Complex& lambda, std::int32_t& iter, std::int32_t& status, float& test,
                   std::int32_t firstPart, std::int32_t* total) {
  iter = 0;
  test = 0.0f;
  if (total) *total = 0;
  if (n <= 0) {
    lambda = {};
    status = 0;
    return;
  }
  const std::size_t nn = static_cast<std::size_t>(n);
  const kernels::product::Table& k = kernels::product::activeTable();
  std::vector<Complex> Z(nn), Z0(nn), start(nn, Complex{1.0f, 1.0f});
  std::vector<float> zr(nn), zi(nn), bd(nn), bc(nn), dre(nn), dim(nn), Zre(nn), Zim(nn);
  for (std::size_t j = 0; j < nn; ++j) {
    dre[j] = A[j * nn + j];
    dim[j] = 0.0f;
  }

  Complex s{};
  const float startLen = VECTOR_NORM2(n, start.data());
  for (std::size_t i = 0; i < nn; ++i) Z0[i] = {start[i].re / startLen, start[i].im / startLen};
  Complex lambda0{};
  std::int32_t part = firstPart;

  for (;;) {
    iter = 0;
    for (;;) {
      ++iter;
      if (total) ++*total;
      // The terms of an element with zero imaginary part: bd = 0 * zi and
      // bc = 0 * zr, the same for every row.
      for (std::size_t j = 0; j < nn; ++j) {
        zr[j] = Z0[j].re;
        zi[j] = Z0[j].im;
        bd[j] = 0.0f * zi[j];
        bc[j] = 0.0f * zr[j];
      }
      kernels::parallelRanges(0, nn, kernels::product::kPowerTile, kParallelOrder,
                              [&](std::size_t lo, std::size_t hi) {
                                k.powerProduct(nn, A, zr.data(), zi.data(), bd.data(), bc.data(),
                                               dre.data(), dim.data(), Zre.data(), Zim.data(), lo,
                                               hi);
                              });
      for (std::size_t i = 0; i < nn; ++i) Z[i] = {Zre[i], Zim[i]};
      const std::size_t m = static_cast<std::size_t>(MAXINDEX(n, Z.data())) - 1;
      lambda = div(Z[m], Z0[m]);
      normalise(n, Z.data());

      if (iter == 1) {
        publishPowerIteration(n, iter, part, lambda, std::numeric_limits<double>::quiet_NaN());
        checkpoint(Stage::PowerMethod, iter, nlim, std::numeric_limits<double>::quiet_NaN(), part);
        Z0.swap(Z);
        lambda0 = lambda;
        continue;
      }
      test = power::change(lambda, lambda0);
      publishPowerIteration(n, iter, part, lambda, test);
      checkpoint(Stage::PowerMethod, iter, nlim, test, part);
      if (test <= eps) {
        status = 0;
        if (s.re != 0.0f || s.im != 0.0f) lambda = add(lambda, s);
        return;
      }
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
    for (std::size_t j = 0; j < nn; ++j) {
      dre[j] = dre[j] - s.re;
      dim[j] = dim[j] - s.im;
    }
    ++part;
  }
}

void fastEigenPower(std::int32_t n, const float* A, Complex& lambda, std::int32_t& status,
                    float& test, std::int32_t firstPart, std::int32_t* total) {
  std::int32_t iter = 0;
  fastPowerReal(n, A, power::kIterations, kPowerTolerance, lambda, iter, status, test, firstPart,
                total);
}

void fastTransposeTimesSelf(std::size_t n, const float* M, std::vector<float>& W) {
  W.resize(n * n);
  if (n == 0) return;
  const kernels::product::Table& k = kernels::product::activeTable();
  float* w = W.data();
  const std::size_t part = kernels::product::gramScratch(n);
  std::vector<float> scratch(2 * part);
  for (std::size_t k0 = 0; k0 < n; k0 += kernels::product::kGramDepth) {
    const std::size_t k1 = std::min(n, k0 + kernels::product::kGramDepth);
    kernels::parallelRanges(0, 2, 1, n >= kParallelOrder ? 2 : 3,
                            [&](std::size_t lo, std::size_t hi) {
                              for (std::size_t t = lo; t < hi; ++t)
                                k.gram(n, M, w, k0, k1, t, 2, scratch.data() + t * part);
                            });
    pollCancel();
  }
  // The lower half from the upper one.
  constexpr std::size_t B = 32;
  for (std::size_t j0 = 0; j0 < n; j0 += B) {
    const std::size_t j1 = std::min(n, j0 + B);
    for (std::size_t i0 = 0; i0 <= j0; i0 += B) {
      for (std::size_t j = j0; j < j1; ++j) {
        const std::size_t i1 = std::min(j, i0 + B);
        for (std::size_t i = i0; i < i1; ++i) w[i * n + j] = w[j * n + i];
      }
    }
  }
}

}  // namespace parvela
