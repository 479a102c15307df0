#include "core/progress.h"

namespace parvela {

namespace detail {
constinit thread_local WorkMonitor* tlsMonitor = nullptr;

void reportCheckpoint(WorkMonitor& m, const Progress& p) {
  m.progress(p);
  if (m.cancelRequested()) throw WorkCancelled{};
}
}  // namespace detail

MonitorScope::MonitorScope(WorkMonitor* monitor) : previous_(detail::tlsMonitor) {
  detail::tlsMonitor = monitor;
}

MonitorScope::~MonitorScope() { detail::tlsMonitor = previous_; }

WorkMonitor* currentMonitor() { return detail::tlsMonitor; }

}  // namespace parvela
