#include "ui/core/outcome.h"

#include <array>

namespace parvela {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Lines by which the drivers report that the method could not finish or did
// not converge.
bool isBreakdownLine(std::string_view line) {
  static constexpr std::array<std::string_view, 8> marks = {
      "* Pivot <",          "* Sistemul nu se poate rezolva.",
      "u(1,1) =",           "U-diagonal < Prag",
      "* Matricea nu este pozitiv definita", "Pivot < prag, linia:",
      "Divergenta",         "Iteratie stationara"};
  const std::string_view t = trimmed(line);
  for (std::string_view m : marks)
    if (startsWith(t, m)) return true;
  return t == "Numar de iteratii depasit.";
}

}  // namespace

std::vector<std::string> nonEmptyLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!trimmed(line).empty()) lines.emplace_back(line);
    if (eol == std::string_view::npos) break;
    text.remove_prefix(eol + 1);
  }
  return lines;
}

std::vector<RhsVerdict> verdictsFromOutput(std::string_view standardOutput) {
  std::vector<RhsVerdict> verdicts;
  for (const std::string& raw : nonEmptyLines(standardOutput)) {
    const std::string_view line = trimmed(raw);
    if (line == "Toleranta atinsa.") {
      verdicts.push_back({Verdict::Tolerance, std::nullopt});
    } else if (line == "Numar de iteratii depasit.") {
      verdicts.push_back({Verdict::Limit, std::nullopt});
    } else if (line == "Divergenta") {
      verdicts.push_back({Verdict::Divergence, std::nullopt});
    } else if (line == "Iteratie stationara") {
      verdicts.push_back({Verdict::Stationary, std::nullopt});
    } else if (startsWith(line, "Numar iteratii:") && !verdicts.empty()) {
      std::int32_t k = 0;
      bool digits = false;
      for (char c : line.substr(15)) {
        if (c >= '0' && c <= '9') {
          k = k * 10 + (c - '0');
          digits = true;
        } else if (c != ' ') {
          digits = false;
          break;
        }
      }
      if (digits) verdicts.back().sweeps = k;
    }
  }
  return verdicts;
}

std::string_view verdictName(Verdict v) {
  switch (v) {
    case Verdict::Tolerance: return "toleranta atinsa";
    case Verdict::Limit: return "limita de iteratii";
    case Verdict::Divergence: return "divergenta";
    case Verdict::Stationary: return "iteratie stationara";
  }
  return "";
}

Outcome makeOutcome(std::string_view standardOutput, const std::vector<BoxMessage>& boxes,
                    bool reportWritten, bool cancelled) {
  Outcome o;
  if (cancelled) {
    o.kind = Outcome::Kind::Cancelled;
    o.summary = "Rulare oprita; nu s-a scris nimic in fisier.";
    return o;
  }
  o.lines = nonEmptyLines(standardOutput);
  if (!reportWritten) {
    o.kind = Outcome::Kind::Refused;
    // The standard output lines of a run whose report could not be placed
    // stay; the message says why nothing is in the file.
    for (const BoxMessage& b : boxes)
      for (std::string& l : nonEmptyLines(b.text)) o.lines.push_back(std::move(l));
    o.summary = boxes.empty() ? "Nu s-a scris niciun raport." : boxes.back().caption + ": raportul nu a fost scris.";
    return o;
  }
  o.kind = Outcome::Kind::Done;
  for (const std::string& l : o.lines)
    if (isBreakdownLine(l)) o.kind = Outcome::Kind::Breakdown;
  o.summary = o.kind == Outcome::Kind::Breakdown ? "Raport scris; metoda nu a reusit (vezi raportul)."
                                                 : "Raport scris in fisierul de date.";
  return o;
}

}  // namespace parvela
