#include "ui/core/outcome.h"

namespace parvela {

namespace {

bool blank(std::string_view s) { return s.find_first_not_of(" \t\r") == std::string_view::npos; }

}  // namespace

std::vector<std::string> nonEmptyLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!blank(line)) lines.emplace_back(line);
    if (eol == std::string_view::npos) break;
    text.remove_prefix(eol + 1);
  }
  return lines;
}

Outcome makeOutcome(const RunResult& run, std::string_view standardOutput,
                    const std::vector<BoxMessage>& boxes) {
  Outcome o;
  if (run.status == RunStatus::Cancelled) {
    o.kind = Outcome::Kind::Cancelled;
    o.summary = "Rulare oprita; nu s-a scris nimic in fisier.";
    return o;
  }
  o.lines = nonEmptyLines(standardOutput);
  if (!run.written()) {
    o.kind = Outcome::Kind::Refused;
    // The standard output lines of a run whose report could not be placed
    // stay; the message says why nothing is in the file.
    for (const BoxMessage& b : boxes)
      for (std::string& l : nonEmptyLines(b.text)) o.lines.push_back(std::move(l));
    o.summary = boxes.empty() ? "Nu s-a scris niciun raport." : boxes.back().caption + ": raportul nu a fost scris.";
    return o;
  }
  o.kind = run.recordsFailure() ? Outcome::Kind::Breakdown : Outcome::Kind::Done;
  o.summary = o.kind == Outcome::Kind::Breakdown ? "Raport scris; metoda nu a reusit (vezi raportul)."
                                                 : "Raport scris in fisierul de date.";
  return o;
}

}  // namespace parvela
