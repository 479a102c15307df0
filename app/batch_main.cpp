// parvela-batch: does from a command line what a user does in the window:
// make the choices, select the data file, "Citeste", then "REZOLVA !".
// Several data files are several sessions, one after the other, with the
// same choices.
#include <getopt.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/exercises.h"
#include "core/platform.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/read_diagnosis.h"
#include "core/progress.h"
#include "run/dispatcher.h"
#include "ui/core/analysis_text.h"
#include "ui/core/controls.h"
#include "ui/core/model_dialog.h"
#include "ui/core/parameter_notes.h"
#include "ui/core/step_export.h"
#include "ui/core/templates.h"
#include "ui/core/terminal_progress.h"

#ifndef PARVELA_VERSION
#define PARVELA_VERSION "unknown"
#endif

namespace {

using namespace parvela;
namespace fs = std::filesystem;

constexpr const char* kProgram = "parvela-batch";

constexpr const char* kUsageLine = "Usage: parvela-batch [options] DATAFILE...\n";

constexpr const char* kHelp =
    "Usage: parvela-batch [options] DATAFILE...\n"
    "       parvela-batch --exercises=KIND [--order N] [--count K] [--seed S] [--log-cond K] DIR\n"
    "\n"
    "Reads the problem from each DATAFILE and writes the report into it, after the\n"
    "data, as the window does for \"Citeste\" and \"REZOLVA !\". Several files are\n"
    "handled one after the other, each as a session of its own, with the same choices.\n"
    "Options take their value as --option VALUE or --option=VALUE; -- ends the options.\n"
    "\n"
    "  --problem system|inverse|cond      problem (default system)\n"
    "  --matrix general|symmetric         matrix kind (default general)\n"
    "  --input file|generated             input source (default file)\n"
    "  --generator NAME                   Hilbert | Lotkin | Companion | \"Wilkinson 5\" |\n"
    "                                     \"Wilkinson 20\" | Cauchy | \"Banda constanta\"\n"
    "  --method NAME                      Gauss | LU | Cholesky | Gauss-Seidel | SOR\n"
    "  --verify max|each                  verification: maximum differences or each equation\n"
    "  --norm 1|2|3|4                     entry of the norm list (condition number)\n"
    "  --print-matrix                     check box \"Matrice\" / \"Matrice inversa\"\n"
    "  --determinant                      check box \"Determinant\"\n"
    "  --iterations                       check box \"Iteratii\"\n"
    "  --invert                           check box \"Inversare Coeficienti\"\n"
    "  --eps TEXT  --nlim TEXT  --omega TEXT\n"
    "                                     the parameter boxes, as typed (10 characters kept)\n"
    "  --runs N                           presses of \"REZOLVA !\" after the read (default 1)\n"
    "  --after-read                       the choices that follow are made after \"Citeste\",\n"
    "                                     just before the first \"REZOLVA !\"\n"
    "  --analysis                         after each run, its analysis on standard output:\n"
    "                                     errors, convergence, condition number checked\n"
    "  --scan-omega                       after each run, the search for SOR's best omega\n"
    "  --sweep-n N                        after each run, the experiment over n = 2..N\n"
    "                                     with the chosen generator (nothing is written\n"
    "                                     into the data file by these three)\n"
    "  --output FILE                      copy DATAFILE to FILE first and work on FILE\n"
    "                                     (one data file only)\n"
    "  --output-dir DIR                   copy each DATAFILE into DIR (created if missing)\n"
    "                                     and work on the copy\n"
    "  --steps FILE                       write the steps of every run into FILE, one JSON\n"
    "                                     object per line (whole arrays up to order 16)\n"
    "  --steps-latex FILE                 write the steps of every run into FILE as LaTeX\n"
    "  --exercises KIND                   write an exercise set into the folder DIR instead:\n"
    "                                     DIR/ex01.dat... and the answer key DIR/solutii.txt;\n"
    "                                     KIND pivoting | dominant | spd | ill | singular\n"
    "  --order N  --count K  --seed S     the set's order (2 to 30, default 4), number of\n"
    "                                     files (1 to 99, default 10) and seed (default 1)\n"
    "  --log-cond K                       ill: the condition number near 10^K (1 to 12,\n"
    "                                     default 4)\n"
    "  -q, --quiet                        no progress line on standard error (shown only\n"
    "                                     when it is a terminal)\n"
    "  -h, --help                         this text\n"
    "      --version                      the version\n"
    "\n"
    "Message boxes are printed to standard error as \"Caption: text\". With more than\n"
    "one data file, each file's messages and standard-output lines start with the\n"
    "file's name and \": \". Exit status: 0 on success (also when the report records a\n"
    "numerical breakdown), 1 after an \"Error\" or \"Eroare\" message, a run the window\n"
    "would not allow or that wrote nothing, or a file that cannot be used, 2 for a usage\n"
    "error; with several files, the largest of their statuses.\n";

struct UsageError {
  std::string message;
};

// Console platform of the batch run: message boxes go to standard error and
// the file dialog answers with the data file. With several files, every
// message and every line of standard output starts with `prefix`.
class BatchPlatform final : public Platform {
 public:
  std::string fileToSelect;
  std::string prefix;
  bool failed = false;  // an "Error" or "Eroare" box was shown

  void messageBox(std::string_view text, std::string_view caption, IconKind) override {
    std::string joined(text);
    for (char& c : joined)
      if (c == '\n') c = ' ';
    std::cout.flush();
    std::cerr << prefix << caption << ": " << joined << std::endl;
    if (caption == "Error" || caption == "Eroare") failed = true;
  }
  void standardOutput(std::string_view text) override {
    if (prefix.empty()) {
      std::cout << text;
    } else {
      for (char c : text) {
        if (atLineStart_) std::cout << prefix;
        std::cout << c;
        atLineStart_ = c == '\n';
      }
    }
    std::cout.flush();
  }
  // Ends a last line left open, so that the next file's lines start afresh.
  void endFile() {
    if (!atLineStart_) std::cout << '\n';
    atLineStart_ = true;
  }
  // The batch keeps what the window does after a Yes; the run says on
  // standard error what went (see runOne).
  bool question(std::string_view, std::string_view) override { return true; }
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override {
    if (fileToSelect.empty()) return std::nullopt;
    return fileToSelect;
  }
  void viewFile(const std::string&) override {}
  std::optional<std::string> searchProgramPath(const std::string& name) override {
    return searchAlongProgramPath(name);
  }

 private:
  bool atLineStart_ = true;
};

// The window's choices, as clicks and typing.
struct Choices {
  std::optional<int> problemButton;
  std::optional<int> matrixButton;
  std::optional<int> inputButton;
  std::optional<int> generator;  // 1-based entry of the generator list
  std::optional<int> method;     // 1-based entry of the method list
  std::optional<int> verifyButton;
  std::optional<int> norm;
  bool printMatrix = false;
  bool determinant = false;
  bool iterations = false;
  bool invert = false;
  std::optional<std::string> eps, nlim, omega;
};

struct Options {
  Choices beforeRead;  // made before "Selecteaza" and "Citeste"
  Choices afterRead;   // made between "Citeste" and the first "REZOLVA !"
  bool changing = false;  // --after-read seen: the choices that follow go to afterRead
  int runs = 1;
  AnalysisRequest analysis;  // printed after each run
  std::optional<std::string> output;     // one data file: the copy to work on
  std::optional<std::string> outputDir;  // the folder of the copies
  std::optional<std::string> steps;      // --steps: the JSON Lines file
  std::optional<std::string> stepsLatex; // --steps-latex: the LaTeX file
  bool quiet = false;                    // no progress display on standard error
  bool help = false;
  bool version = false;
  std::vector<std::string> dataFiles;
  // --exercises: an exercise set is written instead of runs.
  std::optional<ExerciseKind> exercises;
  ExerciseRequest request;
  std::vector<std::string> setOptions;  // --order, ... as given
  bool runOptions = false;              // an option of the runs was given
};

int choose(std::string_view option, std::string_view value,
           std::initializer_list<std::pair<std::string_view, int>> table) {
  for (const auto& [name, id] : table)
    if (name == value) return id;
  throw UsageError{"bad value for " + std::string(option) + ": '" + std::string(value) + "'"};
}

template <std::size_t N>
int listEntry(std::string_view option, std::string_view value, const std::array<std::string_view, N>& names) {
  for (std::size_t i = 0; i < N; ++i)
    if (value == names[i]) return static_cast<int>(i) + 1;
  throw UsageError{"bad value for " + std::string(option) + ": '" + std::string(value) + "'"};
}

enum OptionCode : int {
  kOptProblem = 1000,
  kOptMatrix,
  kOptInput,
  kOptGenerator,
  kOptMethod,
  kOptVerify,
  kOptNorm,
  kOptPrintMatrix,
  kOptDeterminant,
  kOptIterations,
  kOptInvert,
  kOptEps,
  kOptNlim,
  kOptOmega,
  kOptRuns,
  kOptOutput,
  kOptOutputDir,
  kOptVersion,
  kOptAfterRead,
  kOptSteps,
  kOptStepsLatex,
  kOptExercises,
  kOptOrder,
  kOptCount,
  kOptSeed,
  kOptLogCond,
  kOptAnalysis,
  kOptScanOmega,
  kOptSweepN,
};

const struct option kLongOptions[] = {
    {"problem", required_argument, nullptr, kOptProblem},
    {"matrix", required_argument, nullptr, kOptMatrix},
    {"input", required_argument, nullptr, kOptInput},
    {"generator", required_argument, nullptr, kOptGenerator},
    {"method", required_argument, nullptr, kOptMethod},
    {"verify", required_argument, nullptr, kOptVerify},
    {"norm", required_argument, nullptr, kOptNorm},
    {"print-matrix", no_argument, nullptr, kOptPrintMatrix},
    {"determinant", no_argument, nullptr, kOptDeterminant},
    {"iterations", no_argument, nullptr, kOptIterations},
    {"invert", no_argument, nullptr, kOptInvert},
    {"eps", required_argument, nullptr, kOptEps},
    {"nlim", required_argument, nullptr, kOptNlim},
    {"omega", required_argument, nullptr, kOptOmega},
    {"runs", required_argument, nullptr, kOptRuns},
    {"output", required_argument, nullptr, kOptOutput},
    {"output-dir", required_argument, nullptr, kOptOutputDir},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kOptVersion},
    {"after-read", no_argument, nullptr, kOptAfterRead},
    {"steps", required_argument, nullptr, kOptSteps},
    {"steps-latex", required_argument, nullptr, kOptStepsLatex},
    {"exercises", required_argument, nullptr, kOptExercises},
    {"order", required_argument, nullptr, kOptOrder},
    {"count", required_argument, nullptr, kOptCount},
    {"seed", required_argument, nullptr, kOptSeed},
    {"log-cond", required_argument, nullptr, kOptLogCond},
    {"analysis", no_argument, nullptr, kOptAnalysis},
    {"scan-omega", no_argument, nullptr, kOptScanOmega},
    {"sweep-n", required_argument, nullptr, kOptSweepN},
    {nullptr, 0, nullptr, 0},
};

const char* longName(int code) {
  for (const struct option* o = kLongOptions; o->name; ++o)
    if (o->val == code) return o->name;
  return "?";
}

// A decimal integer in [lo, hi], or a usage error.
std::int64_t integerValue(const std::string& option, std::string_view value, std::int64_t lo, std::int64_t hi) {
  std::string v(value);
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || errno != 0 || n < lo || n > hi)
    throw UsageError{"bad value for " + option + ": '" + v + "' (" + std::to_string(lo) + " to " +
                     std::to_string(hi) + ")"};
  return n;
}

// A seed: any decimal number of 64 bits, no sign.
std::uint64_t seedValue(std::string_view value) {
  std::string v(value);
  char* end = nullptr;
  errno = 0;
  const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
  if (v.empty() || v[0] < '0' || v[0] > '9' || *end != '\0' || errno != 0)
    throw UsageError{"bad value for --seed: '" + v + "' (a number from 0 to 18446744073709551615)"};
  return n;
}

// The option as the user wrote it, without a "=value" part.
std::string asWritten(const char* arg) {
  std::string s(arg ? arg : "");
  if (auto eq = s.find('='); eq != std::string::npos) s.erase(eq);
  return s;
}

Options parse(int argc, char** argv) {
  Options o;
  opterr = 0;  // the messages below name the program the same way whatever argv[0] is
  optind = 1;
  for (;;) {
    const int c = getopt_long(argc, argv, ":hq", kLongOptions, nullptr);
    if (c == -1) break;
    // On an error getopt_long has just moved past the faulty option.
    const char* written = optind >= 1 && optind <= argc ? argv[optind - 1] : "";
    const std::string_view value = optarg ? optarg : "";
    const std::string name = std::string("--") + (c >= kOptProblem ? longName(c) : "");
    Choices& ch = o.changing ? o.afterRead : o.beforeRead;
    const bool setOption = c == kOptExercises || c == kOptOrder || c == kOptCount || c == kOptSeed ||
                           c == kOptLogCond;
    if (setOption && c != kOptExercises) o.setOptions.push_back(name);
    if (!setOption && c >= kOptProblem && c != kOptVersion) o.runOptions = true;
    switch (c) {
      case kOptAfterRead: o.changing = true; break;
      case 'h': o.help = true; break;
      case kOptVersion: o.version = true; break;
      case 'q': o.quiet = true; break;
      case kOptProblem:
        ch.problemButton = choose(name, value, {{"system", kIdSystem}, {"inverse", kIdInverse}, {"cond", kIdConditionNumber}});
        break;
      case kOptMatrix: ch.matrixButton = choose(name, value, {{"general", kIdGeneral}, {"symmetric", kIdSymmetric}}); break;
      case kOptInput: ch.inputButton = choose(name, value, {{"file", kIdFromFile}, {"generated", kIdGenerated}}); break;
      case kOptGenerator: ch.generator = listEntry(name, value, kGeneratorNames); break;
      case kOptMethod: ch.method = listEntry(name, value, kMethodNames); break;
      case kOptVerify:
        ch.verifyButton = choose(name, value, {{"max", kIdMaxDifferences}, {"each", kIdEachEquation}});
        break;
      case kOptNorm: ch.norm = choose(name, value, {{"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}}); break;
      case kOptPrintMatrix: ch.printMatrix = true; break;
      case kOptDeterminant: ch.determinant = true; break;
      case kOptIterations: ch.iterations = true; break;
      case kOptInvert: ch.invert = true; break;
      case kOptEps: ch.eps = std::string(value); break;
      case kOptNlim: ch.nlim = std::string(value); break;
      case kOptOmega: ch.omega = std::string(value); break;
      case kOptRuns: {
        std::string v(value);
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || errno != 0 || n < 0 || n > 1000000)
          throw UsageError{"bad value for --runs: '" + v + "'"};
        o.runs = static_cast<int>(n);
        break;
      }
      case kOptAnalysis: o.analysis.analysis = true; break;
      case kOptScanOmega: o.analysis.scanOmega = true; break;
      case kOptSweepN: {
        std::string v(value);
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || errno != 0 || n < 2 || n > kExperimentMaxLimit)
          throw UsageError{"bad value for --sweep-n (2 to " + std::to_string(kExperimentMaxLimit) + "): '" + v + "'"};
        o.analysis.sweepN = static_cast<int>(n);
        break;
      }
      case kOptOutput: o.output = std::string(value); break;
      case kOptOutputDir: o.outputDir = std::string(value); break;
      case kOptSteps: o.steps = std::string(value); break;
      case kOptStepsLatex: o.stepsLatex = std::string(value); break;
      case kOptExercises:
        o.exercises = exerciseKindByName(value);
        if (!o.exercises) throw UsageError{"bad value for --exercises: '" + std::string(value) + "'"};
        o.request.kind = *o.exercises;
        break;
      case kOptOrder: o.request.order = int(integerValue(name, value, kMinExerciseOrder, kMaxExerciseOrder)); break;
      case kOptCount: o.request.count = int(integerValue(name, value, 1, kMaxExerciseCount)); break;
      case kOptSeed: o.request.seed = seedValue(value); break;
      case kOptLogCond: o.request.logCond = int(integerValue(name, value, kMinLogCond, kMaxLogCond)); break;
      case ':':
        throw UsageError{"option " + asWritten(written) + " needs a value"};
      case '?':
      default:
        if (optopt >= kOptProblem) throw UsageError{"option --" + std::string(longName(optopt)) + " takes no value"};
        if (optopt != 0) throw UsageError{"unknown option -" + std::string(1, static_cast<char>(optopt))};
        throw UsageError{"unknown or ambiguous option " + asWritten(written)};
    }
  }
  for (int k = optind; k < argc; ++k) o.dataFiles.emplace_back(argv[k]);
  if (o.help || o.version) return o;
  if (o.exercises) {
    if (o.runOptions) throw UsageError{"--exercises takes only --order, --count, --seed, --log-cond and a folder"};
    if (o.dataFiles.size() != 1) throw UsageError{"--exercises takes one folder"};
    if (o.request.kind != ExerciseKind::Ill &&
        std::find(o.setOptions.begin(), o.setOptions.end(), "--log-cond") != o.setOptions.end())
      throw UsageError{"--log-cond goes with --exercises=ill"};
    return o;
  }
  if (!o.setOptions.empty()) throw UsageError{o.setOptions.front() + " goes with --exercises"};
  if (o.dataFiles.empty()) throw UsageError{"no data file given"};
  if (o.output && o.outputDir) throw UsageError{"--output and --output-dir exclude each other"};
  if (o.output && o.dataFiles.size() > 1) throw UsageError{"--output takes one data file; use --output-dir DIR for several"};
  if (o.outputDir) {
    // Two copies of the same name would overwrite each other in DIR.
    std::set<std::string> names;
    for (const std::string& f : o.dataFiles)
      if (!names.insert(fs::path(f).filename().string()).second)
        throw UsageError{"two data files named " + fs::path(f).filename().string() + " for one --output-dir"};
  }
  return o;
}

// A choice the window would not let the user make (a disabled control).
struct NotAllowed {
  std::string message;
};

void need(bool done, const std::string& what) {
  if (!done) throw NotAllowed{what + ": the control is disabled in the window for these choices"};
}

// A complaint about one data file: "parvela-batch: WHAT: FILE", or with
// several files "parvela-batch: FILE: WHAT".
void fileProblem(const std::string& prefix, const std::string& what, const std::string& path) {
  if (prefix.empty())
    std::cerr << kProgram << ": " << what << ": " << path << std::endl;
  else
    std::cerr << kProgram << ": " << prefix << what << std::endl;
}

// A data file must be a regular file (a link to one is fine). Checked
// without opening it: opening a FIFO would wait for a writer.
bool usableDataFile(const std::string& path, const std::string& prefix) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    fileProblem(prefix, err == ENOENT || err == ENOTDIR ? "no such data file" : std::strerror(err), path);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    fileProblem(prefix, "not a regular file", path);
    return false;
  }
  return true;
}

// What the read adds to its message: where a failed read stopped (on the
// line after the message) and the warnings of the read, as the window's
// outcome line shows them. Neither changes the exit status.
void showReadReport(const std::string& prefix) {
  const ReadReport& report = lastReadReport();
  if (report.stop) std::cerr << prefix << report.stop->text << std::endl;
  for (const std::string& w : report.warnings) std::cerr << prefix << "Atentie: " << w << std::endl;
}

// The clicks, in the order a user makes them.
void makeChoices(ModelDialog& dialog, const Choices& c) {
  if (c.problemButton) need(dialog.click(*c.problemButton), "--problem");
  if (c.matrixButton) need(dialog.click(*c.matrixButton), "--matrix");
  if (c.inputButton) need(dialog.click(*c.inputButton), "--input");
  if (c.generator) need(dialog.select(kIdGeneratorList, *c.generator), "--generator");
  if (c.method) need(dialog.select(kIdMethodList, *c.method), "--method");
  if (c.verifyButton) need(dialog.click(*c.verifyButton), "--verify");
  if (c.norm) need(dialog.select(kIdNormList, *c.norm), "--norm");
  if (c.printMatrix) need(dialog.click(kIdPrintMatrix), "--print-matrix");
  if (c.determinant) need(dialog.click(kIdDeterminant), "--determinant");
  if (c.iterations) need(dialog.click(kIdIterations), "--iterations");
  if (c.invert) need(dialog.click(kIdInvertElements), "--invert");
  if (c.eps) need(dialog.typeText(kIdEps, *c.eps), "--eps");
  if (c.nlim) need(dialog.typeText(kIdNlim, *c.nlim), "--nlim");
  if (c.omega) need(dialog.typeText(kIdOmega, *c.omega), "--omega");
}

// One whole session on one data file: the choices, "Selecteaza", "Citeste"
// and the runs. The file's exit status.
int runOne(const Options& o, const std::string& dataFile, BatchPlatform& plat, BatchSteps& steps) {
  const std::string& prefix = plat.prefix;
  if (!usableDataFile(dataFile, prefix)) return 1;
  std::string target = dataFile;
  std::optional<std::string> copy = o.output;
  if (o.outputDir) copy = (fs::path(*o.outputDir) / fs::path(dataFile).filename()).string();
  if (copy) {
    std::error_code ec;
    if (o.outputDir && fs::equivalent(dataFile, *copy, ec)) {
      std::cerr << kProgram << ": " << prefix << dataFile << " is already in " << *o.outputDir << std::endl;
      return 1;
    }
    // The copy is complete or not there at all (an earlier file of that
    // name stays as it was).
    std::string error;
    if (!copyFileAtomically(dataFile, *copy, error)) {
      std::cerr << kProgram << ": " << prefix << "cannot copy " << dataFile << " to " << *copy << ": "
                << error << std::endl;
      return 1;
    }
    target = *copy;
  }
  plat.fileToSelect = target;
  plat.failed = false;

  // A fresh start, as when the program is started again.
  problem() = ProblemState{};
  InputDataFile().deselect();
  INITIALIZEDATA();
  ModelDialog dialog(kMainDialog);
  registerMainCallbacks(dialog);
  dialog.DLG_SET_TITLE("Parvela");
  INITIALIZECONTROLS(dialog);

  auto stopped = [&] { return plat.failed; };

  // The clicks, in the order a user makes them.
  makeChoices(dialog, o.beforeRead);
  if (stopped()) return 1;

  dialog.click(kIdSelect);
  if (stopped()) return 1;
  need(dialog.click(kIdRead), "Citeste");
  showReadReport(plat.prefix);
  if (stopped()) return 1;
  steps.afterRead(problem());

  // Choices changed after the read, as a user may change them before
  // pressing "REZOLVA !".
  makeChoices(dialog, o.afterRead);
  if (stopped()) return 1;

  for (int r = 0; r < o.runs; ++r) {
    if (!dialog.isEnabled(kIdSolve)) {
      std::cerr << kProgram << ": " << prefix << "\"REZOLVA !\" is disabled: "
                << (problem().dataRead ? (problem().problemKind == ProblemKind::ConditionNumber
                                              ? "choose a norm (--norm)"
                                              : "choose a method (--method)")
                                       : "the data were not read")
                << std::endl;
      return 1;
    }
    steps.beforeRun(problem());
    {
      StepScope scope(steps.listener());
      dialog.click(kIdSolve);
    }
    steps.afterRun(lastRunResult(), dataFile, r + 1);
    // Eps, Nlim, Omega: the box that stopped the run, or one read as it does not look.
    const ParameterNotes params = describeParameters(problem());
    if (lastRunResult().refusal == Refusal::MissingParameters)
      for (const std::string& p : params.problems) std::cerr << plat.prefix << p << std::endl;
    else if (lastRunResult().written())
      for (const std::string& w : params.warnings) std::cerr << plat.prefix << "Atentie: " << w << std::endl;
    // Text after the data that was not a report: the window asks first.
    if (const std::size_t lines = InputDataFile().replacedTextLines(); lines > 0)
      std::cerr << kProgram << ": " << prefix << replacedTextNote(lines) << std::endl;
    // A run that wrote nothing (its message says why) fails the file.
    if (stopped() || lastRunResult().status == RunStatus::Refused) return 1;
    if (o.analysis.any())
      if (const std::optional<ProblemState> start = lastRunStartingState())
        plat.standardOutput(analysisForBatch(*start, o.analysis));
  }
  return 0;
}

// --exercises: the set and its key in the folder. Nothing is replaced.
int writeExercises(const Options& o) {
  const std::string& dir = o.dataFiles.front();
  const ExerciseSetResult r = writeExerciseSet(o.request, dir);
  if (!r.ok) {
    std::cerr << kProgram << ": " << r.error << std::endl;
    return 1;
  }
  std::cout << exerciseCount(o.request.count) << " in " << dir << ", solutiile in "
            << (fs::path(dir) / kAnswerKeyName).string() << "\n";
  return 0;
}

// Everything written to standard output has reached it.
bool standardOutputWritten() {
  std::cout.flush();
  const bool flushed = std::fflush(stdout) == 0;
  return flushed && std::cout.good() && !std::ferror(stdout);
}

int finish(int status) {
  if (!standardOutputWritten()) {
    const int err = errno;
    std::cerr << kProgram << ": cannot write to standard output" << (err ? std::string(": ") + std::strerror(err) : "")
              << std::endl;
    return std::max(status, 1);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << kProgram << ": " << e.message << "\n" << kUsageLine << "Try 'parvela-batch --help' for more information.\n";
    return 2;
  }
  if (options.help) {
    std::cout << kHelp;
    return finish(0);
  }
  if (options.version) {
    std::cout << "parvela-batch (Parvela) " PARVELA_VERSION "\n";
    return finish(0);
  }
  if (options.exercises) return finish(writeExercises(options));
  if (options.outputDir) {
    std::error_code ec;
    fs::create_directories(*options.outputDir, ec);
    if (ec || !fs::is_directory(*options.outputDir)) {
      std::cerr << kProgram << ": cannot create the folder " << *options.outputDir
                << (ec ? ": " + ec.message() : std::string(": a file of that name exists")) << std::endl;
      return 1;
    }
  }

  BatchPlatform plat;
  setPlatform(&plat);
  const bool several = options.dataFiles.size() > 1;
  int status = 0;
  // The progress line, on a terminal only; --quiet silences it.
  TerminalProgress progress(std::cerr);
  MonitorScope progressScope(!options.quiet && TerminalProgress::standardErrorIsTerminal() ? &progress : nullptr);
  // The steps of every run, written at the end.
  BatchSteps steps;
  steps.jsonPath = options.steps;
  steps.latexPath = options.stepsLatex;
  for (const std::string& file : options.dataFiles) {
    plat.prefix = several ? file + ": " : std::string();
    int fileStatus = 1;
    try {
      fileStatus = runOne(options, file, plat, steps);
    } catch (const NotAllowed& e) {
      std::cerr << kProgram << ": " << plat.prefix << e.message << std::endl;
      fileStatus = 1;
    }
    if (several) plat.endFile();
    status = std::max(status, fileStatus);
  }
  setPlatform(nullptr);
  if (std::string error; steps.enabled() && !steps.write(error)) {
    std::cerr << kProgram << ": " << error << std::endl;
    status = std::max(status, 1);
  }
  return finish(status);
}
