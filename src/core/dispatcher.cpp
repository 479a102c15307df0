#include "core/dispatcher.h"

#include <new>
#include <string>
#include <string_view>

#include "condition/condition_number.h"
#include "core/platform.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "core/work_runner.h"
#include "direct/cholesky.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "io/data_file.h"
#include "io/fortran_io.h"
#include "io/report.h"
#include "iterative/iteration.h"

namespace parvela {
namespace {

constexpr const char* kCaptionEroare = "Eroare";
constexpr const char* kCaptionError = "Error";
constexpr const char* kChangedSinceRead =
    "Fisierul de date a fost modificat dupa citire.\nCititi din nou datele cu \"Citeste\".";
constexpr const char* kNotWritable =
    "Nu aveti drept de scriere in fisierul de date:\nraportul nu poate fi scris in el.";
constexpr const char* kNotWritten = "Raportul nu a putut fi scris in fisierul de date.";
constexpr const char* kStateKept = "Nu s-a scris nimic; datele sunt cele dinaintea rularii.";

void refuse(std::string_view text, const char* caption, IconKind icon = IconKind::Error) {
  platform().messageBox(text, caption, icon);
}

// The refusal of a run on data the last read did not produce for the
// current choices.
constexpr const char* kReadAgain =
    "Datele citite nu corespund alegerilor facute.\nCititi din nou datele cu \"Citeste\".";

// True when the arrays hold what the chosen driver works on: the data the
// last read produced for these choices, in arrays of the sizes the driver
// needs. Every driver writes a result after the header when this holds.
bool dataFitChoices(const ProblemState& s, std::string_view method) {
  if (s.n < 1 || s.nb < 0) return false;
  const std::size_t n = static_cast<std::size_t>(s.n);
  const std::size_t nb = static_cast<std::size_t>(s.nb);
  // The right-hand sides of a system, or the identity: the read decided.
  if (s.readForSystem != (s.problemKind == ProblemKind::System)) return false;
  if (s.problemKind != ProblemKind::System && nb != n) return false;
  if (s.A.size() < n * n || s.B.size() < n * nb) return false;
  if (s.problemKind == ProblemKind::ConditionNumber) return true;
  if (s.problemKind == ProblemKind::System && nb < 1) return false;
  if (method == "Cholesky") {
    // The packed array must hold this matrix, put there by the last read.
    if (!s.avFromRead) return false;
    if (s.avAllocated && s.AV.size() < n * (n + 1) / 2) return false;
  }
  return true;
}

// The checks a run must pass before anything is written. False after the
// message box that says why it cannot run.
bool runAllowed() {
  const ProblemState& s = problem();
  std::string_view name;
  if (s.problemKind != ProblemKind::ConditionNumber) {
    if (s.methodIndex < 1 || s.methodIndex > 5) {
      refuse("Alegeti o metoda de rezolvare din lista \"Metoda\".", kCaptionEroare);
      return false;
    }
    name = methodName(s.methodIndex);
    // Zero tests only (a NaN passes); an Nlim below 1 would run no sweep.
    if (name == "Gauss-Seidel" && (s.eps == 0.0f || s.nlim < 1)) {
      refuse("Introdu EPS si/sau NLIM", kCaptionEroare);
      return false;
    }
    if (name == "SOR" && (s.eps == 0.0f || s.nlim < 1 || s.omega == 0.0f)) {
      refuse("Introdu EPS si/sau NLIM si/sau OMEGA", kCaptionEroare);
      return false;
    }
  }
  switch (InputDataFile().checkUnchanged()) {
    case DataFile::WriteResult::Ok:
      break;
    case DataFile::WriteResult::NoData:
      refuse("Cititi datele cu \"Citeste\" inainte de rezolvare.", kCaptionError);
      return false;
    case DataFile::WriteResult::Changed:
      refuse(kChangedSinceRead, kCaptionError);
      return false;
    case DataFile::WriteResult::NotWritable:
      refuse(kNotWritable, kCaptionError);
      return false;
    case DataFile::WriteResult::IoError:
    case DataFile::WriteResult::NoMemory:
      refuse("Fisierul de date nu poate fi citit.", kCaptionError);
      return false;
  }
  if (!dataFitChoices(s, name)) {
    refuse(kReadAgain, "Info", IconKind::Information);
    return false;
  }
  if (name == "Cholesky" && !s.avAllocated) {
    // The previous Cholesky run consumed the packed matrix.
    refuse("Matricea a fost folosita de rularea anterioara (Cholesky).\n"
           "Cititi din nou datele cu \"Citeste\".",
           "Info", IconKind::Information);
    return false;
  }
  // Text after the data that no report wrote goes only when the user says so.
  const DataFile::ForeignText notes = InputDataFile().foreignText();
  return notes.lines == 0 || platform().question(notes.question(), "Parvela");
}

void runDriver() {
  const ProblemState& s = problem();
  if (s.problemKind == ProblemKind::ConditionNumber) {
    NUMAR_CONDITIE();
    return;
  }
  const std::string_view name = methodName(s.methodIndex);
  if (name == "Gauss") {
    GAUSS();
  } else if (name == "LU") {
    LU();
  } else if (name == "Cholesky") {
    CHOLESKY_S();
  } else if (name == "Gauss-Seidel") {
    GAUSS_SEIDEL();
  } else if (name == "SOR") {
    SOR();
  }
}

}  // namespace

bool READ_EPSNLIMOMEGA(Dialog*, int, int) {
  ProblemState& s = problem();
  if (s.methodIndex < 4) return true;
  bool ok = true;
  // A text that does not read as a number of its kind counts as zero.
  if (!readFirstReal(s.epsText, s.eps)) {
    s.eps = 0.0f;
    ok = false;
  }
  if (!readFirstInteger(s.nlimText, s.nlim)) {
    s.nlim = 0;
    ok = false;
  }
  if (s.methodIndex == 5) {
    if (!readFirstReal(s.omegaText, s.omega)) {
      s.omega = 0.0f;
      ok = false;
    }
    s.oneMinusOmega = 1.0f - s.omega;
  }
  return ok;
}

void PARVELAAPPLY(Dialog* dialog, int controlId, int callbackKind) {
  setLastWorkOutcome(WorkOutcome::Refused);
  READ_EPSNLIMOMEGA(dialog, controlId, callbackKind);
  if (!runAllowed()) return;

  // Every run starts from a saved state: a stopped run, or one whose memory
  // ran out half-way, puts it back and writes nothing, so the next run sees
  // what this one saw. The saved state's storage is kept from run to run.
  static ProblemSnapshot saved;
  try {
    takeProblemSnapshot(saved);
  } catch (const std::bad_alloc&) {
    refuse("Memorie insuficienta pentru rezolvarea problemei.", kCaptionError);
    return;
  }

  ReportFile().clear();
  StdOut().clear();
  try {
    PRINT_CODURI();
    runDriver();
    std::string report = ReportFile().take();
    // The report is placed only once it is complete; the last stop point
    // comes before the file is touched.
    const std::string out = StdOut().take();
    const DataFile::WriteResult written = InputDataFile().writeReport(report);
    const int error = InputDataFile().lastWriteError();
    if (!out.empty()) platform().standardOutput(out);
    // Not written: everything as before the run (as after "Opreste"), so
    // that another press writes the report this one would have written.
    if (written != DataFile::WriteResult::Ok) restoreProblemSnapshot(std::move(saved));
    switch (written) {
      case DataFile::WriteResult::Ok:
        setLastWorkOutcome(WorkOutcome::Completed);
        break;
      case DataFile::WriteResult::Changed:
        refuse(kChangedSinceRead, kCaptionError);
        break;
      case DataFile::WriteResult::NotWritable:
        refuse(kNotWritable, kCaptionError);
        break;
      case DataFile::WriteResult::NoData:
      case DataFile::WriteResult::IoError:
        refuse(std::string(kNotWritten) + "\n" + writeErrorText(error) + "\n" + kStateKept, kCaptionError);
        break;
      case DataFile::WriteResult::NoMemory:
        refuse(std::string("Memorie insuficienta pentru scrierea raportului.\n") + kNotWritten + "\n" + kStateKept,
               kCaptionError);
        break;
    }
  } catch (const std::bad_alloc&) {
    // The work arrays of a large problem did not fit: nothing is written.
    ReportFile().clear();
    StdOut().clear();
    restoreProblemSnapshot(std::move(saved));
    refuse("Memorie insuficienta pentru rezolvarea problemei.", kCaptionError);
  } catch (const WorkCancelled&) {
    ReportFile().clear();
    StdOut().clear();
    restoreProblemSnapshot(std::move(saved));
    setLastWorkOutcome(WorkOutcome::Cancelled);
  }
}

}  // namespace parvela
