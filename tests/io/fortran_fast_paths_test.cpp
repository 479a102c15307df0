// The engine's fast paths against its general routines: reading reals,
// rounding values for output, and the progress of a long read. Every
// result must be the same bits and the same characters.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/progress.h"
#include "io/fortran_io.h"

using namespace parvela;
using Status = ListReader::Status;

namespace {

// Runs fn with the fast paths off, then restores them.
template <class F>
auto general(F fn) {
  setFastPaths(false);
  struct Restore {
    ~Restore() { setFastPaths(true); }
  } restore;
  return fn();
}

std::string chars(double x, std::chars_format f, int prec) {
  char buf[512];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, x, f, prec).ptr);
}

// Tokens of every shape a data file may hold, with the hard cases of
// rounding: decimals next to and exactly at the midpoints between floats,
// long digit strings, subnormals, magnitudes past single precision, and
// malformed tokens the general parse must reject the same way.
std::vector<std::string> tokens(std::size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::vector<std::string> t = {"0",      "-0.",        "+.0e5",     "0.99999994", "0.999999970198", "1e-45",
                                "1.4e-45", "7e-46",     "1.17549435e-38", "1.1754942e-38", "3.4028235e38",
                                "3.40282357e38", "3.4028236e38", "-1e39", "9999999999999999999", "99999999999999999999",
                                "0.00000000000000000000000123", "16777217", "16777216.5", "33554433", "1.5D+3",
                                "2.5-3",  "-7.e+22",    "1e23",      "1.e-22",     "5E-23",          "12345678901234567890e-10"};
  const char* bad[] = {"1.5e", "1.5e+", "1.2.3", "--1", "1e5x", "+", ".", "-.e1", "1e+-2", "0x10", "1,5e"};
  while (t.size() < count) {
    const std::uint32_t r = bits(rng);
    const float f = std::bit_cast<float>(bits(rng) & 0x7FFFFFFFu);
    if (!std::isfinite(f)) continue;
    const double x = f;
    const double up = std::nextafter(f, INFINITY);
    std::string s;
    switch (t.size() % 8) {
      case 0:  // the shortest round trip
        s = chars(x, std::chars_format::general, 9);
        break;
      case 1:  // the exact midpoint, cut to some digits
        s = chars((x + up) / 2, std::chars_format::scientific, static_cast<int>(r % 19));
        break;
      case 2:  // plain fixed decimals of a moderate value
        s = chars(std::ldexp(static_cast<double>(r % 2000000), -static_cast<int>(bits(rng) % 30)),
                  std::chars_format::fixed, static_cast<int>(bits(rng) % 12));
        break;
      case 3: {  // digits and an exponent chosen directly
        s = std::to_string(bits(rng) % 100000000u);
        if (r % 3 == 0) s.insert(s.size() - std::min<std::size_t>(s.size(), r % 7), ".");
        s += "eEdD"[r % 4];
        s += std::to_string(static_cast<int>(bits(rng) % 61) - 30);
        break;
      }
      case 4:  // an exponent sign without the letter
        s = chars(x, std::chars_format::scientific, static_cast<int>(r % 8));
        s.replace(s.find('e'), 1, "");
        break;
      case 5:  // long digit strings near 2^53 and 19 digits
        s = std::to_string((std::uint64_t{bits(rng)} << 32 | bits(rng)) >> (r % 16));
        if (r % 2) s.insert(1 + r % (s.size() - 1), ".");
        break;
      case 6:
        s = bad[r % std::size(bad)];
        break;
      default:  // values near the decade boundaries
        s = chars(std::pow(10.0, static_cast<int>(r % 80) - 40) * (1 - std::ldexp(1.0, -static_cast<int>(bits(rng) % 30))),
                  std::chars_format::general, 17);
    }
    if (r % 5 == 0 && s[0] != '-' && s[0] != '+') s.insert(0, r % 10 ? "-" : "+");
    t.push_back(s);
  }
  return t;
}

struct ReadResult {
  std::vector<std::uint32_t> bits;
  std::vector<int> statuses;
  std::vector<std::size_t> positions;
  bool operator==(const ReadResult&) const = default;
};

ReadResult readAll(const std::string& text, std::size_t perRead) {
  ReadResult r;
  ListReader in(text);
  for (Status st = Status::Ok; st != Status::End;) {
    std::vector<float> v(perRead, -7.0f);
    st = in.readReals(v);
    for (float x : v) r.bits.push_back(std::bit_cast<std::uint32_t>(x));
    r.statuses.push_back(static_cast<int>(st));
    r.positions.push_back(in.position());
    if (r.statuses.size() > text.size()) break;
  }
  return r;
}

}  // namespace

TEST(FortranFastPaths, ReadingRealsMatchesTheGeneralParse) {
  const std::vector<std::string> t = tokens(40000, 7);
  // One token alone per read, so that a rejected token cannot hide others.
  for (const std::string& tok : t) {
    float fast = -7, slow = -7;
    const bool okFast = readFirstReal(tok, fast);
    const bool okSlow = general([&] { return readFirstReal(tok, slow); });
    ASSERT_EQ(okFast, okSlow) << tok;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(fast), std::bit_cast<std::uint32_t>(slow)) << tok;
  }
  // Whole texts: separators of every kind, rows over several lines, nulls,
  // repeats and slashes between plain values, CR LF line ends.
  const char* seps[] = {" ", "  ", "\t", ",", " , ", "\n", "\r\n", ",,", " 2*", " 3*1.5 ", " / "};
  std::mt19937 rng(11);
  std::string text;
  for (std::size_t k = 0; k < t.size(); ++k) {
    text += t[k];
    text += rng() % 4 ? " " : seps[rng() % std::size(seps)];
    if (k % 9 == 8) text += k % 2 ? "\n" : "\r\n";
  }
  for (std::size_t perRead : {1u, 7u, 64u}) {
    const ReadResult fast = readAll(text, perRead);
    const ReadResult slow = general([&] { return readAll(text, perRead); });
    ASSERT_EQ(fast.statuses, slow.statuses) << perRead;
    ASSERT_EQ(fast.positions, slow.positions) << perRead;
    ASSERT_EQ(fast.bits, slow.bits) << perRead;
  }
}

TEST(FortranFastPaths, RoundingForOutputMatchesTheGeneralRoutine) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::vector<float> floats = {0.0f, -0.0f, 0.99999994f, 0.099999994f, 9999999.0f, 9999999.5f, 999999.94f,
                               99999.995f, 1.0e7f, 0.5f, 0.25f, 1.25f, 2.5f, 1e-10f, std::ldexp(1.0f, -149),
                               std::ldexp(1.0f, -126), 3.4028235e38f, INFINITY, -INFINITY, NAN};
  for (int p = -45; p <= 38; ++p) {  // the neighbours of every power of ten
    const float f = static_cast<float>(std::pow(10.0, p));
    floats.insert(floats.end(), {std::nextafter(f, 0.0f), f, std::nextafter(f, INFINITY)});
  }
  while (floats.size() < 30000) {
    const std::uint32_t r = bits(rng);
    if (r % 3 == 0) {
      floats.push_back(std::bit_cast<float>(bits(rng)));  // any bits, NaN and subnormals included
    } else if (r % 3 == 1) {  // exact decimal ties of few digits
      floats.push_back(std::ldexp(static_cast<float>(bits(rng) % 4000000), -static_cast<int>(bits(rng) % 24)));
    } else {
      floats.push_back(static_cast<float>((r & 8 ? -1 : 1) * std::pow(10.0, (bits(rng) % 2000) / 100.0 - 10)));
    }
  }
  const char* formats[] = {"(1PG15.7)", "(G15.7)", "(1pE15.7)", "(1pe10.3)", "(e12.4)", "(1pg11.3)",
                           "(F12.4)",   "(g9.1)",  "(1pE24.15)", "(G24.15)", "(-2pE14.6)", "(3pg14.6)"};
  TextUnit fastUnit, slowUnit;
  auto emit = [&](TextUnit& u) {
    for (float f : floats) {
      for (const char* fmt : formats) u.write(fmt, {f});
      u.print({f, static_cast<double>(f) / 3});  // the free format of a float and of a double
    }
    std::mt19937_64 r64(5);
    for (int k = 0; k < 5000; ++k) {
      const double d = std::bit_cast<double>(r64());
      u.write("(1PG24.15, 1pE14.6, G15.7)", {d, d, d});
    }
  };
  emit(fastUnit);
  general([&] {
    emit(slowUnit);
    return 0;
  });
  const std::string& a = fastUnit.text();
  const std::string& b = slowUnit.text();
  ASSERT_EQ(a.size(), b.size());
  if (a != b) {
    std::size_t at = 0;
    while (a[at] == b[at]) ++at;
    const std::size_t from = a.rfind('\n', at) + 1;
    FAIL() << "fast [" << a.substr(from, a.find('\n', at) - from) << "] general ["
           << b.substr(from, b.find('\n', at) - from) << "]";
  }
  // As the report has always written them.
  EXPECT_EQ(formatRecord("(1PG15.7)", {0.99999994f}), "  0.9999999    ");  // decided on the rounded value
  EXPECT_EQ(formatRecord("(1PG15.7)", {9999999.5f}), "  1.0000000E+07");
  EXPECT_EQ(formatRecord("(1PG15.7)", {-2.5f}), "  -2.500000    ");
}

namespace {

struct CountingMonitor : WorkMonitor {
  std::vector<Progress> seen;
  std::size_t stopAt = 0;  // cancel at this checkpoint (1-based), 0: never
  void progress(const Progress& p) override { seen.push_back(p); }
  bool cancelRequested() override { return stopAt != 0 && seen.size() >= stopAt; }
};

}  // namespace

TEST(FortranFastPaths, LongReadsReportProgressAndCanBeStopped) {
  // 400 rows of 300 values (a little under 1 MB), some of them through the
  // general steps (commas, repeats), one read per row.
  std::string text;
  for (int i = 0; i < 400; ++i) {
    for (int j = 0; j < 300; ++j) text += (j % 50 == 7) ? "2*0.25, " : "-1.2345 ";
    text += "\n";
  }
  constexpr std::size_t kStep = 64 * 1024;
  CountingMonitor m;
  {
    MonitorScope scope(&m);
    ListReader r(text);
    r.reportProgress(kStep);
    std::vector<float> row(300);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(r.readReals(row), Status::Ok);
  }
  ASSERT_GE(m.seen.size(), text.size() / kStep - 1);
  ASSERT_LE(m.seen.size(), text.size() / kStep + 1);
  for (std::size_t k = 0; k < m.seen.size(); ++k) {
    EXPECT_EQ(m.seen[k].stage, Stage::Reading);
    EXPECT_EQ(m.seen[k].total, static_cast<std::int64_t>(text.size()));
    // About one every step, never two within half of one.
    EXPECT_GE(m.seen[k].done, static_cast<std::int64_t>((k + 1) * kStep));
    if (k > 0) {
      EXPECT_GE(m.seen[k].done - m.seen[k - 1].done, static_cast<std::int64_t>(kStep));
    }
    EXPECT_LT(m.seen[k].done, static_cast<std::int64_t>((k + 1) * kStep + 64));
  }

  // Without reportProgress a reader stays silent; with it, a stop request
  // ends the read by the exception.
  CountingMonitor quiet;
  {
    MonitorScope scope(&quiet);
    ListReader r(text);
    std::vector<float> all(400 * 300);
    EXPECT_EQ(r.readReals(all), Status::Ok);
  }
  EXPECT_TRUE(quiet.seen.empty());
  CountingMonitor stop;
  stop.stopAt = 3;
  {
    MonitorScope scope(&stop);
    ListReader r(text);
    r.reportProgress(kStep);
    std::vector<float> all(400 * 300);
    EXPECT_THROW(r.readReals(all), WorkCancelled);
  }
  EXPECT_EQ(stop.seen.size(), 3u);
}

TEST(FortranFastPaths, FloatFieldsMatchTheGeneralRoutineOnAMillionValues) {
  // Any bits, then the hard cases of each decimal place from 10^-45 to
  // 10^38: its power of ten and the values that round up to it at 7 and
  // at fewer digits, with their neighbours; and exact ties of the last
  // digit kept.
  std::mt19937 rng(11);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::vector<float> v(1000000);
  for (float& f : v) f = std::bit_cast<float>(bits(rng));
  for (int p = -45; p <= 38; ++p) {
    for (const double m : {1.0, 0.99999995, 0.9999995, 0.999995, 0.99995, 0.9995, 0.995}) {
      float f = static_cast<float>(m * std::pow(10.0, p));
      for (int u = 0; u < 3; ++u) f = std::nextafter(f, 0.0f);
      for (int u = 0; u < 7; ++u, f = std::nextafter(f, INFINITY)) v.insert(v.end(), {f, -f});
    }
  }
  for (int j = 0; j < 24; ++j) {
    for (std::uint32_t t = 1; t < 4000; t += 37) v.push_back(std::ldexp(static_cast<float>(t * 5 + 1), -j));
  }
  std::vector<FItem> items(v.begin(), v.end());
  const auto emit = [&] {
    TextUnit u;
    for (std::size_t i = 0; i < v.size(); i += 7) {  // lines of 5 and 2
      u.print(std::span<const float>(v.data() + i, std::min<std::size_t>(7, v.size() - i)));
    }
    for (const int open : {4, 66, 79}) {  // after a line left open, short or long
      u.write("(a,\\)", {std::string_view(std::string(static_cast<std::size_t>(open), 'x'))});
      u.print(std::span<const float>(v.data(), 6));
    }
    u.write("(5(1pG15.7))", items);
    u.write("(1P,3(G12.6,E8.2,G11.3,1pG11.4,E14.6,E10.3))", std::span<const FItem>(items).first(60000));
    return u.take();
  };
  const std::string fast = emit();
  const std::string slow = general(emit);
  ASSERT_EQ(fast.size(), slow.size());
  for (std::size_t at = 0; at < fast.size(); at = fast.find('\n', at) + 1) {
    const std::size_t end = fast.find('\n', at);
    ASSERT_EQ(fast.compare(at, end - at, slow, at, end - at), 0)
        << "fast [" << fast.substr(at, end - at) << "]\ngeneral [" << slow.substr(at, end - at) << "]";
  }
}
