// Runs a check on every kernel path this machine has, with one and with
// two threads, and restores the previous choice afterwards. Also random
// data with the values that trip vectorised code: zeros of both signs,
// NaN, infinities, subnormals and very large magnitudes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/kernel_runtime.h"

namespace parvela::testing {

inline void forEachKernelPath(const std::function<void(const std::string&)>& check) {
  const kernels::Isa savedIsa = kernels::activeIsa();
  const int savedThreads = kernels::threadCount();
  for (int isa = 0; isa <= static_cast<int>(kernels::detectedIsa()); ++isa) {
    for (int threads = 1; threads <= 2; ++threads) {
      kernels::setActiveIsa(static_cast<kernels::Isa>(isa));
      kernels::setThreadCount(threads);
      check(std::string(kernels::isaName(kernels::activeIsa())) + ", " +
            std::to_string(threads) + " thread(s)");
    }
  }
  kernels::setActiveIsa(savedIsa);
  kernels::setThreadCount(savedThreads);
}

// Fraction `special` of the values drawn from the hard cases.
inline void fillHard(std::mt19937& g, float* p, std::size_t count, double special,
                     float lo = -1.0f, float hi = 1.0f) {
  std::uniform_real_distribution<float> u(lo, hi);
  std::uniform_real_distribution<double> pick(0.0, 1.0);
  const float hard[] = {0.0f,
                        -0.0f,
                        std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::denorm_min(),
                        -1.0e-40f,
                        3.0e38f,
                        -2.5e38f,
                        1.0e-30f};
  std::uniform_int_distribution<int> which(0, static_cast<int>(std::size(hard)) - 1);
  for (std::size_t k = 0; k < count; ++k) p[k] = pick(g) < special ? hard[which(g)] : u(g);
}

// The same bits, where every NaN counts as the same value: which of two
// NaN operands an instruction passes on (and so the sign of a NaN result)
// follows the operand order the compiler picks for a commutative
// operation, in the straightforward code as much as in the fast one, and
// nothing the program does or prints depends on it.
inline bool sameValue(float a, float b) {
  if (a != a && b != b) return true;
  return std::memcmp(&a, &b, sizeof(float)) == 0;
}

// Index of the first float whose value differs, or -1.
inline long firstDifference(const float* a, const float* b, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k)
    if (!sameValue(a[k], b[k])) return static_cast<long>(k);
  return -1;
}

}  // namespace parvela::testing
