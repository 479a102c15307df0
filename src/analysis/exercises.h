// Exercise sets: data files with small-integer data and a known answer,
// written together with an answer key for the teacher.
//
// Every exercise is built from its own random stream, a function of the
// seed, the kind, the order (and the wanted condition) and the exercise's
// number, so the same request gives the same bytes on every machine and
// compiler, and a set of 5 is the first 5 of a set of 10. What each kind
// promises is checked exactly (integer and GMP arithmetic) as it is built.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/exact.h"

namespace parvela {

enum class ExerciseKind {
  Pivoting,  // elimination without interchanges meets a zero pivot
  Dominant,  // strictly diagonally dominant by rows (Gauss-Seidel, SOR)
  Spd,       // symmetric positive definite (Cholesky), upper-triangle layout
  Ill,       // infinity-norm condition number near 10^k
  Singular,  // rank below the order: no unique solution
};

inline constexpr ExerciseKind kExerciseKinds[] = {ExerciseKind::Pivoting, ExerciseKind::Dominant, ExerciseKind::Spd,
                                                  ExerciseKind::Ill, ExerciseKind::Singular};

// The command line's names: pivoting, dominant, spd, ill, singular.
std::string_view exerciseKindName(ExerciseKind kind);
std::optional<ExerciseKind> exerciseKindByName(std::string_view name);
// The window's words: "Pivotare", "Diagonal dominanta", ...
std::string_view exerciseKindLabel(ExerciseKind kind);

struct ExerciseRequest {
  ExerciseKind kind = ExerciseKind::Pivoting;
  std::int32_t order = 4;
  std::int32_t count = 10;
  std::uint64_t seed = 1;
  std::int32_t logCond = 4;  // ill only: the condition number near 10^logCond
};

// Limits of a request.
constexpr std::int32_t kMinExerciseOrder = 2;
constexpr std::int32_t kMaxExerciseOrder = 30;
constexpr std::int32_t kMaxExerciseCount = 99;
constexpr std::int32_t kMinLogCond = 1;
constexpr std::int32_t kMaxLogCond = 12;

// What is wrong with a request, in the window's words ("" when nothing).
std::string checkRequest(const ExerciseRequest& r);

struct Exercise {
  std::int32_t number = 0;  // 1-based, the NN of exNN.dat
  IntMatrix A;
  std::vector<std::int64_t> b;
  // The solution (the only one), or for a consistent singular system one
  // of them; empty for an inconsistent one.
  std::vector<std::int64_t> x;
  std::int32_t zeroPivotStep = 0;  // pivoting: the step whose pivot is 0 without interchanges
  std::int32_t rank = 0;           // singular: rank of A and of [A|b]
  std::int32_t rankAugmented = 0;
  std::int64_t condInf = 0;  // ill: ||A||inf * ||A^-1||inf, exact (A^-1 is an integer matrix)
  // dominant: the sweeps Parvela's Gauss-Seidel takes to eps = 1e-5.
  std::optional<std::int32_t> sweeps;
};

// Exercise `number` (1-based) of the request, without the Gauss-Seidel count.
// The request must pass checkRequest().
Exercise makeExercise(const ExerciseRequest& r, std::int32_t number);

// The data file of an exercise: title, "n 1", the matrix (the upper
// triangle for spd), the right-hand side. Columns are aligned.
std::string exerciseDataFile(const ExerciseRequest& r, const Exercise& e);
// The answer key of a set.
// "1 exercitiu", "3 exercitii": a count of exercises in words.
std::string exerciseCount(std::int64_t count);

std::string answerKey(const ExerciseRequest& r, const std::vector<Exercise>& set);
// exNN.dat
std::string exerciseFileName(std::int32_t number);
inline constexpr const char* kAnswerKeyName = "solutii.txt";

// The sweeps the program's Gauss-Seidel takes on the exercise's file with
// Eps 1e-5 and Nlim 1000 (nothing when it stops otherwise), from a run of
// its driver on a state of its own.
std::optional<std::int32_t> gaussSeidelSweeps(const Exercise& e);

// The whole set, with the Gauss-Seidel counts of a dominant one.
std::vector<Exercise> makeExerciseSet(const ExerciseRequest& r);

// The files of a set in `dir`, in writing order: exNN.dat, then the key.
std::vector<std::string> exerciseSetFiles(const ExerciseRequest& r, const std::string& dir);
// Those of them that exist already.
std::vector<std::string> existingSetFiles(const ExerciseRequest& r, const std::string& dir);

struct ExerciseSetResult {
  bool ok = false;
  std::string error;  // in the window's words, when !ok
  std::vector<std::string> written;
};
// Builds the set and writes it into `dir` (created when missing). Files that
// exist are replaced only when `replace` is set; otherwise nothing is written.
// Each file is written whole or not at all, and a failure removes the files
// of this set written before it, so the folder is left as it was (but for
// the folder itself and the files replaced).
ExerciseSetResult writeExerciseSet(const ExerciseRequest& r, const std::string& dir, bool replace = false);

}  // namespace parvela
