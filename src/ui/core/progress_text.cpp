#include "ui/core/progress_text.h"

#include <cmath>
#include <cstdio>

namespace parvela {

namespace {

std::string num(std::int64_t v) { return std::to_string(v); }

std::string measureText(double m) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3E", m);
  return buf;
}

std::string megabytes(std::int64_t bytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  std::string s = buf;
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::string ofTotal(const Progress& p) { return p.total > 0 ? " din " + num(p.total) : std::string(); }

}  // namespace

std::string progressText(const Progress& p) {
  switch (p.stage) {
    case Stage::Reading:
      if (p.total > 0) return "Citire date: " + megabytes(p.done) + " din " + megabytes(p.total);
      return "Citire date: " + megabytes(p.done);
    case Stage::Generating:
      return "Generare matrice: coloana " + num(p.done) + ofTotal(p);
    case Stage::Elimination:
      return "Eliminare: coloana " + num(p.done) + ofTotal(p);
    case Stage::LuFactorization:
      return "Factorizare LU: pasul " + num(p.done) + ofTotal(p);
    case Stage::Cholesky:
      return "Cholesky: linia " + num(p.done) + ofTotal(p);
    case Stage::Substitution:
      return "Calculul solutiilor: " + num(p.done) + ofTotal(p);
    case Stage::Iteration: {
      std::string s = "Iteratia " + num(p.done) + ofTotal(p);
      if (!std::isnan(p.measure)) s += ", max|x - x_ant| = " + measureText(p.measure);
      if (p.part > 1) s += " (termenul liber " + num(p.part) + ")";
      return s;
    }
    case Stage::PowerMethod: {
      std::string s = "Metoda puterii: iteratia " + num(p.done);
      if (p.part > 0) s += " (trecerea " + num(p.part) + ")";
      if (!std::isnan(p.measure) && p.measure > 0) s += ", test = " + measureText(p.measure);
      return s;
    }
    case Stage::Verification:
      return "Verificare";
    case Stage::ReportAssembly: {
      static constexpr const char* kParts[] = {"", "matricea, linia ", "solutiile, coloana ",
                                               "proba, coloana "};
      const std::int32_t part = p.part >= 1 && p.part <= 3 ? p.part : 0;
      return std::string("Pregatire raport: ") + kParts[part] + num(p.done) + ofTotal(p);
    }
    case Stage::ReportWrite:
      return "Scriere raport";
  }
  return {};
}

double progressFraction(const Progress& p) {
  if (p.total <= 0) return -1.0;
  if (p.done <= 0) return 0.0;
  if (p.done >= p.total) return 1.0;
  return static_cast<double>(p.done) / static_cast<double>(p.total);
}

std::string elapsedText(double seconds) {
  char buf[48];
  if (seconds < 60.0) {
    std::snprintf(buf, sizeof buf, "%.1f s", seconds);
    std::string s = buf;
    for (char& c : s)
      if (c == '.') c = ',';
    return s;
  }
  const long whole = static_cast<long>(seconds);
  std::snprintf(buf, sizeof buf, "%ld min %02ld s", whole / 60, whole % 60);
  return buf;
}

}  // namespace parvela
