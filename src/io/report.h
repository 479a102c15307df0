// The report's shared pieces: integer field widths, the matrix printer and
// the header that opens every run.
#pragma once

#include <cstdint>

namespace parvela {

// Characters needed to write k without leading blanks (computed through a
// single-precision decimal logarithm, as the report has always done).
std::int32_t WIDTH(std::int32_t k);

// Writes the rows of M (rows x cols, column-major), each as one free-format
// statement; when `spaced`, an empty line follows each row.
void printRows(std::int32_t rows, std::int32_t cols, const float* M, bool spaced);

// The pivot line of an elimination that stops: an empty line, then
// " Linia ", the row, ": Pivot =" and the pivot in 1pG15.7.
void writePivotLine(std::int32_t row, float pivot);

// Writes "Matricea A" and the rows of A (n x n) to the report, then, when
// withB, "Termenii liberi b" and the rows of B (n x nb). Column-major arrays.
void PRINTA(std::int32_t n, std::int32_t nb, const float* A, const float* B, bool withB);

// Writes the header of a run from the choices in the problem state.
void PRINT_CODURI();

}  // namespace parvela
