// How far a piece of analysis is, for whoever shows it. Stopping is the
// thread's work monitor's business (core/progress.h): the analysis polls it
// between its steps, and the private runs it makes poll it at every
// checkpoint of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace parvela {

// Called with what is being done and how many of how many steps are done.
using AnalysisProgress = std::function<void(std::string_view what, std::int32_t done, std::int32_t total)>;

inline void tell(const AnalysisProgress& progress, std::string_view what, std::int32_t done, std::int32_t total) {
  if (progress) progress(what, done, total);
}

}  // namespace parvela
