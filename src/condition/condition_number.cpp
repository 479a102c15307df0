// The condition number cond(A) = ||A|| ||A^-1|| in the chosen norm, with
// the inverse from ELIM2 and spectral radii from the power method.
#include "condition/condition_number.h"

#include <cmath>
#include <cstddef>
#include <string_view>
#include <vector>

#include "condition/elim2.h"
#include "condition/elim2_fast.h"
#include "condition/norms.h"
#include "condition/power.h"
#include "condition/power_fast.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "core/steps.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

namespace {

constexpr float kInversePivot = 1.0E-8f;
constexpr float kFixedLayoutLimit = 1000.0f;
constexpr std::string_view kUnknown = " (?)";

enum NormCode : std::int32_t { kInfinity = 0, kOne = 1, kTwo = 2, kSpectral = -1 };

// The three report lines of a power method that did not settle.
void writePowerFailure(std::string_view first, std::string_view last, float test) {
  ReportFile().write("(/,a)", {first});
  ReportFile().write("(a, 1pg11.4)", {" Valoarea de test =", test});
  ReportFile().write("(a)", {last});
}

// A spectral-radius line (the first one opens with an empty line), marked
// " (?)" when its power method did not settle.
void writeRadius(bool first, std::string_view text, float radius, bool unsettled) {
  if (unsettled) {
    ReportFile().write(first ? "(/, a, 1pg15.7, a)" : "(a, 1pg15.7, a)", {text, radius, kUnknown});
  } else {
    ReportFile().write(first ? "(/, a, 1pg15.7)" : "(a, 1pg15.7)", {text, radius});
  }
}

// W = M^T M (n x n). Each element sums over k in increasing order; the
// result is symmetric to the bit, so the lower half is mirrored.
void transposeTimesSelf(std::size_t n, const float* M, std::vector<float>& W) {
  W.assign(n * n, 0.0f);
  for (std::size_t j = 0; j < n; ++j) {
    const float* cj = M + j * n;
    pollCancel();
    for (std::size_t i = 0; i <= j; ++i) {
      const float* ci = M + i * n;
      float w = 0.0f;
      for (std::size_t k = 0; k < n; ++k) w = w + ci[k] * cj[k];
      W[j * n + i] = w;
      W[i * n + j] = w;
    }
  }
}

// W = M^T M: the blocked product, or for small orders the loop above.
void gram(std::size_t n, const float* M, std::vector<float>& W) {
  if (n < 16) {
    transposeTimesSelf(n, M, W);
  } else {
    fastTransposeTimesSelf(n, M, W);
  }
}

// Layout of the condition number: fixed up to the switch value, exponent
// form above it (and for NaN).
std::string_view conditionLayout(float cond) {
  return cond <= kFixedLayoutLimit ? "(a, :, 1p, g15.7)" : "(a, :, 1p, e15.7)";
}

}  // namespace

MethodOutcome NUMAR_CONDITIE() {
  MethodOutcome result;
  ProblemState& ps = problem();
  const std::int32_t n = ps.n > 0 ? ps.n : 0;
  const std::size_t nn = static_cast<std::size_t>(n);
  if (ps.A.size() < nn * nn || ps.B.size() < nn * nn) return result;  // no problem read
  float* A = ps.A.data();
  float* B = ps.B.data();
  const std::int32_t code = ps.normIndex;
  auto& report = ReportFile();

  if (ps.printMatrix && (ps.matrixKind == MatrixKind::Symmetric ||
                         ps.inputSource == InputSource::Generated || ps.invertElements)) {
    PRINTA(n, ps.nb, A, B, false);
  }

  // Small matrices take the straightforward kernels, which show every
  // step; the fast ones give the same bits.
  const bool stepKernels = useStepKernels(n);
  std::int32_t iterations = 0;
  auto power = [&](const float* M, Complex& lambda, std::int32_t& status, float& test, std::int32_t firstPart) {
    if (stepKernels)
      EIGEN_POWER(n, M, lambda, status, test, &iterations, firstPart);
    else
      fastEigenPower(n, M, lambda, status, test, firstPart, &iterations);
  };
  ConditionOutcome outcome;
  outcome.normIndex = code;
  std::int32_t iterationsA = 0;

  std::vector<float> W;
  Complex lambdaA{}, lambdaATA{}, lambdaInv{};
  std::int32_t statusA = 0, statusATA = 0, statusInv = 0, statusBTB = 0;
  float test = 0.0f;
  float normA = 0.0f;
  float normInv = 0.0f;

  // ||A||
  switch (code) {
    case kSpectral:
      power(A, lambdaA, statusA, test, 1);
      if (statusA < 0) {
        writePowerFailure(
            " A: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de iteratii (metoda Puterii).",
            " Calculeaza valorile proprii ale lui A cu alta metoda !", test);
      }
      normA = modulus(lambdaA);
      break;
    case kOne:
      normA = NORM1(n, A);
      break;
    case kTwo:
      gram(nn, A, W);
      power(W.data(), lambdaATA, statusATA, test, 1);
      if (statusATA < 0) {
        writePowerFailure(
            " A_transpus*A: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de iteratii "
            "(metoda Puterii).",
            " Calculeaza valorile proprii ale lui \"A_transpus*A\" cu alta metoda !", test);
      }
      normA = std::sqrt(modulus(lambdaATA));
      break;
    default:
      normA = NORM_INF(n, A);
      break;
  }

  iterationsA = iterations;
  outcome.normA = normA;

  // A^-1 into B.
  std::int32_t status = 0;
  const KernelStatus inverted = stepKernels ? ELIM2(n, n, A, B, kInversePivot, status)
                                            : elim2Fast(n, n, A, B, kInversePivot, status);
  if (inverted.failed) {
    writeInversePivotLine(inverted.step, inverted.value, kInversePivot);
    report.write("(/, a)", {"* Matrice aproape singulara."});
    result.breakdown = Breakdown{BreakdownKind::NearlySingular, inverted.step, inverted.value, kInversePivot};
    publishBreakdown(n, inverted.step, inverted.value, kInversePivot);
    if (code == kSpectral || code == kTwo)
      outcome.radii.push_back({code == kSpectral ? normA : modulus(lambdaATA), statusA >= 0 && statusATA >= 0,
                            iterationsA});
    result.condition = outcome;
    return result;
  }

  if (ps.printMatrix) {
    report.write("(/, a)", {" Matricea inversa A^(-1):"});
    const std::string rowFormat = fillWidths("(<>g15.7)", {n});
    std::vector<FItem> row(nn);
    for (std::size_t i = 0; i < nn; ++i) {
      for (std::size_t j = 0; j < nn; ++j) row[j] = B[j * nn + i];
      report.write(rowFormat, row);
    }
  }

  report.write("(a)", {""});

  // ||A^-1||
  switch (code) {
    case kSpectral:
      power(B, lambdaInv, statusInv, test, 3);
      if (statusInv < 0) {
        writePowerFailure(
            " A-invers: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de iteratii "
            "(metoda Puterii).",
            " Calculeaza valorile proprii ale lui \"A-invers\" cu alta metoda !", test);
      }
      normInv = modulus(lambdaInv);
      report.write("(/, a)", {" Cond(A)*:"});
      break;
    case kOne:
      report.write("(/, a)", {" Norma-1 (norma coloanelor):"});
      normInv = NORM1(n, B);
      break;
    case kTwo:
      report.write("(/, a)", {" Norma-2 (norma euclidiana):"});
      gram(nn, B, W);
      power(W.data(), lambdaInv, statusBTB, test, 3);
      if (statusBTB < 0) {
        writePowerFailure(
            " A-invers_transpus*A-invers: Toleranta 1E-5 la \"lambda\", nu s-a atins in 1000 de "
            "iteratii (metoda Puterii).",
            " Calculeaza valorile proprii ale lui \"A-invers_transpus*A-invers\" cu alta metoda !",
            test);
      }
      normInv = std::sqrt(modulus(lambdaInv));
      break;
    default:
      report.write("(/, a)", {" Norma-infinit (norma liniilor):"});
      normInv = NORM_INF(n, B);
      break;
  }

  const float cond = normA * normInv;
  const std::int32_t iterationsInv = iterations;

  bool doubtful = false;
  switch (code) {
    case kSpectral:
      writeRadius(true, " Raza_spectrala(A):", normA, statusA < 0);
      writeRadius(false, " Raza_spectrala(A-invers):", normInv, statusInv < 0);
      doubtful = statusA < 0 || statusInv < 0;
      outcome.radii = {{normA, statusA >= 0, iterationsA}, {normInv, statusInv >= 0, iterationsInv}};
      break;
    case kTwo:
      writeRadius(true, " Raza_spectrala(A_transpus*A) =", modulus(lambdaATA), statusATA < 0);
      writeRadius(false, " Raza_spectrala(A-invers_transpus*A-invers) =", modulus(lambdaInv),
                  statusBTB < 0);
      doubtful = statusATA < 0 || statusBTB < 0;
      outcome.radii = {{modulus(lambdaATA), statusATA >= 0, iterationsA},
                    {modulus(lambdaInv), statusBTB >= 0, iterationsInv}};
      break;
    default:
      report.write("(/, a, 1pg15.7)", {" Norm(A) =", normA});
      report.write("(a, 1pg15.7)", {" Norm(A-invers) =", normInv});
      break;
  }

  const std::string_view layout = conditionLayout(cond);
  StdOut().write(layout, {" Numarul de conditie =", cond});
  report.write("(a)", {""});
  if (doubtful) {
    report.write(layout, {" Numarul de conditie = ?"});
  } else {
    report.write(layout, {" Numarul de conditie =", cond});
  }
  outcome.normInverse = normInv;
  outcome.condition = cond;
  outcome.doubtful = doubtful;
  result.condition = outcome;
  return result;
}

}  // namespace parvela
