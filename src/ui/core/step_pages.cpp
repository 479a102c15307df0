#include "ui/core/step_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "condition/norms.h"
#include "core/norm_choice.h"
#include "ui/core/run_trace.h"

namespace parvela {

namespace {

constexpr std::int32_t kTableRows = 200;  // rows of a table around the current one

std::string format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

std::string special(double v) {
  if (std::isnan(v)) return "NaN";
  return v > 0 ? "Infinity" : "-Infinity";
}

// "1.2346e-05" -> "1.2346e-5"
std::string tidyExponent(std::string s) {
  const std::size_t e = s.find('e');
  if (e == std::string::npos) return s;
  std::size_t p = e + 1;
  if (p < s.size() && (s[p] == '-' || s[p] == '+')) {
    if (s[p] == '+') s.erase(p, 1);
    else ++p;
  }
  while (p + 1 < s.size() && s[p] == '0') s.erase(p, 1);
  return s;
}

std::string threshold(float t) { return format("%.1E", t); }

bool isSingle(double v) { return std::isnan(v) || static_cast<double>(static_cast<float>(v)) == v; }

std::string rows(const std::vector<std::int32_t>& r) {
  std::string s;
  for (std::size_t k = 0; k < r.size(); ++k) s += (k ? ", " : "") + std::to_string(r[k]);
  return s;
}

std::string join(const std::vector<std::string>& items) {
  std::string s;
  for (std::size_t k = 0; k < items.size(); ++k) s += (k ? "; " : "") + items[k];
  return s;
}

std::string rhsText(const StepSession& s, std::int32_t rhs) {
  if (s.run().start.nb <= 1 || rhs <= 0) return "";
  return s.run().start.problemKind == ProblemKind::System ? " (termenii liberi nr. " + std::to_string(rhs) + ")"
                                                           : " (coloana " + std::to_string(rhs) + ")";
}

// The exact counterpart of a value, for the exact lines.
std::string exactOf(const std::optional<ExactNumber>& e, double approx) {
  if (!e) return "-";
  return exactShort(*e) + " (" + differenceText(approx, *e, isSingle(approx)) + ")";
}

std::string exactList(const ExactValues& e, const std::vector<double>& approx, const std::string& lead,
                      std::int32_t firstIndex, std::int32_t column = 0) {
  std::vector<std::string> items;
  const std::string col = column > 0 ? "," + std::to_string(column) : "";
  for (std::size_t k = 0; k < e.size() && k < approx.size(); ++k)
    items.push_back(lead + "(" + std::to_string(firstIndex + static_cast<std::int32_t>(k)) + col + ") = " +
                    exactOf(e[k], approx[k]));
  return join(items);
}

std::vector<double> widen(const std::vector<float>& v) { return {v.begin(), v.end()}; }

// --- What a page shows -----------------------------------------------------

bool isFactorStep(StepKind k) { return k == StepKind::Elimination || k == StepKind::Lu || k == StepKind::Cholesky; }

// The arrays of a page: the step's own, the run's start for the data page.
struct Arrays {
  const StepArray* A = nullptr;
  const StepArray* B = nullptr;
  const std::vector<float>* S = nullptr;
  const std::vector<float>* x = nullptr;
  const ExactValues* eA = nullptr;
  const ExactValues* eB = nullptr;
  const ExactValues* eS = nullptr;
  const ExactValues* ex = nullptr;
};

Arrays startArrays(const StepSession& s, const ExactRun* exact) {
  const StepRunStart& st = s.run().start;
  Arrays a;
  if (!st.A.empty()) a.A = &st.A;
  if (!st.B.empty()) a.B = &st.B;
  if (!st.S.empty()) a.S = &st.S;
  if (exact) {
    if (exact->initialA) a.eA = exact->initialA.get();
    if (exact->initialB) a.eB = exact->initialB.get();
    if (exact->initialS) a.eS = exact->initialS.get();
  }
  return a;
}

Arrays stepArrays(const StepSession& s, std::size_t i, const ExactRun* exact) {
  const RecordedStep& r = s.run().steps[i];
  Arrays a;
  if (!r.A.empty()) a.A = &r.A;
  if (!r.B.empty()) a.B = &r.B;
  if (!r.S.empty()) a.S = &r.S;
  if (!r.x.empty()) a.x = &r.x;
  if (exact && i < exact->steps.size() && exact->steps[i].computed) {
    const ExactStep& e = exact->steps[i];
    if (e.A) a.eA = e.A.get();
    if (e.B) a.eB = e.B.get();
    if (e.S) a.eS = e.S.get();
    if (e.x) a.ex = e.x.get();
  }
  return a;
}

bool hasMatrix(const Arrays& a) { return a.A || a.S; }

// The arrays a step's page is compared with to mark what changed: the
// nearest earlier step with arrays of the same kind, or the start.
Arrays previousArrays(const StepSession& s, std::size_t i) {
  const RecordedStep& r = s.run().steps[i];
  for (std::size_t k = i; k-- > 0;) {
    const RecordedStep& p = s.run().steps[k];
    if ((!r.A.empty() && !p.A.empty()) || (!r.S.empty() && !p.S.empty())) return stepArrays(s, k, nullptr);
  }
  return startArrays(s, nullptr);
}

struct Layout {
  std::int32_t n = 0;
  bool packed = false;      // S as an upper triangle
  std::int32_t extra = 0;   // columns after the bar
  bool vector = false;      // the extra column is x
  std::string vectorName;   // "x", "y"
};

Layout layoutOf(const StepSession& s, const Arrays& a, const RecordedStep* r) {
  Layout l;
  l.n = s.run().start.n;
  l.packed = a.S != nullptr;
  if (a.x) {
    l.extra = 1;
    l.vector = true;
    l.vectorName = r && r->kind == StepKind::Forward ? "y" : "x";
  } else if (a.B) {
    l.extra = a.B->cols;
  }
  return l;
}

const float* valueAt(const Arrays& a, const Layout& l, std::int32_t r, std::int32_t c) {
  if (c <= l.n) {
    if (l.packed) {
      if (r > c || !a.S) return nullptr;
      return &(*a.S)[packedOffset(static_cast<std::size_t>(r), static_cast<std::size_t>(c))];
    }
    return a.A ? &a.A->values[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(l.n) + static_cast<std::size_t>(r - 1)] : nullptr;
  }
  if (l.vector) return a.x && static_cast<std::size_t>(r) <= a.x->size() ? &(*a.x)[static_cast<std::size_t>(r - 1)] : nullptr;
  if (!a.B || c - l.n > a.B->cols) return nullptr;
  return &a.B->values[static_cast<std::size_t>(c - l.n - 1) * static_cast<std::size_t>(l.n) + static_cast<std::size_t>(r - 1)];
}

const ExactNumber* exactAt(const Arrays& a, const Layout& l, std::int32_t r, std::int32_t c) {
  if (c <= l.n) {
    if (l.packed) {
      if (r > c || !a.eS) return nullptr;
      return &(*a.eS)[packedOffset(static_cast<std::size_t>(r), static_cast<std::size_t>(c))];
    }
    return a.eA ? &(*a.eA)[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(l.n) + static_cast<std::size_t>(r - 1)] : nullptr;
  }
  if (l.vector) return a.ex ? &(*a.ex)[static_cast<std::size_t>(r - 1)] : nullptr;
  if (!a.eB) return nullptr;
  return &(*a.eB)[static_cast<std::size_t>(c - l.n - 1) * static_cast<std::size_t>(l.n) + static_cast<std::size_t>(r - 1)];
}

void fillCell(StepCell& cell, const float* v, const ExactNumber* e, bool exact) {
  if (!v) {
    cell.mark = CellMark::Empty;
    return;
  }
  cell.value = *v;
  cell.text = cellNumber(*v);
  cell.tip = format("%.9g", *v);
  if (std::isnan(*v) || std::isinf(*v)) cell.tip = special(*v);
  if (exact && e) {
    cell.exactValue = *e;
    cell.exact = exactShort(*e);
    cell.diff = differenceText(*v, *e, true);
    cell.tip += "\nexact: " + e->text(30);
  }
}

StepGrid matrixGrid(const StepSession& s, const Arrays& a, const Arrays* before, const RecordedStep* r, bool exact) {
  const Layout l = layoutOf(s, a, r);
  StepGrid g;
  g.rows = l.n;
  g.cols = l.n + l.extra;
  g.barAfter = l.extra ? l.n : 0;
  for (std::int32_t c = 1; c <= l.n; ++c) g.columnHeads.push_back(std::to_string(c));
  for (std::int32_t c = 1; c <= l.extra; ++c)
    g.columnHeads.push_back(l.vector ? l.vectorName : (l.extra > 1 ? "b" + std::to_string(c) : std::string("b")));
  for (std::int32_t i = 1; i <= l.n; ++i) g.rowHeads.push_back(std::to_string(i));
  g.cells.resize(static_cast<std::size_t>(g.rows) * static_cast<std::size_t>(g.cols));
  const Layout lb = before ? layoutOf(s, *before, r) : Layout{};
  for (std::int32_t i = 1; i <= g.rows; ++i)
    for (std::int32_t c = 1; c <= g.cols; ++c) {
      StepCell& cell = g.cell(i, c);
      const float* v = valueAt(a, l, i, c);
      fillCell(cell, v, exactAt(a, l, i, c), exact);
      if (v && before && lb.packed == l.packed && lb.extra == l.extra) {
        const float* w = valueAt(*before, lb, i, c);
        if (w && std::memcmp(v, w, sizeof(float)) != 0) cell.mark = CellMark::Changed;
      }
    }
  if (l.packed) g.caption = "S (triunghiul superior, impachetat)";
  return g;
}

void mark(StepGrid& g, std::int32_t r, std::int32_t c, CellMark m) {
  if (r >= 1 && r <= g.rows && c >= 1 && c <= g.cols && g.cell(r, c).mark != CellMark::Empty) g.cell(r, c).mark = m;
}

// --- Tables ----------------------------------------------------------------

// The rows of a table: the steps of `kind` in the same part (right-hand
// side, pass) as step i, in a window that ends with it.
std::vector<std::size_t> tableRows(const StepSession& s, std::size_t i, bool (*same)(const RecordedStep&, const RecordedStep&),
                                   std::size_t maxRows) {
  const std::vector<RecordedStep>& steps = s.run().steps;
  std::vector<std::size_t> out;
  for (std::size_t k = i + 1; k-- > 0 && out.size() < maxRows;) {
    if (steps[k].kind != steps[i].kind) {
      if (steps[k].kind == StepKind::Breakdown) continue;
      break;
    }
    if (!same(steps[k], steps[i])) break;
    out.push_back(k);
  }
  std::reverse(out.begin(), out.end());
  return out;
}

void tableCell(StepCell& cell, double v, const std::optional<ExactNumber>& e, bool exact) {
  cell.value = v;
  cell.text = std::isfinite(v) ? cellNumber(v) : special(v);
  cell.tip = std::isfinite(v) ? format(isSingle(v) ? "%.9g" : "%.17g", v) : special(v);
  if (exact && e) {
    cell.exactValue = *e;
    cell.exact = exactShort(*e);
    cell.diff = differenceText(v, *e, isSingle(v));
    cell.tip += "\nexact: " + e->text(30);
  }
}

// The change, its ratio and the residual first (they matter most and stay
// in sight), then the iterate.
StepGrid sweepTable(const StepSession& s, std::size_t i, bool exact, std::size_t maxRows) {
  const ExactRun* ex = exact ? s.exact() : nullptr;
  const std::vector<std::size_t> rowsShown =
      tableRows(s, i, [](const RecordedStep& a, const RecordedStep& b) { return a.rhs == b.rhs; }, maxRows);
  const bool full = s.run().full();
  const std::int32_t n = full ? s.run().start.n : 0;
  const std::int32_t lead = full ? 3 : 2;
  StepGrid g;
  g.rows = static_cast<std::int32_t>(rowsShown.size());
  g.cols = lead + n;
  g.columnHeads = {"max|x - x_ant|", "raport"};
  if (full) g.columnHeads.push_back("reziduu");
  for (std::int32_t c = 1; c <= n; ++c) g.columnHeads.push_back("x" + std::to_string(c));
  g.barAfter = n > 0 ? lead : 0;
  g.cells.resize(static_cast<std::size_t>(g.rows) * static_cast<std::size_t>(g.cols));
  for (std::int32_t r = 1; r <= g.rows; ++r) {
    const std::size_t k = rowsShown[static_cast<std::size_t>(r - 1)];
    const RecordedStep& st = s.run().steps[k];
    const ExactStep* e = ex && k < ex->steps.size() && ex->steps[k].computed ? &ex->steps[k] : nullptr;
    g.rowHeads.push_back(std::to_string(st.step));
    tableCell(g.cell(r, 1), st.measure, e ? e->measure : std::nullopt, exact);
    if (st.ratio)
      tableCell(g.cell(r, 2), *st.ratio, e ? e->ratio : std::nullopt, exact);
    else
      g.cell(r, 2).text = "-";
    if (full) {
      if (st.residual)
        tableCell(g.cell(r, 3), *st.residual, e ? e->residual : std::nullopt, exact);
      else
        g.cell(r, 3).text = "-";
    }
    for (std::int32_t c = 1; c <= n && static_cast<std::size_t>(c) <= st.x.size(); ++c)
      tableCell(g.cell(r, lead + c), st.x[static_cast<std::size_t>(c - 1)],
                e && e->x ? std::optional<ExactNumber>((*e->x)[static_cast<std::size_t>(c - 1)]) : std::nullopt, exact);
    if (k == i) g.currentRow = r;
  }
  g.caption = "Iteratiile" + rhsText(s, s.run().steps[i].rhs);
  return g;
}

StepGrid powerTable(const StepSession& s, std::size_t i, bool exact, std::size_t maxRows) {
  const ExactRun* ex = exact ? s.exact() : nullptr;
  const std::vector<std::size_t> rowsShown =
      tableRows(s, i, [](const RecordedStep& a, const RecordedStep& b) { return a.pass == b.pass; }, maxRows);
  StepGrid g;
  g.rows = static_cast<std::int32_t>(rowsShown.size());
  g.cols = 4;
  g.columnHeads = {"Re lambda", "Im lambda", "|lambda|", "schimbare"};
  g.cells.resize(static_cast<std::size_t>(g.rows) * 4);
  for (std::int32_t r = 1; r <= g.rows; ++r) {
    const std::size_t k = rowsShown[static_cast<std::size_t>(r - 1)];
    const RecordedStep& st = s.run().steps[k];
    const ExactStep* e = ex && k < ex->steps.size() && ex->steps[k].computed ? &ex->steps[k] : nullptr;
    g.rowHeads.push_back(std::to_string(st.step));
    tableCell(g.cell(r, 1), st.estimateRe, e ? e->estimateRe : std::nullopt, exact);
    tableCell(g.cell(r, 2), st.estimateIm, e ? e->estimateIm : std::nullopt, exact);
    tableCell(g.cell(r, 3), modulus(Complex{st.estimateRe, st.estimateIm}), e ? e->modulus : std::nullopt, exact);
    if (std::isnan(st.measure))
      g.cell(r, 4).text = "-";
    else
      tableCell(g.cell(r, 4), st.measure, e ? e->measure : std::nullopt, exact);
    if (k == i) g.currentRow = r;
  }
  g.caption = powerPassName(s.run().steps[i].pass);
  return g;
}

// Above the detail limit: the factorisation's summaries around the step.
StepGrid summaryTable(const StepSession& s, std::size_t i, std::size_t maxRows) {
  const std::vector<RecordedStep>& steps = s.run().steps;
  std::vector<std::size_t> factor;
  for (std::size_t k = 0; k < steps.size(); ++k)
    if (steps[k].kind == steps[i].kind) factor.push_back(k);
  const std::size_t at = static_cast<std::size_t>(std::find(factor.begin(), factor.end(), i) - factor.begin());
  const std::size_t from = at > maxRows / 2 ? at - maxRows / 2 : 0;
  const std::size_t to = std::min(factor.size(), from + maxRows);
  StepGrid g;
  g.rows = static_cast<std::int32_t>(to - from);
  g.cols = 5;
  g.columnHeads = {"linia pivot", "pivot", "schimbare", "max |rand|", "crestere"};
  g.cells.resize(static_cast<std::size_t>(g.rows) * 5);
  for (std::int32_t r = 1; r <= g.rows; ++r) {
    const std::size_t k = factor[from + static_cast<std::size_t>(r - 1)];
    const RecordedStep& st = steps[k];
    g.rowHeads.push_back(std::to_string(st.step));
    g.cell(r, 1).text = std::to_string(st.pivotRow);
    tableCell(g.cell(r, 2), st.pivot, std::nullopt, false);
    g.cell(r, 3).text = st.interchanged ? "da" : "-";
    tableCell(g.cell(r, 4), st.rowMax, std::nullopt, false);
    if (std::isnan(st.growth))
      g.cell(r, 5).text = "-";
    else
      tableCell(g.cell(r, 5), st.growth, std::nullopt, false);
    if (k == i) g.currentRow = r;
  }
  g.caption = "Rezumatul pasilor";
  return g;
}

// --- Words -----------------------------------------------------------------

// "a(2,1) = 4; a(3,1) = -3" for the entries of column `column` from row
// `first` (column 0: "c(2) = ...").
std::string valueList(const std::string& lead, const std::vector<float>& v, std::int32_t first, std::int32_t column = 0) {
  std::vector<std::string> items;
  const std::string col = column > 0 ? "," + std::to_string(column) : "";
  for (std::size_t k = 0; k < v.size(); ++k)
    items.push_back(lead + "(" + std::to_string(first + static_cast<std::int32_t>(k)) + col + ") = " + factNumber(v[k]));
  return join(items);
}

std::string sumsText(const std::vector<double>& sums) {
  std::vector<std::string> items;
  for (double v : sums) items.push_back(factNumber(v));
  std::string s;
  for (std::size_t k = 0; k < items.size(); ++k) s += (k ? ", " : "") + items[k];
  return s;
}

std::string determinantText(const RecordedStep& st, bool cholesky) {
  if (!st.determinant) return "";
  const std::string K = std::to_string(st.step);
  const std::string factors = std::string(cholesky ? "s" : "u") + "(1,1)" + (st.step > 1 ? std::string("*...*") + (cholesky ? "s(" : "u(") + K + "," + K + ")" : "");
  if (cholesky) return "Determinantul pana aici: (" + factors + ")^2 = " + factNumber(*st.determinant) + ".";
  const std::string sign = st.interchanges % 2 ? "-" : "+";
  return "Determinantul pana aici: " + sign + " " + factors + " = " + factNumber(*st.determinant) + " (" + std::to_string(st.interchanges) +
         (st.interchanges == 1 ? " schimbare de linii" : " schimbari de linii") + ", semnul " + sign + ").";
}

void eliminationWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const std::int32_t n = s.run().start.n, k = st.step;
  const bool aside = s.run().start.conditionNumber();
  const bool failed = std::fabs(st.pivot) < st.threshold;
  if (k == n) {
    p.lines.push_back("Ultimul pivot: u(" + std::to_string(n) + "," + std::to_string(n) + ") = " + factNumber(st.pivot) + ".");
  } else {
    if (!st.candidates.empty()) {
      std::string magnitudes;
      for (std::size_t q = 0; q < st.candidates.size(); ++q)
        magnitudes += (q ? ", " : "") + factNumber(std::fabs(st.candidates[q]));
      p.lines.push_back("Cautarea pivotului in coloana " + std::to_string(k) + ", liniile " + std::to_string(k) + ".." +
                        std::to_string(n) + ": " + valueList("a", st.candidates, k, k) + "; modulele: " + magnitudes + ".");
    }
    p.lines.push_back("Cel mai mare in modul: linia " + std::to_string(st.pivotRow) + ", |" + factNumber(st.pivot) +
                      "| = " + factNumber(std::fabs(st.pivot)) + ".");
  }
  p.lines.push_back(std::string("Testul pivotului: |") + factNumber(st.pivot) + (failed ? "| < " : "| >= ") +
                    threshold(st.threshold) + (failed ? ": nu trece; metoda se opreste." : ": trece") +
                    (failed ? "" : " (un modul egal cu pragul trece).") );
  if (failed || k == n) {
    if (!failed && st.determinant) p.lines.push_back(determinantText(st, false));
    return;
  }
  if (st.interchanged)
    p.lines.push_back("Schimbare de linii: " + std::to_string(k) + " <-> " + std::to_string(st.pivotRow) + " (in A si in " +
                      (s.run().start.problemKind == ProblemKind::System ? "b" : "B") + "; schimbarea nr. " +
                      std::to_string(st.interchanges) + ").");
  else if (st.detail == StepDetail::Full)
    p.lines.push_back("Fara schimbare de linii: pivotul este deja pe diagonala.");
  if (st.detail == StepDetail::Summary) return;
  std::vector<float> used;
  std::vector<std::string> items;
  for (std::size_t q = 0; q < st.multipliers.size(); ++q) {
    const std::int32_t row = k + 1 + static_cast<std::int32_t>(q);
    if (std::find(st.skippedRows.begin(), st.skippedRows.end(), row) != st.skippedRows.end()) continue;
    items.push_back("m(" + std::to_string(row) + ") = " + factNumber(st.multipliers[q]));
  }
  if (!items.empty()) {
    p.lines.push_back("Multiplicatori m(i) = a(i," + std::to_string(k) + ") / pivot: " + join(items) +
                      (aside ? " (pastrati deoparte; coloana de sub pivot ramane cum este)."
                             : " (pastrati sub diagonala, in locul elementelor eliminate)."));
    p.lines.push_back("Liniile actualizate, linia i - m(i) * linia " + std::to_string(k) + ": " + rows(st.updatedRows) + ".");
  }
  if (!st.skippedRows.empty())
    p.lines.push_back("Liniile sarite, cu a(i," + std::to_string(k) + ") = 0 exact: " + rows(st.skippedRows) + ".");
  if (st.determinant) p.lines.push_back(determinantText(st, false));
}

void eliminationExact(const RecordedStep& st, const ExactStep& e, StepPage& p) {
  if (e.candidates.size() > 1)
    p.exactLines.push_back("Candidatii exacti: " + exactList(e.candidates, widen(st.candidates), "a", st.step, st.step) + ".");
  if (e.pivot) p.exactLines.push_back("Pivotul exact: " + exactOf(e.pivot, st.pivot) + ".");
  if (!e.multipliers.empty()) {
    std::vector<std::string> items;
    for (std::size_t q = 0; q < e.multipliers.size() && q < st.multipliers.size(); ++q)
      items.push_back("m(" + std::to_string(st.step + 1 + static_cast<std::int32_t>(q)) + ") = " +
                      exactOf(e.multipliers[q], st.multipliers[q]));
    p.exactLines.push_back("Multiplicatorii exacti: " + join(items) + ".");
  }
}

void substitutionWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const std::int32_t n = s.run().start.n, i = st.step;
  const bool packed = s.run().start.packed();
  const std::string I = std::to_string(i);
  std::string formula;
  switch (st.kind) {
    case StepKind::BackSubstitution:
      formula = i == n ? "x(" + I + ") = b(" + I + ") / u(" + I + "," + I + ")"
                       : "x(" + I + ") = (b(" + I + ") - sum u(" + I + ",l)*x(l), l = " + std::to_string(i + 1) + ".." +
                             std::to_string(n) + ") / u(" + I + "," + I + ")";
      break;
    case StepKind::Forward:
      formula = packed ? "y(" + I + ") = (b(" + I + ") - sum s(k," + I + ")*y(k), k < " + I + ") / s(" + I + "," + I + ")"
                       : "y(" + I + ") = b(p(" + I + ")) - sum l(" + I + ",q)*y(q), q < " + I +
                             " (b in ordinea liniilor schimbate)";
      break;
    default:
      formula = packed ? "x(" + I + ") = (y(" + I + ") - sum s(" + I + ",k)*x(k), k > " + I + ") / s(" + I + "," + I + ")"
                       : "x(" + I + ") = (y(" + I + ") - sum u(" + I + ",m)*x(m), m > " + I + ") / u(" + I + "," + I + ")";
      break;
  }
  p.lines.push_back("Necunoscuta " + std::string(st.kind == StepKind::Forward ? "y(" : "x(") + I + ")" + rhsText(s, st.rhs) +
                    ": " + formula + ".");
  if (!st.partialSums.empty())
    p.lines.push_back(std::string("Suma, termen cu termen") + (st.sumsInDouble ? " (in dubla precizie)" : "") + ": " +
                      sumsText(st.partialSums) + ".");
  p.lines.push_back("Rezultat: " + factNumber(st.value) + ".");
}

void substitutionExact(const RecordedStep& st, const ExactStep& e, StepPage& p) {
  if (!e.partialSums.empty()) {
    std::vector<std::string> items;
    for (std::size_t k = 0; k < e.partialSums.size() && k < st.partialSums.size(); ++k)
      items.push_back(exactOf(e.partialSums[k], st.partialSums[k]));
    p.exactLines.push_back("Sumele partiale exacte: " + join(items) + ".");
  }
  if (e.value) p.exactLines.push_back("Rezultatul exact: " + exactOf(e.value, st.value) + ".");
}

void luWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const std::int32_t n = s.run().start.n, k = st.step;
  const std::string K = std::to_string(k);
  const bool failed = std::fabs(st.pivot) < st.threshold;
  if (!st.candidates.empty()) {
    p.lines.push_back("Elementele diagonale posibile c(i) = a(i," + K + ") - sum l(i,m)*u(m," + K + "), m < " + K +
                      " (in dubla precizie), pentru i = " + K + ".." + std::to_string(n) + ": " +
                      valueList("c", st.candidates, k) + ".");
    p.lines.push_back("Cel mai mare in modul: linia " + std::to_string(st.pivotRow) + ".");
  }
  if (st.interchanged)
    p.lines.push_back("Schimbare de linii: " + K + " <-> " + std::to_string(st.pivotRow) + " (schimbarea nr. " +
                      std::to_string(st.interchanges) + "; ordinea liniilor se pastreaza pentru termenii liberi).");
  p.lines.push_back("Linia " + K + " a lui U: u(" + K + ",j) = a(" + K + ",j) - sum l(" + K + ",m)*u(m,j), m < " + K +
                    "; u(" + K + "," + K + ") = " + factNumber(st.pivot) + ".");
  p.lines.push_back(std::string("Testul: |u(") + K + "," + K + ")| " + (failed ? "< " : ">= ") + threshold(st.threshold) +
                    (failed ? ": nu trece; descompunerea LU nu e fezabila." : ": trece."));
  if (failed) return;
  if (k < n)
    p.lines.push_back("Coloana " + K + " a lui L: l(i," + K + ") = (a(i," + K + ") - sum l(i,m)*u(m," + K + ")) / u(" + K +
                      "," + K + "), i = " + std::to_string(k + 1) + ".." + std::to_string(n) + ".");
  if (st.determinant) p.lines.push_back(determinantText(st, false));
}

void luExact(const RecordedStep& st, const ExactStep& e, StepPage& p) {
  if (!e.candidates.empty())
    p.exactLines.push_back("Candidatii exacti: " + exactList(e.candidates, widen(st.candidates), "c", st.step) + ".");
  if (e.pivot) p.exactLines.push_back("u(k,k) exact: " + exactOf(e.pivot, st.pivot) + ".");
}

std::string packedPosition(std::int32_t i, std::int32_t j) { return std::to_string(LOCA(i, j)); }

void choleskyWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const std::int32_t n = s.run().start.n, j = st.step;
  const std::string J = std::to_string(j);
  if (j == 2)
    p.lines.push_back("Patratul s(1,2)^2 (pozitia " + packedPosition(1, 2) + " in vectorul S): " + sumsText(st.partialSums) + ".");
  if (j > 2)
    p.lines.push_back("Suma patratelor s(1," + J + ")^2 + ... + s(" + std::to_string(j - 1) + "," + J +
                      ")^2 (coloana " + J + " din S, pozitiile " + packedPosition(1, j) + ".." + packedPosition(j - 1, j) +
                      " in vectorul S), termen cu termen: " + sumsText(st.partialSums) + ".");
  p.lines.push_back("Argumentul radacinii: d = a(" + J + "," + J + ")" + (j > 1 ? " - suma" : "") + " = " +
                    factNumber(st.value) + ".");
  if (st.value <= 0.0) {
    p.lines.push_back("d <= 0: matricea nu este pozitiv definita; metoda se opreste la linia " + J + ".");
    return;
  }
  p.lines.push_back("s(" + J + "," + J + ") = sqrt(d) = " + factNumber(st.pivot) + ", la pozitia " + packedPosition(j, j) +
                    " in S.");
  if (j < n)
    p.lines.push_back("s(" + J + ",i) = (a(" + J + ",i) - sum s(k," + J + ")*s(k,i), k < " + J + ") / s(" + J + "," + J +
                      "), i = " + std::to_string(j + 1) + ".." + std::to_string(n) +
                      (j + 1 == n ? " (pozitia " + packedPosition(j, n) + ")."
                                  : " (pozitiile " + packedPosition(j, j + 1) + ", ..., " + packedPosition(j, n) + ")."));
  if (st.determinant) p.lines.push_back(determinantText(st, true));
}

void choleskyExact(const RecordedStep& st, const ExactStep& e, StepPage& p) {
  if (!e.partialSums.empty()) {
    std::vector<std::string> items;
    for (std::size_t k = 0; k < e.partialSums.size() && k < st.partialSums.size(); ++k)
      items.push_back(exactOf(e.partialSums[k], st.partialSums[k]));
    p.exactLines.push_back("Sumele exacte: " + join(items) + ".");
  }
  if (e.value) p.exactLines.push_back("d exact: " + exactOf(e.value, st.value) + ".");
  if (e.pivot) p.exactLines.push_back("s(j,j) exact: " + exactOf(e.pivot, st.pivot) + ".");
}

void reorderWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const std::int32_t n = s.run().start.n, i = st.step;
  const std::string I = std::to_string(i);
  const bool failed = std::fabs(st.pivot) < st.threshold;
  p.lines.push_back("Linia " + I + ": |a(" + I + "," + I + ")| < " + threshold(st.threshold) +
                    ": elementul diagonal nu se poate folosi ca impartitor.");
  p.lines.push_back("Candidati din coloana " + I + ", liniile " + I + ".." + std::to_string(n) + ": " +
                    valueList("a", st.candidates, i, i) + "; cel mai mare in modul: linia " + std::to_string(st.pivotRow) + ".");
  if (failed)
    p.lines.push_back("Nici el nu trece pragul: metoda se opreste.");
  else if (st.interchanged)
    p.lines.push_back("Liniile " + I + " si " + std::to_string(st.pivotRow) +
                      " se schimba in A si in b: sistemul ramane acelasi, cu ecuatiile mutate (schimbarea nr. " +
                      std::to_string(st.interchanges) + ").");
}

void sweepWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const bool sor = methodNeedsOmega(s.run().start.methodIndex);
  p.lines.push_back("Iteratia " + std::to_string(st.step) + rhsText(s, st.rhs) + ": " +
                    (sor ? "x(i) = omega*g(i) + (1 - omega)*x_ant(i), g(i) = b(i) - sum a(i,j)*x(j), j < i - sum "
                           "a(i,j)*x_ant(j), j > i (sistemul scalat la diagonala 1; prima componenta nu se relaxeaza)"
                         : "x(i) = (b(i) - sum a(i,j)*x(j), j < i - sum a(i,j)*x_ant(j), j > i) / a(i,i)") +
                    ".");
  p.lines.push_back("max|x - x_ant| = " + factNumber(st.measure) +
                    (st.ratio ? "; raportul fata de iteratia precedenta (factorul de convergenta observat) = " +
                                    factNumber(*st.ratio)
                              : "") +
                    ".");
  if (st.residual)
    p.lines.push_back("Reziduul max|b - A*x| al sistemului asa cum il itereaza metoda, in dubla precizie: " +
                      factNumber(*st.residual) + ".");
  // The verdict, on the right-hand side's last sweep.
  const RunResult& r = s.run().result;
  if (st.rhs >= 1 && static_cast<std::size_t>(st.rhs) <= r.outcome.sweeps.size() &&
      r.outcome.sweeps[static_cast<std::size_t>(st.rhs - 1)].sweeps == st.step)
    p.lines.push_back("Ultima iteratie: " + std::string(verdictName(r.outcome.sweeps[static_cast<std::size_t>(st.rhs - 1)].verdict)) + ".");
}

void powerWords(const RecordedStep& st, StepPage& p) {
  p.lines.push_back("Metoda puterii, " + powerPassName(st.pass) + ", iteratia " + std::to_string(st.step) +
                    ": z = M*z_ant, normat; lambda = z(k)/z_ant(k) pentru componenta k de modul maxim.");
  const float m = modulus(Complex{st.estimateRe, st.estimateIm});
  p.lines.push_back("lambda = " + factNumber(st.estimateRe) + (st.estimateIm < 0 ? " - " : " + ") +
                    factNumber(std::fabs(st.estimateIm)) + " i, |lambda| = " + factNumber(m) + ".");
  if (std::isnan(st.measure))
    p.lines.push_back("Prima iteratie a trecerii: nicio estimare precedenta de comparat.");
  else
    p.lines.push_back("Schimbarea estimarii (relativa, sau absoluta sub 1E-6) = " + factNumber(st.measure) + ".");
}

void breakdownWords(const StepSession& s, const RecordedStep& st, StepPage& p) {
  const std::string K = std::to_string(st.step);
  const std::optional<Breakdown>& b = s.run().result.outcome.breakdown;
  const BreakdownKind kind = b ? b->kind : BreakdownKind::SmallPivot;
  switch (kind) {
    case BreakdownKind::NotPositiveDefinite:
      p.lines.push_back("Oprire la linia " + K + ": s(" + K + "," + K + ")^2 = " + factNumber(st.pivot) +
                        " <= 0: matricea nu este pozitiv definita.");
      break;
    case BreakdownKind::LuDiagonal:
      p.lines.push_back("Oprire la pasul " + K + ": |u(" + K + "," + K + ")| = " + factNumber(std::fabs(st.pivot)) + " < " +
                        threshold(st.threshold) + ": descompunerea LU nu e fezabila.");
      break;
    case BreakdownKind::DiagonalUnusable:
      p.lines.push_back("Oprire la linia " + K + ": niciun element din coloana " + K + " nu trece pragul " +
                        threshold(st.threshold) + " (cel mai mare: " + factNumber(st.pivot) + ").");
      break;
    default:
      p.lines.push_back("Oprire la pasul " + K + ": pivotul " + factNumber(st.pivot) + " are modulul sub pragul " +
                        threshold(st.threshold) + (kind == BreakdownKind::NearlySingular ? ": matrice aproape singulara." : ": sistemul nu se poate rezolva."));
      break;
  }
}

std::string remarkText(const ExactRemark& r, const RecordedStep& st) {
  switch (r.note) {
    case ExactNote::PivotZero:
      if (st.kind == StepKind::Cholesky)
        return "In aritmetica exacta argumentul radacinii nu este pozitiv, desi in simpla precizie a trecut testul: "
               "calculul exact se opreste aici.";
      if (st.kind == StepKind::Sweep) return "In aritmetica exacta un element diagonal este 0: calculul exact se opreste aici.";
      return "In aritmetica exacta pivotul este 0, desi pivotul in simpla precizie a trecut testul: calculul exact se "
             "opreste aici.";
    case ExactNote::PivotPasses:
      return "In aritmetica exacta valoarea trece testul: oprirea se datoreaza rotunjirilor.";
    case ExactNote::PivotWouldFail:
      return "In aritmetica exacta pivotul nu ar trece testul.";
    case ExactNote::OtherRow:
      return "In aritmetica exacta cautarea ar alege linia " + std::to_string(r.row) + ".";
    case ExactNote::NotReplayed:
      return "Calculul exact nu reface mai mult de " + std::to_string(kExactIterationLimit) + " de iteratii.";
  }
  return "";
}

std::string kindTitle(const StepSession& s, const RecordedStep& st) {
  const std::string K = std::to_string(st.step);
  const std::string part = s.run().start.nb > 1 && st.rhs > 0 ? " [" + std::to_string(st.rhs) + "]" : "";
  const bool packed = s.run().start.packed();
  switch (st.kind) {
    case StepKind::Elimination:
      return (s.run().start.conditionNumber() ? "Inversa, col. " : "Col. ") + K + ": pivot " + factNumber(st.pivot) +
             (st.interchanged ? ", " + K + "<->" + std::to_string(st.pivotRow) : "");
    case StepKind::BackSubstitution: return "Subst. inapoi: x(" + K + ")" + part;
    case StepKind::Lu:
      return "LU pasul " + K + ": u = " + factNumber(st.pivot) + (st.interchanged ? ", " + K + "<->" + std::to_string(st.pivotRow) : "");
    case StepKind::Forward: return std::string(packed ? "S^T y = b: y(" : "L y = Pb: y(") + K + ")" + part;
    case StepKind::Backward: return std::string(packed ? "S x = y: x(" : "U x = y: x(") + K + ")" + part;
    case StepKind::Cholesky: return "Linia " + K + ": s(" + K + "," + K + ") = " + factNumber(st.pivot);
    case StepKind::Reorder: return "Reordonare, linia " + K + (st.interchanged ? " <-> " + std::to_string(st.pivotRow) : "");
    case StepKind::Sweep: return "Iteratia " + K + part + ": " + factNumber(st.measure);
    case StepKind::Power: return "Trecerea " + std::to_string(st.pass) + ", it. " + K;
    case StepKind::Breakdown: return "Oprire la pasul " + K;
    case StepKind::Determinant: return "Determinant";
  }
  return "";
}

}  // namespace

// --- Tables ----------------------------------------------------------------

bool isTableStep(const StepSession& s, const RecordedStep& st) {
  return st.kind == StepKind::Sweep || st.kind == StepKind::Power || (!s.run().full() && isFactorStep(st.kind));
}

bool samePart(const RecordedStep& a, const RecordedStep& b) {
  if (a.kind != b.kind) return false;
  if (a.kind == StepKind::Sweep) return a.rhs == b.rhs;
  if (a.kind == StepKind::Power) return a.pass == b.pass;
  return true;
}

StepGrid partTable(const StepSession& s, std::size_t i, bool exact, std::size_t maxRows) {
  const RecordedStep& st = s.run().steps[i];
  if (st.kind == StepKind::Sweep) return sweepTable(s, i, exact, maxRows);
  if (st.kind == StepKind::Power) return powerTable(s, i, exact, maxRows);
  return summaryTable(s, i, maxRows);
}

// --- Numbers ---------------------------------------------------------------

std::string factNumber(double v) {
  if (!std::isfinite(v)) return special(v);
  if (v == 0.0) return std::signbit(v) ? "-0" : "0";
  return tidyExponent(format("%.7g", v));
}

std::string cellNumber(double v) {
  if (!std::isfinite(v)) return special(v);
  if (v == 0.0) return "0";
  return tidyExponent(format("%.5g", v));
}

std::string exactShort(const ExactNumber& v) {
  if (v.isRational()) {
    std::string t = v.text();
    if (t.size() <= 13) return t;
    return tidyExponent(v.decimal(10));
  }
  return "≈" + tidyExponent(v.decimal(10));
}

std::string differenceText(double approx, const ExactNumber& exact, bool single) {
  if (!std::isfinite(approx)) return "-";
  const double rel = exact.relativeDifference(approx);
  if (rel == 0.0) return "0";
  std::string s = std::isfinite(rel) ? tidyExponent(format("%.2g", rel)) : "inf";
  const double u = exact.ulps(approx, single);
  if (std::fabs(u) < 1000.0) s += " (" + tidyExponent(format("%.2g", u)) + " ulp)";
  return s;
}

// --- The session -----------------------------------------------------------

const ExactRun* StepSession::exact() const {
  if (!tried_) {
    tried_ = true;
    if (exactPossible()) exact_ = replayExactly(run_, *input_);
  }
  return exact_ ? &*exact_ : nullptr;
}

std::string StepSession::methodLabel() const {
  if (run_.start.conditionNumber()) return "Numar Conditie";
  const MethodInfo* m = methodInfo(run_.start.methodIndex);
  return m ? std::string(m->name) : std::string();
}

std::size_t pageCount(const StepSession& s) {
  if (s.empty()) return 0;
  return s.run().steps.size() + (s.run().full() ? 1 : 0);
}

std::optional<std::size_t> stepOfPage(const StepSession& s, std::size_t page) {
  if (s.run().full()) {
    if (page == 0) return std::nullopt;
    return page - 1;
  }
  return page;
}

std::string pageTitle(const StepSession& s, std::size_t page) {
  const std::optional<std::size_t> i = stepOfPage(s, page);
  if (!i) return "Datele";
  if (*i >= s.run().steps.size()) return "";
  return kindTitle(s, s.run().steps[*i]);
}

std::string summaryNotice() {
  return "Matricele intregi se arata pana la ordinul " + std::to_string(kStepDetailLimit) +
         "; peste el, fiecare pas are rezumatul lui (pivotul, schimbarea de linii, cel mai mare element al randului "
         "terminat, factorul de crestere).";
}

std::vector<std::string> exactSourceLines(const StepSession& s) {
  std::vector<std::string> out;
  const ExactRun* e = s.exact();
  if (!e) {
    out.push_back(s.run().full() ? "Fara valori exacte: datele nu sunt toate numere finite."
                                 : "Valorile exacte se calculeaza pana la ordinul " + std::to_string(kStepDetailLimit) + ".");
    return out;
  }
  const ExactInput& in = e->input;
  switch (in.matrixSource) {
    case ExactSource::Written: out.push_back("Datele exacte: valorile asa cum le scrie fisierul (0.1 = 1/10)."); break;
    case ExactSource::Formula: out.push_back("Datele exacte: matricea din formula generatorului " + in.generator + "."); break;
    case ExactSource::Stored:
      out.push_back(in.fromRead ? "Datele exacte: valorile citite in simpla precizie, luate exact."
                                : "Datele exacte: valorile cu care porneste rularea (lasate de o rulare precedenta), luate exact.");
      break;
  }
  if (s.run().start.problemKind == ProblemKind::System && in.rhsSource != in.matrixSource)
    out.push_back(in.rhsSource == ExactSource::Written ? "Termenii liberi: asa cum ii scrie fisierul."
                                                       : "Termenii liberi: valorile citite in simpla precizie, luate exact.");
  out.push_back(e->mpfr ? "Valorile exacte sunt fractii (GMP); cele marcate cu ≈ sunt calculate cu MPFR pe 256 de biti "
                          "(radacini patrate, module complexe, fractii de peste ~300 de cifre)."
                        : "Valorile exacte sunt fractii (GMP).");
  if (e->stoppedAt)
    out.push_back("Calculul exact s-a oprit la pagina " + std::to_string(*e->stoppedAt + (s.run().full() ? 2 : 1)) + ".");
  return out;
}

StepPage makePage(const StepSession& s, std::size_t page, bool exact) {
  StepPage p;
  const ExactRun* ex = exact ? s.exact() : nullptr;
  const std::optional<std::size_t> idx = stepOfPage(s, page);
  p.title = pageTitle(s, page);
  const StepRunStart& start = s.run().start;
  if (!idx) {
    const Arrays a = startArrays(s, ex);
    p.lines.push_back(std::string(start.conditionNumber() ? "Numarul de conditie" : s.methodLabel()) + ", ordinul " +
                      std::to_string(start.n) + ": " +
                      (start.problemKind == ProblemKind::System
                           ? std::to_string(start.nb) + (start.nb == 1 ? " termen liber." : " termeni liberi.")
                           : std::string("matricea unitate in dreapta (inversa).")));
    if (start.packed()) p.lines.push_back("Matricea se pastreaza impachetata: triunghiul superior, coloana cu coloana.");
    if (hasMatrix(a)) p.grid = matrixGrid(s, a, nullptr, nullptr, exact);
    if (exact) p.exactLines = exactSourceLines(s);
    return p;
  }
  const std::size_t i = *idx;
  if (i >= s.run().steps.size()) return p;
  const RecordedStep& st = s.run().steps[i];
  const ExactStep* e = ex && i < ex->steps.size() ? &ex->steps[i] : nullptr;

  switch (st.kind) {
    case StepKind::Elimination: eliminationWords(s, st, p); break;
    case StepKind::BackSubstitution:
    case StepKind::Forward:
    case StepKind::Backward: substitutionWords(s, st, p); break;
    case StepKind::Lu: luWords(s, st, p); break;
    case StepKind::Cholesky: choleskyWords(s, st, p); break;
    case StepKind::Reorder: reorderWords(s, st, p); break;
    case StepKind::Sweep: sweepWords(s, st, p); break;
    case StepKind::Power: powerWords(st, p); break;
    case StepKind::Breakdown: breakdownWords(s, st, p); break;
    case StepKind::Determinant: break;
  }
  if (!s.run().full() && st.kind != StepKind::Power) p.lines.push_back(summaryNotice());
  if (s.run().dropped > 0 && i + 1 == s.run().steps.size())
    p.lines.push_back("Din pasii rularii se pastreaza primii " + std::to_string(StepRun::kMaxSteps - 1) +
                      " si ultimul; " + std::to_string(s.run().dropped) + " pasi dintre ei nu sunt aratati.");

  // The grid: a table for iterations and summaries, else the arrays.
  if (isTableStep(s, st)) {
    p.grid = partTable(s, i, exact, kTableRows);
  } else if (s.run().full()) {
    // A breakdown shows the arrays the failing step left.
    std::size_t from = i;
    if (st.kind == StepKind::Breakdown)
      while (from > 0 && !hasMatrix(stepArrays(s, from, nullptr))) --from;
    const Arrays a = stepArrays(s, from, ex);
    if (hasMatrix(a)) {
      const Arrays before = previousArrays(s, from);
      p.grid = matrixGrid(s, a, st.kind == StepKind::Breakdown ? nullptr : &before, &s.run().steps[from], exact);
      const std::int32_t n = start.n, k = st.step;
      const RecordedStep& f = s.run().steps[from];
      switch (st.kind) {
        case StepKind::Elimination:
          if (!start.conditionNumber())
            for (std::int32_t r : st.updatedRows) mark(p.grid, r, k, CellMark::Multiplier);
          mark(p.grid, std::fabs(st.pivot) < st.threshold ? st.pivotRow : k, k, CellMark::Pivot);
          if (st.interchanged) p.grid.markedRows = {k, st.pivotRow};
          p.grid.caption = start.conditionNumber() ? "[A | B] dupa pas (multiplicatorii pastrati deoparte)"
                                                   : "[A | b] dupa pas: U deasupra diagonalei, multiplicatorii dedesubt";
          break;
        case StepKind::BackSubstitution:
          mark(p.grid, k, n + st.rhs, CellMark::Pivot);
          p.grid.caption = "[U | b]: solutia se formeaza in b, de jos in sus";
          break;
        case StepKind::Lu:
          for (std::int32_t r = k + 1; r <= n; ++r) mark(p.grid, r, k, CellMark::Multiplier);
          mark(p.grid, k, k, CellMark::Pivot);
          if (st.interchanged) p.grid.markedRows = {k, st.pivotRow};
          p.grid.caption = "L (sub diagonala, diagonala 1 nescrisa) si U, in acelasi tablou";
          break;
        case StepKind::Forward:
        case StepKind::Backward:
          mark(p.grid, k, n + 1, CellMark::Pivot);
          p.grid.caption = start.packed() ? "S si vectorul solutiei" : "L\\U si vectorul solutiei";
          break;
        case StepKind::Cholesky:
          mark(p.grid, k, k, CellMark::Pivot);
          p.grid.caption = "S (triunghiul superior, impachetat in vectorul S coloana cu coloana)";
          break;
        case StepKind::Reorder:
          mark(p.grid, st.interchanged ? k : st.pivotRow, k, CellMark::Pivot);
          if (st.interchanged) p.grid.markedRows = {k, st.pivotRow};
          p.grid.caption = "[A | b] dupa reordonare";
          break;
        case StepKind::Breakdown:
          if (f.kind == StepKind::Elimination || f.kind == StepKind::Reorder)
            mark(p.grid, f.pivotRow, f.step, CellMark::Pivot);
          else
            mark(p.grid, f.step, f.step, CellMark::Pivot);
          p.grid.caption = "Tablourile asa cum le lasa pasul care a esuat";
          break;
        default:
          break;
      }
    }
  }

  // The exact values beside.
  if (exact) {
    if (!e || !e->computed) {
      if (!s.exactPossible())
        p.exactLines = exactSourceLines(s);
      else if (e && e->hasRemark(ExactNote::NotReplayed))
        p.exactLines.push_back(remarkText({ExactNote::NotReplayed}, st));
      else
        p.exactLines.push_back("Fara valori exacte: calculul exact s-a oprit la un pas anterior.");
    } else {
      switch (st.kind) {
        case StepKind::Elimination:
        case StepKind::Reorder: eliminationExact(st, *e, p); break;
        case StepKind::BackSubstitution:
        case StepKind::Forward:
        case StepKind::Backward: substitutionExact(st, *e, p); break;
        case StepKind::Lu: luExact(st, *e, p); break;
        case StepKind::Cholesky: choleskyExact(st, *e, p); break;
        case StepKind::Breakdown:
          if (e->value) p.exactLines.push_back("Valoarea exacta: " + exactOf(e->value, st.pivot) + ".");
          break;
        case StepKind::Sweep:
          if (e->measure) p.exactLines.push_back("max|x - x_ant| exact: " + exactOf(e->measure, st.measure) + ".");
          if (e->residual && st.residual)
            p.exactLines.push_back("Reziduul iteratiei exacte pe sistemul exact: " + exactShort(*e->residual) + ".");
          break;
        case StepKind::Power:
          if (e->estimateRe && e->estimateIm)
            p.exactLines.push_back("lambda exact: " + exactOf(e->estimateRe, st.estimateRe) + " + " +
                                   exactOf(e->estimateIm, st.estimateIm) + " i.");
          break;
        default:
          break;
      }
      if (e->determinant && st.determinant)
        p.exactLines.push_back("Determinantul exact pana aici: " + exactOf(e->determinant, *st.determinant) + ".");
      for (const ExactRemark& r : e->remarks) p.exactLines.push_back(remarkText(r, st));
    }
  }
  return p;
}

}  // namespace parvela
