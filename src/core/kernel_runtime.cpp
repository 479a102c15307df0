#include "core/kernel_runtime.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace parvela::kernels {
namespace {

Isa probeIsa() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
    return Isa::Avx512;
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return Isa::Avx2;
#endif
  return Isa::Scalar;
}

Isa isaFromEnvironment(Isa detected) {
  const char* e = std::getenv("PARVELA_ISA");
  if (!e) return detected;
  Isa wanted = detected;
  if (std::strcmp(e, "scalar") == 0) wanted = Isa::Scalar;
  else if (std::strcmp(e, "avx2") == 0) wanted = Isa::Avx2;
  else if (std::strcmp(e, "avx512") == 0) wanted = Isa::Avx512;
  return std::min(wanted, detected);
}

int threadsFromEnvironment() {
  if (const char* e = std::getenv("PARVELA_THREADS")) {
    if (std::strcmp(e, "1") == 0) return 1;
    if (std::strcmp(e, "2") == 0) return 2;
  }
  return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

std::atomic<int> g_isa{-1};
std::atomic<int> g_threads{0};

// One helper thread that takes the second piece of a parallelRanges call.
class Helper {
 public:
  Helper() : thread_([this] { loop(); }) {}
  ~Helper() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void start(const std::function<void(std::size_t, std::size_t)>* fn, std::size_t lo,
             std::size_t hi) {
    std::lock_guard<std::mutex> lock(mutex_);
    fn_ = fn;
    lo_ = lo;
    hi_ = hi;
    busy_ = true;
    wake_.notify_all();
  }
  // Waits for the piece; an exception it threw is passed on here.
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  void loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return quit_ || busy_; });
      if (quit_) return;
      const auto* fn = fn_;
      const std::size_t lo = lo_, hi = hi_;
      lock.unlock();
      std::exception_ptr failure;
      try {
        (*fn)(lo, hi);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      failure_ = failure;
      busy_ = false;
      done_.notify_all();
    }
  }
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(std::size_t, std::size_t)>* fn_ = nullptr;
  std::size_t lo_ = 0, hi_ = 0;
  std::exception_ptr failure_;
  bool busy_ = false, quit_ = false;
  std::thread thread_;
};

// Calls from several threads at once (the window's worker and a test, say)
// take turns on the one helper.
std::mutex g_helperUse;

Helper& helper() {
  static Helper h;
  return h;
}

}  // namespace

Isa detectedIsa() {
  static const Isa detected = probeIsa();
  return detected;
}

Isa activeIsa() {
  int v = g_isa.load(std::memory_order_relaxed);
  if (v < 0) {
    v = static_cast<int>(isaFromEnvironment(detectedIsa()));
    g_isa.store(v, std::memory_order_relaxed);
  }
  return static_cast<Isa>(v);
}

void setActiveIsa(Isa isa) {
  g_isa.store(static_cast<int>(std::min(isa, detectedIsa())), std::memory_order_relaxed);
}

const char* isaName(Isa isa) {
  switch (isa) {
    case Isa::Scalar: return "scalar";
    case Isa::Avx2: return "avx2";
    case Isa::Avx512: return "avx512";
  }
  return "scalar";
}

const void* pathTable(const void* scalar, const void* avx2, const void* avx512) {
  switch (activeIsa()) {
    case Isa::Avx512:
      if (avx512) return avx512;
      [[fallthrough]];
    case Isa::Avx2:
      if (avx2) return avx2;
      [[fallthrough]];
    case Isa::Scalar:
      break;
  }
  return scalar;
}

int threadCount() {
  int v = g_threads.load(std::memory_order_relaxed);
  if (v == 0) {
    v = threadsFromEnvironment();
    g_threads.store(v, std::memory_order_relaxed);
  }
  return v;
}

void setThreadCount(int threads) {
  g_threads.store(threads >= 2 ? 2 : 1, std::memory_order_relaxed);
}

void parallelRanges(std::size_t begin, std::size_t end, std::size_t grain,
                    std::size_t minParallel,
                    const std::function<void(std::size_t, std::size_t)>& fn) {
  if (end <= begin) return;
  const std::size_t len = end - begin;
  if (grain == 0) grain = 1;
  if (threadCount() < 2 || len < minParallel || len <= grain) {
    fn(begin, end);
    return;
  }
  std::unique_lock<std::mutex> turn(g_helperUse, std::try_to_lock);
  if (!turn.owns_lock()) {  // the helper is busy for someone else
    fn(begin, end);
    return;
  }
  std::size_t half = (len / 2 + grain - 1) / grain * grain;
  if (half >= len) {
    fn(begin, end);
    return;
  }
  Helper& h = helper();
  h.start(&fn, begin + half, end);
  try {
    fn(begin, begin + half);
  } catch (...) {
    // The other piece still uses fn and the data: let it finish first.
    try {
      h.wait();
    } catch (...) {
    }
    throw;
  }
  h.wait();
}

}  // namespace parvela::kernels
