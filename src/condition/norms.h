// Matrix and vector norms of the condition number.
#pragma once

#include <cstdint>

namespace parvela {

// A complex single-precision number, real part first.
struct Complex {
  float re = 0.0f;
  float im = 0.0f;
};

// Modulus formed in double precision, stored in single precision.
float modulus(Complex z);

float NORM_INF(std::int32_t n, const float* A);
float NORM1(std::int32_t n, const float* A);
float VECTOR_NORM2(std::int32_t n, const Complex* V);
std::int32_t MAXINDEX(std::int32_t n, const Complex* V);

}  // namespace parvela
