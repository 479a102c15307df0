#include "run/dispatcher.h"

#include <mutex>
#include <new>
#include <string>
#include <string_view>

#include "core/methods.h"
#include "core/platform.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "io/data_file.h"
#include "io/fortran_io.h"
#include "io/report.h"
#include "run/drivers.h"
#include "run/saved_state.h"

namespace parvela {
namespace {

constexpr const char* kCaptionEroare = "Eroare";
constexpr const char* kCaptionError = "Error";
constexpr const char* kChangedSinceRead =
    "Fisierul de date a fost modificat dupa citire.\nCititi din nou datele cu \"Citeste\".";

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
bool dataFitChoices(const ProblemState& s) {
  if (s.n < 1 || s.nb < 0) return false;
  const std::size_t n = static_cast<std::size_t>(s.n);
  const std::size_t nb = static_cast<std::size_t>(s.nb);
  // The right-hand sides of a system, or the identity: the read decided.
  if (s.readForSystem != (s.problemKind == ProblemKind::System)) return false;
  if (s.problemKind != ProblemKind::System && nb != n) return false;
  if (s.A.size() < n * n || s.B.size() < n * nb) return false;
  if (s.problemKind == ProblemKind::ConditionNumber) return true;
  if (s.problemKind == ProblemKind::System && nb < 1) return false;
  if (methodReadsPacked(s.methodIndex)) {
    // The packed array must hold this matrix, put there by the last read.
    if (!s.avFromRead) return false;
    if (s.avAllocated && s.AV.size() < n * (n + 1) / 2) return false;
  }
  return true;
}

// The checks a run must pass before anything is written: Refusal::None,
// or why it cannot run after the message box that says so.
Refusal runAllowed() {
  const ProblemState& s = problem();
  if (s.problemKind != ProblemKind::ConditionNumber) {
    const MethodInfo* method = methodInfo(s.methodIndex);
    if (!method) {
      refuse("Alegeti o metoda de rezolvare din lista \"Metoda\".", kCaptionEroare);
      return Refusal::NoMethod;
    }
    // Zero tests only (a NaN passes); an Nlim below 1 would run no sweep.
    if (method->family == MethodFamily::Iterative &&
        (s.eps == 0.0f || s.nlim < 1 || (method->needsOmega && s.omega == 0.0f))) {
      refuse(method->needsOmega ? "Introdu EPS si/sau NLIM si/sau OMEGA" : "Introdu EPS si/sau NLIM",
             kCaptionEroare);
      return Refusal::MissingParameters;
    }
  }
  switch (InputDataFile().checkUnchanged()) {
    case DataFile::WriteResult::Ok:
      break;
    case DataFile::WriteResult::NoData:
      refuse("Cititi datele cu \"Citeste\" inainte de rezolvare.", kCaptionError);
      return Refusal::NotRead;
    case DataFile::WriteResult::Changed:
      refuse(kChangedSinceRead, kCaptionError);
      return Refusal::ChangedSinceRead;
    case DataFile::WriteResult::IoError:
    case DataFile::WriteResult::NoMemory:
      refuse("Fisierul de date nu poate fi citit.", kCaptionError);
      return Refusal::Unreadable;
  }
  if (!dataFitChoices(s)) {
    refuse(kReadAgain, "Info", IconKind::Information);
    return Refusal::ReadAgain;
  }
  if (methodReadsPacked(s.methodIndex) && s.problemKind != ProblemKind::ConditionNumber &&
      !s.avAllocated) {
    // The previous run consumed the packed matrix.
    refuse("Matricea a fost folosita de rularea anterioara (" + std::string(methodName(s.methodIndex)) +
               ").\nCititi din nou datele cu \"Citeste\".",
           "Info", IconKind::Information);
    return Refusal::MatrixConsumed;
  }
  return Refusal::None;
}

// The choices and parameters a run starts from.
RunResult startResult(const ProblemState& s) {
  RunResult r;
  r.problemKind = s.problemKind;
  r.methodIndex = s.problemKind == ProblemKind::ConditionNumber ? 0 : s.methodIndex;
  r.n = s.n;
  r.nb = s.nb;
  r.eps = s.eps;
  r.nlim = s.nlim;
  r.omega = s.omega;
  return r;
}

RunResult lastResult;

// Every run starts from a saved state: a stopped run, or one whose memory
// ran out half-way, puts it back and writes nothing, so the next run sees
// what this one saw. The saved state's storage is kept from run to run;
// after a written run it is the run's starting state, which an analysis
// may copy (from another thread) until the next run takes a new one.
ProblemSnapshot saved;
std::mutex savedMutex;
bool savedIsLastStart = false;

}  // namespace

bool READ_EPSNLIMOMEGA(Dialog*, int, int) {
  ProblemState& s = problem();
  if (!isIterativeMethod(s.methodIndex)) return true;
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
  if (methodNeedsOmega(s.methodIndex)) {
    if (!readFirstReal(s.omegaText, s.omega)) {
      s.omega = 0.0f;
      ok = false;
    }
    s.oneMinusOmega = 1.0f - s.omega;
  }
  return ok;
}

RunResult solveProblem(Dialog* dialog, int controlId, int callbackKind) {
  setLastWorkOutcome(WorkOutcome::Refused);
  READ_EPSNLIMOMEGA(dialog, controlId, callbackKind);
  RunResult result = startResult(problem());
  auto finish = [&](RunResult r) -> RunResult {
    lastResult = r;
    return r;
  };
  if ((result.refusal = runAllowed()) != Refusal::None) return finish(result);

  try {
    std::lock_guard lock(savedMutex);
    savedIsLastStart = false;
    takeProblemSnapshot(saved);
  } catch (const std::bad_alloc&) {
    refuse("Memorie insuficienta pentru rezolvarea problemei.", kCaptionError);
    result.refusal = Refusal::NoMemory;
    return finish(result);
  }

  ReportFile().clear();
  StdOut().clear();
  try {
    PRINT_CODURI();
    result.outcome = runChosenDriver();
    std::string report = ReportFile().take();
    // The report is placed only once it is complete; the last stop point
    // comes before the file is touched.
    const std::string out = StdOut().take();
    const DataFile::WriteResult written = InputDataFile().writeReport(report);
    if (!out.empty()) platform().standardOutput(out);
    switch (written) {
      case DataFile::WriteResult::Ok: {
        setLastWorkOutcome(WorkOutcome::Completed);
        result.status = RunStatus::Written;
        std::lock_guard lock(savedMutex);
        savedIsLastStart = true;
        break;
      }
      case DataFile::WriteResult::Changed:
        refuse(kChangedSinceRead, kCaptionError);
        result.refusal = Refusal::ChangedSinceRead;
        break;
      case DataFile::WriteResult::NoData:
      case DataFile::WriteResult::IoError:
        refuse("Raportul nu a putut fi scris in fisierul de date.", kCaptionError);
        result.refusal = Refusal::WriteFailed;
        break;
      case DataFile::WriteResult::NoMemory:
        refuse("Memorie insuficienta pentru scrierea raportului.\n"
               "Raportul nu a putut fi scris in fisierul de date.",
               kCaptionError);
        result.refusal = Refusal::WriteNoMemory;
        break;
    }
  } catch (const std::bad_alloc&) {
    // The work arrays of a large problem did not fit: nothing is written.
    ReportFile().clear();
    StdOut().clear();
    {
      std::lock_guard lock(savedMutex);
      restoreProblemSnapshot(std::move(saved));
    }
    refuse("Memorie insuficienta pentru rezolvarea problemei.", kCaptionError);
    result.outcome = {};
    result.refusal = Refusal::NoMemory;
  } catch (const WorkCancelled&) {
    ReportFile().clear();
    StdOut().clear();
    {
      std::lock_guard lock(savedMutex);
      restoreProblemSnapshot(std::move(saved));
    }
    setLastWorkOutcome(WorkOutcome::Cancelled);
    result.outcome = {};
    result.status = RunStatus::Cancelled;
  }
  return finish(result);
}

void PARVELAAPPLY(Dialog* dialog, int controlId, int callbackKind) {
  solveProblem(dialog, controlId, callbackKind);
}

const RunResult& lastRunResult() { return lastResult; }

std::optional<ProblemState> lastRunStartingState() {
  std::lock_guard lock(savedMutex);
  if (!savedIsLastStart) return std::nullopt;
  return saved.state;
}

RunResult runOnPrivateState(ProblemState& state, std::string* report, std::string* standardOutput) {
  ProblemScope scope(state);
  TextUnit reportUnit, outUnit;
  OutputScope output(reportUnit, outUnit);
  READ_EPSNLIMOMEGA(nullptr, 0, 0);
  RunResult result = startResult(state);
  PRINT_CODURI();
  result.outcome = runChosenDriver();
  result.status = RunStatus::Computed;
  if (report) *report = reportUnit.take();
  if (standardOutput) *standardOutput = outUnit.take();
  return result;
}

}  // namespace parvela
