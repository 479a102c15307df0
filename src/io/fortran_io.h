// Fortran-style text I/O: formatted and free-format (list-directed) output
// into text units, and free-format input from text.
//
// Output format strings use the usual edit descriptors:
//   ( )  /  a  Iw  kP  Ew.d  Gw.d  Tc  TRc  \  :  r( )  and quoted literals,
// and also Aw, Iw.m, Fw.d, Ew.dEe, TLc, nX and $ (the same as \).
// A width or repeat count computed at run time is written as <> in the
// format and filled from a list with fillWidths().
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace parvela {

// One output item: a 32-bit integer, a single- or double-precision real, or
// a text written in full.
using FItem = std::variant<std::int32_t, float, double, std::string_view>;

// Replaces each "<>" of `format`, left to right, by the next number of
// `values`: fillWidths("(a, I<>, a)", {3}) is "(a, I3, a)".
std::string fillWidths(std::string_view format, std::initializer_list<std::int32_t> values);

// A sequential text output unit. Completed lines are kept in memory with
// '\n' line ends; a write ended by '\' leaves its line open for the next.
class TextUnit {
 public:
  // One formatted WRITE statement. A malformed format string throws
  // std::invalid_argument before anything is written. Parsed formats are
  // kept, so repeating a format costs no new parse.
  void write(std::string_view format, std::initializer_list<FItem> items = {});
  void write(std::string_view format, std::span<const FItem> items);
  // One free-format (list-directed) WRITE statement; no items gives an
  // empty line. After a write that left its line open the items continue
  // that line (without the usual leading blank).
  void print(std::initializer_list<FItem> items = {});
  void print(std::span<const FItem> items);
  // The same statement for reals alone.
  void print(std::span<const float> items);

  // Everything written so far (an open line is included without its end).
  const std::string& text() const { return buffer_; }
  // Hands over the text written so far and empties the unit.
  std::string take();
  void clear();

  // Makes room for about `extra` more characters; a large text grows in
  // big steps and asks for large pages. Announcing a long run of writes
  // this way lets the text grow once instead of by doubling (room never
  // written to costs no memory).
  void reserveFor(std::size_t extra);

 private:
  template <class Item>
  void printFloats(std::size_t count, Item item);

  std::string buffer_;
  bool lineOpen_ = false;      // last write ended with '\'
  std::size_t lineStart_ = 0;  // offset of the current (open) line in buffer_
};

// The report of the current run (the part of the data file after the
// data) and the process's standard output. The dispatcher empties them
// before a run and hands their text on afterwards.
TextUnit& ReportFile();
TextUnit& StdOut();

// Sends what the calling thread writes to ReportFile() and StdOut() into
// the given units for the scope's lifetime (a run on a private state, say).
class OutputScope {
 public:
  OutputScope(TextUnit& report, TextUnit& standardOutput);
  ~OutputScope();
  OutputScope(const OutputScope&) = delete;
  OutputScope& operator=(const OutputScope&) = delete;

 private:
  TextUnit* previousReport_;
  TextUnit* previousStdOut_;
};

// Single-record formatting helpers, also used by tests: the text one
// formatted write produces ('\n' between records, none at the end).
std::string formatRecord(std::string_view format, std::initializer_list<FItem> items);

// ---------------------------------------------------------------------------
// Free-format (list-directed) input over a text held in memory.
//
// Each read starts at the beginning of a line. Values are separated by
// blanks, tabs or a comma with optional blanks; a read that needs more
// values continues on the next lines, and once it has them the rest of its
// last line is skipped. A slash ends the read early; r*c repeats c r times;
// r* and an empty value between commas leave their item unchanged. Integers
// take no decimal point or exponent; reals may take E or D exponents and are
// rounded correctly to single precision. LF and CR LF line ends, a missing
// final line end and a UTF-8 byte-order mark at the start are accepted.
// Where a reader reports its progress next, and how often.
struct ProgressMarks {
  std::size_t step = 0;  // 0: no reports
  std::size_t next = 0;
  // While another thread reads on ahead, the offsets reported count the
  // bytes from `origin` `factor` times (at most the whole text).
  std::size_t origin = 0;
  std::size_t factor = 1;
  std::size_t reported = 0;  // never reported backwards
};

// How the last read of a ListReader met the text: the lines it took, where
// its values ended and whether its last line held more than it took. All
// positions are offsets into the text.
struct ReadShape {
  std::size_t begin = 0;      // where the read started (after a byte-order mark)
  std::size_t lastLine = 0;   // start of the line it ended on
  std::size_t lineEnds = 0;   // line ends it crossed before its end (0: one line)
  std::size_t valuesEnd = 0;  // after its last value: the skipped rest of the line starts here
  std::size_t items = 0;      // items reached: values, empty values and repeats
  bool slash = false;         // ended by a slash
  // The skipped rest of its last line held more values (text other than
  // blanks and commas before any slash), or a repeat count was not used up.
  bool leftover = false;
  std::size_t badBegin = 0, badEnd = 0;  // the value that could not be read (Error)
};

class ListReader {
 public:
  enum class Status {
    Ok,     // the read completed (possibly ended early by a slash)
    End,    // the text ended before the read had all its values
    Error,  // a value could not be read as its item's type
  };

  explicit ListReader(std::string_view text, std::size_t start = 0);

  // One read of v.size() integers / reals. Values read before an End or
  // Error stay stored; items not reached keep their values.
  Status readIntegers(std::span<std::int32_t> v);
  Status readReals(std::span<float> v);
  // The same read of reals, giving for each item assigned the text of its
  // value (the token, or the value part of a repeat count) and an empty
  // view for an item left unchanged. Slower: for showing a file's values as
  // written.
  Status readReals(std::span<float> v, std::span<std::string_view> texts);
  // The shape of the last read (readLine included).
  const ReadShape& lastShape() const { return shape_; }
  // From now on the reads report checkpoint(Stage::Reading, offset, size
  // of the text) each time they pass another `every` bytes (0: never); a
  // monitor that asks to stop makes the read throw WorkCancelled.
  void reportProgress(std::size_t every);
  // Counts the bytes read from here on `factor` times in the reports (1:
  // as they are), for a read that shares its text with another thread.
  void scaleProgress(std::size_t factor);
  // Reads one whole line as text (line end removed), cut to maxLength.
  Status readLine(std::string& line, std::size_t maxLength);

  // Continues at `pos`, the start of a line, as if the reads had consumed
  // the text up to there (the line end before it counts for sawCrLf).
  void skipTo(std::size_t pos);

  // Offset of the next unread line: after a completed read, the start of
  // the line after its last line; after End, the end of the text; after
  // Error, the start of the line after the one holding the bad value.
  std::size_t position() const { return pos_; }
  std::string_view text() const { return text_; }
  // Length of the whole text.
  std::size_t size() const { return text_.size(); }
  // True when the text up to position() ended its lines with CR LF (the
  // last line end consumed decides).
  bool sawCrLf() const { return sawCrLf_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool sawCrLf_ = false;
  ProgressMarks marks_;
  ReadShape shape_;
};

// A line of readPlainRows() that held more values than its row took: the
// row (0-based, of those read), where its line starts and where its values
// end.
struct PlainRowRest {
  std::size_t row, lineStart, valuesEnd;
};

// Reads `rows` reads of `count` reals from the line at `pos` on, when each
// read is one line starting with `count` plain reals between blanks or
// tabs (the rest of the line skipped, as a read skips it; a rest holding
// more values is listed in `rests`, or makes the guess fail without it):
// then the values
// are exactly those of ListReader::readReals, row r at out + r * count,
// and the result is the offset after the last line. Otherwise (another
// layout, another kind of number, the text ending, the fast paths off, or
// `stop` set) the result is std::string_view::npos and the values stored
// mean nothing. Safe to run beside other reads of the same text.
std::size_t readPlainRows(std::string_view text, std::size_t pos, float* out, std::size_t count,
                          std::size_t rows, const std::atomic<bool>* stop = nullptr,
                          std::vector<PlainRowRest>* rests = nullptr);

// The engine's fast paths (plain reals read without building text, few
// digits rounded in integer arithmetic) give the same results as its
// general routines; switching them off lets tests compare the two.
void setFastPaths(bool on);
bool fastPaths();

// Reads the first value of a short text (an internal read), as a parameter
// box is read: true and the value when the text holds a value of the type,
// false otherwise (empty, letters, a real where an integer is expected).
bool readFirstReal(std::string_view text, float& value);
bool readFirstInteger(std::string_view text, std::int32_t& value);

}  // namespace parvela
