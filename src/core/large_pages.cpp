#include "core/large_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace parvela {

void preferLargePages(void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
  if (p == nullptr || bytes < 2 * kLarge) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t first = (begin + kLarge - 1) & ~(kLarge - 1);
  const std::uintptr_t last = (begin + bytes) & ~(kLarge - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

void reserveFresh(std::vector<float>& v, std::size_t count) {
  if (!v.empty()) {
    v.reserve(count);
    return;
  }
  std::vector<float>().swap(v);
  v.reserve(count);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Pages of the block that were used before are given back, so that the
  // first touch brings fresh ones (large where the hint below takes).
  constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(v.data());
  const std::uintptr_t first = (begin + kLarge - 1) & ~(kLarge - 1);
  const std::uintptr_t last = (begin + v.capacity() * sizeof(float)) & ~(kLarge - 1);
  if (v.data() != nullptr && last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#endif
  preferLargePages(v.data(), v.capacity() * sizeof(float));
}

}  // namespace parvela
