// The problem's data in a grid: title, n, nb (and nc), the cells of A, of
// the right-hand sides and of the generator's constants, in the layout the
// current choices read. Each cell holds one value, checked with the
// reader's own rules as it is typed; pasted text fills cells from a given
// one; the grid is saved as the data part of the file, keeping every byte
// after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/data_layout.h"

namespace parvela {

enum class GridPart { Matrix, Rhs, Constants };

struct CellCheck {
  bool ok = true;
  float value = 0.0f;  // what the reader reads the cell as (when ok)
  std::string why;     // why the reader would not take it (when not ok)
};

// A cell holds one real as the reader reads it: an integer, a decimal, a
// number with an exponent (E or D), or a repeat count of one value (1*2.5;
// 1* leaves the value alone, which reads as 0);
// an empty cell is 0. The reader itself reads the cell: a cell is taken
// exactly when a line holding it among other values reads it as one value.
CellCheck checkCell(std::string_view text);

// The fields of pasted text, line by line: lines with a tab are split at
// tabs (a spreadsheet's cells, "0,5" staying one field), other lines at
// blanks and commas as the reader splits values (two commas: an empty
// field). Several lines of one blank-free value each, with at most one
// comma, are a spreadsheet's column: one field a line, "2,5" kept whole.
// Blank lines at the end are dropped.
std::vector<std::vector<std::string>> pastedFields(std::string_view text);

class DataGrid {
 public:
  static constexpr std::int32_t kMaxOrder = 200;
  static constexpr std::int32_t kMaxRhs = 50;
  static constexpr std::int32_t kMaxConstants = 1000;
  // The most values a file may hold to open in the grid.
  static constexpr std::size_t kMaxValues =
      std::size_t{kMaxOrder} * kMaxOrder + std::size_t{kMaxOrder} * kMaxRhs;

  // A new problem: n = 3, nb = 1, nc = 0, empty cells.
  explicit DataGrid(DataLayout layout);
  // The data of a file (sizes outside the limits are brought within them).
  DataGrid(DataLayout layout, DataTexts data);

  const DataLayout& layout() const { return layout_; }
  const DataTexts& data() const { return data_; }
  std::int32_t order() const { return data_.n; }
  std::int32_t rhsCount() const { return data_.nb; }
  std::int32_t constantCount() const { return data_.nc; }
  const std::string& title() const { return data_.title; }

  // Changing a size keeps every cell that stays in the grid.
  void setOrder(std::int32_t n);
  void setRhsCount(std::int32_t nb);
  void setConstantCount(std::int32_t nc);
  void setTitle(std::string title);

  // Matrix: n x n; Rhs: n rows, one column per right-hand side (none for
  // "Inversare matrice" and "Numar Conditie"); Constants: one row of nc
  // (a generated matrix only). A generated matrix has no matrix cells.
  int rows(GridPart part) const;
  int columns(GridPart part) const;
  // Below the diagonal of an upper triangle: shown (as the mirror of the
  // cell above), not edited.
  bool editable(GridPart part, int row, int column) const;
  const std::string& text(GridPart part, int row, int column) const;
  CellCheck check(GridPart part, int row, int column) const { return checkCell(text(part, row, column)); }
  // False for a cell outside the grid or one that is not edited.
  bool setText(GridPart part, int row, int column, std::string text);
  // "A(2,3)", "b2(1)" (value 1 of right-hand side 2), "c(4)".
  static std::string cellName(GridPart part, int row, int column);

  struct PasteResult {
    int filled = 0;   // cells written
    int skipped = 0;  // fields left out: beyond the grid's limits, or below an upper triangle's diagonal
    bool grew = false;  // n, nb or nc grew to take the text
  };
  // Fills cells from (row, column) on with the fields of `text`, growing n
  // (matrix), nb (right-hand sides) or nc (constants) to take them.
  PasteResult paste(GridPart part, int row, int column, std::string_view text);

  struct BadCell {
    GridPart part;
    int row, column;
    std::string why;
  };
  // The first cell, in file order, that the reader would not take.
  std::optional<BadCell> firstBadCell() const;

  // The data part in the layout (see formatDataTexts).
  std::string dataText(bool crlf) const { return formatDataTexts(data_, layout_, crlf); }

 private:
  std::string* cell(GridPart part, int row, int column);
  void fit();

  DataLayout layout_;
  DataTexts data_;
};

// What a generated matrix still needs, for the grid's status: the
// generator to choose, or the constants it reads for order n.
std::optional<std::string> generatorNote(std::int32_t generatorIndex, const DataGrid& grid);

// The grid on the selected data file, and its saving.
class GridSession {
 public:
  // Opens `path` with `layout` (as "Date" does). previous: the n, nb and nc
  // a slash before them keeps. An empty or missing file gives a new problem.
  static GridSession open(const std::string& path, DataLayout layout, std::int32_t previousN = 0,
                          std::int32_t previousNb = 0, std::int32_t previousNc = 0);

  DataGrid& grid() { return *grid_; }
  const DataGrid& grid() const { return *grid_; }
  const std::string& path() const { return path_; }
  // Why the grid opened as it did: where the reader stops in the file, what
  // it reads differently, or that the file is new or too large for the grid.
  const std::vector<std::string>& notes() const { return notes_; }
  // The file's data could not be shown (too large for the grid): nothing
  // can be saved.
  bool readOnly() const { return readOnly_; }
  // The grid differs from the file's data part.
  bool modified() const;

  enum class SaveResult { Saved, BadCell, Changed, IoError, Unchanged };
  // Writes the grid as the file's data part, keeping the rest of the file;
  // refused (BadCell, with `message` naming the cell) when a cell would not
  // read back, and (Changed) when the file's data part is no longer what
  // the grid opened on. After Saved the grid's values are what the reader
  // reads from the file with the same choices.
  SaveResult save(std::string& message);

 private:
  std::string path_;
  std::optional<DataGrid> grid_;
  std::string oldData_;  // the file's data part as opened (or last saved)
  DataTexts original_;   // the grid's data as opened (or last saved)
  bool crlf_ = false;
  bool readOnly_ = false;
  std::vector<std::string> notes_;
};

}  // namespace parvela
