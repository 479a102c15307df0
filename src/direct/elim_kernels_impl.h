// The loops of elim_kernels.h written once over a vector type V. Included by
// each instruction-set file inside a namespace of its own, after it defines
// V with:
//   L (lanes), T (vector), M (mask); load, store, set1, zero, mul, sub, add,
//   div; mask(flags) from L flag bytes; subm(c, t, m) = m ? c - t : c per
//   lane; mult(src, dst, F, pivot) for L rows of the multiplier step.
// Every arithmetic operation is one IEEE operation on one element, in the
// order the straightforward elimination performs it for that element.
// (No standard headers here: this file is included inside a namespace.)

// ---------------------------------------------------------- panel column
template <std::size_t G>
inline void columnBlock(float* col, const float* L, std::size_t ldL, const Flag* F,
                        std::size_t ldF, const float* u, std::size_t cnt) {
  typename V::T c[G];
#pragma GCC unroll 8
  for (std::size_t g = 0; g < G; ++g) c[g] = V::load(col + g * V::L);
  for (std::size_t m = 0; m < cnt; ++m) {
    const typename V::T b = V::set1(u[m]);
    const float* l = L + m * ldL;
    const Flag* f = F + m * ldF;
#pragma GCC unroll 8
    for (std::size_t g = 0; g < G; ++g)
      c[g] = V::subm(c[g], V::mul(V::load(l + g * V::L), b), V::mask(f + g * V::L));
  }
#pragma GCC unroll 8
  for (std::size_t g = 0; g < G; ++g) V::store(col + g * V::L, c[g]);
}

inline void columnUpdateImpl(float* col, std::size_t r0, std::size_t r1, const float* L,
                             std::size_t ldL, const Flag* F, std::size_t ldF, const float* u,
                             std::size_t cnt) {
  if (cnt == 0) return;
  std::size_t i = r0;
  for (; i + 4 * V::L <= r1; i += 4 * V::L) columnBlock<4>(col + i, L + i, ldL, F + i, ldF, u, cnt);
  for (; i + V::L <= r1; i += V::L) columnBlock<1>(col + i, L + i, ldL, F + i, ldF, u, cnt);
  for (; i < r1; ++i) {
    float c = col[i];
    for (std::size_t m = 0; m < cnt; ++m)
      if (F[m * ldF + i]) c = c - L[m * ldL + i] * u[m];
    col[i] = c;
  }
}

// ------------------------------------------------------------ multipliers
inline void multipliersImpl(const float* src, float* dst, Flag* F, std::size_t r0,
                            std::size_t r1, float pivot) {
  std::size_t i = r0;
  const typename V::T p = V::set1(pivot);
  for (; i + V::L <= r1; i += V::L) V::mult(src + i, dst + i, F + i, p);
  for (; i < r1; ++i) {
    const float v = src[i];
    if (v != 0.0f) {
      F[i] = kActive;
      dst[i] = v / pivot;
    } else {
      F[i] = 0;
    }
  }
}

// ------------------------------------------------------------- row update
inline void rowUpdateImpl(float* y, const float* x, float a, std::size_t n) {
  const typename V::T av = V::set1(a);
  std::size_t j = 0;
  for (; j + 2 * V::L <= n; j += 2 * V::L) {
    V::store(y + j, V::sub(V::load(y + j), V::mul(av, V::load(x + j))));
    V::store(y + j + V::L, V::sub(V::load(y + j + V::L), V::mul(av, V::load(x + j + V::L))));
  }
  for (; j + V::L <= n; j += V::L) V::store(y + j, V::sub(V::load(y + j), V::mul(av, V::load(x + j))));
  for (; j < n; ++j) y[j] = y[j] - a * x[j];
}

// --------------------------------------------------------- trailing tile
// One register tile: G vectors of rows by NR columns, every step in turn.
template <std::size_t G, std::size_t NR, bool Masked>
inline void tile(float* C, std::size_t ldc, const float* lp, const Flag* fp, const float* u,
                 std::size_t ldU, std::size_t pw) {
  constexpr std::size_t MR = G * V::L;
  typename V::T c[NR][G];
#pragma GCC unroll 16
  for (std::size_t j = 0; j < NR; ++j)
#pragma GCC unroll 4
    for (std::size_t g = 0; g < G; ++g) c[j][g] = V::load(C + j * ldc + g * V::L);
  for (std::size_t m = 0; m < pw; ++m) {
    typename V::T l[G];
    typename V::M mk[G];
#pragma GCC unroll 4
    for (std::size_t g = 0; g < G; ++g) {
      l[g] = V::load(lp + m * MR + g * V::L);
      if constexpr (Masked) mk[g] = V::mask(fp + m * MR + g * V::L);
    }
    const float* um = u + m * ldU;
#pragma GCC unroll 16
    for (std::size_t j = 0; j < NR; ++j) {
      const typename V::T b = V::set1(um[j]);
#pragma GCC unroll 4
      for (std::size_t g = 0; g < G; ++g) {
        if constexpr (Masked)
          c[j][g] = V::subm(c[j][g], V::mul(l[g], b), mk[g]);
        else
          c[j][g] = V::sub(c[j][g], V::mul(l[g], b));
      }
    }
  }
#pragma GCC unroll 16
  for (std::size_t j = 0; j < NR; ++j)
#pragma GCC unroll 4
    for (std::size_t g = 0; g < G; ++g) V::store(C + j * ldc + g * V::L, c[j][g]);
}

template <std::size_t G, std::size_t NR>
inline void trailingImpl(float* C, std::size_t ldc, std::size_t rows, std::size_t cols,
                         const float* Lp, const Flag* Fp, const std::uint8_t* dense,
                         const float* U, std::size_t ldU, std::size_t pw) {
  constexpr std::size_t MR = G * V::L;
  constexpr std::size_t MC = MR * 8;
  alignas(64) float buf[MR * NR];
  for (std::size_t ic = 0; ic < rows; ic += MC) {
    const std::size_t icEnd = ic + MC < rows ? ic + MC : rows;
    for (std::size_t jr = 0; jr < cols; jr += NR) {
      const std::size_t nc = cols - jr < NR ? cols - jr : NR;
      for (std::size_t ir = ic; ir < icEnd; ir += MR) {
        const std::size_t nrow = icEnd - ir < MR ? icEnd - ir : MR;
        const std::size_t b = ir / MR;
        const float* lp = Lp + b * pw * MR;
        const Flag* fp = Fp + b * pw * MR;
        const float* u = U + jr;
        float* c = C + jr * ldc + ir;
        const bool full = nrow == MR && nc == NR;
        float* t = c;
        std::size_t ldt = ldc;
        if (!full) {
          for (std::size_t j = 0; j < NR; ++j)
            for (std::size_t r = 0; r < MR; ++r)
              buf[j * MR + r] = (j < nc && r < nrow) ? c[j * ldc + r] : 0.0f;
          t = buf;
          ldt = MR;
        }
        if (dense[b])
          tile<G, NR, false>(t, ldt, lp, fp, u, ldU, pw);
        else
          tile<G, NR, true>(t, ldt, lp, fp, u, ldU, pw);
        if (!full) {
          for (std::size_t j = 0; j < nc; ++j)
            for (std::size_t r = 0; r < nrow; ++r) c[j * ldc + r] = buf[j * MR + r];
        }
      }
    }
  }
}

// ------------------------------------------------------ back substitution
template <std::size_t G>
inline void backPanel(float* X, const float* U, std::size_t ldU, std::size_t n, std::size_t i0,
                      std::size_t i1) {
  constexpr std::size_t W = G * V::L;
  if (i1 <= i0) return;
  std::size_t i = i1;
  if (i1 == n) {
    // The last row only divides.
    i = n - 1;
    const typename V::T d = V::set1(U[(i - i0) * ldU + i]);
#pragma GCC unroll 8
    for (std::size_t g = 0; g < G; ++g)
      V::store(X + i * W + g * V::L, V::div(V::load(X + i * W + g * V::L), d));
  }
  while (i-- > i0) {
    const float* ur = U + (i - i0) * ldU;
    typename V::T s[G];
#pragma GCC unroll 8
    for (std::size_t g = 0; g < G; ++g) s[g] = V::zero();
    for (std::size_t l = i + 1; l < n; ++l) {
      const typename V::T b = V::set1(ur[l]);
      const float* x = X + l * W;
#pragma GCC unroll 8
      for (std::size_t g = 0; g < G; ++g) s[g] = V::add(s[g], V::mul(b, V::load(x + g * V::L)));
    }
    const typename V::T d = V::set1(ur[i]);
#pragma GCC unroll 8
    for (std::size_t g = 0; g < G; ++g)
      V::store(X + i * W + g * V::L, V::div(V::sub(V::load(X + i * W + g * V::L), s[g]), d));
  }
}

// ------------------------------------------------------------ kernel set
// This path's set: trailing tiles of G vectors of rows by NR columns,
// panels of PanelG vectors, back substitution on panels of 1 .. MaxPanel
// vectors (a width in between goes to the widest).
template <std::size_t G, std::size_t NR, std::size_t PanelG, std::size_t MaxPanel>
struct PathKernels {
  static void trailing(float* C, std::size_t ldc, std::size_t rows, std::size_t cols, const float* Lp,
                       const Flag* Fp, const std::uint8_t* dense, const float* U, std::size_t ldU,
                       std::size_t pw) {
    trailingImpl<G, NR>(C, ldc, rows, cols, Lp, Fp, dense, U, ldU, pw);
  }
  template <std::size_t P>
  static void backOn(std::size_t panels, float* X, const float* U, std::size_t ldU, std::size_t n,
                     std::size_t i0, std::size_t i1) {
    if constexpr (P < MaxPanel) {
      if (panels == P) return backPanel<P>(X, U, ldU, n, i0, i1);
      return backOn<P + 1>(panels, X, U, ldU, n, i0, i1);
    } else {
      backPanel<P>(X, U, ldU, n, i0, i1);
    }
  }
  static void backSubstitute(float* X, std::size_t w, const float* U, std::size_t ldU, std::size_t n,
                             std::size_t i0, std::size_t i1) {
    backOn<1>(w / V::L, X, U, ldU, n, i0, i1);
  }
  // Constant-initialised: no code of the path runs unless the set is used.
  static constexpr Kernels table{
      .mr = G * V::L,
      .nr = NR,
      .lanes = V::L,
      .panelWidth = PanelG * V::L,
      .columnUpdate = columnUpdateImpl,
      .multipliers = multipliersImpl,
      .rowUpdate = rowUpdateImpl,
      .trailing = trailing,
      .backSubstitute = backSubstitute,
  };
};
