// Format-string parser and the numeric edit routines of the output engine.
#include "io/fortran_format.h"

#include "io/fortran_io.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace parvela::fortran {

// ---------------------------------------------------------------------------
// Parser

namespace {

int upper(char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : static_cast<unsigned char>(c); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  Format parse() {
    Format f;
    if (peek() != '(') fail("a format starts with '('");
    ++i_;
    f.items = parseList();
    if (peek() != -1) fail("text after the closing ')'");
    for (std::size_t k = f.items.size(); k-- > 0;) {
      if (f.items[k].op == Op::Group) {
        f.reversion = k;
        break;
      }
    }
    return f;
  }

 private:
  [[noreturn]] void fail(const char* why) const {
    throw std::invalid_argument("format \"" + std::string(s_) + "\": " + why + " (at offset " +
                                std::to_string(i_) + ")");
  }

  void skipBlanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  // The next significant character in upper case, -1 at the end.
  int peek() {
    skipBlanks();
    return i_ < s_.size() ? upper(s_[i_]) : -1;
  }
  bool digitNext() {
    skipBlanks();
    return i_ < s_.size() && isDigit(s_[i_]);
  }
  int number() {
    if (!digitNext()) fail("a number is expected");
    long v = 0;
    while (i_ < s_.size() && isDigit(s_[i_])) {
      v = v * 10 + (s_[i_++] - '0');
      if (v > 1000000) fail("number too large");
    }
    return static_cast<int>(v);
  }

  std::vector<Node> parseList() {
    std::vector<Node> out;
    for (;;) {
      const int c = peek();
      if (c == -1) fail("missing ')'");
      if (c == ')') {
        ++i_;
        return out;
      }
      if (c == ',') {
        ++i_;
        continue;
      }
      out.push_back(parseItem());
    }
  }

  Node parseItem() {
    Node nd;
    int c = peek();
    if (c == '\'' || c == '"') {
      nd.op = Op::Literal;
      const char q = s_[i_++];
      for (;;) {
        if (i_ >= s_.size()) fail("unterminated quoted text");
        if (s_[i_] == q) {
          if (i_ + 1 < s_.size() && s_[i_ + 1] == q) {
            nd.text += q;
            i_ += 2;
            continue;
          }
          ++i_;
          return nd;
        }
        nd.text += s_[i_++];
      }
    }
    if (c == ':' || c == '\\' || c == '$') {
      ++i_;
      nd.op = c == ':' ? Op::Colon : Op::NoAdvance;
      return nd;
    }

    // An optional (signed, for kP) number in front of the element.
    bool sign = false, negative = false, hasNumber = false;
    int num = 0;
    if (c == '+' || c == '-') {
      sign = true;
      negative = c == '-';
      ++i_;
    }
    if (digitNext()) {
      num = number();
      hasNumber = true;
    }
    c = peek();
    if (sign && (c != 'P' || !hasNumber)) fail("a sign belongs only to a scale factor kP");
    if (c == 'P') {
      if (!hasNumber) fail("a scale factor needs its number, as in 1P");
      ++i_;
      nd.op = Op::Scale;
      nd.n = negative ? -num : num;
      return nd;
    }
    if (hasNumber && num == 0 && c != 'X') fail("a repeat count must be positive");
    nd.repeat = hasNumber ? num : 1;
    switch (c) {
      case '(':
        ++i_;
        nd.op = Op::Group;
        nd.children = parseList();
        return nd;
      case '/':
        ++i_;
        nd.op = Op::Slash;
        return nd;
      case 'X':
        ++i_;
        nd.op = Op::TabRight;
        nd.n = hasNumber ? num : 1;
        if (!hasNumber && countEndsElement()) nd.n = number();  // Xn
        nd.repeat = 1;
        return nd;
      case 'T': {
        if (hasNumber) fail("T takes no repeat count");
        ++i_;
        nd.op = Op::Tab;
        const int c2 = peek();
        if (c2 == 'L' || c2 == 'R') {
          ++i_;
          nd.op = c2 == 'L' ? Op::TabLeft : Op::TabRight;
        }
        nd.n = number();
        if (nd.op == Op::Tab && nd.n < 1) fail("T needs a column of at least 1");
        return nd;
      }
      case 'A':
        ++i_;
        nd.op = Op::A;
        if (digitNext()) nd.w = number();
        return nd;
      case 'I':
        ++i_;
        nd.op = Op::I;
        nd.w = number();
        if (peek() == '.') {
          ++i_;
          nd.m = number();
        }
        return nd;
      case 'E':
      case 'F':
      case 'G':
        ++i_;
        nd.op = c == 'E' ? Op::E : c == 'F' ? Op::F : Op::G;
        nd.w = number();
        if (peek() != '.') fail("a real descriptor needs .d");
        ++i_;
        nd.d = number();
        if (nd.op != Op::F && peek() == 'E' && exponentWidthFollows()) {
          ++i_;
          nd.e = number();
          if (nd.e < 1) fail("exponent width must be positive");
        }
        return nd;
      default:
        fail("unknown format element");
    }
  }

  // Digits at i_ that are followed by ',' or ')': the count of Xn rather
  // than the repeat count of the next element.
  bool countEndsElement() {
    if (!digitNext()) return false;
    std::size_t j = i_;
    while (j < s_.size() && (isDigit(s_[j]) || s_[j] == ' ')) ++j;
    return j < s_.size() && (s_[j] == ',' || s_[j] == ')');
  }

  // After Ew.d: is the 'E' at i_ an exponent width (Ee) rather than the
  // start of another E descriptor written without a comma?
  bool exponentWidthFollows() const {
    std::size_t j = i_ + 1;
    while (j < s_.size() && s_[j] == ' ') ++j;
    if (j >= s_.size() || !isDigit(s_[j])) return false;
    while (j < s_.size() && (isDigit(s_[j]) || s_[j] == ' ')) ++j;
    return j >= s_.size() || s_[j] != '.';
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

}  // namespace

Format parseFormat(std::string_view format) { return Parser(format).parse(); }

const Format& cachedFormat(std::string_view format) {
  thread_local std::unordered_map<std::string, std::unique_ptr<Format>, StringHash, std::equal_to<>> cache;
  if (auto it = cache.find(format); it != cache.end()) return *it->second;
  auto parsed = std::make_unique<Format>(parseFormat(format));
  // Run-time widths make a family of formats; keep the cache bounded.
  if (cache.size() >= 4096) cache.clear();
  return *cache.emplace(std::string(format), std::move(parsed)).first->second;
}

// ---------------------------------------------------------------------------
// Edit routines

namespace {

constexpr int kMaxDigits = 780;  // more than a double's exact expansion needs

void stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w > 0 ? w : 1), '*'); }

// a > 0 and finite, rounded to nd significant digits (ties to even on the
// exact binary value): value = 0.digits × 10^exp10.
struct Decimal {
  char digits[kMaxDigits + 1];
  int count;
  int exp10;
};

using u128 = unsigned __int128;

constexpr int bitLength(u128 v) {
  const auto hi = static_cast<std::uint64_t>(v >> 64);
  return hi ? 128 - std::countl_zero(hi) : 64 - std::countl_zero(static_cast<std::uint64_t>(v));
}

constexpr int kMaxPow5 = 55;  // 5^55 < 2^128
struct Pow5Table {
  u128 value[kMaxPow5 + 1];
  int bits[kMaxPow5 + 1];
};
constexpr Pow5Table kPow5 = [] {
  Pow5Table t{};
  u128 v = 1;
  for (int k = 0; k <= kMaxPow5; ++k, v *= 5) {
    t.value[k] = v;
    t.bits[k] = bitLength(v);
  }
  return t;
}();

constexpr std::uint64_t kPow10[20] = {1ull,
                                      10ull,
                                      100ull,
                                      1000ull,
                                      10000ull,
                                      100000ull,
                                      1000000ull,
                                      10000000ull,
                                      100000000ull,
                                      1000000000ull,
                                      10000000000ull,
                                      100000000000ull,
                                      1000000000000ull,
                                      10000000000000ull,
                                      100000000000000ull,
                                      1000000000000000ull,
                                      10000000000000000ull,
                                      100000000000000000ull,
                                      1000000000000000000ull,
                                      10000000000000000000ull};

// m * 2^s, with s = q + k, times 5^k, rounded to an integer (ties to even),
// exactly in 128-bit integers: a * 10^k for a = m * 2^q. False when the
// numbers do not fit or the result passes 2^64.
bool scaledRound(std::uint64_t m, int bitsM, int s, int k, std::uint64_t& out) {
  if (k >= 0 && k <= kMaxPow5 && bitsM + kPow5.bits[k] <= 64 && s < 0 && s > -64) {
    // The common case (a float's digits to a few places) in 64 bits.
    const std::uint64_t p = m * static_cast<std::uint64_t>(kPow5.value[k]);
    const int sh = -s;
    std::uint64_t n = p >> sh;
    const std::uint64_t rem = p & ((std::uint64_t{1} << sh) - 1);
    const std::uint64_t half = std::uint64_t{1} << (sh - 1);
    if (rem > half || (rem == half && (n & 1))) ++n;
    out = n;
    return true;
  }
  u128 n;
  if (k >= 0) {
    if (k > kMaxPow5 || bitsM + kPow5.bits[k] > 127) return false;
    const u128 p = static_cast<u128>(m) * kPow5.value[k];
    if (s >= 0) {
      if (bitLength(p) + s > 64) return false;
      n = p << s;
    } else {
      const int sh = -s;
      if (sh > 127) return false;
      n = p >> sh;
      const u128 rem = p & ((static_cast<u128>(1) << sh) - 1);
      const u128 half = static_cast<u128>(1) << (sh - 1);
      if (rem > half || (rem == half && (n & 1))) ++n;
    }
  } else {
    const int j = -k;
    if (j > kMaxPow5) return false;
    u128 num, den = kPow5.value[j];
    if (s >= 0) {
      if (bitsM + s > 127) return false;
      num = static_cast<u128>(m) << s;
    } else {
      if (kPow5.bits[j] - s > 126) return false;
      num = m;
      den <<= -s;
    }
    n = num / den;
    const u128 rem2 = (num - n * den) << 1;
    if (rem2 > den || (rem2 == den && (n & 1))) ++n;
  }
  if (n >> 64) return false;
  out = static_cast<std::uint64_t>(n);
  return true;
}

constexpr char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The same rounding without a decimal expansion, for up to 17 digits of a
// value whose scaled form fits 128 bits (all but the most extreme
// magnitudes). False leaves the work to the general routine.
bool roundSignificantFast(double a, int nd, Decimal& r) {
  if (nd < 1 || nd > 17) return false;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
  const int biased = static_cast<int>(bits >> 52);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  int q = -1074;
  if (biased != 0) {
    m |= std::uint64_t{1} << 52;
    q = biased - 1075;
  }
  if (m == 0) return false;
  const int tz = std::countr_zero(m);
  m >>= tz;
  q += tz;
  const int bitsM = 64 - std::countl_zero(m);
  // 2^(q+bitsM-1) <= a < 2^(q+bitsM): the decimal exponent is this
  // estimate or next to it; the loop settles it on the rounded value.
  int e10 = ((q + bitsM - 1) * 78913) >> 18;
  std::uint64_t n = 0;
  for (int tries = 0;; ++tries) {
    if (tries == 3 || !scaledRound(m, bitsM, q + nd - 1 - e10, nd - 1 - e10, n)) return false;
    if (n >= kPow10[nd]) {
      ++e10;
    } else if (n < kPow10[nd - 1]) {
      --e10;
    } else {
      break;
    }
  }
  int i = nd;
  for (; i >= 2; i -= 2, n /= 100) std::memcpy(r.digits + i - 2, kDigitPairs + 2 * (n % 100), 2);
  if (i == 1) r.digits[0] = static_cast<char>('0' + n);
  r.count = nd;
  r.exp10 = e10 + 1;
  return true;
}

// The same rounding for a value that is a normal float (as most of what
// the reports write is), to nd <= 9 digits: n with 10^(nd-1) <= n < 10^nd,
// the rounded value being 0.n × 10^exp10. Only products and shifts of 64
// (or 128) bits; false for other values, magnitudes of 10^nd and more and
// those below about 10^(nd-28).
bool roundFloatSignificant(double a, int nd, std::uint32_t& n, int& exp10) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
  const int e2 = static_cast<int>(bits >> 52) - 1023;  // 2^e2 <= a < 2^(e2+1)
  if (nd < 1 || nd > 9 || e2 < -126 || e2 > 127 || (bits & ((std::uint64_t{1} << 29) - 1)) != 0) return false;
  const std::uint64_t m = ((bits >> 29) & 0x7FFFFF) | 0x800000;  // a = m × 2^q, 24 bits
  const int q = e2 - 23;
  // floor(e2 × log10 2): floor(log10 a) or one less; the rounded value
  // settles it.
  int e10 = (e2 * 78913) >> 18;
  for (int tries = 0; tries < 2; ++tries, ++e10) {
    const int k = nd - 1 - e10;  // n = a × 10^k rounded
    const int s = q + k;
    if (k < 0 || k > 27) return false;
    std::uint64_t r;
    if (s >= 0) {
      r = (m * static_cast<std::uint64_t>(kPow5.value[k])) << s;  // a < 10^nd: small k and s
    } else if (k <= 17 && s > -64) {  // m × 5^k < 2^64
      const std::uint64_t p = m * static_cast<std::uint64_t>(kPow5.value[k]);
      const int sh = -s;
      r = p >> sh;
      const std::uint64_t rem = p & ((std::uint64_t{1} << sh) - 1);
      const std::uint64_t half = std::uint64_t{1} << (sh - 1);
      r += rem > half || (rem == half && (r & 1));
    } else {
      const int sh = -s;
      if (sh > 127) return false;
      const u128 p = static_cast<u128>(m) * kPow5.value[k];
      const u128 whole = p >> sh;
      const u128 rem = p & ((static_cast<u128>(1) << sh) - 1);
      const u128 half = static_cast<u128>(1) << (sh - 1);
      r = static_cast<std::uint64_t>(whole) + (rem > half || (rem == half && (whole & 1)));
    }
    if (r < kPow10[nd]) {
      n = static_cast<std::uint32_t>(r);
      exp10 = e10 + 1;
      return true;
    }
  }
  return false;
}

// The nd digits of n (nd <= 9) at out.
void putDigits(char* out, std::uint32_t n, int nd) {
  int i = nd;
  for (; i >= 2; i -= 2, n /= 100) std::memcpy(out + i - 2, kDigitPairs + 2 * (n % 100), 2);
  if (i == 1) out[0] = static_cast<char>('0' + n);
}

void roundSignificant(double a, int nd, Decimal& r) {
  if (fastPaths()) {
    std::uint32_t n;
    if (roundFloatSignificant(a, nd, n, r.exp10)) {
      putDigits(r.digits, n, nd);
      r.count = nd;
      return;
    }
    if (roundSignificantFast(a, nd, r)) return;
  }
  const int asked = std::min(nd, kMaxDigits);
  char buf[kMaxDigits + 32];
  const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, asked - 1);
  // buf holds d[.ddd]e±XX
  const char* p = buf;
  int k = 0;
  for (; p < res.ptr && *p != 'e'; ++p) {
    if (*p != '.') r.digits[k++] = *p;
  }
  int x = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, x);
  r.exp10 = x + 1;
  while (k < nd && k < kMaxDigits) r.digits[k++] = '0';
  r.count = k;
}

// Infinity and NaN, right-aligned in w characters as gfortran writes them.
void editInfNan(std::string& out, double v, int w) {
  const bool neg = std::signbit(v) && !std::isnan(v);
  if (w <= 0) w = std::isnan(v) ? 3 : (neg ? 4 : 3);
  if (w < 3) return stars(out, w);
  if (std::isnan(v)) {
    out.append(static_cast<std::size_t>(w - 3), ' ');
    out += "NaN";
    return;
  }
  if (neg && w == 3) return stars(out, w);
  const int mark = neg ? 8 : 7;
  std::string_view word = w > mark ? "Infinity" : "Inf";
  const int len = static_cast<int>(word.size()) + (neg ? 1 : 0);
  out.append(static_cast<std::size_t>(w - len), ' ');
  if (neg) out += '-';
  out += word;
}

// A fixed-notation body: sign, integer digits (empty for a magnitude below
// one: the leading zero is then written only when there is room), point,
// fraction digits; right-aligned in `width` (0: as narrow as possible).
bool fixedBody(std::string& out, bool neg, std::string_view intDigits, std::string_view frac, int width) {
  const int len = (neg ? 1 : 0) + static_cast<int>(intDigits.size()) + 1 + static_cast<int>(frac.size());
  if (width <= 0) width = len + (intDigits.empty() ? 1 : 0);
  if (len > width) return false;
  const bool lead = intDigits.empty() && len < width;
  out.append(static_cast<std::size_t>(width - len - (lead ? 1 : 0)), ' ');
  if (neg) out += '-';
  if (lead) out += '0';
  out += intDigits;
  out += '.';
  out += frac;
  return true;
}

}  // namespace

void editA(std::string& out, std::string_view text, int w) {
  if (w < 0) {
    out += text;
  } else if (text.size() >= static_cast<std::size_t>(w)) {
    out += text.substr(0, static_cast<std::size_t>(w));
  } else {
    out.append(static_cast<std::size_t>(w) - text.size(), ' ');
    out += text;
  }
}

void editI(std::string& out, std::int64_t value, int w, int m) {
  const bool neg = value < 0;
  std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char digits[24];
  int n = 0;
  if (!(mag == 0 && m == 0)) {
    char tmp[24];
    const auto res = std::to_chars(tmp, tmp + sizeof tmp, mag);
    const int len = static_cast<int>(res.ptr - tmp);
    const int pad = std::max(0, std::min(m, 20) - len);
    for (int k = 0; k < pad; ++k) digits[n++] = '0';
    for (int k = 0; k < len; ++k) digits[n++] = tmp[k];
  }
  const int len = n + (neg ? 1 : 0);
  if (w <= 0) w = len;
  if (len > w) return stars(out, w);
  out.append(static_cast<std::size_t>(w - len), ' ');
  if (neg) out += '-';
  out.append(digits, static_cast<std::size_t>(n));
}

void editE(std::string& out, double value, int w, int d, int e, int k) {
  if (!std::isfinite(value)) return editInfNan(out, value, w);
  const bool neg = std::signbit(value);
  const double a = std::fabs(value);
  if (d < 0) d = 0;
  int nbefore = 0, nzero = 0, nafter = 0;
  if (k > 0) {
    if (k > d + 1) return stars(out, w);
    nbefore = k;
    nafter = d - k + 1;
  } else {
    nzero = -k;
    nafter = d + k;
  }
  const int nsig = nbefore + nafter;
  if (nsig <= 0 || nafter < 0 || nsig > kMaxDigits) return stars(out, w);

  Decimal dec;
  int expo = 0;
  if (a == 0) {
    std::fill_n(dec.digits, std::min(nsig, kMaxDigits), '0');
    dec.count = std::min(nsig, kMaxDigits);
  } else {
    roundSignificant(a, nsig, dec);
    expo = dec.exp10 - k;
  }

  char ex[16];
  int exlen = 0;
  const int ae = std::abs(expo);
  const char esign = expo < 0 ? '-' : '+';
  if (e < 0) {
    if (ae <= 99) {
      ex[0] = 'E';
      ex[1] = esign;
      ex[2] = static_cast<char>('0' + ae / 10);
      ex[3] = static_cast<char>('0' + ae % 10);
    } else if (ae <= 999) {
      ex[0] = esign;
      ex[1] = static_cast<char>('0' + ae / 100);
      ex[2] = static_cast<char>('0' + ae / 10 % 10);
      ex[3] = static_cast<char>('0' + ae % 10);
    } else {
      return stars(out, w);
    }
    exlen = 4;
  } else {
    char tmp[8];
    const auto res = std::to_chars(tmp, tmp + sizeof tmp, ae);
    const int nd = static_cast<int>(res.ptr - tmp);
    if (nd > e || e > 10) return stars(out, w);
    ex[exlen++] = 'E';
    ex[exlen++] = esign;
    for (int z = nd; z < e; ++z) ex[exlen++] = '0';
    for (int z = 0; z < nd; ++z) ex[exlen++] = tmp[z];
  }

  const int len = (neg ? 1 : 0) + nbefore + 1 + nzero + nafter + exlen;
  if (w <= 0) w = len + (nbefore == 0 ? 1 : 0);
  if (len > w) return stars(out, w);
  const bool lead = nbefore == 0 && len < w;
  out.append(static_cast<std::size_t>(w - len - (lead ? 1 : 0)), ' ');
  if (neg) out += '-';
  if (lead) out += '0';
  out.append(dec.digits, static_cast<std::size_t>(nbefore));
  out += '.';
  out.append(static_cast<std::size_t>(nzero), '0');
  out.append(dec.digits + nbefore, static_cast<std::size_t>(std::min(nafter, dec.count - nbefore)));
  out.append(ex, static_cast<std::size_t>(exlen));
}

void editF(std::string& out, double value, int w, int d, int k) {
  if (!std::isfinite(value)) return editInfNan(out, value, w);
  const bool neg = std::signbit(value);
  const double a = std::fabs(value);
  if (d < 0) d = 0;
  const int prec = d + k;  // decimals of the unscaled value
  if (prec < 0 || prec > kMaxDigits) return stars(out, w);
  std::string buf(static_cast<std::size_t>(prec) + 340, '\0');
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::fixed, prec);
  buf.resize(static_cast<std::size_t>(res.ptr - buf.data()));
  const std::size_t point = buf.find('.');
  std::string all = buf;
  int intLen = static_cast<int>(buf.size());
  if (point != std::string::npos) {
    all.erase(point, 1);
    intLen = static_cast<int>(point);
  }
  int pointPos = intLen + k;  // the scaled value's point, counted in `all`
  if (pointPos < 0) {
    all.insert(0, static_cast<std::size_t>(-pointPos), '0');
    pointPos = 0;
  }
  std::string_view intPart(all.data(), static_cast<std::size_t>(pointPos));
  const std::string_view frac(all.data() + pointPos, all.size() - static_cast<std::size_t>(pointPos));
  while (!intPart.empty() && intPart.front() == '0') intPart.remove_prefix(1);
  if (!fixedBody(out, neg, intPart, frac, w)) stars(out, w);
}

void editG(std::string& out, double value, int w, int d, int e, int k) {
  if (!std::isfinite(value)) return editInfNan(out, value, w);
  if (d <= 0 || d > kMaxDigits) return editE(out, value, w, d, e, k);
  const int n = e < 0 ? 4 : e + 2;  // blanks standing for the exponent part
  const bool neg = std::signbit(value);
  const double a = std::fabs(value);
  // A float in the fixed form, laid out as fixedBody lays it out.
  std::uint32_t digitsN;
  int x;
  if (fastPaths() && w > n && w <= 64 && roundFloatSignificant(a, d, digitsN, x) && x >= 0 && x <= d) {
    const int width = w - n;
    const int len = (neg ? 1 : 0) + d + 1;
    if (len <= width) {
      // Written in place: the digits, then the point opened between them.
      const std::size_t at = out.size();
      out.append(static_cast<std::size_t>(w), ' ');
      char* end = out.data() + at + width;
      char* p = end - d;
      putDigits(p, digitsN, d);
      std::memmove(p - 1, p, static_cast<std::size_t>(x));
      p[x - 1] = '.';
      p -= 1 + (neg ? 1 : 0) + (x == 0 && len < width ? 1 : 0);
      if (neg) *p++ = '-';
      if (x == 0 && len < width) *p = '0';
      return;
    }
  }
  const std::size_t before = out.size();
  if (a == 0) {
    const std::string zeros(static_cast<std::size_t>(d - 1), '0');
    if (!fixedBody(out, neg, "", zeros, w > 0 ? w - n : 0)) {
      out.resize(before);
      return stars(out, w);
    }
    out.append(static_cast<std::size_t>(n), ' ');
    return;
  }
  Decimal dec;
  roundSignificant(a, d, dec);
  if (dec.exp10 < 0 || dec.exp10 > d) return editE(out, value, w, d, e, k);
  const std::size_t s = static_cast<std::size_t>(dec.exp10);
  const std::string_view digits(dec.digits, static_cast<std::size_t>(d));
  if (!fixedBody(out, neg, digits.substr(0, s), digits.substr(s), w > 0 ? w - n : 0)) {
    out.resize(before);
    return stars(out, w);
  }
  out.append(static_cast<std::size_t>(n), ' ');
}

void listInteger(std::string& out, std::int32_t value) { editI(out, value, 12, -1); }

void listFloat(std::string& out, float value) {
  if (value == 0.0f) return editE(out, value, 15, 7, -1, 1);
  editG(out, value, 15, 7, -1, 1);
}

bool listFloatFixed(float value, char* out) {
  static_assert(std::endian::native == std::endian::little, "the field is composed in little-endian words");
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int e2 = static_cast<int>((bits >> 23) & 0xFF) - 127;  // 2^e2 <= |value| < 2^(e2+1)
  // About 0.03 to 10^6: the 7 digits below come from products of 64 bits
  // with a point inside the field whatever the rounding does.
  if (e2 < -5 || e2 > 19 || !fastPaths()) return false;
  const std::uint64_t m = (bits & 0x7FFFFF) | 0x800000;
  const int e10 = (e2 * 78913) >> 18;  // floor(log10 |value|) or one less
  const int k = 6 - e10;               // 1 ... 8
  const int sh = 23 - e2 - k;          // 3 ... 20
  // The value times 10^k and times 10^(k-1), each rounded to an integer
  // (ties to even); the first has 7 digits unless the estimate was short.
  auto scaled = [m](int power, int shift) {
    const std::uint64_t p = m * static_cast<std::uint64_t>(kPow5.value[power]);
    const std::uint64_t r = p >> shift;
    const std::uint64_t rem = p & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    return r + (rem > half || (rem == half && (r & 1)));
  };
  const std::uint64_t r1 = scaled(k, sh), r2 = scaled(k - 1, sh + 1);
  const bool up = r1 >= 10000000;
  const std::uint64_t r = up ? r2 : r1;
  const int x = e10 + 1 + (up ? 1 : 0);  // digits before the point
  if (x < 0) return false;               // below 0.1 once rounded: the E form
  // The eight decimal digits of r (the first a zero) as bytes in reading
  // order: four, two, then one digit to a lane.
  std::uint64_t t = (r / 10000) | ((r % 10000) << 32);
  const std::uint64_t hundreds = ((t * 10486) >> 20) & 0x0000007F0000007Full;
  t = hundreds | ((t - hundreds * 100) << 16);
  const std::uint64_t tens = ((t * 103) >> 10) & 0x000F000F000F000Full;
  t = tens | ((t - tens * 10) << 8);
  const std::uint64_t digits = (t | 0x3030303030303030ull) >> 8;  // the seven digits
  // The point after the first x digits.
  const std::uint64_t low = (std::uint64_t{1} << (8 * x)) - 1;
  const std::uint64_t body = (digits & low) | (std::uint64_t{'.'} << (8 * x)) | ((digits & ~low) << 8);
  // Columns 3 to 10 hold the body; a value below one has a zero in column
  // 2, and a minus sign goes just before the first of them.
  const bool neg = bits >> 31;
  const std::uint64_t c1 = neg && x == 0 ? '-' : ' ';
  const std::uint64_t c2 = x == 0 ? '0' : neg ? '-' : ' ';
  const std::uint64_t first = 0x20 | (c1 << 8) | (c2 << 16) | (body << 24);
  const std::uint64_t second = (body >> 40) | 0x2020202020000000ull;
  std::memcpy(out, &first, 8);
  std::memcpy(out + 8, &second, 8);
  return true;
}

void listDouble(std::string& out, double value) {
  if (value == 0.0) return editE(out, value, 24, 15, -1, 1);
  editG(out, value, 24, 15, -1, 1);
}

}  // namespace parvela::fortran
