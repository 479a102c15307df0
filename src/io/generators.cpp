#include "io/generators.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

#include "core/problem_state.h"
#include "core/progress.h"

namespace parvela {

namespace {

enum class Generator { None, Hilbert, Lotkin, Wilkinson5, Wilkinson20, Cauchy, Companion, Band };

// Matches the name without its trailing blanks, exactly and case-sensitively,
// in a fixed order; the first match wins.
Generator generatorFor(std::string_view name) {
  const std::string_view trimmed = trimRight(name);
  static constexpr std::pair<std::string_view, Generator> kNames[] = {
      {"Hilbert", Generator::Hilbert},       {"Lotkin", Generator::Lotkin},
      {"Wilkinson 5", Generator::Wilkinson5}, {"Wilkinson 20", Generator::Wilkinson20},
      {"Cauchy", Generator::Cauchy},         {"Companion", Generator::Companion},
      {"Banda constanta", Generator::Band},
  };
  for (const auto& [text, kind] : kNames)
    if (trimmed == text) return kind;
  return Generator::None;
}

}  // namespace

std::int32_t leastConstants(std::string_view name, std::int32_t n) {
  switch (generatorFor(name)) {
    case Generator::Hilbert:
    case Generator::Lotkin:
      return 0;
    case Generator::Companion:
      return n;
    case Generator::Cauchy: {
      const std::int64_t least = std::int64_t{n} + 5;
      return static_cast<std::int32_t>(std::min<std::int64_t>(least, std::numeric_limits<std::int32_t>::max()));
    }
    case Generator::Wilkinson5:
    case Generator::Wilkinson20:
    case Generator::Band:
      return 1;
    case Generator::None:
      break;
  }
  return -1;
}

void GEN_A(std::int32_t n, float* A, std::int32_t nc, const float* C, std::string_view name) {
  if (n < 1) return;
  const std::size_t nn = static_cast<std::size_t>(n);
  std::fill(A, A + nn * nn, 0.0f);

  const Generator kind = generatorFor(name);
  if (kind == Generator::None || nc < leastConstants(name, n)) return;

  // A(i,j), 1-based, column-major.
  auto a = [A, nn](std::int64_t i, std::int64_t j) -> float& {
    return A[static_cast<std::size_t>(j - 1) * nn + static_cast<std::size_t>(i - 1)];
  };
  auto c = [C](std::int64_t k) { return C[k - 1]; };

  checkpoint(Stage::Generating, 0, n);
  switch (kind) {
    case Generator::Hilbert:
      // Every element is set independently: walk the columns.
      for (std::int64_t j = 1; j <= n; ++j)
        for (std::int64_t i = 1; i <= n; ++i) a(i, j) = static_cast<float>(i + j - 1);
      for (std::size_t k = 0; k < nn * nn; ++k) A[k] = 1.0f / A[k];
      break;

    case Generator::Lotkin:
      for (std::int64_t j = 1; j <= n; ++j) {
        a(1, j) = 1.0f;
        for (std::int64_t i = 2; i <= n; ++i) a(i, j) = static_cast<float>(i + j - 1);
      }
      for (std::size_t k = 0; k < nn * nn; ++k) A[k] = 1.0f / A[k];
      break;

    case Generator::Wilkinson5: {
      // The 5 x 5 block only; the reader asks for n >= 5, and a smaller
      // order keeps to A's own bounds.
      const float z = c(1);
      const std::int64_t m = std::min<std::int64_t>(n, 5);
      for (std::int64_t i = 1; i <= m; ++i)
        for (std::int64_t j = 1; j <= m; ++j) {
          const float scaled = z * 1.8144f;
          a(i, j) = scaled / static_cast<float>(i + j + 1);
        }
      break;
    }

    case Generator::Wilkinson20: {
      const float alfa = c(1);
      for (std::int64_t i = 1; i <= n; ++i) {
        a(i, i) = static_cast<float>(i);
        if (i <= n - 1) a(i, i + 1) = static_cast<float>(n);
      }
      a(n, 1) = alfa;
      break;
    }

    case Generator::Cauchy: {
      // X = C(1..n), Y = C(6..n+5): Y always starts at the sixth constant.
      std::vector<float> X(nn), Y(nn);
      for (std::int64_t i = 1; i <= n; ++i) X[i - 1] = c(i);
      for (std::int64_t j = 1; j <= n; ++j) Y[j - 1] = c(j + 5);
      for (std::int64_t j = 1; j <= n; ++j)
        for (std::int64_t i = 1; i <= n; ++i) a(i, j) = 1.0f / (X[i - 1] + Y[j - 1]);
      break;
    }

    case Generator::Companion:
      for (std::int64_t i = 1; i <= n - 1; ++i) a(i + 1, i) = 1.0f;
      // 0 - c rather than -c: a zero coefficient gives +0, not -0.
      for (std::int64_t i = 1; i <= n; ++i) a(i, n) = 0.0f - c(i);
      break;

    case Generator::Band:
      // Row by row: the lower part of row i is copied from column i above
      // the diagonal, which the earlier rows have filled.
      for (std::int64_t i = 1; i <= n; ++i) {
        a(i, i) = c(1);
        const std::int64_t last = std::min<std::int64_t>(i + std::int64_t{nc} - 1, n);
        for (std::int64_t j = i + 1; j <= last; ++j) a(i, j) = c(j - i + 1);
        for (std::int64_t j = i - 1; j >= 1; --j) a(i, j) = a(j, i);
      }
      break;

    case Generator::None:
      break;
  }
  checkpoint(Stage::Generating, n, n);
}

}  // namespace parvela
