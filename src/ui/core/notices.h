// When the data in memory are no longer the file's data. A run can leave
// factors, solutions or the inverse in A and B (or reorder and scale the
// system), and the next run starts from them; and a choice the read depended
// on (problem, matrix kind, source, generator, element inversion, Cholesky)
// can change after the read. Both are told in the window until "Citeste"
// reads the file again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/problem_state.h"

namespace parvela {

inline constexpr const char* kNoticeResultsInMemory =
    "Urmatoarea rulare porneste de la rezultatele rularii anterioare; "
    "Citeste reface datele din fisier.";

// The choices the reader looks at.
struct ReadChoices {
  bool system = true;  // right-hand sides read (problem "Sistem")
  MatrixKind matrixKind = MatrixKind::General;
  InputSource inputSource = InputSource::DataFile;
  bool invertElements = false;  // counts for data from the file only
  std::int32_t generatorIndex = 0;  // counts for generated data only
  bool cholesky = false;  // packed copy made for Cholesky

  static ReadChoices of(const ProblemState& s);
  bool operator==(const ReadChoices&) const = default;
  // Romanian names of the choices that differ, in window order.
  std::vector<std::string> differences(const ReadChoices& now) const;
};

// A digest of the problem's data (sizes, A, AV, B, C and whether AV exists).
std::uint64_t dataFingerprint(const ProblemState& s);

class NoticeRules {
 public:
  // After "Citeste": a successful read remembers the data and the choices;
  // a failed one forgets them (no data, nothing to warn about).
  void afterRead(const ProblemState& s, bool ok);
  // After a run (also a refused one: it leaves the data as they were).
  void afterRun(const ProblemState& s);

  bool resultsInMemory() const { return resultsInMemory_; }
  // The notices to show now, in order; empty when the data are the file's.
  std::vector<std::string> notices(const ProblemState& s) const;
  // The text for changed read choices.
  static std::string changedChoicesText(const std::vector<std::string>& names);

 private:
  bool haveRead_ = false;
  ReadChoices choices_;
  std::uint64_t fingerprint_ = 0;
  bool resultsInMemory_ = false;
};

}  // namespace parvela
