// The outcome of "Citeste" (and of a save from the data grid) as the
// results window shows it in its outcome line: whether the data were read,
// where a failed read stopped, and the warnings of a read that went
// differently from what the file's lines suggest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/read_diagnosis.h"

namespace parvela {

struct ReadOutcome {
  enum class Kind { Read, Warnings, Failed, Saved, Selected };
  Kind kind = Kind::Read;
  std::string summary;             // one line
  std::vector<std::string> lines;  // where and what, one a line
};

// After "Citeste": `ok` when the data were read, with n and nb as read.
ReadOutcome makeReadOutcome(const ReadReport& report, bool ok, std::int32_t n, std::int32_t nb);
// After the data grid saved the file's data.
ReadOutcome savedOutcome(const std::string& message);
// After another file was chosen, nothing read from it yet; `cleared` names
// the file whose run the window stopped showing (empty: none was shown).
ReadOutcome selectedOutcome(const std::string& file, const std::string& cleared);
// The line a failed read adds when the window stops showing the last run.
constexpr const char* kRunClearedAfterFailedRead = "Rezultatele rularii anterioare nu se mai arata.";

}  // namespace parvela
