#include "ui/core/run_record.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "io/fortran_io.h"

namespace parvela {

namespace {

std::string number(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

}  // namespace

double log10OrFloor(double magnitude, double floor) {
  const double m = std::fabs(magnitude);
  if (!(m > 0.0) || std::isinf(m)) return std::isinf(m) ? 45.0 : floor;
  return std::max(floor, std::log10(m));
}

std::string scientific3(float v) {
  std::string s = formatRecord("(1pE10.3)", {v});
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? s : s.substr(first);
}

std::string shortest(float v) {
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  std::string s(buf, end);
  // "1e-05" -> "1e-5", "1e+20" -> "1e20"
  if (const std::size_t e = s.find('e'); e != std::string::npos) {
    std::string exponent = s.substr(e + 1);
    const bool negative = exponent[0] == '-';
    if (exponent[0] == '-' || exponent[0] == '+') exponent.erase(0, 1);
    exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
    s = s.substr(0, e + 1) + (negative ? "-" : "") + exponent;
  }
  return s;
}

std::string RunRecord::curveLabel() const {
  std::string l = method;
  if (withOmega) l += " \u03c9=" + shortest(omega);
  if (iterative) l += ", eps=" + shortest(eps);
  return l;
}

std::string RunRecord::label() const {
  std::string l = method;
  if (withOmega) l += ", omega = " + scientific3(omega);
  if (iterative) l += ", eps = " + scientific3(eps);
  return l;
}

const SweepOutcome* RunRecord::verdictOf(std::int32_t rhs) const {
  const std::vector<SweepOutcome>& v = result.outcome.sweeps;
  if (rhs < 1 || static_cast<std::size_t>(rhs) > v.size()) return nullptr;
  return &v[static_cast<std::size_t>(rhs - 1)];
}

RunRecord makeRunRecord(const RunResult& result, RunTrace trace) {
  RunRecord r;
  r.problemKind = result.problemKind;
  r.method = std::string(result.methodLabel());
  if (result.problemKind != ProblemKind::ConditionNumber) {
    r.iterative = isIterativeMethod(result.methodIndex);
    r.withOmega = methodNeedsOmega(result.methodIndex);
  }
  r.eps = result.eps;
  r.omega = result.omega;
  r.nlim = result.nlim;
  r.trace = std::move(trace);
  r.result = result;
  return r;
}

void writeSweepsCsv(std::ostream& out, const std::vector<RunRecord>& runs) {
  out << "rulare,metoda,omega,eps,termen_liber,iteratia,max_dif,log10_max_dif,verdict\n";
  for (const RunRecord& r : runs) {
    for (const TraceCurve& c : r.trace.sweeps) {
      const SweepOutcome* v = r.verdictOf(c.part);
      for (std::size_t k = 0; k < c.points.size(); ++k) {
        const TracePoint& p = c.points[k];
        out << r.number << ',' << r.method << ',' << (r.withOmega ? number(r.omega) : "") << ','
            << number(r.eps) << ',' << c.part << ',' << p.step << ',' << number(p.value) << ','
            << number(log10OrFloor(p.value)) << ',';
        if (k + 1 == c.points.size() && v) out << verdictName(v->verdict);
        out << '\n';
      }
    }
  }
}

void writePowerCsv(std::ostream& out, const std::vector<RunRecord>& runs) {
  out << "rulare,trecerea,iteratia,masura,log10_masura\n";
  for (const RunRecord& r : runs)
    for (const TraceCurve& c : r.trace.power)
      for (const TracePoint& p : c.points)
        out << r.number << ',' << c.part << ',' << p.step << ',' << number(p.value) << ','
            << number(log10OrFloor(p.value)) << '\n';
}

void writePivotsCsv(std::ostream& out, const std::vector<RunRecord>& runs) {
  out << "rulare,metoda,pasul,pivot,log10_abs_pivot\n";
  for (const RunRecord& r : runs)
    for (const TracePoint& p : r.trace.pivots)
      out << r.number << ',' << r.method << ',' << p.step << ',' << number(p.value) << ','
          << number(log10OrFloor(p.value)) << '\n';
}

}  // namespace parvela
