#include "analysis/exact.h"

#include <cstdlib>
#include <utility>

namespace parvela {

namespace {

using Rows = std::vector<std::vector<mpz_class>>;

Rows toMpz(const IntMatrix& m) {
  Rows r(static_cast<std::size_t>(m.rows), std::vector<mpz_class>(static_cast<std::size_t>(m.cols)));
  for (int i = 0; i < m.rows; ++i)
    for (int j = 0; j < m.cols; ++j) r[i][j] = static_cast<long>(m(i, j));
  return r;
}

// Bareiss elimination on columns 0.., with row interchanges. Returns the rank;
// `sign` is the sign of the row permutation and `last` the last pivot (for a
// square matrix of full rank, the determinant up to that sign).
int bareiss(Rows& r, int cols, int& sign, mpz_class& last) {
  const int rows = static_cast<int>(r.size());
  mpz_class prev = 1;
  int rank = 0;
  sign = 1;
  for (int col = 0; col < cols && rank < rows; ++col) {
    int p = rank;
    while (p < rows && r[p][col] == 0) ++p;
    if (p == rows) continue;
    if (p != rank) {
      std::swap(r[p], r[rank]);
      sign = -sign;
    }
    for (int i = rank + 1; i < rows; ++i) {
      for (int j = col + 1; j < cols; ++j) {
        r[i][j] = r[rank][col] * r[i][j] - r[i][col] * r[rank][j];
        mpz_divexact(r[i][j].get_mpz_t(), r[i][j].get_mpz_t(), prev.get_mpz_t());
      }
      r[i][col] = 0;
    }
    prev = r[rank][col];
    ++rank;
  }
  last = prev;
  return rank;
}

}  // namespace

IntMatrix IntMatrix::identity(int n) {
  IntMatrix m(n, n);
  for (int i = 0; i < n; ++i) m(i, i) = 1;
  return m;
}

int exactRank(const IntMatrix& m) {
  Rows r = toMpz(m);
  int sign = 1;
  mpz_class last;
  return bareiss(r, m.cols, sign, last);
}

mpz_class exactDeterminant(const IntMatrix& m) {
  if (m.rows != m.cols) return 0;
  if (m.rows == 0) return 1;
  Rows r = toMpz(m);
  int sign = 1;
  mpz_class last;
  if (bareiss(r, m.cols, sign, last) < m.rows) return 0;
  return sign * last;
}

std::vector<mpz_class> leadingMinors(const IntMatrix& m) {
  // Without interchanges the pivot of step k is the minor of order k
  // (Sylvester's identity behind Bareiss' division).
  Rows r = toMpz(m);
  const int n = std::min(m.rows, m.cols);
  std::vector<mpz_class> minors;
  mpz_class prev = 1;
  for (int k = 0; k < n; ++k) {
    minors.push_back(r[k][k]);
    if (r[k][k] == 0) break;
    for (int i = k + 1; i < m.rows; ++i) {
      for (int j = k + 1; j < m.cols; ++j) {
        r[i][j] = r[k][k] * r[i][j] - r[i][k] * r[k][j];
        mpz_divexact(r[i][j].get_mpz_t(), r[i][j].get_mpz_t(), prev.get_mpz_t());
      }
      r[i][k] = 0;
    }
    prev = r[k][k];
  }
  return minors;
}

bool multiply(const IntMatrix& m, const std::vector<std::int64_t>& x, std::vector<std::int64_t>& out) {
  out.assign(static_cast<std::size_t>(m.rows), 0);
  for (int i = 0; i < m.rows; ++i) {
    __int128 s = 0;
    for (int j = 0; j < m.cols; ++j) s += static_cast<__int128>(m(i, j)) * x[static_cast<std::size_t>(j)];
    if (s > INT64_MAX || s < INT64_MIN) return false;
    out[static_cast<std::size_t>(i)] = static_cast<std::int64_t>(s);
  }
  return true;
}

std::int64_t normInf(const IntMatrix& m) {
  std::int64_t best = 0;
  for (int i = 0; i < m.rows; ++i) {
    std::int64_t s = 0;
    for (int j = 0; j < m.cols; ++j) s += std::llabs(m(i, j));
    best = std::max(best, s);
  }
  return best;
}

}  // namespace parvela
