// What a run does, step by step, as values. A listener installed on the
// thread that runs the work (StepScope) receives every step a method
// publishes: the eliminations and substitutions of the direct methods, the
// row reordering and the sweeps of the iterative ones, the power method's
// iterations. Nothing is published, and nothing is gathered for it, when no
// listener is installed.
//
// Runs of order n <= kStepDetailLimit take the straightforward kernels and
// publish every step in full, with the method's arrays after the step.
// Larger runs take the fast kernels, which publish a summary of each column,
// panel or sweep (the pivot, the largest element of the finished row, one
// growth value per panel, the change of a sweep); their results are the
// same to the bit.
//
// Every span in an event is a read-only view valid only during the call:
// a listener that wants the values copies them.
#pragma once

#include <cstdint>
#include <span>

namespace parvela {

// The largest order whose runs publish every step in full.
inline constexpr std::int32_t kStepDetailLimit = 16;

enum class StepKind {
  Elimination,       // Gauss elimination, column k (also the condition number's inverse)
  BackSubstitution,  // one unknown of a triangular solve after elimination
  Lu,                // LU factorisation, step k: row k of U and column k of L
  Forward,           // LU / Cholesky: one unknown of the forward substitution
  Backward,          // LU / Cholesky: one unknown of the backward substitution
  Cholesky,          // Cholesky factorisation, outer index j: row j of S
  Determinant,       // the determinant after one more diagonal factor
  Breakdown,         // the method stops: the value that failed its test
  Reorder,           // iterative methods: a diagonal element replaced by a lower row's
  Sweep,             // iterative methods: one sweep
  Power,             // the power method: one iteration
};

enum class StepDetail {
  Full,     // the straightforward kernels: every fact, the arrays after the step
  Summary,  // the fast kernels: O(n) facts at most, no arrays
};

// The array a step works on, column-major with `rows` rows.
struct StepMatrix {
  std::span<const float> values;
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  bool empty() const { return values.empty(); }
};

struct StepEvent {
  StepKind kind = StepKind::Elimination;
  StepDetail detail = StepDetail::Full;
  std::int32_t n = 0;
  // 1-based: the column k of an elimination or LU step, the index j of the
  // Cholesky factorisation's outer loop, the unknown of a substitution
  // (its row), the sweep, the iteration; the row of a reordering.
  std::int32_t step = 0;
  std::int32_t rhs = 0;   // the right-hand side it belongs to (1-based), 0 for all
  std::int32_t pass = 0;  // power method: 1, 2 (shifted) for the first radius, 3, 4 for the second

  // Pivot search (Elimination, Lu, Reorder): the candidates in rows
  // step..n in the order searched (Elimination, Reorder: the column's
  // entries; Lu: the would-be diagonal elements), the row chosen, its value,
  // the threshold of the test (a magnitude equal to it passes) and whether
  // rows were interchanged.
  std::span<const float> candidates;
  std::int32_t pivotRow = 0;
  float pivot = 0.0f;
  float threshold = 0.0f;
  bool interchanged = false;
  std::int32_t interchanges = 0;  // interchanges so far in the run

  // Elimination: the multiplier of each row step+1..n (0 for a skipped
  // row), the rows updated and the rows skipped because their entry in
  // column k was exactly zero.
  std::span<const float> multipliers;
  std::span<const std::int32_t> updatedRows;
  std::span<const std::int32_t> skippedRows;

  // Substitutions and Cholesky: the sum as it is formed, one partial sum per
  // term in the order added, and the value it produced (the unknown; for
  // Cholesky the square root's argument s(j,j)^2).
  std::span<const float> partialSums;
  std::span<const double> partialSumsDouble;  // LU keeps its sums in double
  double value = 0.0;

  // Summaries: the largest magnitude in the finished row of U (or of S),
  // and the growth factor so far (the largest magnitude of the updated
  // matrix over the largest of A; NaN when not measured at this step).
  float rowMax = 0.0f;
  double growth = 0.0;

  // Sweep: max|x - x_ant|. Power: the convergence measure (NaN on the
  // first iteration, which has no previous estimate) and the estimate.
  double measure = 0.0;
  float estimateRe = 0.0f;
  float estimateIm = 0.0f;

  // Breakdown: the value is `pivot`, the threshold `threshold`.

  // Full detail: the method's arrays after the step, exactly as it keeps
  // them (for Gauss, A with the multipliers below the diagonal; Cholesky
  // the packed vector S; an iterate x).
  StepMatrix A;
  StepMatrix B;
  std::span<const float> S;
  std::span<const float> x;
  // Sweep, full detail: the system as the iteration sees it (reordered,
  // scaled for SOR), so that a listener can form its residual.
  StepMatrix systemA;
  std::span<const float> systemB;
};

class StepListener {
 public:
  virtual ~StepListener() = default;
  virtual void step(const StepEvent& event) = 0;
};

// Installs a listener on the calling thread for the scope's lifetime (the
// previous one comes back at the end).
class StepScope {
 public:
  explicit StepScope(StepListener* listener);
  ~StepScope();
  StepScope(const StepScope&) = delete;
  StepScope& operator=(const StepScope&) = delete;

 private:
  StepListener* previous_;
};

namespace detail {
extern constinit thread_local StepListener* tlsStepListener;
}  // namespace detail

// The listener of the calling thread, or nullptr: publishers test it before
// gathering anything.
inline StepListener* stepListener() { return detail::tlsStepListener; }

inline void publishStep(const StepEvent& event) {
  if (StepListener* l = detail::tlsStepListener) l->step(event);
}

// The steps of a back substitution over the arrays A and B: one per
// unknown found (1-based row and right-hand side), with the partial sums
// that gave it.
class BackSubstitutionSteps {
 public:
  BackSubstitutionSteps(StepListener* listener, std::int32_t n, const StepMatrix& A, const StepMatrix& B)
      : listener_(listener) {
    ev_.kind = StepKind::BackSubstitution;
    ev_.n = n;
    ev_.A = A;
    ev_.B = B;
  }
  void unknown(std::size_t row, std::size_t rhs, std::span<const float> sums, float value) {
    if (!listener_) return;
    ev_.step = static_cast<std::int32_t>(row);
    ev_.rhs = static_cast<std::int32_t>(rhs);
    ev_.partialSums = sums;
    ev_.value = value;
    listener_->step(ev_);
  }

 private:
  StepListener* listener_;
  StepEvent ev_;
};

// A breakdown step: the method stops at `step` on `value` (threshold 0 for
// a sign test).
void publishBreakdown(std::int32_t n, std::int32_t step, float value, float threshold);
// One more diagonal factor `factor` (row `step`) of a determinant, the
// product so far `product` and the interchanges that will set its sign.
void publishDeterminant(std::int32_t n, std::int32_t step, double factor, double product,
                        std::int32_t interchanges);

// Whether a run of order n takes the straightforward kernels.
constexpr bool useStepKernels(std::int32_t n) { return n <= kStepDetailLimit; }

}  // namespace parvela
