// Free-format (list-directed) input over a text held in memory.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "core/progress.h"
#include "io/fortran_io.h"

namespace parvela {

namespace {

using Status = ListReader::Status;

bool gFastPaths = true;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A blank inside a line. A CR is one too: before an LF it belongs to the
// line end, which the line-end handling tells apart.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Character classes, looked up rather than compared so that the hot loop
// has no branch on which sign or digit a value starts with.
enum : std::uint8_t { kEndsToken = 1, kStartsNumber = 2 };
constexpr std::array<std::uint8_t, 256> kClass = [] {
  std::array<std::uint8_t, 256> c{};
  for (unsigned char x : {' ', '\t', '\r', '\n', ',', '/'}) c[x] = kEndsToken;
  for (unsigned char x = '0'; x <= '9'; ++x) c[x] = kStartsNumber;
  for (unsigned char x : {'+', '-', '.'}) c[x] = kStartsNumber;
  return c;
}();
bool endsToken(char c) { return kClass[static_cast<unsigned char>(c)] & kEndsToken; }
bool startsNumber(char c) { return kClass[static_cast<unsigned char>(c)] & kStartsNumber; }

// Whether the rest of a line, [p, end), holds more values: text other than
// blanks and commas before any slash.
bool restHoldsValues(const char* p, const char* end) {
  for (; p < end && *p != '/'; ++p)
    if (!isBlank(*p) && *p != ',') return true;
  return false;
}

std::size_t skipBom(std::string_view t, std::size_t pos) {
  return (pos == 0 && t.starts_with(kBom)) ? kBom.size() : pos;
}

// [+|-]digits, no other character, within 32 bits.
bool parseInteger(std::string_view s, std::int32_t& value) {
  bool neg = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    neg = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  std::int64_t v = 0;
  for (char c : s) {
    if (!isDigit(c)) return false;
    v = v * 10 + (c - '0');
    if (v > std::int64_t{1} << 31) return false;
  }
  if (neg) v = -v;
  if (v > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

// [+|-] (digits[.[digits]] | .digits) [ (E|D)[+|-]digits | (+|-)digits ],
// rounded correctly to single precision; out-of-range magnitudes give an
// infinity or zero of the value's sign.
bool parseReal(std::string_view s, float& value) {
  bool neg = false;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  // The mantissa is copied as it stands; the exponent is rebuilt below.
  const std::size_t mantBegin = i;
  int digits = 0;
  int firstNonZero = -1;  // index of the first non-zero digit among all digits
  int intDigits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (isDigit(c)) {
      if (c != '0' && firstNonZero < 0) firstNonZero = digits;
      ++digits;
      if (!point) ++intDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  const std::string_view mantissa = s.substr(mantBegin, i - mantBegin);
  long long expo = 0;
  if (i < s.size()) {
    const char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
    } else if (c != '+' && c != '-') {
      return false;
    }
    bool eneg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
    if (i >= s.size()) return false;
    for (; i < s.size(); ++i) {
      if (!isDigit(s[i])) return false;
      if (expo < 100000) expo = expo * 10 + (s[i] - '0');
    }
    if (eneg) expo = -expo;
  }
  std::string buf(mantissa);
  buf += 'e';
  buf += std::to_string(expo);
  float v = 0;
  const auto res = std::from_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Far beyond single precision one way or the other: the decimal place
    // of the first significant digit tells which.
    v = intDigits - firstNonZero - 1 + expo >= 0 ? std::numeric_limits<float>::infinity() : 0.0f;
  } else if (res.ec != std::errc() || res.ptr != buf.data() + buf.size()) {
    return false;
  }
  value = neg ? -v : v;
  return true;
}

// The common shape of a real in a data file, read without building any
// text: [+|-] digits [. digits] [ (E|D)[+|-]digits | (+|-)digits ] with at
// most 19 digits in all, a significand below 2^53 and a decimal exponent
// within +-22, whose value lies well inside the normal single-precision
// range. The significand and the power of ten are then both exact doubles,
// so their product (or quotient) is the correctly rounded double of the
// decimal; rounding that double to single precision gives the correctly
// rounded float unless the double fell exactly on a halfway point between
// two floats (a monotonic rounding keeps every value on its side of a
// point the double can hold). Returns the end of the number when it has
// that shape, is followed by a separator (or the end) and the result is
// sure; nullptr when the general parse must decide (repeat counts, other
// characters, long or extreme numbers).
inline const char* fastReal(const char* p, const char* end, float& value) {
  static constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const bool neg = *p == '-';
  p += neg | (*p == '+');
  std::uint64_t w = 0;
  const char* const first = p;
  while (p < end && isDigit(*p)) w = w * 10 + static_cast<unsigned>(*p++ - '0');
  int digits = static_cast<int>(p - first);
  int scale = 0;  // minus the digits after the point
  if (p < end && *p == '.') {
    const char* const frac = ++p;
    while (p < end && isDigit(*p)) w = w * 10 + static_cast<unsigned>(*p++ - '0');
    scale = -static_cast<int>(p - frac);
    digits -= scale;
  }
  if (digits == 0 || digits > 19 || w >= std::uint64_t{1} << 53) return nullptr;
  if (p < end && !endsToken(*p)) {
    char c = *p++;
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      if (p < end && (*p == '+' || *p == '-')) c = *p++;
    } else if (c != '+' && c != '-') {
      return nullptr;
    }
    int x = 0, xd = 0;
    for (; p < end && isDigit(*p) && xd < 4; ++p, ++xd) x = x * 10 + (*p - '0');
    if (xd == 0 || (p < end && !endsToken(*p))) return nullptr;
    scale += c == '-' ? -x : x;
  }
  if (w == 0) {
    value = neg ? -0.0f : 0.0f;
    return p;
  }
  if (scale < -22 || scale > 22) return nullptr;
  const double d = scale >= 0 ? static_cast<double>(w) * kPow10[scale] : static_cast<double>(w) / kPow10[-scale];
  if (!(d >= 0x1p-125 && d < 0x1p127)) return nullptr;
  // The 29 bits a float does not keep: exactly half of its last place is a
  // halfway point.
  if ((std::bit_cast<std::uint64_t>(d) & 0x1FFFFFFFu) == 0x10000000u) return nullptr;
  const float f = static_cast<float>(d);
  value = neg ? -f : f;
  return p;
}

bool parseValue(std::string_view s, std::int32_t& v) { return parseInteger(s, v); }
bool parseValue(std::string_view s, float& v) { return parseReal(s, v); }

// One list-directed read of out.size() values starting at the line at pos.
// On return pos is the start of the next unread line (the end of the text
// after End); `stored` counts the values actually assigned.
// When `shape` is given it receives the read's shape; when `texts` is given
// (out.size() views, empty on entry) each item assigned gets the text of
// its value there: the token, or the value part of a repeat count.
template <class T>
Status readList(std::string_view t, std::size_t& pos, bool& crlf, std::span<T> out, std::size_t* stored = nullptr,
                ProgressMarks* marks = nullptr, ReadShape* shape = nullptr, std::string_view* texts = nullptr) {
  std::size_t i = skipBom(t, pos);
  const std::size_t begin = i;
  std::size_t lineStart = i, lineEnds = 0, tokenBegin = i;
  bool slash = false;
  std::string_view repeatText;
  // Without a progress report the mark is never reached.
  std::size_t mark = marks ? marks->next : std::numeric_limits<std::size_t>::max();
  const auto passMark = [&] {
    const std::size_t done =
        std::max(marks->reported, std::min(marks->origin + (i - marks->origin) * marks->factor, t.size()));
    marks->reported = done;
    checkpoint(Stage::Reading, static_cast<std::int64_t>(done), static_cast<std::int64_t>(t.size()));
    mark = i + marks->step;
    marks->next = mark;
  };
  std::size_t k = 0, assigned = 0;
  enum { Start, AfterComma, AfterValue } sep = Start;
  bool firstLine = true;
  long long repeatLeft = 0;
  bool repeatNull = false;
  T repeatValue{};

  const auto lineEnd = [&] {  // t[i] == '\n'
    crlf = i > 0 && t[i - 1] == '\r';
    ++i;
  };
  const auto describe = [&](Status st, std::size_t valuesEnd, bool rest) {
    *shape = ReadShape{begin, lineStart, lineEnds, valuesEnd, k, slash, rest || repeatLeft > 0, 0, 0};
    if (st == Status::Error) {
      shape->badBegin = tokenBegin;
      shape->badEnd = valuesEnd;
    }
  };
  const auto finish = [&](Status st) {  // skip the rest of the current line
    const std::size_t valuesEnd = i;
    while (i < t.size() && t[i] != '\n') ++i;
    if (shape) describe(st, valuesEnd, !slash && restHoldsValues(t.data() + valuesEnd, t.data() + i));
    if (i < t.size()) lineEnd();
    pos = i;
    if (stored) *stored = assigned;
    return st;
  };
  const auto ended = [&] {
    pos = t.size();
    if (stored) *stored = assigned;
    if (shape) describe(Status::End, t.size(), false);
    return Status::End;
  };

  if (out.empty() && i >= t.size()) return ended();
  while (k < out.size()) {
    if constexpr (std::is_same_v<T, float>) {
      // Plain numbers between blanks go straight in; anything else (a line
      // end, a comma, a slash, a repeat count, an unusual number) is left
      // to the general steps below.
      if (repeatLeft == 0 && gFastPaths && !texts) {
        const char* const base = t.data();
        const char* const e = base + t.size();
        const char* p = base + i;
        const char* markAt = base + std::min(mark, t.size());
        std::size_t got = k;
        while (got < out.size()) {
          while (p < e && (*p == ' ' || *p == '\t')) ++p;
          if (p >= e || !startsNumber(*p)) break;
          const char* q = fastReal(p, e, out[got]);
          if (!q) break;
          ++got;
          p = q;
          if (p >= markAt && mark < t.size()) {
            assigned += got - k;
            k = got;
            i = static_cast<std::size_t>(p - base);
            sep = AfterValue;
            passMark();
            markAt = base + std::min(mark, t.size());
          }
        }
        if (got > k) sep = AfterValue;
        assigned += got - k;
        k = got;
        i = static_cast<std::size_t>(p - base);
        if (k == out.size()) break;
      }
    }
    if (repeatLeft > 0) {
      if (!repeatNull) {
        out[k] = repeatValue;
        if (texts) texts[k] = repeatText;
        ++assigned;
      }
      ++k;
      --repeatLeft;
      continue;
    }
    for (;;) {
      while (i < t.size() && isBlank(t[i])) ++i;
      if (i >= t.size()) return ended();
      if (t[i] != '\n') break;
      lineEnd();
      firstLine = false;
      ++lineEnds;
      lineStart = i;
    }
    const char c = t[i];
    if (c == ',') {
      ++i;
      // A comma right after a value separates; one after another comma,
      // or at the very start of the read's first line, stands for a null
      // value. (After blank lines at the start gfortran takes it as a
      // separator, and so do we.)
      if (sep == AfterComma || (sep == Start && firstLine)) ++k;
      sep = AfterComma;
      continue;
    }
    if (c == '/') {
      ++i;
      slash = true;
      return finish(Status::Ok);
    }
    const std::size_t b = i;
    tokenBegin = b;
    while (i < t.size() && !endsToken(t[i])) ++i;
    const std::string_view tok = t.substr(b, i - b);
    sep = AfterValue;
    if (const std::size_t star = tok.find('*'); star != std::string_view::npos) {
      std::int32_t r = 0;
      const std::string_view count = tok.substr(0, star);
      if (count.empty() || !isDigit(count[0]) || !parseInteger(count, r) || r <= 0) return finish(Status::Error);
      const std::string_view rest = tok.substr(star + 1);
      repeatNull = rest.empty();
      repeatText = rest;
      if (!repeatNull && !parseValue(rest, repeatValue)) return finish(Status::Error);
      repeatLeft = r;
      continue;
    }
    T value{};
    if (!parseValue(tok, value)) return finish(Status::Error);
    if (texts) texts[k] = tok;
    out[k++] = value;
    ++assigned;
    if (i >= mark) passMark();
  }
  return finish(Status::Ok);
}

}  // namespace

void ListReader::skipTo(std::size_t pos) {
  pos_ = std::min(pos, text_.size());
  if (pos_ > 0 && text_[pos_ - 1] == '\n') sawCrLf_ = pos_ > 1 && text_[pos_ - 2] == '\r';
}

std::size_t readPlainRows(std::string_view text, std::size_t pos, float* out, std::size_t count, std::size_t rows,
                          const std::atomic<bool>* stop, std::vector<PlainRowRest>* rests) {
  constexpr std::size_t kNo = std::string_view::npos;
  if (!gFastPaths || pos > text.size()) return kNo;
  const char* const base = text.data();
  const char* const e = base + text.size();
  const char* p = base + pos;
  for (std::size_t r = 0; r < rows; ++r) {
    if (stop && stop->load(std::memory_order_relaxed)) return kNo;
    const char* const lineStart = p;
    float* row = out + r * count;
    for (std::size_t k = 0; k < count; ++k) {
      while (p < e && (*p == ' ' || *p == '\t')) ++p;
      if (p >= e || !startsNumber(*p)) return kNo;
      p = fastReal(p, e, row[k]);
      if (!p) return kNo;
    }
    const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(e - p));
    if (!nl) return kNo;
    if (restHoldsValues(p, static_cast<const char*>(nl))) {
      // More values on the line than the row takes: noted, or left to the
      // reads one after another.
      if (!rests) return kNo;
      rests->push_back({r, static_cast<std::size_t>(lineStart - base), static_cast<std::size_t>(p - base)});
    }
    p = static_cast<const char*>(nl) + 1;
  }
  return static_cast<std::size_t>(p - base);
}

void setFastPaths(bool on) { gFastPaths = on; }
bool fastPaths() { return gFastPaths; }

ListReader::ListReader(std::string_view text, std::size_t start) : text_(text), pos_(start) {}

ListReader::Status ListReader::readIntegers(std::span<std::int32_t> v) {
  return readList(text_, pos_, sawCrLf_, v, nullptr, marks_.step ? &marks_ : nullptr, &shape_);
}

ListReader::Status ListReader::readReals(std::span<float> v) {
  return readList(text_, pos_, sawCrLf_, v, nullptr, marks_.step ? &marks_ : nullptr, &shape_);
}

ListReader::Status ListReader::readReals(std::span<float> v, std::span<std::string_view> texts) {
  std::fill(texts.begin(), texts.end(), std::string_view());
  if (texts.size() < v.size()) v = v.first(texts.size());
  return readList(text_, pos_, sawCrLf_, v, nullptr, marks_.step ? &marks_ : nullptr, &shape_, texts.data());
}

void ListReader::reportProgress(std::size_t every) {
  marks_.step = every;
  marks_.next = pos_ + every;
}

void ListReader::scaleProgress(std::size_t factor) {
  marks_.origin = pos_;
  marks_.factor = factor < 1 ? 1 : factor;
}

ListReader::Status ListReader::readLine(std::string& line, std::size_t maxLength) {
  pos_ = skipBom(text_, pos_);
  if (pos_ >= text_.size()) {
    pos_ = text_.size();
    return Status::End;
  }
  const std::size_t nl = text_.find('\n', pos_);
  std::size_t end = nl == std::string_view::npos ? text_.size() : nl;
  const std::size_t next = nl == std::string_view::npos ? text_.size() : nl + 1;
  if (end > pos_ && text_[end - 1] == '\r') {
    --end;
    if (nl != std::string_view::npos) sawCrLf_ = true;
  } else if (nl != std::string_view::npos) {
    sawCrLf_ = false;
  }
  line.assign(text_.substr(pos_, std::min(end - pos_, maxLength)));
  shape_ = ReadShape{pos_, pos_, 0, end, 1, false, false, 0, 0};
  pos_ = next;
  return Status::Ok;
}

bool readFirstReal(std::string_view text, float& value) {
  std::size_t pos = 0, stored = 0;
  bool crlf = false;
  float v = 0;
  if (readList(text, pos, crlf, std::span<float>(&v, 1), &stored) != Status::Ok || stored != 1) return false;
  value = v;
  return true;
}

bool readFirstInteger(std::string_view text, std::int32_t& value) {
  std::size_t pos = 0, stored = 0;
  bool crlf = false;
  std::int32_t v = 0;
  if (readList(text, pos, crlf, std::span<std::int32_t>(&v, 1), &stored) != Status::Ok || stored != 1) return false;
  value = v;
  return true;
}

}  // namespace parvela
