// Measures what progress reporting costs a run (n = 1000 by default) and
// how soon a run stops after a stop request (n = 2000 by default), for
// Gauss, LU, Cholesky, Gauss-Seidel and the condition number with norm 4.
// The monitor does what the window's does: it keeps the latest progress
// under a lock, counts the checkpoints and polls an atomic stop flag.
//
//   parvela-bench-work [overhead-order [cancel-order]]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "condition/condition_number.h"
#include "core/norm_choice.h"
#include "direct/cholesky.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "io/fortran_io.h"
#include "io/report.h"
#include "iterative/iteration.h"
#include "run/dispatcher.h"
#include "core/platform.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "run/saved_state.h"
#include "io/data_file.h"
#include "ui/core/controls.h"
#include "ui/core/model_dialog.h"
#include "ui/core/templates.h"

using namespace parvela;
using Clock = std::chrono::steady_clock;

namespace {

class WindowLikeMonitor final : public WorkMonitor {
 public:
  void progress(const Progress& p) override {
    {
      std::lock_guard lock(mutex_);
      latest_ = p;
    }
    count_.fetch_add(1, std::memory_order_relaxed);
    const Clock::time_point now = Clock::now();
    if (count_ > 1) longest_ = std::max(longest_, now - last_);
    last_ = now;
    lastStage_ = p.stage;
  }
  // The longest time between two checkpoints, and the stage of the last.
  Clock::duration longest_{};
  Clock::time_point last_{};
  Stage lastStage_ = Stage::Reading;
  bool cancelRequested() override {
    if (!cancel_.load(std::memory_order_relaxed)) return false;
    if (!seen_) {
      seen_ = true;
      seenAt_ = Clock::now();
      seenStage_ = lastStage_;
    }
    return true;
  }
  void requestCancel() { cancel_.store(true); }
  std::int64_t count() const { return count_.load(); }
  Clock::time_point seenAt() const { return seenAt_; }

 private:
  std::mutex mutex_;
  std::optional<Progress> latest_;
  std::atomic<std::int64_t> count_{0};
  std::atomic<bool> cancel_{false};
  bool seen_ = false;

 public:
  Stage seenStage_ = Stage::Reading;

 private:
  Clock::time_point seenAt_{};
};

class QuietPlatform final : public Platform {
 public:
  void messageBox(std::string_view text, std::string_view, IconKind) override {
    std::fprintf(stderr, "box: %.*s\n", int(text.size()), text.data());
  }
  void standardOutput(std::string_view) override {}
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override { return std::nullopt; }
  void viewFile(const std::string&) override {}
  std::optional<std::string> searchProgramPath(const std::string&) override { return std::nullopt; }
};

enum class Driver { Gauss, LU, Cholesky, GaussSeidel, Cond4 };
const char* name(Driver d) {
  switch (d) {
    case Driver::Gauss: return "Gauss";
    case Driver::LU: return "LU";
    case Driver::Cholesky: return "Cholesky";
    case Driver::GaussSeidel: return "Gauss-Seidel";
    case Driver::Cond4: return "Cond, norm 4";
  }
  return "";
}

std::string path;

// A dense, symmetric, diagonally dominant Toeplitz matrix made by the band
// generator (for Gauss-Seidel a slowly converging tridiagonal one).
void prepare(Driver d, int n, int nlim) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (d == Driver::GaussSeidel) {
    // Barely diagonally dominant; each right-hand side takes a few dozen
    // sweeps, so 200 of them make a long run.
    double off = 0;
    for (int k = 2; k <= n; ++k) off += 2.0 / k;
    f << "T\n" << n << " 200\n" << n << "\n" << off * 1.0001 << "\n";
    for (int k = 2; k <= n; ++k) f << 1.0 / k << (k % 8 == 0 ? "\n" : " ");
    f << "\n";
    for (int r = 1; r < 200; ++r) {
      for (int i = 0; i < n; ++i) f << (i % 7) + r << ' ';
      f << "\n";
    }
  } else {
    f << "T\n" << n << " 1\n" << n << "\n" << 2 * n << "\n";
    for (int k = 2; k <= n; ++k) f << 1.0 / k << (k % 8 == 0 ? "\n" : " ");
    f << "\n";
  }
  for (int i = 0; i < n; ++i) f << "1 ";
  f << "\n";
  f.close();
  problem() = ProblemState{};
  INITIALIZEDATA();
  InputDataFile().select(path);
  ProblemState& s = problem();
  s.inputSource = InputSource::Generated;
  s.generatorIndex = 7;
  s.methodChosen = true;
  switch (d) {
    case Driver::Gauss: s.methodIndex = 1; break;
    case Driver::LU: s.methodIndex = 2; break;
    case Driver::Cholesky:
      s.methodIndex = 3;
      s.matrixKind = MatrixKind::Symmetric;
      break;
    case Driver::GaussSeidel:
      s.methodIndex = 4;
      s.epsText = fixedText("1E-30", kParamTextLength);
      s.nlimText = fixedText(std::to_string(nlim), kParamTextLength);
      break;
    case Driver::Cond4:
      s.problemKind = ProblemKind::ConditionNumber;
      s.normSelection = 4;
      s.normIndex = normIndexForSelection(4);
      break;
  }
  ModelDialog window(kMainDialog);
  SUB_GENERAL(window, kIdRead, kEventChanged);
  if (!s.dataRead) {
    std::fprintf(stderr, "read failed\n");
    std::exit(1);
  }
}

const char* progressStageName(Stage s) {
  static const char* names[] = {"Reading", "Generating", "Elimination", "LuFactorization", "Cholesky",
                                "Substitution", "Iteration", "PowerMethod", "Verification", "ReportWrite"};
  return names[static_cast<int>(s)];
}

void runDriver(Driver d) {
  switch (d) {
    case Driver::Gauss: GAUSS(); break;
    case Driver::LU: LU(); break;
    case Driver::Cholesky: CHOLESKY_S(); break;
    case Driver::GaussSeidel: GAUSS_SEIDEL(); break;
    case Driver::Cond4: NUMAR_CONDITIE(); break;
  }
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const int overheadOrder = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int cancelOrder = argc > 2 ? std::atoi(argv[2]) : 2000;
  QuietPlatform quiet;
  setPlatform(&quiet);
  path = (std::filesystem::temp_directory_path() / "parvela-bench-work.dat").string();
  const std::vector<Driver> drivers = {Driver::Gauss, Driver::LU, Driver::Cholesky, Driver::GaussSeidel,
                                       Driver::Cond4};

  // Repetitions of each driver with and without the monitor, alternating
  // which goes first; PARVELA_BENCH_REPS overrides.
  const char* repsEnv = std::getenv("PARVELA_BENCH_REPS");
  const int reps = repsEnv ? std::max(1, std::atoi(repsEnv)) : 9;

  // What one checkpoint costs with this monitor, measured alone: the upper
  // bound of the overhead is then checkpoints x this cost, free of the noise
  // that two timings of a whole run carry.
  double perCheckpoint = 0;
  {
    WindowLikeMonitor m;
    MonitorScope scope(&m);
    constexpr int kCalls = 2000000;
    const auto c0 = Clock::now();
    for (int i = 0; i < kCalls; ++i) checkpoint(Stage::PowerMethod, i, kCalls, 1e-3 * i, 1);
    perCheckpoint = seconds(Clock::now() - c0) / kCalls;
  }

  std::printf("Progress overhead, n = %d (medians of %d alternating runs each: header, driver,\n"
              "verification, report text; one checkpoint costs %.0f ns, so 'bound' = checkpoints x that)\n",
              overheadOrder, reps, 1e9 * perCheckpoint);
  std::printf("%-14s %10s %12s %9s %9s %12s %8s %10s\n", "driver", "plain s", "monitored s", "overhead",
              "paired", "checkpoints", "bound", "snapshot ms");
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : 0.5 * (v[h - 1] + v[h]);
  };
  // PARVELA_BENCH_ONLY=<start of a driver's name> measures that one alone.
  const char* only = std::getenv("PARVELA_BENCH_ONLY");
  for (Driver d : drivers) {
    if (only && std::string_view(name(d)).substr(0, std::strlen(only)) != only) continue;
    std::vector<double> plain, monitored, ratio;
    std::int64_t checkpoints = 0;
    for (int rep = 0; rep < reps; ++rep) {
      double pair[2] = {0, 0};
      for (int order = 0; order < 2; ++order) {
        const int withMonitor = (rep % 2 == 0) ? order : 1 - order;
        prepare(d, overheadOrder, 2000);
        WindowLikeMonitor m;
        // The driver alone (header, driver, verification, report text):
        // what the checkpoints cost, without the saved state of a run.
        READ_EPSNLIMOMEGA(nullptr, kIdSolve, kEventChanged);
        ReportFile().clear();
        StdOut().clear();
        const auto t0 = Clock::now();
        {
          MonitorScope scope(withMonitor ? &m : nullptr);
          PRINT_CODURI();
          runDriver(d);
        }
        const double t = seconds(Clock::now() - t0);
        pair[withMonitor] = t;
        if (withMonitor) checkpoints = m.count();
      }
      plain.push_back(pair[0]);
      monitored.push_back(pair[1]);
      ratio.push_back(pair[1] / pair[0]);
    }
    const double mp = median(plain), mm = median(monitored);
    // Saving the state before a stoppable run, storage reused as the
    // dispatcher does (second save timed).
    prepare(d, overheadOrder, 2000);
    ProblemSnapshot snap;
    takeProblemSnapshot(snap);
    const auto s0 = Clock::now();
    takeProblemSnapshot(snap);
    const double snapshot = seconds(Clock::now() - s0);
    std::printf("%-14s %10.3f %12.3f %8.2f%% %8.2f%% %12lld %7.3f%% %10.1f\n", name(d), mp, mm,
                100.0 * (mm - mp) / mp, 100.0 * (median(ratio) - 1.0), static_cast<long long>(checkpoints),
                100.0 * checkpoints * perCheckpoint / mp, 1000.0 * snapshot);
  }

  std::printf("\nStop latency, n = %d (stop requested after the given time; latency = request to the\n"
              "run's return, state restored; 'seen' = request to the first checkpoint that saw it)\n",
              cancelOrder);
  std::printf("%-14s %8s %12s %10s %10s %s\n", "driver", "after s", "latency ms", "seen ms", "gap ms", "stage");
  for (Driver d : drivers) {
    for (double after : {0.02, 0.05, 0.4, 1.5}) {
      prepare(d, cancelOrder, 1000000);
      WindowLikeMonitor m;
      Clock::time_point done{};
      std::thread worker([&] {
        MonitorScope scope(&m);
        PARVELAAPPLY(nullptr, kIdSolve, kEventChanged);
        done = Clock::now();
      });
      const auto start = Clock::now();
      std::this_thread::sleep_until(start + std::chrono::duration<double>(after));
      const auto request = Clock::now();
      m.requestCancel();
      worker.join();
      const bool cancelled = lastWorkOutcome() == WorkOutcome::Cancelled;
      std::printf("%-14s %8.2f %12.1f %10.1f %10.1f %s\n", name(d), after, 1000.0 * seconds(done - request),
                  cancelled ? 1000.0 * seconds(m.seenAt() - request) : 0.0, 1000.0 * seconds(m.longest_),
                  cancelled ? progressStageName(m.seenStage_) : "ended before the request");
    }
  }
  InputDataFile().deselect();
  std::filesystem::remove(path);
  setPlatform(nullptr);
  return 0;
}
