// Small helpers the numerical tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "io/fortran_io.h"

namespace parvela::testing {

// Column-major storage of a matrix of n rows written row by row, as in the
// text (rows.size() / n columns).
inline std::vector<float> byRows(std::int32_t n, std::initializer_list<float> rows) {
  std::vector<float> m(rows.size());
  const std::size_t cols = rows.size() / static_cast<std::size_t>(n);
  std::size_t p = 0;
  for (float v : rows) {
    m[(p % cols) * static_cast<std::size_t>(n) + p / cols] = v;
    ++p;
  }
  return m;
}

inline std::vector<float> identity(std::int32_t n) {
  std::vector<float> m(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0f);
  for (std::int32_t i = 0; i < n; ++i) m[static_cast<std::size_t>(i) * n + i] = 1.0f;
  return m;
}

// Lines joined with '\n' after each.
inline std::string joinLines(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (auto l : lines) {
    s += l;
    s += '\n';
  }
  return s;
}

// A fixture whose report and standard-output units start and end empty.
class ReportUnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReportFile().clear();
    StdOut().clear();
  }
  void TearDown() override {
    ReportFile().clear();
    StdOut().clear();
  }
};

}  // namespace parvela::testing
