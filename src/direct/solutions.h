// The solution block the direct methods share.
#pragma once

#include <cstdint>

namespace parvela {

// Writes "Matricea Inversa" (inverse) or an empty line (system), then for
// each right-hand side k its heading and the lines x(i) = X(i,k).
void writeSolutions(std::int32_t n, std::int32_t nb, const float* X, bool isSystem);

}  // namespace parvela
