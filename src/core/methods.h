// The methods of the "Metoda" list: one row each, in list order. Every
// rule that depends on the method (which controls it enables, how the data
// are read, what the report header says, which driver runs) asks this
// table; the driver of each row is bound in the run room (run/drivers.cpp),
// which checks that it binds every row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace parvela {

enum class MethodFamily { Direct, Iterative };

struct MethodInfo {
  std::string_view name;        // as the list and the report header show it
  MethodFamily family;          // iterative methods take Eps and Nlim
  bool needsOmega;              // the relaxation factor (Omega box)
  bool packedStorage;           // reads the matrix into the packed upper triangle
  bool symmetricOnly;           // choosing it switches the matrix kind to "Simetrica"
};

inline constexpr std::array<MethodInfo, 5> kMethods = {{
    {"Gauss", MethodFamily::Direct, false, false, false},
    {"LU", MethodFamily::Direct, false, false, false},
    {"Cholesky", MethodFamily::Direct, false, true, true},
    {"Gauss-Seidel", MethodFamily::Iterative, false, false, false},
    {"SOR", MethodFamily::Iterative, true, false, false},
}};

// The row of a 1-based position in the list; nullptr for 0 (none chosen)
// and positions outside the list.
constexpr const MethodInfo* methodInfo(std::int32_t index) {
  if (index < 1 || static_cast<std::size_t>(index) > kMethods.size()) return nullptr;
  return &kMethods[static_cast<std::size_t>(index - 1)];
}

constexpr bool isIterativeMethod(std::int32_t index) {
  const MethodInfo* m = methodInfo(index);
  return m && m->family == MethodFamily::Iterative;
}
constexpr bool methodNeedsOmega(std::int32_t index) {
  const MethodInfo* m = methodInfo(index);
  return m && m->needsOmega;
}
constexpr bool methodReadsPacked(std::int32_t index) {
  const MethodInfo* m = methodInfo(index);
  return m && m->packedStorage;
}
constexpr bool methodNeedsSymmetric(std::int32_t index) {
  const MethodInfo* m = methodInfo(index);
  return m && m->symmetricOnly;
}

// The names alone, in list order (the list's entries, the batch's --method).
inline constexpr std::array<std::string_view, kMethods.size()> kMethodNames = [] {
  std::array<std::string_view, kMethods.size()> names{};
  for (std::size_t i = 0; i < kMethods.size(); ++i) names[i] = kMethods[i].name;
  return names;
}();

// The 1-based position of a name in the list, 0 when it is not there.
constexpr std::int32_t methodIndexOf(std::string_view name) {
  for (std::size_t i = 0; i < kMethods.size(); ++i)
    if (kMethods[i].name == name) return static_cast<std::int32_t>(i + 1);
  return 0;
}

}  // namespace parvela
