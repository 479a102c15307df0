#include "io/report.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/norm_choice.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "io/fortran_io.h"

namespace parvela {

std::int32_t WIDTH(std::int32_t k) {
  if (k == 0) return 1;
  // Through the single-precision logarithm, truncated: for very large
  // magnitudes this can count one digit more than the number has.
  const float magnitude = static_cast<float>(std::llabs(std::int64_t{k}));
  std::int32_t w = static_cast<std::int32_t>(std::log10(magnitude) + 1.0f);
  if (k < 0) ++w;
  return w;
}

void printRows(std::int32_t rows, std::int32_t cols, const float* M, bool spaced) {
  TextUnit& out = ReportFile();
  const std::size_t r = rows > 0 ? static_cast<std::size_t>(rows) : 0;
  const std::size_t c = cols > 0 ? static_cast<std::size_t>(cols) : 0;
  // Rows are gathered from the columns a block at a time, so that each
  // column is read in runs rather than one value per row.
  constexpr std::size_t kBlock = 16;
  std::vector<float> block(kBlock * c);
  // At most 16 characters a value and a line end (and an empty line) per
  // record of five: all the rows' room at once, with what one row's write
  // asks for beyond its own need.
  out.reserveFor(r * (c * 16 + (c / 5 + 1) * 2 + 2) + c * 26 + 64);
  for (std::size_t i0 = 0; i0 < r; i0 += kBlock) {
    const std::size_t h = std::min(kBlock, r - i0);
    for (std::size_t j = 0; j < c; ++j) {
      for (std::size_t k = 0; k < h; ++k) block[k * c + j] = M[j * r + i0 + k];
    }
    for (std::size_t k = 0; k < h; ++k) {
      const std::size_t i = i0 + k;
      if (i % 64 == 0)
        checkpoint(Stage::ReportAssembly, static_cast<std::int64_t>(i), rows,
                   std::numeric_limits<double>::quiet_NaN(), 1);
      out.print(std::span<const float>(block.data() + k * c, c));
      if (spaced) out.print();
    }
  }
}

void writePivotLine(std::int32_t row, float pivot) {
  ReportFile().write(fillWidths("(/,a,I<>,a,1pG15.7)", {WIDTH(row)}), {" Linia ", row, ": Pivot =", pivot});
}

void PRINTA(std::int32_t n, std::int32_t nb, const float* A, const float* B, bool withB) {
  // Rows that fill whole lines (n a multiple of 5 above 5) are kept apart
  // by an empty line.
  const bool spaced = n > 5 && n % 5 == 0;
  ReportFile().write("(/, a)", {"Matricea A"});
  printRows(n, n, A, spaced);
  if (!withB) return;
  ReportFile().write("(/, a)", {"Termenii liberi b"});
  printRows(n, nb, B, spaced);
}

void PRINT_CODURI() {
  const ProblemState& s = problem();
  TextUnit& out = ReportFile();
  const bool condition = s.problemKind == ProblemKind::ConditionNumber;

  switch (s.problemKind) {
    case ProblemKind::System:
      out.write("(/, a)", {"Problema: Sistem liniar"});
      break;
    case ProblemKind::Inverse:
      out.write("(/, a)", {"Problema: Inversare matrice"});
      break;
    case ProblemKind::ConditionNumber: {
      const std::string norm = NORMA_CHAR(s.normIndex);
      const char* lead = s.normSelection == 4 ? "Problema: Numar de Conditie;  "
                                              : "Problema: Numar de Conditie;  Norma-";
      out.write("(/,a,a,a/)", {lead, trimRight(norm), "."});
      break;
    }
  }

  out.write("(a)", {s.matrixKind == MatrixKind::General ? "Matrice: generala" : "Matrice: simetrica"});

  if (s.inputSource == InputSource::DataFile) {
    out.write("(a)", {"- Citita din fisier"});
  } else {
    // No generator selected (the source switched after a read): no name.
    const std::string line = "- Generata (" + std::string(generatorName(s.generatorIndex)) + ")";
    out.write("(a)", {line});
  }

  if (s.invertElements) out.write("(a)", {"- Cu inversare elemente"});
  if (s.printMatrix) out.write("(a)", {"- Cu tiparire matrice"});
  if (condition) return;

  if (s.printDeterminant) out.write("(a)", {"- Cu calculare determinant"});
  out.write("(a)", {s.verifyMode == VerifyMode::MaxDifferences ? "Verificare: diferente maxime"
                                                                : "Verificare: fiecare ecuatie"});

  // The method's name in full, 33 characters; blank when none is chosen.
  const std::string method = fixedText(methodName(s.methodIndex), kNameLength);
  out.write("(/, a,a)", {"Metoda: ", method});

  if (isIterativeMethod(s.methodIndex)) {
    out.write(fillWidths("(a,1p,e10.3,a,I<>)", {WIDTH(s.nlim)}),
              {"Toleranta: eps = ", s.eps, ";  Numar limita de iteratii: nlim =", s.nlim});
  }
  if (methodNeedsOmega(s.methodIndex)) out.write("(a,1pE10.3)", {"Omega =", s.omega});
}

}  // namespace parvela
