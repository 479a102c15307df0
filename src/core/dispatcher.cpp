#include "core/dispatcher.h"

#include <new>
#include <optional>
#include <string>

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

void refuse(const char* text, const char* caption, IconKind icon = IconKind::Error) {
  platform().messageBox(text, caption, icon);
}

// The checks a run must pass before anything is written. False after the
// message box that says why it cannot run.
bool runAllowed() {
  const ProblemState& s = problem();
  if (s.problemKind != ProblemKind::ConditionNumber) {
    if (s.methodIndex < 1 || s.methodIndex > 5) {
      refuse("Alegeti o metoda de rezolvare din lista \"Metoda\".", kCaptionEroare);
      return false;
    }
    const std::string_view name = methodName(s.methodIndex);
    if (name == "Cholesky" && !s.avAllocated) {
      // The previous Cholesky run consumed the packed matrix.
      refuse("Matricea a fost folosita de rularea anterioara (Cholesky).\n"
             "Cititi din nou datele cu \"Citeste\".",
             "Info", IconKind::Information);
      return false;
    }
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
      return true;
    case DataFile::WriteResult::NoData:
      refuse("Cititi datele cu \"Citeste\" inainte de rezolvare.", kCaptionError);
      return false;
    case DataFile::WriteResult::Changed:
      refuse(kChangedSinceRead, kCaptionError);
      return false;
    case DataFile::WriteResult::IoError:
      refuse("Fisierul de date nu poate fi citit.", kCaptionError);
      return false;
  }
  return false;
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
  // Work that can be stopped (a monitor is installed) starts from a saved
  // state: a stopped run puts it back and writes nothing.
  std::optional<ProblemSnapshot> before;
  if (currentMonitor()) before = takeProblemSnapshot();
  setLastWorkOutcome(WorkOutcome::Refused);

  READ_EPSNLIMOMEGA(dialog, controlId, callbackKind);
  if (!runAllowed()) return;

  ReportFile().clear();
  StdOut().clear();
  std::string report;
  try {
    PRINT_CODURI();
    runDriver();
    report = ReportFile().take();
    // The report is placed only once it is complete; the last stop point
    // comes before the file is touched.
    const std::string out = StdOut().take();
    const DataFile::WriteResult written = InputDataFile().writeReport(report);
    if (!out.empty()) platform().standardOutput(out);
    switch (written) {
      case DataFile::WriteResult::Ok:
        setLastWorkOutcome(WorkOutcome::Completed);
        break;
      case DataFile::WriteResult::Changed:
        refuse(kChangedSinceRead, kCaptionError);
        break;
      case DataFile::WriteResult::NoData:
      case DataFile::WriteResult::IoError:
        refuse("Raportul nu a putut fi scris in fisierul de date.", kCaptionError);
        break;
    }
  } catch (const std::bad_alloc&) {
    // The work arrays of a large problem did not fit: nothing is written.
    ReportFile().clear();
    StdOut().clear();
    refuse("Memorie insuficienta pentru rezolvarea problemei.", kCaptionError);
  } catch (const WorkCancelled&) {
    ReportFile().clear();
    StdOut().clear();
    if (before) restoreProblemSnapshot(std::move(*before));
    setLastWorkOutcome(WorkOutcome::Cancelled);
  }
}

}  // namespace parvela
