// The condition number's products on the scalar path (compiler flags for
// this file in CMakeLists.txt).
#include <cstddef>

#include "condition/product_kernels.h"


#define PARVELA_LANES 4
namespace parvela::productk::scalar {
namespace {
#include "condition/product_kernels.inc"
}  // namespace
extern const Table kTable = {powerProduct, gram};
}  // namespace parvela::productk::scalar

