// parvela-batch: does from a command line what a user does in the window:
// make the choices, select the data file, "Citeste", then "REZOLVA !".
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "ui/core/controls.h"
#include "ui/core/model_dialog.h"
#include "ui/core/templates.h"
#include "ui/core/terminal_progress.h"

namespace {

using namespace parvela;


constexpr const char* kUsage =
    "Usage: parvela-batch [options] DATAFILE\n"
    "\n"
    "Reads the problem from DATAFILE and writes the report into it, after the data,\n"
    "as the window does for \"Citeste\" and \"REZOLVA !\".\n"
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
    "  --output FILE                      copy DATAFILE to FILE first and work on FILE\n"
    "  --quiet                            no progress line on standard error (shown only\n"
    "                                     when it is a terminal)\n"
    "  --help                             this text\n"
    "\n"
    "Message boxes are printed to standard error as \"Caption: text\". Exit status: 0 on\n"
    "success (also when the report records a numerical breakdown), 1 after an \"Error\"\n"
    "or \"Eroare\" message or a run the window would not allow, 2 for a usage error.\n";

struct UsageError {
  std::string message;
};

// Console platform of the batch run: message boxes go to standard error and
// the file dialog answers with the data file.
class BatchPlatform final : public Platform {
 public:
  std::string fileToSelect;
  bool failed = false;  // an "Error" or "Eroare" box was shown

  void messageBox(std::string_view text, std::string_view caption, IconKind) override {
    std::string joined(text);
    for (char& c : joined)
      if (c == '\n') c = ' ';
    std::cout.flush();
    std::cerr << caption << ": " << joined << std::endl;
    if (caption == "Error" || caption == "Eroare") failed = true;
  }
  void standardOutput(std::string_view text) override {
    std::cout << text;
    std::cout.flush();
  }
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override {
    if (fileToSelect.empty()) return std::nullopt;
    return fileToSelect;
  }
  void viewFile(const std::string&) override {}
  std::optional<std::string> searchProgramPath(const std::string& name) override {
    return searchAlongProgramPath(name);
  }
};

struct Options {
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
  int runs = 1;
  std::optional<std::string> output;
  bool quiet = false;
  std::string dataFile;
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

Options parse(int argc, char** argv) {
  Options o;
  std::vector<std::string_view> args(argv + 1, argv + argc);
  for (std::size_t k = 0; k < args.size(); ++k) {
    std::string_view a = args[k];
    auto value = [&]() -> std::string_view {
      if (k + 1 >= args.size()) throw UsageError{"option " + std::string(a) + " needs a value"};
      return args[++k];
    };
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (a == "--problem") {
      o.problemButton = choose(a, value(), {{"system", kIdSystem}, {"inverse", kIdInverse}, {"cond", kIdConditionNumber}});
    } else if (a == "--matrix") {
      o.matrixButton = choose(a, value(), {{"general", kIdGeneral}, {"symmetric", kIdSymmetric}});
    } else if (a == "--input") {
      o.inputButton = choose(a, value(), {{"file", kIdFromFile}, {"generated", kIdGenerated}});
    } else if (a == "--generator") {
      o.generator = listEntry(a, value(), kGeneratorNames);
    } else if (a == "--method") {
      o.method = listEntry(a, value(), kMethodNames);
    } else if (a == "--verify") {
      o.verifyButton = choose(a, value(), {{"max", kIdMaxDifferences}, {"each", kIdEachEquation}});
    } else if (a == "--norm") {
      o.norm = choose(a, value(), {{"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}});
    } else if (a == "--print-matrix") {
      o.printMatrix = true;
    } else if (a == "--determinant") {
      o.determinant = true;
    } else if (a == "--iterations") {
      o.iterations = true;
    } else if (a == "--invert") {
      o.invert = true;
    } else if (a == "--eps") {
      o.eps = std::string(value());
    } else if (a == "--nlim") {
      o.nlim = std::string(value());
    } else if (a == "--omega") {
      o.omega = std::string(value());
    } else if (a == "--runs") {
      std::string v(value());
      char* end = nullptr;
      long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 0 || n > 1000000) throw UsageError{"bad value for --runs: '" + v + "'"};
      o.runs = static_cast<int>(n);
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a == "--output") {
      o.output = std::string(value());
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError{"unknown option " + std::string(a)};
    } else if (o.dataFile.empty()) {
      o.dataFile = std::string(a);
    } else {
      throw UsageError{"more than one data file given"};
    }
  }
  if (o.dataFile.empty()) throw UsageError{"no data file given"};
  return o;
}

// A choice the window would not let the user make (a disabled control).
struct NotAllowed {
  std::string message;
};

void need(bool done, const std::string& what) {
  if (!done) throw NotAllowed{what + ": the control is disabled in the window for these choices"};
}

int run(const Options& o, BatchPlatform& plat) {
  std::string target = o.dataFile;
  if (std::error_code ec; !std::filesystem::is_regular_file(o.dataFile, ec)) {
    std::cerr << "parvela-batch: no such data file: " << o.dataFile << std::endl;
    return 1;
  }
  if (o.output) {
    std::error_code ec;
    std::filesystem::copy_file(o.dataFile, *o.output, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      std::cerr << "parvela-batch: cannot copy " << o.dataFile << " to " << *o.output << ": " << ec.message()
                << std::endl;
      return 1;
    }
    target = *o.output;
  }
  plat.fileToSelect = target;

  INITIALIZEDATA();
  ModelDialog dialog(kMainDialog);
  registerMainCallbacks(dialog);
  dialog.DLG_SET_TITLE("Parvela");
  INITIALIZECONTROLS(dialog);

  auto stopped = [&] { return plat.failed; };

  // The clicks, in the order a user makes them.
  if (o.problemButton) need(dialog.click(*o.problemButton), "--problem");
  if (o.matrixButton) need(dialog.click(*o.matrixButton), "--matrix");
  if (o.inputButton) need(dialog.click(*o.inputButton), "--input");
  if (o.generator) need(dialog.select(kIdGeneratorList, *o.generator), "--generator");
  if (o.method) need(dialog.select(kIdMethodList, *o.method), "--method");
  if (o.verifyButton) need(dialog.click(*o.verifyButton), "--verify");
  if (o.norm) need(dialog.select(kIdNormList, *o.norm), "--norm");
  if (o.printMatrix) need(dialog.click(kIdPrintMatrix), "--print-matrix");
  if (o.determinant) need(dialog.click(kIdDeterminant), "--determinant");
  if (o.iterations) need(dialog.click(kIdIterations), "--iterations");
  if (o.invert) need(dialog.click(kIdInvertElements), "--invert");
  if (o.eps) need(dialog.typeText(kIdEps, *o.eps), "--eps");
  if (o.nlim) need(dialog.typeText(kIdNlim, *o.nlim), "--nlim");
  if (o.omega) need(dialog.typeText(kIdOmega, *o.omega), "--omega");
  if (stopped()) return 1;

  dialog.click(kIdSelect);
  if (stopped()) return 1;
  need(dialog.click(kIdRead), "Citeste");
  if (stopped()) return 1;

  for (int r = 0; r < o.runs; ++r) {
    if (!dialog.isEnabled(kIdSolve)) {
      std::cerr << "parvela-batch: \"REZOLVA !\" is disabled: "
                << (problem().dataRead ? (problem().problemKind == ProblemKind::ConditionNumber
                                              ? "choose a norm (--norm)"
                                              : "choose a method (--method)")
                                       : "the data were not read")
                << std::endl;
      return 1;
    }
    dialog.click(kIdSolve);
    if (stopped()) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << "parvela-batch: " << e.message << "\n\n" << kUsage;
    return 2;
  }
  BatchPlatform plat;
  setPlatform(&plat);
  int status = 1;
  TerminalProgress progress(std::cerr);
  MonitorScope progressScope(!options.quiet && TerminalProgress::standardErrorIsTerminal() ? &progress : nullptr);
  try {
    status = run(options, plat);
  } catch (const NotAllowed& e) {
    std::cerr << "parvela-batch: " << e.message << std::endl;
    status = 1;
  }
  std::cout.flush();
  setPlatform(nullptr);
  return status;
}
