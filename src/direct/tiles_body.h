// The body of the tile kernels, compiled once per instruction-set path.
// The including file defines, before including it:
//   TILES_VBYTES  vector width in bytes
//   TILES_F32_MRV, TILES_F32_NR  float tile: MRV vectors of rows by NR columns
//   TILES_F64_MRV, TILES_F64_NR  double tile
//   tiles_fma_f64(a, b, c)       a*b + c for double vectors (fused or not:
//                                the product is exact either way)
// and wraps it in its own namespace. Only plain C types are used here, so
// nothing compiled for a wide path can be shared with another path.
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

typedef float vf __attribute__((vector_size(TILES_VBYTES)));
typedef double vd __attribute__((vector_size(TILES_VBYTES)));
constexpr std::size_t kWF = TILES_VBYTES / sizeof(float);
constexpr std::size_t kWD = TILES_VBYTES / sizeof(double);

// A packing buffer per thread, grown on demand and kept.
struct Buffer {
  void* p = nullptr;
  std::size_t bytes = 0;
  Buffer() = default;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() { std::free(p); }  // when its thread ends
  void* get(std::size_t want) {
    if (want > bytes) {
      std::free(p);
      p = nullptr;
      bytes = 0;
      const std::size_t rounded = (want + 4095) / 4096 * 4096;
      p = std::aligned_alloc(64, rounded);
      if (!p) outOfMemory();
      bytes = rounded;
    }
    return p;
  }
};
thread_local Buffer tlsA, tlsB;

template <class V, class T>
inline V loadv(const T* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class V, class T>
inline void storev(T* p, V v) {
  std::memcpy(p, &v, sizeof v);
}

struct MaddF32 {
  static inline vf f(vf a, float b, vf c) { return c + a * b; }
};
struct MaddF64 {
  static inline vd f(vd a, double b, vd c) {
    return tiles_fma_f64(a, b, c);
  }
};

// One MR x NR tile of C: acc = C; for d: acc += a(:,d) * b(d,:); C = acc.
// a: packed [d][MR], b: packed [d][NR].
// A of a tile from its packed panel [d][MR] ...
template <class T, class V, std::size_t MR>
struct PackedA {
  const T* p;
  V operator()(std::size_t d, std::size_t r) const { return loadv<V>(p + d * MR + r); }
};
// ... or straight from the float matrix, MR rows of consecutive columns.
template <class T, class V>
struct DirectA {
  const float* p;
  std::size_t lda;
  V operator()(std::size_t d, std::size_t r) const {
    if constexpr (sizeof(T) == sizeof(double)) {
      typedef float vh __attribute__((vector_size(TILES_VBYTES / 2)));
      vh h;
      std::memcpy(&h, p + d * lda + r, sizeof h);
      return __builtin_convertvector(h, vd);
    } else {
      return loadv<V>(p + d * lda + r);
    }
  }
};

template <class T, class V, int MRV, int NR, class Madd, class ASource, class BSource>
inline void microTile(std::size_t kc, const ASource& a, const BSource& b, T* __restrict c,
                      std::size_t ldc, bool fromZero) {
  constexpr std::size_t W = sizeof(V) / sizeof(T);
  V acc[NR][MRV];
#pragma GCC unroll 16
  for (int j = 0; j < NR; ++j)
#pragma GCC unroll 8
    for (int r = 0; r < MRV; ++r) acc[j][r] = fromZero ? V{} : loadv<V>(c + j * ldc + r * W);
#ifndef TILES_DUNROLL
#define TILES_DUNROLL 1
#endif
#define TILES_PRAGMA(x) _Pragma(#x)
#define TILES_UNROLL(n) TILES_PRAGMA(GCC unroll n)
  TILES_UNROLL(TILES_DUNROLL)
  for (std::size_t d = 0; d < kc; ++d) {
    V av[MRV];
#pragma GCC unroll 8
    for (int r = 0; r < MRV; ++r) av[r] = a(d, r * W);
#pragma GCC unroll 16
    for (int j = 0; j < NR; ++j) {
      const T bj = b(d, j);
#pragma GCC unroll 8
      for (int r = 0; r < MRV; ++r) acc[j][r] = Madd::f(av[r], bj, acc[j][r]);
    }
  }
#pragma GCC unroll 16
  for (int j = 0; j < NR; ++j)
#pragma GCC unroll 8
    for (int r = 0; r < MRV; ++r) storev(c + j * ldc + r * W, acc[j][r]);
}

// B of a tile from its packed panel [d][NR] ...
template <class T, int NR>
struct PackedB {
  const T* p;
  T operator()(std::size_t d, int j) const { return p[d * NR + j]; }
};
// ... or straight from NR columns, each contiguous in d.
template <class T, int NR>
struct ColumnsB {
  const float* col[NR];
  T operator()(std::size_t d, int j) const { return static_cast<T>(col[j][d]); }
};

alignas(64) const float kZeros[1024] = {};

// One tile, through a scratch tile at the edges of C.
template <class T, class V, int MRV, int NR, class Madd, class ASource, class BSource>
inline void tileAt(std::size_t mr, std::size_t nr, std::size_t kc, const ASource& a, const BSource& b,
                   T* ct, std::size_t ldc, T* edge, bool fromZero) {
  constexpr std::size_t MR = sizeof(V) / sizeof(T) * MRV;
            if (mr == MR && nr == NR) {
              microTile<T, V, MRV, NR, Madd>(kc, a, b, ct, ldc, fromZero);
            } else {
              for (std::size_t j = 0; j < NR; ++j)
                for (std::size_t r = 0; r < MR; ++r)
                  edge[j * MR + r] = (j < nr && r < mr && !fromZero) ? ct[j * ldc + r] : T(0);
              microTile<T, V, MRV, NR, Madd>(kc, a, b, edge, MR, false);
              for (std::size_t j = 0; j < nr; ++j)
                for (std::size_t r = 0; r < mr; ++r) ct[j * ldc + r] = edge[j * MR + r];
            }
}

// C(i,j) += sum_d A(i,d) B(d,j), d ascending; A packed in tiles, B packed
// too or read in place.
template <class T, class V, int MRV, int NR, class Madd, std::size_t KC, std::size_t MC,
          std::size_t NC, bool PackB, bool PackA = true>
void gemm(std::size_t M, std::size_t N, std::size_t K, const float* A, std::size_t lda,
          const float* const* B, T* C, std::size_t ldc, bool fromZero) {
  if (M == 0 || N == 0) return;
  if (K == 0) {
    if (fromZero)
      for (std::size_t j = 0; j < N; ++j)
        for (std::size_t i = 0; i < M; ++i) C[i + j * ldc] = T(0);
    return;
  }
  constexpr std::size_t W = sizeof(V) / sizeof(T);
  constexpr std::size_t MR = W * MRV;
  T* bp = static_cast<T*>(tlsB.get(sizeof(T) * KC * ((NC + NR - 1) / NR * NR)));
  T* ap = static_cast<T*>(tlsA.get(sizeof(T) * KC * ((MC + MR - 1) / MR * MR)));
  alignas(64) T edge[MR * NR];
  auto tile = [](std::size_t mr, std::size_t nr, std::size_t kc, const auto& a, const auto& b, T* ct,
                 std::size_t ldc, T* edge, bool z) {
    tileAt<T, V, MRV, NR, Madd>(mr, nr, kc, a, b, ct, ldc, edge, z);
  };
  for (std::size_t jc = 0; jc < N; jc += NC) {
    const std::size_t nc = N - jc < NC ? N - jc : NC;
    for (std::size_t pc = 0; pc < K; pc += KC) {
      const std::size_t kc = K - pc < KC ? K - pc : KC;
      // B(pc.., jc..) into panels of NR columns: [panel][d][c].
      for (std::size_t jr = 0; PackB && jr < nc; jr += NR) {
        T* dst = bp + jr * kc;
        const std::size_t nr = nc - jr < NR ? nc - jr : NR;
        for (std::size_t c = 0; c < NR; ++c) {
          if (c < nr) {
            const float* col = B[jc + jr + c] + pc;
            for (std::size_t d = 0; d < kc; ++d) dst[d * NR + c] = static_cast<T>(col[d]);
          } else {
            for (std::size_t d = 0; d < kc; ++d) dst[d * NR + c] = T(0);
          }
        }
      }
      for (std::size_t ic = 0; ic < M; ic += MC) {
        const std::size_t mc = M - ic < MC ? M - ic : MC;
        // A(ic.., pc..) into panels of MR rows: [panel][d][r].
        for (std::size_t ir = 0; PackA && ir < mc; ir += MR) {
          T* dst = ap + ir * kc;
          const std::size_t mr = mc - ir < MR ? mc - ir : MR;
          const float* src = A + (ic + ir) + pc * lda;
          if (mr == MR) {
            for (std::size_t d = 0; d < kc; ++d)
              for (std::size_t r = 0; r < MR; ++r) dst[d * MR + r] = static_cast<T>(src[d * lda + r]);
          } else {
            for (std::size_t d = 0; d < kc; ++d)
              for (std::size_t r = 0; r < MR; ++r)
                dst[d * MR + r] = r < mr ? static_cast<T>(src[d * lda + r]) : T(0);
          }
        }
        for (std::size_t jr = 0; jr < nc; jr += NR) {
          const std::size_t nr = nc - jr < NR ? nc - jr : NR;
          for (std::size_t ir = 0; ir < mc; ir += MR) {
            const std::size_t mr = mc - ir < MR ? mc - ir : MR;
            T* ct = C + (ic + ir) + (jc + jr) * ldc;
            const auto asrc = [&] {
              if constexpr (PackA) return PackedA<T, V, MR>{ap + ir * kc};
              else return DirectA<T, V>{A + (ic + ir) + pc * lda, lda};
            }();
            if constexpr (PackB) {
              tile(mr, nr, kc, asrc, PackedB<T, NR>{bp + jr * kc}, ct, ldc, edge,
                   fromZero && pc == 0);
            } else {
              ColumnsB<T, NR> cols;
              for (std::size_t j = 0; j < NR; ++j)
                cols.col[j] = j < nr ? B[jc + jr + j] + pc : kZeros;
              tile(mr, nr, kc, asrc, cols, ct, ldc, edge, fromZero && pc == 0);
            }
          }
        }
      }
    }
  }
}

#ifndef TILES_F32_KC
#define TILES_F32_KC 256
#define TILES_F32_MC 256
#define TILES_F32_PACKB false
#endif
#ifndef TILES_F64_KC
#define TILES_F64_KC 256
#define TILES_F64_MC 128
#endif
#ifndef TILES_F64_PACKB
#define TILES_F64_PACKB false
#endif
#ifndef TILES_F64_DIRECT_A
#define TILES_F64_DIRECT_A 0
#endif

void gemmF32(std::size_t M, std::size_t N, std::size_t K, const float* A, std::size_t lda,
             const float* const* B, float* C, std::size_t ldc, bool fromZero) {
  gemm<float, vf, TILES_F32_MRV, TILES_F32_NR, MaddF32, TILES_F32_KC, TILES_F32_MC, 2048, TILES_F32_PACKB>(M, N, K, A, lda, B, C, ldc, fromZero);
}

void gemmF64(std::size_t M, std::size_t N, std::size_t K, const float* A, std::size_t lda,
             const float* const* B, double* C, std::size_t ldc, bool fromZero) {
  // Few columns: packing A would cost more than reading it twice.
  if (N <= TILES_F64_DIRECT_A)
    gemm<double, vd, TILES_F64_MRV, TILES_F64_NR, MaddF64, TILES_F64_KC, TILES_F64_MC, 1024,
         TILES_F64_PACKB, false>(M, N, K, A, lda, B, C, ldc, fromZero);
  else
    gemm<double, vd, TILES_F64_MRV, TILES_F64_NR, MaddF64, TILES_F64_KC, TILES_F64_MC, 1024,
         TILES_F64_PACKB, true>(M, N, K, A, lda, B, C, ldc, fromZero);
}

// y += A x, four columns per pass over y so that y stays in cache.
void gemvF32(std::size_t M, std::size_t K, const float* A, std::size_t lda, const float* x,
             float* y) {
  std::size_t d = 0;
  for (; d + 4 <= K; d += 4) {
    const float* a0 = A + d * lda;
    const float* a1 = a0 + lda;
    const float* a2 = a1 + lda;
    const float* a3 = a2 + lda;
    const float x0 = x[d], x1 = x[d + 1], x2 = x[d + 2], x3 = x[d + 3];
    std::size_t i = 0;
    for (; i + 2 * kWF <= M; i += 2 * kWF) {
      vf y0 = loadv<vf>(y + i), y1 = loadv<vf>(y + i + kWF);
      y0 = y0 + loadv<vf>(a0 + i) * x0;
      y1 = y1 + loadv<vf>(a0 + i + kWF) * x0;
      y0 = y0 + loadv<vf>(a1 + i) * x1;
      y1 = y1 + loadv<vf>(a1 + i + kWF) * x1;
      y0 = y0 + loadv<vf>(a2 + i) * x2;
      y1 = y1 + loadv<vf>(a2 + i + kWF) * x2;
      y0 = y0 + loadv<vf>(a3 + i) * x3;
      y1 = y1 + loadv<vf>(a3 + i + kWF) * x3;
      storev(y + i, y0);
      storev(y + i + kWF, y1);
    }
    for (; i < M; ++i) {
      float t = y[i];
      t = t + a0[i] * x0;
      t = t + a1[i] * x1;
      t = t + a2[i] * x2;
      t = t + a3[i] * x3;
      y[i] = t;
    }
  }
  for (; d < K; ++d) {
    const float* a0 = A + d * lda;
    const float x0 = x[d];
    std::size_t i = 0;
    for (; i + kWF <= M; i += kWF) storev(y + i, loadv<vf>(y + i) + loadv<vf>(a0 + i) * x0);
    for (; i < M; ++i) y[i] = y[i] + a0[i] * x0;
  }
}

inline vd widen(const float* p) {
  typedef float vh __attribute__((vector_size(TILES_VBYTES / 2)));
  vh h;
  std::memcpy(&h, p, sizeof h);
  return __builtin_convertvector(h, vd);
}

void gemvF64(std::size_t M, std::size_t K, const float* A, std::size_t lda, const double* x,
             double* s) {
  std::size_t d = 0;
  for (; d + 4 <= K; d += 4) {
    const float* a0 = A + d * lda;
    const float* a1 = a0 + lda;
    const float* a2 = a1 + lda;
    const float* a3 = a2 + lda;
    const double x0 = x[d], x1 = x[d + 1], x2 = x[d + 2], x3 = x[d + 3];
    std::size_t i = 0;
    for (; i + kWD <= M; i += kWD) {
      vd s0 = loadv<vd>(s + i);
      s0 = tiles_fma_f64(widen(a0 + i), x0, s0);
      s0 = tiles_fma_f64(widen(a1 + i), x1, s0);
      s0 = tiles_fma_f64(widen(a2 + i), x2, s0);
      s0 = tiles_fma_f64(widen(a3 + i), x3, s0);
      storev(s + i, s0);
    }
    for (; i < M; ++i) {
      double t = s[i];
      t = t + static_cast<double>(a0[i]) * x0;
      t = t + static_cast<double>(a1[i]) * x1;
      t = t + static_cast<double>(a2[i]) * x2;
      t = t + static_cast<double>(a3[i]) * x3;
      s[i] = t;
    }
  }
  for (; d + 2 <= K; d += 2) {
    const float* a0 = A + d * lda;
    const float* a1 = a0 + lda;
    const double x0 = x[d], x1 = x[d + 1];
    std::size_t i = 0;
    for (; i + 2 * kWD <= M; i += 2 * kWD) {
      vd s0 = loadv<vd>(s + i), s1 = loadv<vd>(s + i + kWD);
      s0 = tiles_fma_f64(widen(a0 + i), x0, s0);
      s1 = tiles_fma_f64(widen(a0 + i + kWD), x0, s1);
      s0 = tiles_fma_f64(widen(a1 + i), x1, s0);
      s1 = tiles_fma_f64(widen(a1 + i + kWD), x1, s1);
      storev(s + i, s0);
      storev(s + i + kWD, s1);
    }
    for (; i < M; ++i) {
      double t = s[i];
      t = t + static_cast<double>(a0[i]) * x0;
      t = t + static_cast<double>(a1[i]) * x1;
      s[i] = t;
    }
  }
  for (; d < K; ++d) {
    const float* a0 = A + d * lda;
    const double x0 = x[d];
    for (std::size_t i = 0; i < M; ++i) s[i] = s[i] + static_cast<double>(a0[i]) * x0;
  }
}

}  // namespace

const Ops table{gemmF32, gemmF64, gemvF32, gemvF64};
