// What a read of the data file tells the user beyond its fixed message: the
// place and the reason where a read stops, and warnings where a read that
// succeeded went differently from what the file's lines suggest (values
// left on a line, a row continued on the next line, a full matrix read as
// an upper triangle, the file ending inside the data). The reader's rules
// are not changed by any of it; the texts are in the window's words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/fortran_io.h"

namespace parvela {

// One read of the data file.
struct ReadItem {
  enum class Kind { Title, Sizes, ConstantCount, Constants, MatrixRow, Rhs };
  Kind kind = Kind::Title;
  std::int64_t index = 0;  // the row or right-hand side, 1-based
  std::int64_t of = 0;     // how many rows or right-hand sides there are
  std::size_t count = 0;   // values the read takes
  bool upperTriangle = false;  // a row of the upper-triangle layout

  // "randul 3 al matricii", "termenul liber 2", "n si nb", "nc",
  // "constantele generatorului".
  std::string name() const;
};

// Where and why a read stopped.
struct ReadStop {
  std::size_t line = 0;    // 1-based; 0 when the reason has no place in the file
  std::size_t column = 0;  // 1-based characters; 0 for the line as a whole
  std::string text;        // "linia 5, coloana 9: 'abc' nu este un numar real (...)"
};

// The last "Citeste" beyond its message: where a failed read stopped, the
// warnings of one that succeeded.
struct ReadReport {
  std::string path;  // the file read
  std::optional<ReadStop> stop;
  std::vector<std::string> warnings;
};

// The report of the last read (empty before the first one). The reader
// fills it; whoever shows the outcome of "Citeste" reads it after the read.
ReadReport& lastReadReport();

// Why a text is not a value of its kind: "'abc' nu este un numar real",
// "'3.0' nu este un numar intreg (n si nb)" with `where` the read, and a
// hint for a malformed repeat count. The same words for a cell of the grid
// and for a value of the file.
std::string badValueText(std::string_view token, bool integer, std::string_view where = {});

// The values the reader finds on one line (without its line end): every
// value, empty value between commas and repeated value counts, up to a
// slash.
std::size_t countValues(std::string_view line);

// Line and column (both 1-based; the column counts characters, a tab as
// one) of an offset of `text`.
struct TextPlace {
  std::size_t line = 1, column = 1;
};
TextPlace placeOf(std::string_view text, std::size_t offset);

// Watches the reads of one data file, one after another.
class ReadDiagnosis {
 public:
  explicit ReadDiagnosis(std::string_view text) : text_(text) {}

  // After each read, with the reader that made it and its status. A bad
  // value (Error) becomes the stop; End inside the data and values left on
  // a line become warnings.
  void afterRead(const ReadItem& item, const ListReader& in, ListReader::Status st);
  // A read that completed, known by its shape alone.
  void afterRead(const ReadItem& item, const ReadShape& shape);
  // After the read of n and nb (Ok): a line 2 holding n alone, with nb taken
  // from a longer line after it, is worth a warning of its own.
  void afterSizes(const ListReader& in, std::int32_t n, std::int32_t nb);
  // A stop for a reason other than a bad value, at `offset` (the line of
  // it) or without a place.
  void stopAt(std::size_t offset, const std::string& why);
  void stop(const std::string& why);

  // The stop, when there was one.
  const std::optional<ReadStop>& stopped() const { return stop_; }
  // The warnings, in file order, at most kMaxWarnings and a last line that
  // counts the rest.
  std::vector<std::string> warnings() const;
  static constexpr std::size_t kMaxWarnings = 6;

 private:
  // A warning: worded when it is noted, or (values left on a line) only
  // when it is shown, from its read.
  struct Note {
    std::size_t at = 0;  // where in the file, for the order
    std::string text;
    ReadItem item;
    ReadShape shape;
  };
  std::size_t lineAt(std::size_t offset) const;
  std::size_t lastLineNumber() const;
  std::string_view lineFrom(std::size_t start) const;
  void note(std::vector<Note>& list, std::size_t& count, Note n);
  void leftover(const ReadItem& item, const ReadShape& shape);
  std::string leftoverText(const ReadItem& item, const ReadShape& shape) const;
  void endedIn(const ReadItem& item, const ReadShape& shape);

  std::string_view text_;
  std::optional<ReadStop> stop_;
  // The first kMaxWarnings notes, and how many there are: upper-triangle
  // rows whose line held a whole row of A apart, as they may make one.
  std::vector<Note> notes_, fullRowNotes_;
  std::size_t noteCount_ = 0, fullRows_ = 0;
  std::int64_t upperRows_ = 0;  // upper-triangle rows 2..n read
  std::size_t rowLength_ = 0;   // n, for the upper-triangle note
  std::size_t firstFullRow_ = 0;
  static constexpr std::size_t kCountedRows = 16;
  std::size_t counted_ = 0;  // upper-triangle rows whose values were counted
  bool allCountedFull_ = true;
  // Where the last line number was found (counting goes forward from here).
  mutable std::size_t cursor_ = 0, cursorLine_ = 1;
};

}  // namespace parvela
