// Gauss-Seidel and SOR, one driver for both.
#pragma once

namespace parvela {

void GAUSS_SEIDEL();
void SOR();

}  // namespace parvela
