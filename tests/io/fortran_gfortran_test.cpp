// Cross-checks of the Fortran I/O engine against gfortran: the same values
// are written (and read) by a small Fortran program and by the engine, and
// the results must agree character for character (bit for bit on input).
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "io/fortran_io.h"

namespace fs = std::filesystem;
using namespace parvela;

namespace {

bool haveGfortran() {
  static const bool ok = std::system("gfortran --version > /dev/null 2>&1") == 0;
  return ok;
}

// A scratch directory removed at the end of the test.
struct TempDir {
  fs::path path;
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "parvela-fortran-XXXXXX").string();
    path = mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  void put(const std::string& name, const std::string& text) const { std::ofstream(path / name, std::ios::binary) << text; }
  std::string get(const std::string& name) const {
    std::ifstream in(path / name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
};

// Compiles and runs `source` in `dir`; its standard output goes to out.txt.
bool runFortran(const TempDir& dir, const std::string& source) {
  dir.put("prog.f90", source);
  const std::string cmd = "cd '" + dir.path.string() + "' && gfortran -O0 prog.f90 -o prog > build.log 2>&1 && ./prog > out.txt";
  return std::system(cmd.c_str()) == 0;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) v.push_back(s);
  return v;
}

std::string hex(std::uint64_t v, int digits) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
  return buf;
}

std::vector<float> sampleFloats() {
  std::mt19937 rng(20240611);
  std::vector<float> v = {0.0f, -0.0f, 1.0f, -1.0f, 0.05f, 0.1f, -0.1f, 0.099999994f, 0.75f, 0.9166667f,
                          1.0e-4f, 1.0e-6f, 1.2f, 9999999.0f, 1.0e7f, 999999.94f, 0.09999999f, 123456.5f,
                          std::ldexp(1.0f, -12), std::ldexp(1.0f, -149), std::numeric_limits<float>::max(),
                          std::numeric_limits<float>::min(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
  // Any bit pattern but NaN: every magnitude, subnormals included.
  std::uniform_int_distribution<std::uint32_t> bits;
  while (v.size() < 600) {
    const float x = std::bit_cast<float>(bits(rng));
    if (!std::isnan(x)) v.push_back(x);
  }
  // Magnitudes where G switches between fixed and exponent form.
  std::uniform_real_distribution<double> expo(-4.0, 9.0);
  std::bernoulli_distribution neg(0.3);
  for (int i = 0; i < 1200; ++i) {
    const float x = static_cast<float>(std::pow(10.0, expo(rng)));
    v.push_back(neg(rng) ? -x : x);
  }
  // Short binary fractions: exact decimal ties at many rounding positions.
  std::uniform_int_distribution<int> mant(1, 2000000), shift(0, 24);
  for (int i = 0; i < 1200; ++i) v.push_back(std::ldexp(static_cast<float>(mant(rng)), -shift(rng)));
  return v;
}

// gfortran picks between the fixed and the exponent form of Gw.d (and the
// decimals of the fixed form) with arithmetic in the value's own precision,
// which near a decade boundary can disagree with the correctly rounded value
// (a float 999999.94 comes out as "1000000." under G15.7, the same value as
// a double as "999999.9"). The engine decides on the value rounded to d
// significant digits. These two functions give both choices: the decimals
// of the fixed form, or -1 for the exponent form.
template <class T>
int gfortranGDecimals(T m, int d) {
  auto p10 = [](int k) {
    T r = 1;
    for (int i = 0; i < std::abs(k); ++i) r *= 10;
    return k >= 0 ? r : T(1) / r;
  };
  const T r = 0.5;
  const T expD = p10(d);
  const T rsc = 1 - r / expD;
  volatile T temp = 0.1 * rsc;
  if (m < temp || r >= expD - m) return -1;
  int low = 0, high = d + 1, lbound = 0, ubound = d + 1, mid = 0;
  while (low <= high) {
    mid = (low + high) / 2;
    temp = p10(mid - 1) * rsc;
    if (m < temp) {
      ubound = mid;
      if (ubound == lbound + 1) break;
      high = mid - 1;
    } else if (m > temp) {
      lbound = mid;
      if (ubound == lbound + 1) {
        mid++;
        break;
      }
      low = mid + 1;
    } else {
      mid++;
      break;
    }
  }
  return d + 1 - mid;
}

int roundedGDecimals(double m, int d) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, m, std::chars_format::scientific, d - 1);
  *res.ptr = '\0';
  const int s = std::atoi(std::strchr(buf, 'e') + 1) + 1;
  return (s < 0 || s > d) ? -1 : d - s;
}

// True when `fmt` is a G descriptor on which gfortran's decision for this
// value differs from the rounded-value rule.
template <class T>
bool gfortranGQuirk(const std::string& fmt, T x) {
  const auto g = fmt.find_first_of("Gg");
  if (g == std::string::npos || x == 0 || !std::isfinite(x)) return false;
  const int d = std::atoi(fmt.c_str() + fmt.find('.') + 1);
  const T m = std::fabs(x);
  return gfortranGDecimals<T>(m, d) != roundedGDecimals(static_cast<double>(m), d);
}

}  // namespace

TEST(FortranGfortran, FormattedRealsMatchGfortran) {
  if (!haveGfortran()) GTEST_SKIP() << "gfortran not installed";
  const std::vector<std::string> floatFormats = {"G15.7",  "1PG15.7", "1pg12.6", "1pg11.4", "1pg11.3", "1pE10.3",
                                                 "1pE8.2", "E15.7",   "e10.4",   "1PE15.7", "g9.4",    "F12.4",
                                                 "1pe14.6", "0pG12.5", "e9.4", "G7.2"};
  const std::vector<std::string> doubleFormats = {"1pE14.6", "1PG24.15", "E24.15", "G15.7"};
  const std::vector<float> floats = sampleFloats();
  std::vector<double> doubles = {1.0e300, -1.0e-300, 0.0, -0.0, 1.0e100, 9.9999999999e99, 5.0e-324, 1.0 / 3.0};
  std::mt19937_64 rng(7);
  while (doubles.size() < 500) {
    const double x = std::bit_cast<double>(rng());
    if (!std::isnan(x)) doubles.push_back(x);
  }
  for (float f : floats) doubles.push_back(static_cast<double>(f) * 1.000001);

  TempDir dir;
  std::string ffile, dfile, fmts;
  for (float f : floats) ffile += hex(std::bit_cast<std::uint32_t>(f), 8) + "\n";
  for (double d : doubles) dfile += hex(std::bit_cast<std::uint64_t>(d), 16) + "\n";
  fmts += std::to_string(floatFormats.size()) + " " + std::to_string(doubleFormats.size()) + "\n";
  for (const auto& f : floatFormats) fmts += f + "\n";
  for (const auto& f : doubleFormats) fmts += f + "\n";
  dir.put("f.txt", ffile);
  dir.put("d.txt", dfile);
  dir.put("fmts.txt", fmts);
  ASSERT_TRUE(runFortran(dir, R"(
program xc
  implicit none
  integer :: nf, nd, k, ios
  character(len=32) :: ff(32), df(32)
  integer(4) :: ib
  integer(8) :: lb
  real(4) :: x
  real(8) :: y
  open(10, file='fmts.txt', status='old')
  read(10, *) nf, nd
  do k = 1, nf
    read(10, '(a)') ff(k)
  end do
  do k = 1, nd
    read(10, '(a)') df(k)
  end do
  open(11, file='f.txt', status='old')
  do
    read(11, '(z8)', iostat=ios) ib
    if (ios /= 0) exit
    x = transfer(ib, x)
    do k = 1, nf
      write(*, '(' // trim(ff(k)) // ')') x
    end do
  end do
  open(12, file='d.txt', status='old')
  do
    read(12, '(z16)', iostat=ios) lb
    if (ios /= 0) exit
    y = transfer(lb, y)
    do k = 1, nd
      write(*, '(' // trim(df(k)) // ')') y
    end do
  end do
end program
)")) << dir.get("build.log");

  const std::vector<std::string> want = lines(dir.get("out.txt"));
  ASSERT_EQ(want.size(), floats.size() * floatFormats.size() + doubles.size() * doubleFormats.size());
  std::size_t line = 0, failures = 0, quirks = 0;
  auto check = [&](const std::string& fmt, FItem item, const std::string& shown, bool quirk) {
    const std::string got = formatRecord("(" + fmt + ")", {item});
    if (quirk) {
      ++quirks;
    } else if (got != want[line] && ++failures <= 20) {
      ADD_FAILURE() << fmt << " of " << shown << ": got [" << got << "] gfortran [" << want[line] << "]";
    }
    ++line;
  };
  for (float f : floats) {
    for (const auto& fmt : floatFormats) {
      check(fmt, f, hex(std::bit_cast<std::uint32_t>(f), 8), gfortranGQuirk(fmt, f));
    }
  }
  for (double d : doubles) {
    for (const auto& fmt : doubleFormats) {
      check(fmt, d, hex(std::bit_cast<std::uint64_t>(d), 16), gfortranGQuirk(fmt, d));
    }
  }
  EXPECT_EQ(failures, 0u);
  EXPECT_LT(quirks, 50u) << "values left out as gfortran precision artefacts";
}

TEST(FortranGfortran, IntegersAndLayoutsMatchGfortran) {
  if (!haveGfortran()) GTEST_SKIP() << "gfortran not installed";
  std::vector<std::int32_t> ints = {0, 1, -1, 9, 10, -9, -10, 99, 100, 999, -999, 1000, 123456789,
                                    std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> digits(0, 9);
  while (ints.size() < 300) {
    const int nd = digits(rng) + 1;
    std::int64_t v = 0;
    for (int i = 0; i < nd; ++i) v = v * 10 + digits(rng);
    ints.push_back(static_cast<std::int32_t>((ints.size() % 3 == 0) ? -v : v));
  }
  TempDir dir;
  std::string ifile;
  for (std::int32_t i : ints) ifile += std::to_string(i) + "\n";
  dir.put("i.txt", ifile);
  // Mixed layouts of the report: scale factor carried along a format,
  // position editing, literals, repeated groups and reversion.
  ASSERT_TRUE(runFortran(dir, R"(
program xi
  implicit none
  integer :: i, w, ios
  character(len=16) :: f
  open(11, file='i.txt', status='old')
  do
    read(11, *, iostat=ios) i
    if (ios /= 0) exit
    do w = 1, 12
      write(f, '(a,i0,a)') '(I', w, ')'
      write(*, f) i
    end do
    write(*, '(i6.3, "|", i0)') i, i
    write(*, '(a, 1p, e10.3, a, I3)') 'Toleranta: eps = ', real(i)*1e-4, ';  nlim =', i
    write(*, '(/, a, I4, a, 1p, g15.7, a, 1p, g11.3)') ' Linia ', i, ': Pivot =', real(i)/7.0, ' <', 1e-8
    write(*, '(i3, t6, 1pg15.7, tr2, a, t2, "#")') i, 1.0/real(i), 'x'
    write(*, '(2(i4, 1pe11.3e3), :, " end")') i, real(i), -i, -real(i)*1e20, 7
  end do
end program
)")) << dir.get("build.log");
  const std::vector<std::string> want = lines(dir.get("out.txt"));
  TextUnit unit;
  for (std::int32_t i : ints) {
    for (int w = 1; w <= 12; ++w) unit.write(fillWidths("(I<>)", {w}), {i});
    unit.write("(i6.3, \"|\", i0)", {i, i});
    const float fi = static_cast<float>(i);
    unit.write("(a, 1p, e10.3, a, I3)", {"Toleranta: eps = ", fi * 1e-4f, ";  nlim =", i});
    unit.write("(/, a, I4, a, 1p, g15.7, a, 1p, g11.3)", {" Linia ", i, ": Pivot =", fi / 7.0f, " <", 1e-8f});
    unit.write("(i3, t6, 1pg15.7, tr2, a, t2, \"#\")", {i, 1.0f / fi, "x"});
    unit.write("(2(i4, 1pe11.3e3), :, \" end\")", {i, fi, -i, -fi * 1e20f, 7});
  }
  const std::vector<std::string> got = lines(unit.text());
  ASSERT_EQ(got.size(), want.size());
  std::size_t failures = 0;
  for (std::size_t k = 0; k < got.size() && failures < 20; ++k) {
    if (got[k] != want[k]) {
      ++failures;
      ADD_FAILURE() << "line " << k + 1 << ": got [" << got[k] << "] gfortran [" << want[k] << "]";
    }
  }
}
