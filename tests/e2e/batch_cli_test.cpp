// The batch front end's command line: usage errors never crash and exit 2.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Result {
  int status;
  std::string output;  // standard output and standard error together
};

// Runs parvela-batch through the shell, after `launcher` when one is given;
// its standard output goes to `stdoutTo` when one is given.
Result batch(const std::string& args, const std::string& launcher = "", const std::string& stdoutTo = "") {
  std::string cmd = launcher + " '" + PARVELA_BATCH + "' " + args + " 2>&1";
  if (!stdoutTo.empty()) cmd += " >" + stdoutTo;
  Result r{-1, {}};
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, got);
  int ws = ::pclose(p);
  r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
  return r;
}

TEST(BatchCommandLine, HelpPrintsUsage) {
  Result r = batch("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("Usage: parvela-batch [options] DATAFILE"), std::string::npos);
  EXPECT_NE(r.output.find("--runs N"), std::string::npos);
}

TEST(BatchCommandLine, UsageErrorsExitWithStatusTwo) {
  const char* bad[] = {
      "",                                   // no data file
      "--bogus x.dat",                      // unknown option
      "--method Jacobi x.dat",              // not in the method list
      "--method gauss x.dat",               // names are case-sensitive
      "--problem solve x.dat",
      "--norm 5 x.dat",
      "--norm 0 x.dat",
      "--verify all x.dat",
      "--generator Wilkinson x.dat",
      "--runs -1 x.dat",
      "--runs two x.dat",
      "--eps",                              // value missing
      "--method=Jacobi x.dat",
      "--print-matrix=yes x.dat",           // a check box takes no value
      "--m Gauss x.dat",                    // ambiguous: --matrix or --method
      "-x x.dat",
      "--output o.dat a.dat b.dat",         // --output names one copy
      "--output o.dat --output-dir d x.dat",
      "--output-dir d a/x.dat b/x.dat",     // both copies would be d/x.dat
      "--method Gauss --",                  // no data file after the options
      "--exercises=easy d",                 // not a kind
      "--exercises=ill --log-cond 0 d",
      "--exercises=ill --log-cond 13 d",
      "--exercises=spd --log-cond 3 d",     // the condition is for ill alone
      "--exercises=spd --order 1 d",
      "--exercises=spd --order 31 d",
      "--exercises=spd --count 0 d",
      "--exercises=spd --count 100 d",
      "--exercises=spd --seed -1 d",
      "--exercises=spd --seed 18446744073709551616 d",
      "--exercises=spd --method Gauss d",   // a set is not a run
      "--exercises=spd a b",                // one folder
      "--exercises=spd",
      "--order 3 x.dat",                    // only with --exercises
      "--e spd d",                          // ambiguous: --eps or --exercises
      "--sweep-n 1 x.dat",                  // the experiment starts at n = 2
      "--sweep-n 201 x.dat",
      "--analysis=yes x.dat",
      "--s 3 x.dat",                        // ambiguous: --scan-omega or --sweep-n
  };
  for (const char* args : bad) {
    Result r = batch(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.output.find("Usage:"), std::string::npos) << args;
  }
}

TEST(BatchCommandLine, UsageErrorNamesTheProblemAndTheHelp) {
  Result r = batch("--eps");
  EXPECT_EQ(r.output,
            "parvela-batch: option --eps needs a value\n"
            "Usage: parvela-batch [options] DATAFILE...\n"
            "Try 'parvela-batch --help' for more information.\n");
  r = batch("--print-matrix=1 x.dat");
  EXPECT_EQ(r.output.substr(0, r.output.find('\n')), "parvela-batch: option --print-matrix takes no value");
}

TEST(BatchCommandLine, VersionAndHelpGoToStandardOutput) {
  Result r = batch("--version 2>/dev/null");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "parvela-batch (Parvela) " PARVELA_VERSION "\n");
  // --help wins over everything else on the line, also a missing file.
  r = batch("--method Gauss --help 2>/dev/null");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("--output-dir DIR"), std::string::npos);
  EXPECT_NE(r.output.find("--quiet"), std::string::npos);
}

TEST(BatchCommandLine, MissingDataFileIsAnError) {
  Result r = batch("--method Gauss /nonexistent/parvela/none.dat");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("no such data file"), std::string::npos);
}

class BatchFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("parvela-cli-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "s.dat") << "Sistem\n2 1\n4 1\n1 3\n5 4\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const char* name) const { return "'" + (dir_ / name).string() + "'"; }
  std::filesystem::path dir_;
};

TEST_F(BatchFiles, FifoIsRefusedWithoutOpeningIt) {
  // Opening a FIFO would wait for a writer: the run must end on its own.
  ASSERT_EQ(::mkfifo((dir_ / "pipe.dat").c_str(), 0600), 0);
  Result r = batch("--method Gauss " + path("pipe.dat"), "timeout 20");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("not a regular file: " + (dir_ / "pipe.dat").string()), std::string::npos) << r.output;
}

TEST_F(BatchFiles, LinkToARegularFileIsFine) {
  std::filesystem::create_symlink(dir_ / "s.dat", dir_ / "link.dat");
  Result r = batch("--method Gauss " + path("link.dat"));
  EXPECT_EQ(r.status, 0) << r.output;
  std::ifstream in(dir_ / "s.dat");
  std::string all((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(all.find("Metoda: Gauss"), std::string::npos);  // written through the link
}

TEST_F(BatchFiles, UnwritableStandardOutputFails) {
  // The iteration echoes its outcome on standard output.
  Result r = batch("--method Gauss-Seidel --eps 1e-5 --nlim 50 " + path("s.dat"), "", "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("parvela-batch: cannot write to standard output"), std::string::npos) << r.output;
  r = batch("--version", "", "/dev/full");
  EXPECT_EQ(r.status, 1);
  // Nothing for standard output: nothing to fail.
  r = batch("--method Gauss " + path("s.dat"), "", "/dev/full");
  EXPECT_EQ(r.status, 0) << r.output;
}

TEST_F(BatchFiles, OutputDirThatIsAFileIsAnError) {
  Result r = batch("--method Gauss --output-dir " + path("s.dat") + " " + path("s.dat"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("cannot create the folder"), std::string::npos) << r.output;
}

TEST_F(BatchFiles, OutputDirHoldingTheDataFileItself) {
  // The copy would be the file itself: refused, the file stays as it was.
  Result r = batch("--method Gauss --output-dir " + path("") + " " + path("s.dat"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("is already in"), std::string::npos) << r.output;
  std::ifstream in(dir_ / "s.dat");
  std::string all((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(all, "Sistem\n2 1\n4 1\n1 3\n5 4\n");
}

// A copy that does not fit leaves nothing behind: no empty or cut copy that
// a later command could take for the data.
TEST_F(BatchFiles, OutputCopyThatDoesNotFitLeavesNoFile) {
  const std::filesystem::path mnt = dir_ / "small";
  std::filesystem::create_directories(mnt);
  if (::mount("parvela", mnt.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "no tmpfs mount allowed here";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{mnt.string()};
  {
    std::ofstream big(dir_ / "big.dat");
    big << "Sistem\n2 1\n4 1\n1 3\n5 4\n" << std::string(64 * 1024, ' ') << "\n";
  }
  Result r = batch("--method Gauss --output " + (mnt / "copy.dat").string() + " " + path("big.dat"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("cannot copy"), std::string::npos) << r.output;
  EXPECT_TRUE(std::filesystem::is_empty(mnt)) << "a partial copy or temporary file was left";
}

// The abbreviations the documentation promises stay unambiguous next to
// the options of the exercise sets.
TEST_F(BatchFiles, PromisedAbbreviationsStillWork) {
  Result r = batch("--meth Gauss --output " + path("copy.dat") + " " + path("s.dat"));
  EXPECT_EQ(r.status, 0) << r.output;
  r = batch("--ex=spd --or=2 --co=1 --se=3 " + path("set"));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "set" / "ex01.dat"));
}

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The numbers after "x(i) =" in a report (the last run's, one system).
std::vector<double> solutionOf(const std::string& report) {
  std::vector<double> x;
  for (std::size_t at = report.find(" x("); at != std::string::npos; at = report.find(" x(", at + 1)) {
    const std::size_t eq = report.find('=', at);
    x.push_back(std::strtod(report.c_str() + eq + 1, nullptr));
  }
  return x;
}

// "x = (1, -2, 3)" of exercise `name` in the answer key.
std::vector<double> keySolution(const std::string& key, const std::string& name) {
  std::vector<double> x;
  const std::size_t at = key.find("x = (", key.find(name + "\n"));
  if (at == std::string::npos) return x;
  const char* p = key.c_str() + at + 5;
  while (*p && *p != ')') {
    char* end = nullptr;
    x.push_back(std::strtod(p, &end));
    p = *end == ',' ? end + 1 : end;
  }
  return x;
}

// A set as the program reads it: each kind's file, run with the choices the
// key names, gives the key's answer.
TEST_F(BatchFiles, ExerciseSetsReadAndSolveAsTheirKeySays) {
  struct Case {
    const char* kind;
    const char* run;  // the options of the run on ex02.dat
  } cases[] = {
      {"pivoting", "--method Gauss"},
      {"spd", "--method Cholesky --matrix symmetric"},
      {"dominant", "--method Gauss-Seidel --eps 1e-5 --nlim 1000"},
      {"ill --log-cond 3", "--method LU"},
  };
  for (const Case& c : cases) {
    const std::string folder = std::string(c.kind).substr(0, std::string(c.kind).find(' '));
    Result r = batch("--exercises " + std::string(c.kind) + " --order 5 --count 2 --seed 4 " + path(folder.c_str()));
    ASSERT_EQ(r.status, 0) << c.kind << r.output;
    EXPECT_EQ(r.output, "2 exercitii in " + (dir_ / folder).string() + ", solutiile in " +
                            (dir_ / folder / "solutii.txt").string() + "\n");
    const std::filesystem::path ex = dir_ / folder / "ex02.dat";
    const std::string data = readAll(ex);
    r = batch(std::string(c.run) + " " + path((folder + "/ex02.dat").c_str()));
    ASSERT_EQ(r.status, 0) << c.kind << r.output;
    const std::string key = readAll(dir_ / folder / "solutii.txt");
    const std::vector<double> want = keySolution(key, "ex02.dat");
    const std::vector<double> got = solutionOf(readAll(ex).substr(data.size()));
    ASSERT_EQ(got.size(), 5u) << c.kind;
    ASSERT_EQ(want.size(), 5u) << c.kind << key;
    for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(got[i], want[i], 1e-2) << c.kind << " x(" << i + 1 << ")";
    if (folder == "dominant") {
      // The sweeps the key gives are those of this run.
      const std::string report = readAll(ex).substr(data.size());
      const std::size_t n = report.find("Numar iteratii:");
      ASSERT_NE(n, std::string::npos) << report;
      const long sweeps = std::strtol(report.c_str() + n + 15, nullptr, 10);
      const std::size_t k = key.find("Nlim 1000: ", key.find("ex02.dat\n"));
      ASSERT_NE(k, std::string::npos) << key;
      EXPECT_EQ(key.substr(k + 11, key.find('\n', k) - k - 11), std::to_string(sweeps) + " iteratii");
    }
  }
}

TEST_F(BatchFiles, ExerciseSetNeverReplacesAFile) {
  std::filesystem::create_directories(dir_ / "set");
  std::ofstream(dir_ / "set" / "solutii.txt") << "mine";
  Result r = batch("--exercises pivoting --count 2 " + path("set"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("solutii.txt exista deja"), std::string::npos) << r.output;
  EXPECT_EQ(readAll(dir_ / "set" / "solutii.txt"), "mine");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "set" / "ex01.dat"));
}

}  // namespace
