// The condition number's products on the avx2 path (compiler flags for
// this file in CMakeLists.txt).
#include <cstddef>

#include "condition/product_kernels.h"

#if defined(__x86_64__)
#define PARVELA_LANES 8
namespace parvela::productk::avx2 {
namespace {
#include "condition/product_kernels.inc"
}  // namespace
extern const Table kTable = {powerProduct, gram};
}  // namespace parvela::productk::avx2
#endif
