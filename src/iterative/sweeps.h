// The numerical steps of the iterative drivers, kept apart so that they can
// be checked on their own. Column-major storage, element (i, j) of the n x n
// matrix at A[(j-1)*n + i-1].
#pragma once

#include <cstdint>

namespace parvela {

// One Gauss-Seidel sweep: X1(i) = (b(i) - sum_{j!=i} A(i,j) x_j) / A(i,i),
// x_j taken from X1 for j < i and from X0 for j > i; one sum in increasing j.
void sweepGaussSeidel(std::int32_t n, const float* A, const float* b, const float* X0, float* X1);

// One SOR sweep on a system with unit diagonal: g = (b(i) - s1) - s2 with
// s1 over j < i (values of X1) and s2 over j > i (values of X0), then
// X1(1) = g and X1(i) = omega*g + oneMinusOmega*X0(i) for i > 1.
void sweepSor(std::int32_t n, const float* A, const float* b, const float* X0, float* X1,
              float omega, float oneMinusOmega);

// Scales every equation by its diagonal element: first the right-hand
// sides (n x nb), then the off-diagonal elements of each row; the diagonal
// becomes 1.
void scaleToUnitDiagonal(std::int32_t n, std::int32_t nb, float* A, float* B);

}  // namespace parvela
