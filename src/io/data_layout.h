// The data part of a data file as texts, one per value: read from a file
// the way the reader reads it with the current choices, and written back in
// the layout those choices read. What the data grid shows and saves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/problem_state.h"
#include "io/read_diagnosis.h"

namespace parvela {

// What the current choices read after n and nb.
struct DataLayout {
  enum class Matrix { General, UpperTriangle, Generated };
  Matrix matrix = Matrix::General;
  bool rhs = true;  // the right-hand sides (problem "Sistem")

  static DataLayout of(const ProblemState& s);
  bool operator==(const DataLayout&) const = default;
};

// The values of a data part as written. An empty text stands for a value
// the file leaves at zero (and is written as 0).
struct DataTexts {
  std::string title;
  std::int32_t n = 0, nb = 0, nc = 0;
  std::vector<std::string> a;  // n x n by rows: A(i,j) at i*n + j (0-based); the upper triangle only
                               // for the upper-triangle layout, nothing for a generated matrix
  std::vector<std::string> b;  // nb x n: value i of right-hand side k at k*n + i (the layout's rhs only)
  std::vector<std::string> c;  // the nc constants (a generated matrix only)

  bool operator==(const DataTexts&) const = default;
};

struct LoadedData {
  DataTexts data;
  // The data part is text[0, dataEnd): a save replaces it and keeps the rest.
  std::size_t dataEnd = 0;
  // The read could not take n, nb or nc (or the file is empty): `data` is
  // empty and dataEnd is 0.
  bool noSizes = false;
  // More values than asked for: only the title and the sizes are filled.
  bool tooLarge = false;
  // What the reader says of these lines: where it stops (the first bad
  // value; the grid shows every bad value in its cell) and its warnings.
  std::optional<ReadStop> stop;
  std::vector<std::string> warnings;
};

// Reads the data part of `text` as the reader does with `layout`, keeping
// each value's text: a repeat count gives its value in each cell it fills,
// an empty value and what a slash or the end of the text leave out give an
// empty text. A bad value stands in its cell as written and the read goes
// on after it, so a file with a slip still opens whole. At most `maxValues`
// matrix values, right-hand side values or constants are taken (beyond:
// tooLarge). `previous` are the n, nb and nc a slash before them keeps.
LoadedData loadDataTexts(std::string_view text, DataLayout layout, std::size_t maxValues,
                         std::int32_t previousN = 0, std::int32_t previousNb = 0, std::int32_t previousNc = 0);

// The data part in `layout`: the title line, "n nb", the rows (the upper
// triangle indented under its columns), or nc and the constants, then the
// right-hand sides, each value as written (empty: 0), columns aligned.
// Line ends CR LF when `crlf`.
std::string formatDataTexts(const DataTexts& data, DataLayout layout, bool crlf);

// Replaces the data part of the file at `path`, whose first bytes must
// still be `oldData`, by `newData`, keeping every byte after it; all or
// nothing, through the writer of every report.
enum class ReplaceResult { Ok, Changed, IoError };
ReplaceResult replaceDataPart(const std::string& path, std::string_view oldData, std::string_view newData);

}  // namespace parvela
