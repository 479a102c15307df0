// The errors of a computed solution side by side: the forward error (how
// far the solution is from the reference), the backward error (how little
// the data would have to change for it to be exact), the condition number
// that links them, and iterative refinement in mixed precision.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/analysis_reference.h"

namespace parvela {

struct SolutionErrors {
  std::int32_t rhs = 0;        // 1-based
  bool solved = false;         // the method produced a solution
  double forward = 0.0;        // ||x^ - x|| / ||x||, infinity norm (NaN without a reference)
  double backward = 0.0;       // ||b - A x^|| / (||A|| ||x^|| + ||b||)
  double bound = 0.0;          // kappa * backward
  double digitsFound = 0.0;    // -log10(forward), 0 when nothing is right
  double digitsPredicted = 0.0;  // -log10(bound), the same floor
};

// One line of the refinement: after `step` corrections (0: the method's
// own solution), its forward error and the backward error of it.
struct RefinementStep {
  std::int32_t step = 0;
  double forward = 0.0;
  double backward = 0.0;
};

struct ErrorAnatomy {
  ReferenceTrust trust = ReferenceTrust::Singular;
  double kappaInf = 0.0;
  std::int32_t referenceSteps = 0;
  std::int32_t rhsTotal = 0;       // right-hand sides of the run
  std::vector<SolutionErrors> rows;  // the first kMaxRows of them
  // Direct methods: refinement of the first right-hand side, the residual
  // in double precision, each correction solved in single precision with
  // the factors the method's own kernel makes from the data.
  std::vector<RefinementStep> refinement;
  static constexpr std::int32_t kMaxRows = 16;
  static constexpr std::int32_t kCorrections = 5;
};

// Digits a relative error leaves correct: -log10(error), never below 0.
double correctDigits(double relativeError);

class KernelFactors;

// The errors of `solutions` (one per right-hand side; empty: not solved)
// against the reference of A x = B; with the method's factors, the
// refinement of the first solution as well.
ErrorAnatomy errorAnatomy(const FloatMatrix& A, const FloatMatrix& B,
                          const std::vector<std::vector<float>>& solutions,
                          const KernelFactors* factors = nullptr);

// The normwise backward error of y for A y = b.
double backwardError(const FloatMatrix& A, const float* b, const std::vector<long double>& y);
// ||y - x|| / ||x|| in the infinity norm (||y|| when x = 0).
double forwardError(const std::vector<long double>& y, const std::vector<long double>& x);

// The factors of A as a direct method's kernel makes them, and the solve of
// one right-hand side with them in single precision, as the method solves.
class KernelFactors {
 public:
  // methodIndex: Gauss, LU or Cholesky. Nothing when the method stops on A.
  static std::optional<KernelFactors> make(std::int32_t methodIndex, const FloatMatrix& A);
  // b becomes the solution.
  void solve(std::vector<float>& b) const;

 private:
  std::int32_t method_ = 0;
  std::int32_t n_ = 0;
  std::vector<float> factors_;       // L\U in place (Gauss, LU) or packed S (Cholesky)
  std::vector<std::int32_t> order_;  // LU: ORDER; Gauss: the pivot row of each step
};

// Mixed-precision refinement of x (the method's solution of A x = b) with
// the method's factors, measured against the reference xRef.
std::vector<RefinementStep> refine(const KernelFactors& factors, const FloatMatrix& A, const float* b,
                                   const std::vector<float>& x, const std::vector<long double>& xRef,
                                   std::int32_t corrections);

}  // namespace parvela
