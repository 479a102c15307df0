// The benchmark harness and its main program.
#include "bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <time.h>

#include "core/kernel_runtime.h"
#include "peer.h"

namespace parvela::bench {

namespace {

std::map<std::string, Group>& groups() {
  static std::map<std::string, Group> g;
  return g;
}

// PARVELA_BENCH_CLOCK=thread: the calling thread's processor time instead
// of wall time, for a machine other jobs share (time the processor gives
// to them does not count); rows on two threads then count only the first.
bool threadClock() {
  static const bool on = [] {
    const char* e = std::getenv("PARVELA_BENCH_CLOCK");
    return e && std::strcmp(e, "thread") == 0;
  }();
  return on;
}

double seconds(const std::function<void()>& fn) {
  if (threadClock()) {
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    fn();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    return static_cast<double>(b.tv_sec - a.tv_sec) + 1e-9 * static_cast<double>(b.tv_nsec - a.tv_nsec);
  }
  const auto t0 = std::chrono::steady_clock::now();
  fn();
  const auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(t1 - t0).count();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

}  // namespace

Timing compare(int reps, const std::function<void()>& setup, const std::function<void()>& ours,
               const std::function<void()>& peer) {
  if (reps < 1) reps = 1;
  std::vector<double> a, b;
  // One untimed round of each side first: the first call of either pays
  // for its work arrays' first touch (and OpenBLAS for its buffers), which
  // with five repetitions would be two of the five.
  for (const std::function<void()>* fn : {&ours, &peer}) {
    if (!*fn) continue;
    if (setup) setup();
    (*fn)();
  }
  for (int r = 0; r < reps; ++r) {
    // Alternate which side runs first, so that neither always finds the
    // caches warmed (or cooled) by the other.
    const bool oursFirst = r % 2 == 0;
    for (int side = 0; side < 2; ++side) {
      const bool isOurs = (side == 0) == oursFirst;
      if (isOurs && !ours) continue;
      if (!isOurs && !peer) continue;
      if (setup) setup();
      (isOurs ? a : b).push_back(seconds(isOurs ? ours : peer));
    }
  }
  return Timing{median(a), median(b)};
}

void row(const std::string& kernel, int n, const std::string& peer, Timing t) {
  char ratio[32] = "-";
  if (t.peer > 0 && t.ours > 0) std::snprintf(ratio, sizeof ratio, "%.2f", t.ours / t.peer);
  std::printf("%-40s %6d %12.6f  %-28s %12.6f %8s\n", kernel.c_str(), n, t.ours, peer.empty() ? "-" : peer.c_str(),
              t.peer, ratio);
  std::fflush(stdout);
}

void fillRandom(float* p, std::size_t count, unsigned seed, float lo, float hi) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(lo, hi);
  for (std::size_t i = 0; i < count; ++i) p[i] = dist(rng);
}

Register::Register(const char* name, Group g) { groups()[name] = g; }

}  // namespace parvela::bench

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: parvela-bench [--n N] [--reps R] [--group NAME]\n"
               "  runs every registered group (or NAME) for n = 500, 1000, 2000 (or N)\n");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace parvela;
  std::vector<int> sizes = {500, 1000, 2000};
  int reps = 5;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--n" && hasValue) {
      sizes = {std::atoi(argv[++i])};
    } else if (a == "--reps" && hasValue) {
      reps = std::atoi(argv[++i]);
    } else if (a == "--group" && hasValue) {
      only = argv[++i];
    } else {
      usage();
      return 2;
    }
  }
  if (sizes[0] < 1 || reps < 1) {
    usage();
    return 2;
  }
  auto& all = bench::groups();
  if (!only.empty() && !all.count(only)) {
    std::fprintf(stderr, "no group '%s'; groups:", only.c_str());
    for (const auto& [name, g] : all) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }

  kernels::setThreadCount(1);
  openblas_set_num_threads(1);
  const char* coretype = std::getenv("OPENBLAS_CORETYPE");
  std::printf("OpenBLAS core: %s%s%s\n", openblas_get_corename(), coretype ? "  (OPENBLAS_CORETYPE=" : "",
              coretype ? (std::string(coretype) + ")").c_str() : "");
  std::printf("Parvela path: %s (the processor's widest: %s), %d thread\n",
              kernels::isaName(kernels::activeIsa()), kernels::isaName(kernels::detectedIsa()),
              kernels::threadCount());
  std::printf("medians of %d alternating repetitions, seconds%s\n\n", reps,
              bench::threadClock() ? " of the calling thread's processor time" : "");
  std::printf("%-40s %6s %12s  %-28s %12s %8s\n", "kernel", "n", "ours", "peer", "peer", "ratio");
  for (const auto& [name, g] : all) {
    if (!only.empty() && name != only) continue;
    for (int n : sizes) g(n, reps);
  }
  return 0;
}
