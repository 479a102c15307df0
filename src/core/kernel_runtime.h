// How the numerical kernels run: which instruction set the fast paths use
// and on how many threads. Every choice gives the same bits; the choices
// exist for speed and for the tests that prove the bits equal.
#pragma once

#include <cstddef>
#include <functional>

namespace parvela::kernels {

enum class Isa { Scalar = 0, Avx2 = 1, Avx512 = 2 };

// The widest path this CPU (and its operating system) can run.
Isa detectedIsa();
// The path the kernels take: the detected one, capped by the environment
// variable PARVELA_ISA (scalar, avx2, avx512) or by setActiveIsa.
Isa activeIsa();
// Forces a path; one wider than detectedIsa() is capped to it.
void setActiveIsa(Isa isa);
const char* isaName(Isa isa);

// The run-time choice of every kernel family (elimination, tiles, sweeps,
// products): each has one table of functions per path, nullptr where the
// build has no such path, and runs the table this returns: the active
// path's, or the widest narrower one the build has.
const void* pathTable(const void* scalar, const void* avx2, const void* avx512);
template <class Table>
const Table& activeTable(const Table* scalar, const Table* avx2, const Table* avx512) {
  return *static_cast<const Table*>(pathTable(scalar, avx2, avx512));
}

// Threads the kernels may use: 1 or 2. By default 2 where the machine has
// two cores or more; PARVELA_THREADS=1 (or setThreadCount(1)) forces one.
int threadCount();
void setThreadCount(int threads);

// Runs fn(lo, hi) over [begin, end) split into at most threadCount()
// contiguous pieces whose boundaries are multiples of `grain` from begin;
// the calling thread takes the first piece. Returns when every piece is
// done. Ranges shorter than `minParallel` run on the calling thread alone.
// The pieces must touch disjoint data. An exception thrown by a piece
// (a refused allocation, say) comes out of parallelRanges once both pieces
// have ended.
void parallelRanges(std::size_t begin, std::size_t end, std::size_t grain,
                    std::size_t minParallel,
                    const std::function<void(std::size_t lo, std::size_t hi)>& fn);

}  // namespace parvela::kernels
