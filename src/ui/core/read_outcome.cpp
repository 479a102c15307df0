#include "ui/core/read_outcome.h"

namespace parvela {

ReadOutcome makeReadOutcome(const ReadReport& report, bool ok, std::int32_t n, std::int32_t nb) {
  ReadOutcome o;
  if (!ok) {
    o.kind = ReadOutcome::Kind::Failed;
    if (report.stop) {
      // The message box's words, then where and what.
      o.summary = "Eroare de citire in fisierul de date";
      o.lines.push_back(report.stop->text);
      if (report.stop->line > 0) o.lines.push_back("\"Deschide\" arata fisierul la acest loc.");
    } else {
      o.summary = "Datele nu au fost citite.";
    }
    o.lines.insert(o.lines.end(), report.warnings.begin(), report.warnings.end());
    return o;
  }
  const std::string sizes = "n = " + std::to_string(n) + ", nb = " + std::to_string(nb);
  if (report.warnings.empty()) {
    o.summary = "Date citite: " + sizes + ".";
    return o;
  }
  o.kind = ReadOutcome::Kind::Warnings;
  o.summary = "Date citite (" + sizes + "), dar altfel decat arata liniile fisierului:";
  o.lines = report.warnings;
  return o;
}

ReadOutcome savedOutcome(const std::string& message) {
  return ReadOutcome{ReadOutcome::Kind::Saved, message, {}};
}

ReadOutcome selectedOutcome(const std::string& file, const std::string& cleared) {
  ReadOutcome o{ReadOutcome::Kind::Selected, "Fisier selectat: " + file + ". Cititi datele cu \"Citeste\".", {}};
  if (!cleared.empty()) o.lines.push_back("Rezultatele rularilor pe " + cleared + " nu se mai arata.");
  return o;
}

}  // namespace parvela
