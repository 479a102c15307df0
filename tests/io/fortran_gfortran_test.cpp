// Cross-checks of the Fortran I/O engine against gfortran: the same values
// are written (and read) by a small Fortran program and by the engine, and
// the results must agree character for character (bit for bit on input).
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "io/fortran_io.h"

namespace fs = std::filesystem;
using namespace parvela;

namespace {

bool haveGfortran() {
  static const bool ok = std::system("gfortran --version > /dev/null 2>&1") == 0;
  return ok;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) v.push_back(s);
  return v;
}

// Compiles and runs `source` in a scratch directory holding `files`; the
// lines of its standard output.
std::vector<std::string> runFortran(const std::vector<std::pair<std::string, std::string>>& files,
                                    const std::string& source) {
  std::string tmpl = (fs::temp_directory_path() / "parvela-fortran-XXXXXX").string();
  const fs::path dir = mkdtemp(tmpl.data());
  for (const auto& [name, text] : files) std::ofstream(dir / name, std::ios::binary) << text;
  std::ofstream(dir / "prog.f90") << source;
  const std::string cmd = "cd '" + dir.string() + "' && gfortran prog.f90 -o prog > log.txt 2>&1 && ./prog > out.txt";
  const bool ok = std::system(cmd.c_str()) == 0;
  std::stringstream out;
  out << std::ifstream(dir / (ok ? "out.txt" : "log.txt")).rdbuf();
  fs::remove_all(dir);
  if (!ok) ADD_FAILURE() << "Fortran program failed:\n" << out.str();
  return ok ? lines(out.str()) : std::vector<std::string>{};
}

// Line by line; a line "?" in `got` is not compared.
void expectSameLines(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  ASSERT_EQ(got.size(), want.size());
  int failures = 0;
  for (std::size_t k = 0; k < got.size() && failures < 20; ++k) {
    if (got[k] != "?" && got[k] != want[k]) {
      ++failures;
      ADD_FAILURE() << "line " << k + 1 << ": got [" << got[k] << "] gfortran [" << want[k] << "]";
    }
  }
}

std::string hex(std::uint64_t v, int digits) {
  std::string s(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[v & 15];
  return s;
}

// gfortran picks between the fixed and the exponent form of Gw.d (and the
// decimals of the fixed form) with arithmetic in the value's own precision,
// which near a decade boundary can disagree with the correctly rounded value
// (a float 999999.94 comes out as "1000000." under G15.7, the same value as
// a double as "999999.9"). The engine decides on the value rounded to d
// significant digits. True when the two choices differ for this value.
template <class T>
bool gfortranGQuirk(const std::string& fmt, T x) {
  if (fmt.find_first_of("Gg") == std::string::npos || x == 0 || !std::isfinite(x)) return false;
  const int d = std::atoi(fmt.c_str() + fmt.find('.') + 1);
  const T m = std::fabs(x);
  auto p10 = [](int k) {
    T r = 1;
    for (int i = 0; i < std::abs(k); ++i) r *= 10;
    return k >= 0 ? r : T(1) / r;
  };
  const T rsc = 1 - T(0.5) / p10(d);
  int gfortran = -1;  // decimals of the fixed form, -1 for the exponent form
  if (!(m < static_cast<T>(0.1 * rsc) || T(0.5) >= p10(d) - m)) {
    int mid = 0;
    while (mid <= d + 1 && !(m < p10(mid - 1) * rsc)) ++mid;
    gfortran = d + 1 - mid;
  }
  char buf[64];
  *std::to_chars(buf, buf + sizeof buf - 1, static_cast<double>(m), std::chars_format::scientific, d - 1).ptr = 0;
  const int s = std::atoi(std::strchr(buf, 'e') + 1) + 1;
  return gfortran != ((s < 0 || s > d) ? -1 : d - s);
}

// Reads `tokens`, five values a read with mixed separators, with the
// engine and with gfortran; every value must come out with the same bits
// and every read with the same status. Some reads continue on the next
// line, some lines end in CR LF or carry extra values to skip.
void expectSameReals(const std::vector<std::string>& tokens) {
  const char* seps[] = {" ", ",", " , ", "\t", "   ", ", "};
  std::string text;
  for (std::size_t i = 0; i + 5 <= tokens.size(); i += 5) {
    for (std::size_t k = i; k < i + 5; ++k) text += tokens[k] + (k == i + 4 ? "" : k % 17 == 3 ? "\n" : seps[k % 6]);
    text += i % 35 == 10 ? " 99 skipped\n" : i % 3 == 0 ? "\r\n" : "\n";
  }
  const std::vector<std::string> want = runFortran({{"reals.txt", text}}, R"(
program rt
  implicit none
  integer :: ios
  real :: v(5)
  open(10, file='reals.txt', status='old')
  do
    v = -7
    read(10, *, iostat=ios) v
    write(*, '(i0, 5(1x, z8.8))') min(ios, 1), v
    if (ios /= 0) exit
  end do
end program
)");
  std::vector<std::string> got;
  ListReader r(text);
  for (ListReader::Status st = ListReader::Status::Ok; st == ListReader::Status::Ok;) {
    float v[5] = {-7, -7, -7, -7, -7};
    st = r.readReals(v);
    std::string s = st == ListReader::Status::Ok ? "0" : st == ListReader::Status::End ? "-1" : "1";
    for (float x : v) s += " " + hex(std::bit_cast<std::uint32_t>(x), 8);
    got.push_back(s);
  }
  expectSameLines(got, want);
}

}  // namespace

TEST(FortranGfortran, FormattedOutputMatchesGfortran) {
  if (!haveGfortran()) GTEST_SKIP() << "gfortran not installed";
  const std::vector<std::string> ffmt = {"G15.7",  "1PG15.7", "1pg12.6", "1pg11.4", "1pg11.3", "1pE10.3",
                                         "1pE8.2", "E15.7",   "e10.4",   "1PE15.7", "g9.4",    "F12.4",
                                         "e9.4",   "G7.2",    "0pG12.5", "1pe14.6"};
  const std::vector<std::string> dfmt = {"1pE14.6", "1PG24.15", "E24.15", "G15.7"};
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<double> expo(-4.0, 9.0);
  std::uniform_int_distribution<int> mant(1, 2000000), shift(0, 24);
  std::vector<float> floats = {0.0f, -0.0f, 0.05f, 0.1f, 0.099999994f, 0.75f, 9999999.0f, 1.0e7f, 999999.94f,
                               std::ldexp(1.0f, -12), std::ldexp(1.0f, -149), 3.4028235e38f, INFINITY, -INFINITY, NAN};
  while (floats.size() < 3000) {
    float x = std::bit_cast<float>(bits(rng));  // any magnitude, subnormals included
    if (floats.size() % 3 == 1) x = static_cast<float>((bits(rng) % 3 ? 1 : -1) * std::pow(10.0, expo(rng)));  // where G changes form
    if (floats.size() % 3 == 2) x = std::ldexp(static_cast<float>(mant(rng)), -shift(rng));  // exact decimal ties
    if (!std::isnan(x)) floats.push_back(x);
  }
  std::vector<double> doubles = {1.0e300, -1.0e-300, 0.0, -0.0, 9.9999999999e99, 5.0e-324, 1.0 / 3.0};
  while (doubles.size() < 600) {
    const double x = std::bit_cast<double>((std::uint64_t{bits(rng)} << 32) | bits(rng));
    if (!std::isnan(x)) doubles.push_back(x);
  }
  std::vector<std::int32_t> ints = {0, -1, 9, -10, 1000, 2147483647, -2147483647 - 1};
  while (ints.size() < 300) ints.push_back(static_cast<std::int32_t>(bits(rng)) >> (bits(rng) % 31));

  std::string ftext, dtext, itext, fmts;
  for (float f : floats) ftext += hex(std::bit_cast<std::uint32_t>(f), 8) + "\n";
  for (double d : doubles) dtext += hex(std::bit_cast<std::uint64_t>(d), 16) + "\n";
  for (std::int32_t i : ints) itext += std::to_string(i) + "\n";
  for (const auto& f : ffmt) fmts += "(" + f + ")\n";
  for (const auto& f : dfmt) fmts += "(" + f + ")\n";
  // Besides the single edits, report layouts mixing integers, reals, scale
  // factors, position editing, literals, repeated groups and reversion.
  const std::vector<std::string> want = runFortran({{"f.txt", ftext}, {"d.txt", dtext}, {"i.txt", itext}, {"fmts.txt", fmts}}, R"(
program xc
  implicit none
  integer :: k, ios, i
  character(len=32) :: ff(16), df(4), f
  integer(4) :: ib
  integer(8) :: lb
  open(10, file='fmts.txt', status='old')
  read(10, '(a)') ff, df
  open(11, file='f.txt', status='old')
  do
    read(11, '(z8)', iostat=ios) ib
    if (ios /= 0) exit
    do k = 1, 16
      write(*, ff(k)) transfer(ib, 1.0)
    end do
  end do
  open(12, file='d.txt', status='old')
  do
    read(12, '(z16)', iostat=ios) lb
    if (ios /= 0) exit
    do k = 1, 4
      write(*, df(k)) transfer(lb, 1.0d0)
    end do
  end do
  open(13, file='i.txt', status='old')
  do
    read(13, *, iostat=ios) i
    if (ios /= 0) exit
    do k = 1, 12
      write(f, '(a,i0,a)') '(I', k, ')'
      write(*, f) i
    end do
    write(*, '(i6.3, "|", i0)') i, i
    write(*, '(a, 1p, e10.3, a, I3)') 'Toleranta: eps = ', real(i)*1e-4, ';  nlim =', i
    write(*, '(/, a, I4, a, 1p, g15.7, a, 1p, g11.3)') ' Linia ', i, ': Pivot =', real(i)/7.0, ' <', 1e-8
    write(*, '(i3, t6, 1pg15.7, tr2, a, t2, "#")') i, 1.0/real(i), 'x'
    write(*, '(2(i4, 1pe11.3e3), :, " end")') i, real(i), -i, -real(i)*1e20, 7
  end do
end program
)");
  if (want.empty()) return;
  std::vector<std::string> got;
  std::size_t quirks = 0;
  auto edit = [&](const std::string& fmt, auto x) {
    const bool quirk = gfortranGQuirk(fmt, x);
    quirks += quirk;
    got.push_back(quirk ? "?" : formatRecord("(" + fmt + ")", {x}));
  };
  for (float f : floats) for (const auto& fmt : ffmt) edit(fmt, f);
  for (double d : doubles) for (const auto& fmt : dfmt) edit(fmt, d);
  TextUnit unit;
  for (std::int32_t i : ints) {
    for (int w = 1; w <= 12; ++w) unit.write(fillWidths("(I<>)", {w}), {i});
    const float fi = static_cast<float>(i);
    unit.write("(i6.3, \"|\", i0)", {i, i});
    unit.write("(a, 1p, e10.3, a, I3)", {"Toleranta: eps = ", fi * 1e-4f, ";  nlim =", i});
    unit.write("(/, a, I4, a, 1p, g15.7, a, 1p, g11.3)", {" Linia ", i, ": Pivot =", fi / 7.0f, " <", 1e-8f});
    unit.write("(i3, t6, 1pg15.7, tr2, a, t2, \"#\")", {i, 1.0f / fi, "x"});
    // Negated with wrap-around, as the Fortran side does for the most negative value.
    const auto minusI = static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(i));
    unit.write("(2(i4, 1pe11.3e3), :, \" end\")", {i, fi, minusI, -fi * 1e20f, 7});
  }
  for (auto& s : lines(unit.text())) got.push_back(std::move(s));
  expectSameLines(got, want);
  EXPECT_LT(quirks, 50u) << "values left out as gfortran precision artefacts";
}

TEST(FortranGfortran, ListDirectedRealsMatchGfortranBitwise) {
  if (!haveGfortran()) GTEST_SKIP() << "gfortran not installed";
  // Tokens in the forms a data file may use: shortest and long digit
  // strings, near-halfway values between neighbouring floats, E/D exponents
  // in both cases, an exponent sign without letter, integers, leading and
  // trailing points, and magnitudes beyond single precision.
  std::vector<std::string> tokens = {"0", "-0", "+0.", ".5", "5.", "-.25e+2", "1.5+3", "1.5-3", "1e39", "-1e39",
                                     "1e-46", "3.4028235e38", "3.4028236e38", "1.4e-45", "0.7e-45", "7.006e-46",
                                     "1D0", "1d-2", "2E+05", "-2147483649", "0.1", "16777217", "12345E-7"};
  std::mt19937 rng(99);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<double> expo(-6.0, 9.0);
  char buf[256];
  while (tokens.size() < 4000) {
    const float f = tokens.size() % 2 ? static_cast<float>(std::pow(10.0, expo(rng))) : std::bit_cast<float>(bits(rng));
    if (!std::isfinite(f)) continue;
    const double x = static_cast<double>(f);
    const int prec = static_cast<int>(bits(rng) % 13);
    std::string s;
    switch (tokens.size() % 5) {
      case 0:
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, f).ptr);  // shortest
        break;
      case 1:
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, prec).ptr);
        break;
      case 2: {  // (nearly) halfway to the next float
        const double mid = (x + static_cast<double>(std::nextafter(f, INFINITY))) / 2;
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, mid, std::chars_format::scientific, prec < 6 ? 60 : prec + 6).ptr);
        break;
      }
      case 3:
        s = std::to_string(bits(rng) % 100000000u);
        break;
      default:
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, prec).ptr);
    }
    if (const auto e = s.find('e'); e != std::string::npos) s[e] = "eEdD"[bits(rng) % 4];
    if (tokens.size() % 7 == 0 && s[0] != '-') s.insert(0, "+");
    tokens.push_back(s);
  }
  expectSameReals(tokens);
}

TEST(FortranGfortran, PlainRealsOfDataFilesMatchGfortranBitwise) {
  if (!haveGfortran()) GTEST_SKIP() << "gfortran not installed";
  // The numbers data files mostly hold, which the reader takes without
  // building text: up to 19 digits, exponents within +-22 (E, D, or a sign
  // alone), decimals next to and at the midpoints between floats, and the
  // edges where it hands over to the general parse (subnormals, the
  // largest float, values rounding past it, long digit strings).
  std::vector<std::string> tokens = {"3.4028234e38", "3.40282356e38", "3.40282357e38", "1.17549435E-38",
                                     "1.1754943e-38", "1.17549421e-38", "0.99999997", "0.999999970198",
                                     "16777216.5",   "16777217",      "16777219",    "9007199254740993",
                                     "9999999999999999999", "0.0000000000000000000000001", "1234567890123456789e-22",
                                     "-4.5", "+.5D1", "7.-2", "8.25+22", "2e22", "2e23"};
  std::mt19937 rng(4242);
  std::uniform_int_distribution<std::uint32_t> bits;
  char buf[128];
  while (tokens.size() < 20000) {
    const std::uint32_t r = bits(rng);
    // Magnitudes from 1e-30 to 1e30, where the plain form is common.
    const float f = static_cast<float>(std::pow(10.0, (bits(rng) % 60000) / 1000.0 - 30));
    const double x = f;
    const double mid = (x + static_cast<double>(std::nextafter(f, INFINITY))) / 2;
    std::string s;
    switch (tokens.size() % 6) {
      case 0:  // the midpoint to 17 digits: exact for most, halfway rounding decides
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, mid, std::chars_format::scientific, 16).ptr);
        break;
      case 1:  // just off the midpoint
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, std::nextafter(mid, (r & 1) ? 0.0 : 1e300),
                                    std::chars_format::scientific, 18).ptr);
        break;
      case 2:  // plain fixed decimals
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, static_cast<double>(r % 20000000) / 10000.0 * ((r >> 30) + 1),
                                    std::chars_format::fixed, static_cast<int>(bits(rng) % 9)).ptr);
        break;
      case 3:  // shortest form
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, f).ptr);
        break;
      case 4:  // digits with an exponent of every written form
        s = std::to_string(bits(rng) % 1000000000u) + (r % 3 == 0 ? "." : "") + std::string(1, "eEdD+-"[r % 6]) +
            std::to_string(static_cast<int>(bits(rng) % 23));
        if (s.find_first_of("+-") == std::string::npos && r % 2) s.insert(s.find_first_of("eEdD") + 1, "-");
        break;
      default:  // a float printed with 9 significant digits
        s.assign(buf, std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 9).ptr);
    }
    if (const auto e = s.find('e'); e != std::string::npos && r % 4 == 1) s[e] = "EdD"[bits(rng) % 3];
    if (r % 7 == 0) s.insert(0, (r >> 8) % 2 ? "-" : "+");
    tokens.push_back(s);
  }
  expectSameReals(tokens);
}

TEST(FortranGfortran, ListDirectedStructureMatchesGfortran) {
  if (!haveGfortran()) GTEST_SKIP() << "gfortran not installed";
  // Each text is read by reads of four integers until the end of the text or
  // the first error (after an error the file position is not comparable).
  const std::vector<std::string> cases = {
      "1,\n2 3 4\n5 6 7 8\n", "1,\n,2 3 4\n",    ",1 2 3\n",          " ,1 2 3 4\n",     "\n\n 1 2 3 4\n",
      "1 2 / 3\n4\n",         "2*5 2*\n1 2 3 4", "1,,3 4,",           "1, , 3 4\n",      "1\t2\t3\t4\r\n5 6 7 8\r\n",
      "1 2 3 2147483648\n",   "1 2 3 1.5\n",     "1 2 3 abc\n",       "1 2\n",           "5*1\n2 2 2 2 \n",
      "1 2 3 4,\n,5,6,7\n",   "1 2 3 0*4\n",     "\n,1 2 3 4\n",      "1 2,\n\n,3 4\n",  "1 2 ,/ 3\n4 5 6 7\n",
      "1 2 3*\n4 5 6 7\n",    "1 2*7,8\n",       "1 2,3*,4\n9 9 9 9", "2*\n",            "* 1 2 3\n",
      "1 2 3 4/\n",           "-2147483648 +0 -0 2147483647\n",    "1\r2 3 4\n",      "  ,  , 3 4\n",
      "1/\n2/\n3 4 5 6 7\n",  "3*2,\n4 5\n",     "1 2 3 4 5 6 7 8 9\n"};
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> got;
  for (const std::string& text : cases) {
    files.emplace_back("c" + std::to_string(files.size() + 1) + ".txt", text);
    ListReader r(text);
    for (ListReader::Status st = ListReader::Status::Ok; st == ListReader::Status::Ok;) {
      std::int32_t v[4] = {-7, -7, -7, -7};
      st = r.readIntegers(v);
      std::string s = st == ListReader::Status::Ok ? "0" : st == ListReader::Status::End ? "-1" : "1";
      for (std::int32_t x : v) s += " " + std::to_string(x);
      got.push_back(s);
    }
  }
  expectSameLines(got, runFortran(files, R"(
program st
  implicit none
  integer :: iv(4), ios, c
  character(len=16) :: fn
  do c = 1, )" + std::to_string(cases.size()) + R"(
    write(fn, '(a,i0,a)') 'c', c, '.txt'
    open(10, file=fn, status='old')
    do
      iv = -7
      read(10, *, iostat=ios) iv
      write(*, '(i0, 4(1x, i0))') min(ios, 1), iv
      if (ios /= 0) exit
    end do
    close(10)
  end do
end program
)"));
}
