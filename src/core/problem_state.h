// The one record of the current problem: data, window choices, iteration
// parameters, file name and status flags, plus the fixed name lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/methods.h"

namespace parvela {

enum class ProblemKind { System, Inverse, ConditionNumber };
enum class MatrixKind { General, Symmetric };
enum class InputSource { DataFile, Generated };
enum class VerifyMode { MaxDifferences, EachEquation };

// Fixed-length text field of `len` characters, blank-padded on the right
// (longer texts are cut).
std::string fixedText(std::string_view text, std::size_t len);
// The text without its trailing blanks.
std::string_view trimRight(std::string_view text);

struct ProblemState {
  // Problem data (the reader writes them).
  std::int32_t n = 0;
  std::int32_t nb = 0;
  std::int32_t nc = 0;
  std::vector<float> A;   // n x n, column-major, A(i,j) at (j-1)*n + i - 1
  std::vector<float> AV;  // packed upper triangle, AV(LOCA(i,j)) at LOCA(i,j) - 1
  std::vector<float> B;   // n x nb, column-major
  std::vector<float> C;   // nc generator constants
  bool avAllocated = false;  // AV exists (a Cholesky run releases it)
  // What the last successful read produced: the right-hand sides of a
  // system (true) or the identity (inverse, condition number); and whether
  // it put its matrix into AV (Cholesky chosen at the read).
  bool readForSystem = false;
  bool avFromRead = false;

  // Choices of the main window.
  ProblemKind problemKind = ProblemKind::System;
  MatrixKind matrixKind = MatrixKind::General;
  InputSource inputSource = InputSource::DataFile;
  VerifyMode verifyMode = VerifyMode::MaxDifferences;
  bool invertElements = false;
  bool printMatrix = false;
  bool printDeterminant = false;
  bool printIterations = false;
  std::int32_t methodIndex = 0;     // 0 none, else the 1-based row of kMethods (METODA)
  std::int32_t generatorIndex = 0;  // 0 none, 1..7 position in GENERATA
  std::int32_t normSelection = 0;   // 0 none, 1..4 entry of the norm list
  std::int32_t normIndex = 0;       // 0, 1, 2 or -1

  // Iteration parameters: the texts typed (10 characters, blank-padded)
  // and the values converted from them at each run.
  std::string epsText;
  std::string nlimText;
  std::string omegaText;
  float eps = 0.0f;
  std::int32_t nlim = 0;
  float omega = 0.0f;
  float oneMinusOmega = 0.0f;

  // Files and status.
  std::string dataFileName;  // 260 characters at most
  bool dataRead = false;
  bool methodChosen = false;
  std::string genHelpFileName;

  // Name lists, 1-based (position 0 is never used), 33 characters each.
  std::array<std::string, kMethods.size() + 1> METODA;
  std::array<std::string, 8> GENERATA;
};

constexpr std::size_t kNameLength = 33;

// The names of the generator list, in list order.
inline constexpr std::array<std::string_view, 7> kGeneratorNames = {
    "Hilbert", "Lotkin", "Companion", "Wilkinson 5", "Wilkinson 20", "Cauchy", "Banda constanta"};
constexpr std::size_t kParamTextLength = 10;
constexpr std::size_t kFileNameLength = 260;

// The single instance, alive for the whole program; on a thread inside a
// ProblemScope, the scope's state instead.
ProblemState& problem();

// Makes problem() answer with `state` on the calling thread for the scope's
// lifetime: a run on a private copy (an analysis, say) leaves the program's
// problem alone.
class ProblemScope {
 public:
  explicit ProblemScope(ProblemState& state);
  ~ProblemScope();
  ProblemScope(const ProblemScope&) = delete;
  ProblemScope& operator=(const ProblemScope&) = delete;

 private:
  ProblemState* previous_;
};

// Gives the record its start-up values (leaves n, nb, nc, the arrays,
// normIndex, oneMinusOmega and dataFileName alone).
void INITIALIZEDATA();

// Names without trailing blanks; an index outside the lists gives "".
std::string_view methodName(std::int32_t index);
std::string_view generatorName(std::int32_t index);

// Position of element (i, j), i <= j, in packed symmetric storage (1-based).
constexpr std::int64_t LOCA(std::int64_t i, std::int64_t j) { return (j - 1) * j / 2 + i; }
// The same position as an offset into the packed vector.
constexpr std::size_t packedOffset(std::size_t i, std::size_t j) {
  return static_cast<std::size_t>(LOCA(static_cast<std::int64_t>(i), static_cast<std::int64_t>(j)) - 1);
}

// Allocation of the problem's arrays. Sizes beyond what 32-bit positions
// can address, or memory the system refuses, give false (the vector is
// left empty); otherwise the vector holds `count` zeros.
bool allocateZeroed(std::vector<float>& v, std::int64_t count);
constexpr std::int64_t kMaxElements = 2147483647;  // largest 32-bit position

}  // namespace parvela
