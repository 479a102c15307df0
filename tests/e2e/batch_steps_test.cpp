// parvela-batch --steps and --steps-latex: the steps of every run of every
// data file in one file, each object naming its file and run; the report
// is the same with or without them.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

int batch(const std::string& args) {
  const std::string cmd = std::string("'") + PARVELA_BATCH + "' " + args + " > /dev/null 2>&1";
  const int ws = std::system(cmd.c_str());
  return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class BatchSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("parvela-steps-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "a.dat") << "Sistem 4x4\n4 1\n1 2 -1 3\n4 -2 1 0\n2 5 3 -1\n-3 1 2 4\n5 3 9 4\n";
    std::ofstream(dir_ / "b.dat") << "Sistem 3x3\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string at(const char* name) const { return "'" + (dir_ / name).string() + "'"; }
  fs::path dir_;
};

TEST_F(BatchSteps, EveryRunOfEveryFileGoesIntoOneFileAndTheReportsStayTheSame) {
  fs::create_directories(dir_ / "plain");
  ASSERT_EQ(batch("--method Gauss --runs 2 --output-dir " + at("plain") + " " + at("a.dat") + " " + at("b.dat")), 0);
  ASSERT_EQ(batch("--method Gauss --runs 2 --steps=" + at("s.jsonl") + " --steps-latex " + at("s.tex") +
                  " --output-dir " + at("out") + " " + at("a.dat") + " " + at("b.dat")),
            0);
  for (const char* f : {"a.dat", "b.dat"}) EXPECT_EQ(read(dir_ / "out" / f), read(dir_ / "plain" / f)) << f;

  std::istringstream lines(read(dir_ / "s.jsonl"));
  int perFileRun[2][3] = {};
  for (std::string line; std::getline(lines, line);) {
    for (int f = 0; f < 2; ++f)
      for (int r = 1; r <= 2; ++r)
        if (line.find("\"file\":\"" + (dir_ / (f ? "b.dat" : "a.dat")).string() + "\",\"run\":" + std::to_string(r) +
                      ",") == 1)
          ++perFileRun[f][r];
    EXPECT_NE(line.find("\"method\":\"Gauss\""), std::string::npos);
  }
  // a.dat: four columns and four unknowns per run; b.dat three and three.
  EXPECT_EQ(perFileRun[0][1], 8);
  EXPECT_EQ(perFileRun[0][2], 8);
  EXPECT_EQ(perFileRun[1][1], 6);
  EXPECT_EQ(perFileRun[1][2], 6);
  const std::string tex = read(dir_ / "s.tex");
  EXPECT_EQ(tex.rfind("\\documentclass", 0), 0u);
  EXPECT_NE(tex.find("\\end{document}"), std::string::npos);

  // A steps file that cannot be written fails the run's status, not its report.
  EXPECT_EQ(batch("--method Gauss --steps " + at("no/such/dir/s.jsonl") + " --output " + at("c.dat") + " " + at("a.dat")), 1);
  EXPECT_EQ(read(dir_ / "c.dat"), read(dir_ / "plain" / "a.dat").substr(0, read(dir_ / "c.dat").size()));
}

}  // namespace
