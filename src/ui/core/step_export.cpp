#include "ui/core/step_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "condition/norms.h"
#include "core/norm_choice.h"
#include "io/data_file.h"

namespace parvela {

namespace {

bool isSingle(double v) { return std::isnan(v) || static_cast<double>(static_cast<float>(v)) == v; }

std::string quoted(std::string_view text) {
  std::string s = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': s += "\\\""; break;
      case '\\': s += "\\\\"; break;
      case '\n': s += "\\n"; break;
      case '\t': s += "\\t"; break;
      case '\r': s += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          s += buf;
        } else {
          s += c;
        }
    }
  }
  return s + "\"";
}

// One JSON object, written key by key.
class Object {
 public:
  Object& raw(std::string_view key, const std::string& value) {
    text_ += text_.size() > 1 ? "," : "";
    text_ += quoted(key) + ":" + value;
    return *this;
  }
  Object& str(std::string_view key, std::string_view v) { return raw(key, quoted(v)); }
  Object& num(std::string_view key, double v) { return raw(key, jsonNumber(v)); }
  Object& integer(std::string_view key, long long v) { return raw(key, std::to_string(v)); }
  Object& flag(std::string_view key, bool v) { return raw(key, v ? "true" : "false"); }
  template <class T>
  Object& nums(std::string_view key, const std::vector<T>& v) {
    std::string s = "[";
    for (std::size_t k = 0; k < v.size(); ++k) s += (k ? "," : "") + jsonNumber(static_cast<double>(v[k]));
    return raw(key, s + "]");
  }
  Object& ints(std::string_view key, const std::vector<std::int32_t>& v) {
    std::string s = "[";
    for (std::size_t k = 0; k < v.size(); ++k) s += (k ? "," : "") + std::to_string(v[k]);
    return raw(key, s + "]");
  }
  bool empty() const { return text_.size() <= 1; }
  std::string done() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

// A column-major array as a list of rows.
template <class Cell>
std::string rowsOf(std::int32_t rows, std::int32_t cols, Cell cell) {
  std::string s = "[";
  for (std::int32_t i = 1; i <= rows; ++i) {
    s += i > 1 ? ",[" : "[";
    for (std::int32_t j = 1; j <= cols; ++j) s += (j > 1 ? "," : "") + cell(i, j);
    s += "]";
  }
  return s + "]";
}

std::string exactText(const ExactNumber& v) { return quoted(v.text(40)); }

std::string exactList(const ExactValues& v) {
  std::string s = "[";
  for (std::size_t k = 0; k < v.size(); ++k) s += (k ? "," : "") + exactText(v[k]);
  return s + "]";
}

const char* kindName(StepKind k) {
  switch (k) {
    case StepKind::Elimination: return "elimination";
    case StepKind::BackSubstitution: return "back-substitution";
    case StepKind::Lu: return "lu";
    case StepKind::Forward: return "forward";
    case StepKind::Backward: return "backward";
    case StepKind::Cholesky: return "cholesky";
    case StepKind::Reorder: return "reorder";
    case StepKind::Sweep: return "sweep";
    case StepKind::Power: return "power";
    case StepKind::Breakdown: return "breakdown";
    case StepKind::Determinant: return "determinant";
  }
  return "";
}

const char* reasonName(BreakdownKind k) {
  switch (k) {
    case BreakdownKind::SmallPivot: return "small-pivot";
    case BreakdownKind::LuDiagonal: return "lu-diagonal";
    case BreakdownKind::NotPositiveDefinite: return "not-positive-definite";
    case BreakdownKind::NearlySingular: return "nearly-singular";
    case BreakdownKind::DiagonalUnusable: return "diagonal-unusable";
  }
  return "";
}

const char* noteName(ExactNote n) {
  switch (n) {
    case ExactNote::PivotZero: return "pivot-zero";
    case ExactNote::PivotPasses: return "pivot-passes";
    case ExactNote::PivotWouldFail: return "pivot-would-fail";
    case ExactNote::OtherRow: return "other-row";
    case ExactNote::NotReplayed: return "not-replayed";
  }
  return "";
}

const char* sourceName(ExactSource s) {
  switch (s) {
    case ExactSource::Written: return "written";
    case ExactSource::Formula: return "formula";
    case ExactSource::Stored: return "stored";
  }
  return "";
}

std::string exactObject(const StepSession& s, const RecordedStep& st, const ExactStep& e) {
  const std::int32_t n = s.run().start.n;
  Object o;
  o.str("source", sourceName(s.exact()->input.matrixSource));
  if (!e.candidates.empty()) o.raw("candidates", exactList(e.candidates));
  if (e.pivot) o.raw("pivot", exactText(*e.pivot));
  if (!e.multipliers.empty()) o.raw("multipliers", exactList(e.multipliers));
  if (!e.partialSums.empty()) o.raw("partialSums", exactList(e.partialSums));
  if (e.value) o.raw("value", exactText(*e.value));
  if (e.determinant) o.raw("determinant", exactText(*e.determinant));
  if (e.measure) o.raw("change", exactText(*e.measure));
  if (e.ratio) o.raw("ratio", exactText(*e.ratio));
  if (e.residual) o.raw("residual", exactText(*e.residual));
  if (e.estimateRe && e.estimateIm) o.raw("estimate", "[" + exactText(*e.estimateRe) + "," + exactText(*e.estimateIm) + "]");
  if (e.modulus) o.raw("modulus", exactText(*e.modulus));
  if (e.A && !st.A.empty())
    o.raw("A", rowsOf(n, n, [&](std::int32_t i, std::int32_t j) { return exactText((*e.A)[(j - 1) * n + i - 1]); }));
  if (e.B && !st.B.empty())
    o.raw("B", rowsOf(n, st.B.cols, [&](std::int32_t i, std::int32_t j) { return exactText((*e.B)[(j - 1) * n + i - 1]); }));
  if (e.S && !st.S.empty()) o.raw("S", exactList(*e.S));
  if (e.x && !st.x.empty()) o.raw("x", exactList(*e.x));
  if (!e.remarks.empty()) {
    std::string notes = "[";
    for (std::size_t k = 0; k < e.remarks.size(); ++k) {
      notes += (k ? "," : "") + quoted(noteName(e.remarks[k].note));
      if (e.remarks[k].note == ExactNote::OtherRow) o.integer("otherRow", e.remarks[k].row);
    }
    o.raw("notes", notes + "]");
  }
  return o.done();
}

// --- LaTeX -----------------------------------------------------------------

std::string latexText(std::string_view t) {
  std::string s;
  for (std::size_t k = 0; k < t.size(); ++k) {
    const char c = t[k];
    if (t.substr(k, 3) == "≈") {
      s += "$\\approx$";
      k += 2;
      continue;
    }
    switch (c) {
      case '\\': s += "\\textbackslash{}"; break;
      case '{': case '}': case '$': case '&': case '#': case '_': case '%': s += '\\'; s += c; break;
      case '^': s += "\\^{}"; break;
      case '~': s += "\\~{}"; break;
      case '|': s += "$|$"; break;
      case '<': s += "$<$"; break;
      case '>': s += "$>$"; break;
      default: s += c;
    }
  }
  return s;
}

// 1.5e-7 as 1.5\cdot10^{-7}
std::string latexNumber(const std::string& t) {
  if (t == "NaN" || t == "Infinity") return "\\mathrm{" + t + "}";
  if (t == "-Infinity") return "-\\infty";
  const std::size_t e = t.find('e');
  if (e == std::string::npos) return t;
  return t.substr(0, e) + "\\cdot 10^{" + t.substr(e + 1) + "}";
}

std::string latexExact(const ExactNumber& v) {
  if (!v.isRational()) return "\\approx " + latexNumber(factNumber(v.toDouble()));
  const mpq_class& q = v.rational();
  if (q.get_den() == 1) return q.get_num().get_str();
  const bool negative = sgn(q) < 0;
  mpz_class num = q.get_num();
  if (negative) num = -num;
  return std::string(negative ? "-" : "") + "\\frac{" + num.get_str() + "}{" + q.get_den().get_str() + "}";
}

void latexMatrix(std::ostream& out, const StepGrid& g, bool exact) {
  out << "\\[\\resizebox{\\ifdim\\width>\\linewidth\\linewidth\\else\\width\\fi}{!}{$\\begin{bmatrix}\n";
  for (std::int32_t i = 1; i <= g.rows; ++i) {
    for (std::int32_t j = 1; j <= g.cols; ++j) {
      const StepCell& c = g.cell(i, j);
      if (j > 1) out << " & ";
      if (g.barAfter && j == g.barAfter + 1) out << "\\vline & ";
      if (c.mark == CellMark::Empty || !c.value) continue;
      std::string v = exact ? (c.exactValue ? latexExact(*c.exactValue) : std::string("\\cdot"))
                            : latexNumber(factNumber(*c.value));
      out << (c.mark == CellMark::Pivot ? "\\boxed{" + v + "}" : v);
    }
    out << (i < g.rows ? " \\\\\n" : "\n");
  }
  out << "\\end{bmatrix}$}\\]\n";
}

void latexTable(std::ostream& out, const StepGrid& g) {
  out << "\\begin{longtable}{r" << std::string(static_cast<std::size_t>(g.cols), 'r') << "}\n";
  out << " ";
  for (const std::string& h : g.columnHeads) out << " & " << latexText(h);
  out << " \\\\\n\\hline\n\\endhead\n";
  for (std::int32_t i = 1; i <= g.rows; ++i) {
    out << g.rowHeads[static_cast<std::size_t>(i - 1)];
    for (std::int32_t j = 1; j <= g.cols; ++j) {
      const StepCell& c = g.cell(i, j);
      out << " & ";
      if (c.value) out << "$" << latexNumber(factNumber(*c.value)) << "$";
      else out << latexText(c.text);
    }
    out << " \\\\\n";
  }
  out << "\\end{longtable}\n";
}

// --- Plain text ------------------------------------------------------------

void textGrid(std::ostream& out, const StepGrid& g, bool exact) {
  std::vector<std::vector<std::string>> cells(static_cast<std::size_t>(g.rows) + 1);
  cells[0].push_back("");
  for (const std::string& h : g.columnHeads) cells[0].push_back(h);
  for (std::int32_t i = 1; i <= g.rows; ++i) {
    std::vector<std::string>& row = cells[static_cast<std::size_t>(i)];
    row.push_back(g.rowHeads[static_cast<std::size_t>(i - 1)]);
    for (std::int32_t j = 1; j <= g.cols; ++j) {
      const StepCell& c = g.cell(i, j);
      std::string t = c.value ? factNumber(*c.value) : c.text;
      if (exact && c.exactValue) t += " [" + exactShort(*c.exactValue) + "]";
      if (c.mark == CellMark::Pivot) t = "*" + t;
      row.push_back(t);
    }
  }
  std::vector<std::size_t> width(static_cast<std::size_t>(g.cols) + 1, 0);
  for (const auto& row : cells)
    for (std::size_t j = 0; j < row.size(); ++j) width[j] = std::max(width[j], row[j].size());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    std::string line;
    for (std::size_t j = 0; j < cells[i].size(); ++j) {
      if (g.barAfter && j == static_cast<std::size_t>(g.barAfter) + 1) line += " |";
      line += std::string(width[j] - cells[i][j].size() + 2, ' ') + cells[i][j];
      if (i > 0 && static_cast<std::int32_t>(i) == g.currentRow && j + 1 == cells[i].size()) line += "  <";
    }
    out << line << "\n";
  }
}

std::string runHeading(const StepSession& s) {
  std::string h = "Rularea " + std::to_string(s.number()) + ": " + s.methodLabel();
  if (s.run().start.conditionNumber()) h += ", norma " + std::string(trimRight(NORMA_CONTROL(s.run().start.normIndex)));
  if (!s.file().empty()) h += " (" + s.file() + ")";
  return h;
}

// Calls page(i, last) for every page; a step shown as a row of a table is
// written once, with its whole table, at the last step of its part.
template <class Page, class Table>
void eachPage(const StepSession& s, Page page, Table table) {
  const std::vector<RecordedStep>& steps = s.run().steps;
  for (std::size_t p = 0; p < pageCount(s); ++p) {
    const std::optional<std::size_t> i = stepOfPage(s, p);
    if (i && isTableStep(s, steps[*i])) {
      std::size_t next = *i + 1;
      while (next < steps.size() && steps[next].kind == StepKind::Breakdown) ++next;
      if (next < steps.size() && samePart(steps[next], steps[*i])) continue;
      table(*i);
      continue;
    }
    page(p);
  }
}

}  // namespace

std::string jsonNumber(double v) {
  if (std::isnan(v)) return "\"NaN\"";
  if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  char buf[40];
  std::snprintf(buf, sizeof buf, isSingle(v) ? "%.9g" : "%.17g", v);
  return buf;
}

void writeStepsJson(std::ostream& out, const StepSession& s) {
  const StepRun& run = s.run();
  const std::int32_t n = run.start.n;
  const ExactRun* exact = s.exact();
  for (std::size_t i = 0; i < run.steps.size(); ++i) {
    const RecordedStep& st = run.steps[i];
    Object o;
    o.str("file", s.file()).integer("run", s.number()).str("method", s.methodLabel());
    if (run.start.conditionNumber()) o.str("norm", trimRight(NORMA_CONTROL(run.start.normIndex)));
    o.str("kind", kindName(st.kind)).integer("step", st.step);
    if (st.rhs > 0) o.integer("rhs", st.rhs);
    if (st.kind == StepKind::Power) o.integer("pass", st.pass);
    o.integer("n", n);
    switch (st.kind) {
      case StepKind::Elimination:
      case StepKind::Lu:
      case StepKind::Reorder:
        if (!st.candidates.empty()) o.nums("candidates", st.candidates);
        o.integer("pivotRow", st.pivotRow).num("pivot", st.pivot).num("threshold", st.threshold);
        o.flag("interchanged", st.interchanged).integer("interchanges", st.interchanges);
        if (st.kind == StepKind::Elimination && st.detail == StepDetail::Full) {
          o.nums("multipliers", st.multipliers).ints("updatedRows", st.updatedRows).ints("skippedRows", st.skippedRows);
        }
        if (st.kind != StepKind::Reorder) o.num("rowMax", st.rowMax).num("growth", st.growth);
        break;
      case StepKind::Cholesky:
        if (st.detail == StepDetail::Full) o.nums("partialSums", st.partialSums);
        o.num("value", st.value).num("pivot", st.pivot).num("rowMax", st.rowMax);
        break;
      case StepKind::BackSubstitution:
      case StepKind::Forward:
      case StepKind::Backward:
        o.nums("partialSums", st.partialSums).num("value", st.value);
        break;
      case StepKind::Sweep: {
        o.num("change", st.measure);
        if (st.ratio) o.num("ratio", *st.ratio);
        if (st.residual) o.num("residual", *st.residual);
        const auto& sweeps = run.result.outcome.sweeps;
        if (st.rhs >= 1 && static_cast<std::size_t>(st.rhs) <= sweeps.size() &&
            sweeps[static_cast<std::size_t>(st.rhs - 1)].sweeps == st.step)
          o.str("verdict", verdictName(sweeps[static_cast<std::size_t>(st.rhs - 1)].verdict));
        break;
      }
      case StepKind::Power:
        o.nums("estimate", std::vector<float>{st.estimateRe, st.estimateIm});
        o.num("modulus", modulus(Complex{st.estimateRe, st.estimateIm}));
        if (!std::isnan(st.measure)) o.num("change", st.measure);
        break;
      case StepKind::Breakdown:
        o.num("value", st.pivot).num("threshold", st.threshold);
        if (run.result.outcome.breakdown) o.str("reason", reasonName(run.result.outcome.breakdown->kind));
        break;
      case StepKind::Determinant:
        break;
    }
    if (st.determinant) o.num("determinant", *st.determinant);
    if (!st.A.empty())
      o.raw("A", rowsOf(st.A.rows, st.A.cols, [&](std::int32_t r, std::int32_t c) { return jsonNumber(st.A.at(r, c)); }));
    if (!st.B.empty())
      o.raw("B", rowsOf(st.B.rows, st.B.cols, [&](std::int32_t r, std::int32_t c) { return jsonNumber(st.B.at(r, c)); }));
    if (!st.S.empty()) o.nums("S", st.S);
    if (!st.x.empty()) o.nums("x", st.x);
    if (exact && i < exact->steps.size() && exact->steps[i].computed) o.raw("exact", exactObject(s, st, exact->steps[i]));
    out << o.done() << "\n";
  }
}

void writeLatexBegin(std::ostream& out) {
  out << "\\documentclass[a4paper,10pt]{article}\n"
         "\\usepackage[margin=2cm]{geometry}\n"
         "\\usepackage{amsmath}\n"
         "\\usepackage{graphicx}\n"
         "\\usepackage{longtable}\n"
         "\\setcounter{MaxMatrixCols}{64}\n"
         "\\setlength{\\parindent}{0pt}\n"
         "\\setlength{\\parskip}{3pt}\n"
         "\\begin{document}\n";
}

void writeLatexEnd(std::ostream& out) { out << "\\end{document}\n"; }

void writeStepsLatex(std::ostream& out, const StepSession& s, bool exact) {
  out << "\\section*{" << latexText(runHeading(s)) << "}\n";
  if (exact)
    for (const std::string& l : exactSourceLines(s)) out << latexText(l) << "\n\n";
  eachPage(
      s,
      [&](std::size_t p) {
        const StepPage page = makePage(s, p, exact);
        out << "\\subsection*{" << latexText(page.title) << "}\n";
        for (const std::string& l : page.lines) out << latexText(l) << "\n\n";
        if (page.grid.rows > 0) {
          latexMatrix(out, page.grid, false);
          if (exact && page.grid.cells.end() != std::find_if(page.grid.cells.begin(), page.grid.cells.end(),
                                                             [](const StepCell& c) { return c.exactValue.has_value(); })) {
            out << "Exact:\n";
            latexMatrix(out, page.grid, true);
          }
        }
        for (const std::string& l : page.exactLines) out << "\\emph{" << latexText(l) << "}\n\n";
      },
      [&](std::size_t i) {
        const StepGrid g = partTable(s, i, false, std::numeric_limits<std::size_t>::max());
        out << "\\subsection*{" << latexText(g.caption) << "}\n";
        latexTable(out, g);
      });
}

void writeStepsText(std::ostream& out, const StepSession& s, bool exact) {
  const std::string heading = runHeading(s);
  out << heading << "\n" << std::string(heading.size(), '=') << "\n\n";
  if (exact)
    for (const std::string& l : exactSourceLines(s)) out << l << "\n";
  eachPage(
      s,
      [&](std::size_t p) {
        const StepPage page = makePage(s, p, exact);
        out << page.title << "\n" << std::string(page.title.size(), '-') << "\n";
        for (const std::string& l : page.lines) out << l << "\n";
        for (const std::string& l : page.exactLines) out << "  exact: " << l << "\n";
        if (page.grid.rows > 0) {
          out << "\n";
          textGrid(out, page.grid, exact);
        }
        out << "\n";
      },
      [&](std::size_t i) {
        const StepGrid g = partTable(s, i, exact, std::numeric_limits<std::size_t>::max());
        out << g.caption << "\n" << std::string(g.caption.size(), '-') << "\n";
        textGrid(out, g, exact);
        out << "\n";
      });
}

void BatchSteps::afterRead(const ProblemState& state) { read_ = snapshotRead(state, InputDataFile().contents()); }

void BatchSteps::beforeRun(const ProblemState& state) {
  if (enabled()) recorder_.begin(state);
}

void BatchSteps::afterRun(const RunResult& result, const std::string& file, std::int32_t run) {
  if (!enabled() || !recorder_.active()) return;
  StepRun steps = recorder_.finish(result);
  if (steps.steps.empty()) return;
  const std::optional<ExactInput> input = exactInputFor(steps.start, &read_);
  const StepSession session(std::move(steps), input, file, run);
  std::ostringstream out;
  if (jsonPath) {
    writeStepsJson(out, session);
    json_ += out.str();
  }
  if (latexPath) {
    out.str("");
    writeStepsLatex(out, session, true);
    latex_ += out.str();
  }
}

bool BatchSteps::write(std::string& error) const {
  if (jsonPath && !writeFileAtomically(*jsonPath, json_)) {
    error = "cannot write " + *jsonPath;
    return false;
  }
  if (latexPath) {
    std::ostringstream doc;
    writeLatexBegin(doc);
    doc << latex_;
    if (latex_.empty()) doc << "Nicio rulare cu pasi.\n";
    writeLatexEnd(doc);
    if (!writeFileAtomically(*latexPath, doc.str())) {
      error = "cannot write " + *latexPath;
      return false;
    }
  }
  return true;
}

}  // namespace parvela
