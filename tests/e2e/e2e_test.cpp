// Whole runs of parvela-batch compared byte for byte with expected files.
//
// Each case is a folder under tests/e2e/cases/ holding
//   data.dat         the data file before the run
//   args             batch options, one a line: an option, optionally one
//                    blank and its value (the rest of the line)
//   expected.dat     the whole file after the run
//   expected.stdout  standard output (absent: nothing)
//   expected.stderr  standard error (absent: nothing)
//   expected.status  exit status (absent: 0)
// A case that works on several files holds, instead of data.dat and
// expected.dat,
//   inputs/          the folder the run starts in (copied as a whole)
//   expected/        files of that folder after the run, at the same
//                    relative paths; every other file of inputs/ must be
//                    left as it was
// and its args name the data files (and --output-dir) themselves: a line
// without a leading '-' is an argument of its own.
// The reference runs kept beside the repository (shared/reference-runs) are
// checked the same way when they are present.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool present(const fs::path& p) { return fs::exists(p); }

struct Outcome {
  int status = -1;
  std::string out, err;
};

fs::path scratch() {
  fs::path d = fs::temp_directory_path() / ("parvela-e2e-" + std::to_string(::getpid()));
  fs::create_directories(d);
  return d;
}

Outcome runBatch(const std::vector<std::string>& args, const fs::path& workDir) {
  fs::path outFile = workDir / "stdout.txt", errFile = workDir / "stderr.txt";
  std::vector<std::string> argv{PARVELA_BATCH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  Outcome o;
  // Run in the scratch folder so that nothing lands in the source tree.
  std::string cwd = fs::current_path().string();
  fs::current_path(workDir);
  int rc = posix_spawn(&pid, cargv[0], &fa, nullptr, cargv.data(), environ);
  fs::current_path(cwd);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) return o;
  int ws = 0;
  waitpid(pid, &ws, 0);
  o.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
  o.out = slurp(outFile);
  o.err = slurp(errFile);
  return o;
}

struct Case {
  std::string name;
  fs::path folder;        // several-file case: the case's folder, else empty
  std::string data;       // file before the run
  std::vector<std::string> args;
  std::string expectedFile;
  std::string expectedOut, expectedErr;
  int expectedStatus = 0;
  // The reference runs record the message box only: the line after it
  // (where the read stopped) is this program's own.
  bool errStartsOnly = false;
};

std::vector<std::string> parseArgs(const std::string& text) {
  std::vector<std::string> args;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    auto blank = line.find(' ');
    args.push_back(line.substr(0, blank));
    if (blank != std::string::npos) args.push_back(line.substr(blank + 1));
  }
  return args;
}

std::vector<Case> projectCases() {
  std::vector<Case> cases;
  fs::path root = fs::path(PARVELA_SOURCE_DIR) / "tests" / "e2e" / "cases";
  if (!present(root)) return cases;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (!entry.is_directory()) continue;
    const fs::path d = entry.path();
    Case c;
    c.name = d.filename().string();
    c.args = parseArgs(slurp(d / "args"));
    if (fs::is_directory(d / "inputs")) {
      c.folder = d;
    } else {
      c.data = slurp(d / "data.dat");
      c.expectedFile = slurp(d / "expected.dat");
    }
    if (present(d / "expected.stdout")) c.expectedOut = slurp(d / "expected.stdout");
    if (present(d / "expected.stderr")) c.expectedErr = slurp(d / "expected.stderr");
    if (present(d / "expected.status")) c.expectedStatus = std::stoi(slurp(d / "expected.status"));
    cases.push_back(std::move(c));
  }
  return cases;
}

// The reference runs name their choices as key=value lines.
std::vector<Case> referenceCases() {
  std::vector<Case> cases;
  fs::path root = fs::path(PARVELA_SOURCE_DIR).parent_path() / "shared" / "reference-runs";
  if (!present(root)) return cases;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (entry.path().extension() != ".choices") continue;
    const fs::path base = entry.path().parent_path() / entry.path().stem();
    Case c;
    c.name = "reference_" + entry.path().stem().string();
    c.data = slurp(base.string() + ".dat");
    std::istringstream in(slurp(entry.path()));
    std::string line;
    static const std::map<std::string, std::string> flags = {{"printMatrix", "--print-matrix"},
                                                             {"determinant", "--determinant"},
                                                             {"iterations", "--iterations"},
                                                             {"invert", "--invert"}};
    while (std::getline(in, line)) {
      auto eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq), value = line.substr(eq + 1);
      if (auto f = flags.find(key); f != flags.end()) {
        if (value == "1") c.args.push_back(f->second);
      } else {
        c.args.push_back("--" + key);
        c.args.push_back(value);
      }
    }
    c.expectedFile = c.data + slurp(base.string() + ".report");
    if (present(base.string() + ".stdout")) c.expectedOut = slurp(base.string() + ".stdout");
    if (present(base.string() + ".msg")) {
      c.expectedErr = slurp(base.string() + ".msg");
      c.expectedStatus = 1;
      c.errStartsOnly = true;
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

std::vector<Case> allCases() {
  std::vector<Case> all = projectCases();
  std::vector<Case> refs = referenceCases();
  all.insert(all.end(), refs.begin(), refs.end());
  std::sort(all.begin(), all.end(), [](const Case& a, const Case& b) { return a.name < b.name; });
  return all;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class WholeRun : public ::testing::TestWithParam<Case> {};

// The files below `root`, as paths relative to it.
std::vector<fs::path> filesBelow(const fs::path& root) {
  std::vector<fs::path> files;
  if (!fs::is_directory(root)) return files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files.push_back(fs::relative(e.path(), root));
  std::sort(files.begin(), files.end());
  return files;
}

void checkSeveralFiles(const Case& c) {
  fs::path dir = scratch() / c.name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(c.folder / "inputs", dir, fs::copy_options::recursive);
  Outcome o = runBatch(c.args, dir);
  EXPECT_EQ(o.status, c.expectedStatus);
  EXPECT_EQ(o.err, c.expectedErr);
  EXPECT_EQ(o.out, c.expectedOut);
  const std::vector<fs::path> expected = filesBelow(c.folder / "expected");
  EXPECT_FALSE(expected.empty()) << "a case with inputs/ needs expected/";
  for (const fs::path& rel : expected) {
    EXPECT_TRUE(fs::exists(dir / rel)) << rel;
    EXPECT_EQ(slurp(dir / rel), slurp(c.folder / "expected" / rel)) << rel;
  }
  for (const fs::path& rel : filesBelow(c.folder / "inputs")) {
    if (std::find(expected.begin(), expected.end(), rel) != expected.end()) continue;
    EXPECT_EQ(slurp(dir / rel), slurp(c.folder / "inputs" / rel)) << rel << " must stay untouched";
  }
  fs::remove_all(dir);
}

TEST_P(WholeRun, FileAndOutputsMatch) {
  const Case& c = GetParam();
  if (!c.folder.empty()) return checkSeveralFiles(c);
  fs::path dir = scratch() / c.name;
  fs::create_directories(dir);
  fs::path data = dir / "data.dat";
  {
    std::ofstream out(data, std::ios::binary | std::ios::trunc);
    out << c.data;
  }
  fs::path result = dir / "result.dat";
  std::vector<std::string> args = c.args;
  args.push_back("--output");
  args.push_back(result.string());
  args.push_back(data.string());
  Outcome o = runBatch(args, dir);
  EXPECT_EQ(o.status, c.expectedStatus);
  if (c.errStartsOnly) {
    EXPECT_EQ(o.err.substr(0, c.expectedErr.size()), c.expectedErr);
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), std::count(c.expectedErr.begin(), c.expectedErr.end(), '\n') + 1)
        << "one line after the message: " << o.err;
  } else {
    EXPECT_EQ(o.err, c.expectedErr);
  }
  EXPECT_EQ(o.out, c.expectedOut);
  EXPECT_EQ(slurp(result), c.expectedFile);
  EXPECT_EQ(slurp(data), c.data) << "the original data file must stay untouched";
  fs::remove_all(dir);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  std::string n = info.param.name;
  for (char& ch : n)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRun, ::testing::ValuesIn(allCases()), caseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(WholeRun);

}  // namespace
