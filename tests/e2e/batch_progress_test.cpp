// The batch front end shows progress on standard error only when it is a
// terminal, never with --quiet, and the report is the same either way.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string capture(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, got);
  ::pclose(p);
  return out;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class BatchProgress : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("parvela-batch-progress-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    // Inverting a dense generated matrix of order 1400 lasts about a second.
    std::ofstream f(dir_ / "data.dat", std::ios::binary);
    f << "Banda\n1400 1\n1400\n1000\n";
    for (int k = 2; k <= 1400; ++k) f << 1.0 / k << (k % 8 == 0 ? "\n" : " ");
    f << "\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string args(const std::string& out, bool quiet) const {
    return std::string("'") + PARVELA_BATCH + "' --problem inverse --input generated --generator 'Banda constanta'" +
           " --method Gauss" + (quiet ? " --quiet" : "") + " --output '" + (dir_ / out).string() + "' '" +
           (dir_ / "data.dat").string() + "'";
  }
  // Runs with standard output and error on a pseudo-terminal.
  std::string onTerminal(const std::string& command) const {
    return capture("script -qec \"" + command + "\" /dev/null 2>&1");
  }

  fs::path dir_;
};

TEST_F(BatchProgress, OnlyOnATerminalAndNotWhenQuiet) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no 'script' to make a terminal";

  const std::string shown = onTerminal(args("shown.dat", false));
  // One line rewritten in place: the stage, how far, the time.
  EXPECT_NE(shown.find(" s)\x1b[K"), std::string::npos) << shown.substr(0, 400);
  // Which stages get shown depends on the machine's speed: the line
  // appears only once the run has lasted a moment.
  EXPECT_TRUE(shown.find("\rEliminare: coloana") != std::string::npos ||
              shown.find("\rVerificare") != std::string::npos ||
              shown.find("\rPregatire raport: ") != std::string::npos ||
              shown.find("\rScriere raport") != std::string::npos)
      << shown.substr(0, 400);

  const std::string quiet = onTerminal(args("quiet.dat", true));
  EXPECT_EQ(quiet.find(" s)"), std::string::npos);
  EXPECT_EQ(quiet.find("\x1b[K"), std::string::npos);

  // Standard error to a pipe: not a terminal, no progress.
  const std::string piped = capture(args("piped.dat", false) + " 2>&1 </dev/null");
  EXPECT_EQ(piped.find("\x1b[K"), std::string::npos);

  const std::string report = slurp(dir_ / "piped.dat");
  ASSERT_NE(report.find("Problema: Inversare matrice"), std::string::npos);
  EXPECT_EQ(slurp(dir_ / "shown.dat"), report);
  EXPECT_EQ(slurp(dir_ / "quiet.dat"), report);
}

}  // namespace
