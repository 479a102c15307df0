// Progress of the batch front end: one line on a terminal (standard error),
// rewritten in place, that appears once work has lasted a moment and is
// wiped when the work ends.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "core/progress.h"

namespace parvela {

class TerminalProgress final : public WorkMonitor {
 public:
  using Clock = std::chrono::steady_clock;

  // `delay`: how long work runs before the line appears; `interval`: how
  // often it is rewritten at most.
  explicit TerminalProgress(std::ostream& out, Clock::duration delay = std::chrono::milliseconds(300),
                            Clock::duration interval = std::chrono::milliseconds(100));
  ~TerminalProgress() override;

  void progress(const Progress& p) override;
  bool cancelRequested() override { return false; }

  // Wipes the line (when one is shown).
  void clear();

  // Whether standard error is a terminal (the only place the line goes).
  static bool standardErrorIsTerminal();

 private:
  std::ostream& out_;
  Clock::duration delay_, interval_;
  Clock::time_point start_{}, lastShown_{};
  Stage stage_ = Stage::Reading;
  bool started_ = false;
  bool shown_ = false;
};

}  // namespace parvela
