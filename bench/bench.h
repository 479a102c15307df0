// The benchmark harness: our kernels against a peer library in the same
// process, both on one thread, medians of alternating repetitions. Each
// group is one file bench/<group>_bench.cpp that registers itself.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace parvela::bench {

struct Timing {
  double ours = 0;  // median seconds
  double peer = 0;
};

// Calls setup() before every call; runs each side once untimed, then times
// ours and peer alternately, `reps` times each, and returns the two medians.
Timing compare(int reps, const std::function<void()>& setup, const std::function<void()>& ours,
               const std::function<void()>& peer);

// One row of the table: kernel name, order n, the peer's name, the timing.
void row(const std::string& kernel, int n, const std::string& peer, Timing t);

// Deterministic random data for the benches.
void fillRandom(float* p, std::size_t count, unsigned seed, float lo = -1.0f, float hi = 1.0f);

using Group = void (*)(int n, int reps);

// Static registration: `static Register reg("direct", &runDirect);`
struct Register {
  Register(const char* name, Group g);
};

}  // namespace parvela::bench
