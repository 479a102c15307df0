#include "analysis/step_record.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace parvela {

namespace {

StepArray copyOf(const StepMatrix& m) {
  return StepArray{{m.values.begin(), m.values.end()}, m.rows, m.cols};
}

StepArray copyOf(const std::vector<float>& v, std::int32_t rows, std::int32_t cols) {
  const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  if (rows <= 0 || cols <= 0 || v.size() < count) return {};
  return StepArray{{v.begin(), v.begin() + static_cast<std::ptrdiff_t>(count)}, rows, cols};
}

// max_i |b_i - sum_j a_ij x_j|, each sum in double over ascending j; NaN
// when any row gives NaN.
double residualOf(const IteratedSystem& s, const std::vector<float>& x) {
  const std::int32_t n = s.A.rows;
  double worst = 0.0;
  for (std::int32_t i = 1; i <= n; ++i) {
    double sum = 0.0;
    for (std::int32_t j = 1; j <= n; ++j) sum += double(s.A.at(i, j)) * double(x[static_cast<std::size_t>(j - 1)]);
    const double r = std::fabs(double(s.b[static_cast<std::size_t>(i - 1)]) - sum);
    if (std::isnan(r)) return r;
    worst = std::max(worst, r);
  }
  return worst;
}

}  // namespace

const IteratedSystem* StepRun::systemOf(std::int32_t rhs) const {
  for (const IteratedSystem& s : systems)
    if (s.rhs == rhs) return &s;
  return nullptr;
}

StepRunStart stepRunStart(const ProblemState& ps) {
  StepRunStart s;
  s.problemKind = ps.problemKind;
  s.methodIndex = s.conditionNumber() ? 0 : ps.methodIndex;
  s.normIndex = ps.normIndex;
  s.n = ps.n;
  s.nb = s.conditionNumber() ? ps.n : ps.nb;
  s.omega = ps.omega;
  s.omegaText = std::string(trimRight(ps.omegaText));
  if (!s.full() || s.n <= 0) return s;
  const std::size_t N = static_cast<std::size_t>(s.n);
  if (s.packed()) {
    if (ps.avAllocated && ps.AV.size() >= N * (N + 1) / 2)
      s.S.assign(ps.AV.begin(), ps.AV.begin() + static_cast<std::ptrdiff_t>(N * (N + 1) / 2));
  } else {
    s.A = copyOf(ps.A, s.n, s.n);
  }
  s.B = copyOf(ps.B, s.n, s.nb);
  return s;
}

void StepRecorder::begin(const ProblemState& state) {
  run_ = StepRun{};
  run_.start = stepRunStart(state);
  determinants_.clear();
  active_ = true;
}

void StepRecorder::step(const StepEvent& e) {
  if (!active_) return;
  if (e.kind == StepKind::Determinant) {
    determinants_.emplace_back(e.step, e.value);
    return;
  }
  RecordedStep r;
  r.kind = e.kind;
  r.detail = e.detail;
  r.step = e.step;
  r.rhs = e.rhs;
  r.pass = e.pass;
  r.candidates.assign(e.candidates.begin(), e.candidates.end());
  r.pivotRow = e.pivotRow;
  r.pivot = e.pivot;
  r.threshold = e.threshold;
  r.interchanged = e.interchanged;
  r.interchanges = e.interchanges;
  r.multipliers.assign(e.multipliers.begin(), e.multipliers.end());
  r.updatedRows.assign(e.updatedRows.begin(), e.updatedRows.end());
  r.skippedRows.assign(e.skippedRows.begin(), e.skippedRows.end());
  if (!e.partialSumsDouble.empty()) {
    r.partialSums.assign(e.partialSumsDouble.begin(), e.partialSumsDouble.end());
    r.sumsInDouble = true;
  } else {
    r.partialSums.assign(e.partialSums.begin(), e.partialSums.end());
    // LU's first forward unknown has no sum, but its sums are in double.
    r.sumsInDouble = (e.kind == StepKind::Forward || e.kind == StepKind::Backward) && run_.start.lu();
  }
  r.value = e.value;
  r.rowMax = e.rowMax;
  r.growth = e.growth;
  r.measure = e.measure;
  r.estimateRe = e.estimateRe;
  r.estimateIm = e.estimateIm;
  r.A = copyOf(e.A);
  r.B = copyOf(e.B);
  r.S.assign(e.S.begin(), e.S.end());
  r.x.assign(e.x.begin(), e.x.end());

  if (e.kind == StepKind::Sweep) {
    // The system is the same for every sweep of a right-hand side: kept once.
    if (!e.systemA.empty() && !run_.systemOf(e.rhs))
      run_.systems.push_back({e.rhs, copyOf(e.systemA), {e.systemB.begin(), e.systemB.end()}});
    for (auto it = run_.steps.rbegin(); it != run_.steps.rend(); ++it) {
      if (it->kind == StepKind::Sweep && it->rhs == e.rhs) {
        r.ratio = e.measure / it->measure;
        break;
      }
      if (it->kind == StepKind::Sweep) break;
    }
    if (const IteratedSystem* s = run_.systemOf(e.rhs); s && r.x.size() == s->b.size()) r.residual = residualOf(*s, r.x);
  }

  if (run_.steps.size() < StepRun::kMaxSteps) {
    run_.steps.push_back(std::move(r));
  } else {
    // Full: the run's last step stays, those before it are dropped.
    run_.steps.back() = std::move(r);
    ++run_.dropped;
  }
}

StepRun StepRecorder::finish(const RunResult& result) {
  active_ = false;
  run_.result = result;
  // The run converts the relaxation factor as it starts.
  run_.start.omega = result.omega;
  // The determinant as it accumulates, on the step that fixed each factor:
  // Gauss multiplies in single precision, LU in double; Cholesky forms the
  // product p of S's diagonal and the determinant is p * p.
  if (!determinants_.empty()) {
    const bool cholesky = run_.start.packed();
    const bool lu = run_.start.lu();
    std::size_t next = 0;
    for (RecordedStep& s : run_.steps) {
      if (next >= determinants_.size()) break;
      if (s.kind != StepKind::Elimination && s.kind != StepKind::Lu && s.kind != StepKind::Cholesky) continue;
      if (s.step != determinants_[next].first) continue;
      const double product = determinants_[next++].second;
      if (cholesky) {
        const float p = static_cast<float>(product);
        s.determinant = p * p;
      } else if (s.interchanges % 2 != 0) {
        s.determinant = lu ? 0.0 - product : double(0.0f - static_cast<float>(product));
      } else {
        s.determinant = product;
      }
    }
  }
  determinants_.clear();
  StepRun out = std::move(run_);
  run_ = StepRun{};
  return out;
}

}  // namespace parvela
