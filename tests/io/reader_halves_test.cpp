// A general matrix read by two threads (the second half on the guess of one
// plain line per row) must give exactly what one thread reading row after
// row gives, for every layout: the matrix, the right-hand sides, the
// message, and where the report goes.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/progress.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/fortran_io.h"
#include "io/read_diagnosis.h"
#include "io/reader.h"
#include "recording_platform.h"

namespace parvela {
namespace {

using testing::readFile;
using testing::RecordingPlatform;
using testing::TempDir;
using testing::writeFile;

struct Outcome {
  std::vector<std::uint32_t> a, b;
  bool dataRead = false;
  std::vector<std::string> messages;
  std::vector<std::string> said;  // where the read stopped, its warnings
  std::string fileAfterReport;
};

void expectSame(const Outcome& got, const Outcome& want, const std::string& label) {
  EXPECT_EQ(got.dataRead, want.dataRead) << label;
  EXPECT_EQ(got.messages, want.messages) << label;
  EXPECT_EQ(got.said, want.said) << label;
  EXPECT_TRUE(got.a == want.a) << label << ": the matrix differs";
  EXPECT_TRUE(got.b == want.b) << label << ": the right-hand sides differ";
  EXPECT_TRUE(got.fileAfterReport == want.fileAfterReport) << label << ": the report lands elsewhere";
}

std::vector<std::uint32_t> bitsOf(const std::vector<float>& v) {
  std::vector<std::uint32_t> r;
  for (float x : v) r.push_back(std::bit_cast<std::uint32_t>(x));
  return r;
}

Outcome readWith(int threads, bool fast, const std::string& text, TempDir& dir) {
  problem() = ProblemState{};
  INITIALIZEDATA();
  problem().methodIndex = 1;
  RecordingPlatform box;
  const std::string path = dir.file("data.dat");
  writeFile(path, text);
  kernels::setThreadCount(threads);
  setFastPaths(fast);
  EXPECT_TRUE(InputDataFile().select(path));
  READINPUTFILE();
  setFastPaths(true);
  kernels::setThreadCount(2);
  Outcome o;
  o.dataRead = problem().dataRead;
  if (o.dataRead) {
    o.a = bitsOf(problem().A);
    o.b = bitsOf(problem().B);
    InputDataFile().writeReport("Raport\n");
  }
  for (const auto& m : box.messages) o.messages.push_back(m.text);
  if (const ReadReport& r = lastReadReport(); r.stop) o.said.push_back(r.stop->text);
  for (const auto& w : lastReadReport().warnings) o.said.push_back(w);
  o.fileAfterReport = readFile(path);
  InputDataFile().deselect();
  return o;
}

// Order n, one right-hand side, one row a line; `edit` changes the lines.
std::string layout(int n, unsigned seed, const std::function<void(std::vector<std::string>&)>& edit) {
  std::mt19937 rng(seed);
  std::vector<std::string> lines = {"Titlu", std::to_string(n) + " 1"};
  for (int i = 0; i <= n; ++i) {
    std::string l;
    for (int j = 0; j < n; ++j) {
      l += std::to_string(static_cast<int>(rng() % 20001) - 10000) + (rng() % 3 ? "." : "e-") + std::to_string(rng() % 12);
      l += j + 1 < n ? (rng() % 9 ? " " : "\t ") : "";
    }
    lines.push_back(l);
  }
  edit(lines);
  std::string t;
  for (const auto& l : lines) t += l + "\n";
  return t;
}

}  // namespace

TEST(ReaderHalves, TwoThreadsReadEveryLayoutAsOne) {
  TempDir dir("reader-halves");
  const int n = 101;  // rows 0..49 in the first half, lines from index 2
  const int second = 2 + n / 2 + 10, first = 2 + 10;
  using Lines = std::vector<std::string>;
  const std::vector<std::pair<const char*, std::function<void(Lines&)>>> cases = {
      {"plain", [](Lines&) {}},
      {"extra values at line ends", [&](Lines& l) { l[second] += " 7 8 9 / x"; }},
      {"a row over two lines, second half", [&](Lines& l) {
         const auto cut = l[second].find(' ', l[second].size() / 2);
         l.insert(l.begin() + second + 1, l[second].substr(cut + 1));
         l[second].resize(cut);
       }},
      {"a row over two lines, first half", [&](Lines& l) {
         const auto cut = l[first].find(' ', 10);
         l.insert(l.begin() + first + 1, l[first].substr(cut + 1));
         l[first].resize(cut);
       }},
      {"two rows on one line, first half", [&](Lines& l) {
         l[first] += " " + l[first + 1];
         l.erase(l.begin() + first + 1);
         l.insert(l.begin() + first + 1, l[first].substr(0, l[first].find(' ')));  // one value, read as a row start
       }},
      {"blank line, second half", [&](Lines& l) { l.insert(l.begin() + second, "   "); }},
      {"blank line, first half", [&](Lines& l) { l.insert(l.begin() + first, ""); }},
      {"comma and null, second half", [&](Lines& l) { l[second].replace(l[second].find(' '), 1, ",,"); }},
      {"repeat count, second half", [&](Lines& l) { l[second] = "2*1.5 " + l[second].substr(l[second].find(' ', l[second].find(' ') + 1) + 1); }},
      {"slash, second half", [&](Lines& l) { l[second] = "4 5 /"; }},
      {"bad value, second half", [&](Lines& l) { l[second].replace(0, 1, "x"); }},
      {"bad value, first half", [&](Lines& l) { l[first].replace(0, 1, "x"); }},
      {"ends in the second half", [&](Lines& l) { l.resize(second); }},
      {"ends in the first half", [&](Lines& l) { l.resize(first); }},
      {"ends at the last row", [&](Lines& l) { l.resize(2 + n); }},
      {"CR LF line ends", [](Lines& l) { for (auto& x : l) x += "\r"; }},
      {"CR LF in the second half only", [&](Lines& l) { for (int i = second; i < static_cast<int>(l.size()); ++i) l[i] += "\r"; }},
      {"long and unusual numbers", [&](Lines& l) { l[second] = "1.00000000000000000001 3.4028236e38 1e-45 " + l[second]; }},
  };
  std::vector<std::string> texts;
  for (const auto& [name, edit] : cases) texts.push_back(layout(n, 9, edit));
  // The text ending without a line end, right after the matrix.
  texts.push_back(layout(n, 9, [&](Lines& l) { l.resize(2 + n); }));
  texts.back().pop_back();
  for (std::size_t c = 0; c < texts.size(); ++c) {
    const std::string label = c < cases.size() ? cases[c].first : "no final line end";
    const Outcome one = readWith(1, false, texts[c], dir);
    expectSame(readWith(2, true, texts[c], dir), one, label + ", two threads");
    expectSame(readWith(2, false, texts[c], dir), one, label + ", two threads, general routines");
    expectSame(readWith(1, true, texts[c], dir), one, label + ", one thread");
  }
}

namespace {

struct StopAt : WorkMonitor {
  int seen = 0, stopAt = 0;
  std::int64_t last = -1;
  bool ordered = true;
  void progress(const Progress& p) override {
    ++seen;
    ordered = ordered && p.stage == Stage::Reading && p.done >= last && p.done <= p.total;
    last = p.done;
  }
  bool cancelRequested() override { return stopAt != 0 && seen >= stopAt; }
};

}  // namespace

TEST(ReaderHalves, ProgressAndStopWhileTwoThreadsRead) {
  TempDir dir("reader-halves-stop");
  const std::string text = layout(300, 4, [](std::vector<std::string>&) {});
  const std::string path = dir.file("data.dat");
  writeFile(path, text);
  for (int threads : {1, 2}) {
    problem() = ProblemState{};
    INITIALIZEDATA();
    problem().methodIndex = 1;
    RecordingPlatform box;
    kernels::setThreadCount(threads);
    StopAt all;
    {
      MonitorScope scope(&all);
      ASSERT_TRUE(InputDataFile().select(path));
      READINPUTFILE();
    }
    EXPECT_TRUE(problem().dataRead);
    EXPECT_TRUE(all.ordered) << threads;
    EXPECT_GE(all.seen, 6) << threads;  // about every 64 KiB of some 700 KB
    EXPECT_EQ(all.last, static_cast<std::int64_t>(text.size())) << threads;  // the last one: all of it

    StopAt stop;
    stop.stopAt = 2;
    {
      MonitorScope scope(&stop);
      ASSERT_TRUE(InputDataFile().select(path));
      EXPECT_THROW(READINPUTFILE(), WorkCancelled) << threads;
    }
    EXPECT_FALSE(problem().dataRead);
    EXPECT_FALSE(InputDataFile().hasDataEnd());
    InputDataFile().deselect();
  }
  kernels::setThreadCount(2);
}

}  // namespace parvela
