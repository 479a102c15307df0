// The io group: "Citeste" of a data file with a general matrix of order n
// and one right-hand side (about 30 MB at n = 2000), and the free-format
// write of an n x n matrix (4 million values in 1P,G15.7 at n = 2000).
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench.h"
#include "core/kernel_runtime.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/fortran_io.h"
#include "io/reader.h"
#include "io/report.h"

namespace fs = std::filesystem;
using namespace parvela;

namespace {

// Values with four decimals in [-10, 10): about 7.5 bytes each with the
// blank, as a data file written by hand or by another program holds them.
std::string dataText(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> v(-99999, 99999);
  std::string t = "Sistem general n = " + std::to_string(n) + "\n" + std::to_string(n) + " 1\n";
  t.reserve(static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(n) * 8 + 64);
  char buf[32];
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j < n; ++j) {
      const int x = v(rng);
      const int a = x < 0 ? -x : x;
      std::snprintf(buf, sizeof buf, "%s%d.%04d", x < 0 ? "-" : "", a / 10000, a % 10000);
      t += buf;
      t += j + 1 < n ? ' ' : '\n';
    }
  }
  return t;
}

// The bare floor of parsing: every blank-separated token through
// std::from_chars, no rules of the free format.
void parseTokens(std::string_view t, std::vector<float>& out) {
  out.clear();
  const char* p = t.data();
  const char* end = p + t.size();
  while (p < end && *p != '\n') ++p;  // title
  while (p < end) {
    while (p < end && (*p == ' ' || *p == '\n')) ++p;
    if (p >= end) break;
    float x;
    const auto r = std::from_chars(p, end, x);
    if (r.ec != std::errc()) {
      ++p;
      continue;
    }
    out.push_back(x);
    p = r.ptr;
  }
}

void runIo(int n, int reps) {
  const fs::path dir = fs::temp_directory_path() / ("parvela-bench-io-" + std::to_string(n));
  fs::create_directories(dir);
  const fs::path file = dir / "date.dat";
  const std::string text = dataText(n, 12345u + static_cast<unsigned>(n));
  std::ofstream(file, std::ios::binary) << text;

  ProblemState& s = problem();
  s.problemKind = ProblemKind::System;
  s.matrixKind = MatrixKind::General;
  s.inputSource = InputSource::DataFile;
  s.invertElements = false;
  s.methodIndex = 1;
  DataFile& df = InputDataFile();

  std::vector<float> tokens;
  tokens.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n + 1));
  // One thread, then two as the program reads where the machine has them.
  for (int threads : {1, 2}) {
    kernels::setThreadCount(threads);
    bench::row(threads == 1 ? "Citeste, " + std::to_string(text.size() / 1000000.0).substr(0, 4) + " MB file"
                            : std::string("Citeste, 2 threads"),
               n, "from_chars token loop",
               bench::compare(
                   reps, [&] { df.select(file.string()); },
                   [&] {
                     READINPUTFILE();
                     if (!s.dataRead || s.n != n) throw std::runtime_error("the bench data file was not read");
                   },
                   [&] { parseTokens(text, tokens); }));
  }
  kernels::setThreadCount(1);

  // The matrix just read, written as the report prints it: one free-format
  // statement per row.
  const std::vector<float> A = s.A;
  TextUnit& out = ReportFile();
  std::vector<char> sink;
  const double values = static_cast<double>(n) * n;
  bench::row("write " + std::to_string(static_cast<long>(values / 1e6 * 100) / 100.0).substr(0, 4) +
                 "M values, 1P,G15.7 (rows)",
             n, "snprintf %15.6E",
             bench::compare(
                 reps, [&] { out.clear(); },
                 [&] { printRows(n, n, A.data(), false); },
                 [&] {
                   sink.resize(A.size() * 15 + 1);
                   char* p = sink.data();
                   for (float x : A) p += std::snprintf(p, 16, "%15.6E", static_cast<double>(x));
                 }));
  out.clear();
  // The same values through a formatted write, five to a record.
  std::vector<FItem> items(A.begin(), A.end());
  bench::row("write, format (5(1pG15.7))", n, "",
             bench::compare(
                 reps, [&] { out.clear(); }, [&] { out.write("(5(1pG15.7))", items); }, nullptr));
  out.clear();
  df.deselect();
  fs::remove_all(dir);
}

bench::Register reg("io", &runIo);

}  // namespace
