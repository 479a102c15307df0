#include "ui/core/terminal_progress.h"

#include <unistd.h>

#include "ui/core/progress_text.h"

namespace parvela {

TerminalProgress::TerminalProgress(std::ostream& out, Clock::duration delay, Clock::duration interval)
    : out_(out), delay_(delay), interval_(interval) {}

TerminalProgress::~TerminalProgress() { clear(); }

bool TerminalProgress::standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void TerminalProgress::clear() {
  if (!shown_) return;
  out_ << "\r\x1b[K" << std::flush;
  shown_ = false;
}

void TerminalProgress::progress(const Progress& p) {
  const Clock::time_point now = Clock::now();
  // A read and a run are pieces of work of their own: the clock starts
  // again when the read begins and when a run's first stage comes.
  if (!started_ || (p.stage == Stage::Reading && stage_ != Stage::Reading)) {
    started_ = true;
    start_ = now;
    lastShown_ = {};
  }
  stage_ = p.stage;
  const bool ends = (p.stage == Stage::ReportWrite || p.stage == Stage::Reading) && p.total > 0 && p.done >= p.total;
  if (ends) {
    clear();
    started_ = false;  // the next checkpoint belongs to the next piece of work
    return;
  }
  if (now - start_ < delay_ || now - lastShown_ < interval_) return;
  lastShown_ = now;
  std::string line = progressText(p);
  const double fraction = progressFraction(p);
  if (fraction >= 0) line += "  " + std::to_string(static_cast<int>(fraction * 100.0)) + " %";
  line += "  (" + elapsedText(std::chrono::duration<double>(now - start_).count()) + ")";
  out_ << "\r" << line << "\x1b[K" << std::flush;
  shown_ = true;
}

}  // namespace parvela
