#include "ui/core/controls.h"

#include <new>
#include <utility>

#include "core/norm_choice.h"
#include "run/dispatcher.h"
#include "core/platform.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "run/saved_state.h"
#include "io/fortran_io.h"
#include "io/reader.h"
#include "io/report.h"
#include "ui/core/file_selection.h"
#include "ui/core/help.h"
#include "ui/core/templates.h"

namespace parvela {

bool ENABLE_REZOLVA() {
  const ProblemState& s = problem();
  if (s.problemKind == ProblemKind::ConditionNumber) return s.normSelection != 0 && s.dataRead;
  return s.dataRead && s.methodChosen;
}

void EN_DISABLE_CONDITIE(Dialog& d) {
  const bool e = problem().problemKind != ProblemKind::ConditionNumber;
  d.DLG_SET_ENABLED(kIdMaxDifferences, e);
  d.DLG_SET_ENABLED(kIdEachEquation, e);
  if (!e) d.DLG_CLEAR_SELECTION(kIdMethodList);
  d.DLG_SET_ENABLED(kIdMethodList, e);
}

void SET_GS_CONTROLS(Dialog& d) {
  const ProblemState& s = problem();
  const bool isIterative = isIterativeMethod(s.methodIndex);
  const bool isSOR = methodNeedsOmega(s.methodIndex);
  if (isIterative)
    d.DLG_SET_LABEL(kIdMethodLabel, s.METODA[static_cast<std::size_t>(s.methodIndex)]);
  else
    d.DLG_SET_LABEL(kIdMethodLabel, " ");
  d.DLG_SET_ENABLED(kIdEps, isIterative);
  d.DLG_SET_ENABLED(kIdNlim, isIterative);
  d.DLG_SET_ENABLED(kIdIterations, isIterative);
  d.DLG_SET_ENABLED(kIdDeterminant, !isIterative);
  d.DLG_SET_ENABLED(kIdOmega, isSOR);
}

std::string countText(std::int32_t k) {
  // Written with I<w>, w = WIDTH(k), left-aligned in three characters; a
  // longer value is shown in full.
  std::string field = formatRecord(fillWidths("(I<>)", {WIDTH(k)}), {k});
  const std::size_t first = field.find_first_not_of(' ');
  field.erase(0, first == std::string::npos ? field.size() : first);
  if (field.size() < 3) field.resize(3, ' ');
  return field;
}

namespace {

void readData(Dialog& d) {
  ProblemState& s = problem();
  try {
    READINPUTFILE();
    setLastWorkOutcome(s.dataRead ? WorkOutcome::Completed : WorkOutcome::Refused);
  } catch (const WorkCancelled&) {
    // Stopped by the user: as after a failed read, nothing can run until
    // a read succeeds (the file's data end was forgotten when it loaded).
    s.dataRead = false;
    setLastWorkOutcome(WorkOutcome::Cancelled);
    platform().messageBox("Citirea datelor a fost oprita.\nCititi din nou datele cu \"Citeste\".", "Info",
                          IconKind::Information);
  }
  d.DLG_SET_TEXT(kIdOrder, countText(s.n));
  d.DLG_SET_TEXT(kIdRhsCount, countText(s.nb));
  d.DLG_SET_ENABLED(kIdSolve, ENABLE_REZOLVA());
}

void chooseMethod(Dialog& d) {
  ProblemState& s = problem();
  s.methodIndex = d.DLG_GET_SELECTION(kIdMethodList);
  SET_GS_CONTROLS(d);
  if (methodNeedsSymmetric(s.methodIndex) && !d.DLG_GET_STATE(kIdSymmetric)) {
    const std::string text =
        "Metoda " + std::string(methodName(s.methodIndex)) + ":\nTipul Matrice: trebuie sa fie 'Simetrica'";
    platform().messageBox(text, "Info", IconKind::Information);
    d.DLG_SET_STATE(kIdSymmetric, true);
    s.matrixKind = MatrixKind::Symmetric;
  }
  s.methodChosen = true;
  d.DLG_SET_ENABLED(kIdSolve, ENABLE_REZOLVA());
}

void chooseNorm(Dialog& d) {
  ProblemState& s = problem();
  s.normSelection = d.DLG_GET_SELECTION(kIdNormList);
  s.normIndex = normIndexForSelection(s.normSelection);
  d.DLG_SET_ENABLED(kIdSolve, ENABLE_REZOLVA());
}

}  // namespace

void SUB_GENERAL(Dialog& d, int controlId, int /*eventCode*/) {
  ProblemState& s = problem();
  switch (controlId) {
    case kIdSystem:
    case kIdInverse:
      s.problemKind = controlId == kIdSystem ? ProblemKind::System : ProblemKind::Inverse;
      EN_DISABLE_CONDITIE(d);
      d.DLG_SET_ENABLED(kIdNormList, false);
      d.DLG_SET_LABEL(kIdPrintMatrix, "Matrice");
      d.DLG_SET_ENABLED(kIdDeterminant, true);
      break;
    case kIdConditionNumber:
      s.problemKind = ProblemKind::ConditionNumber;
      EN_DISABLE_CONDITIE(d);
      d.DLG_SET_ENABLED(kIdNormList, true);
      d.DLG_SET_LABEL(kIdPrintMatrix, "Matrice inversa");
      s.methodIndex = 0;
      SET_GS_CONTROLS(d);
      d.DLG_SET_ENABLED(kIdDeterminant, false);
      break;
    case kIdGeneral:
      s.matrixKind = MatrixKind::General;
      break;
    case kIdSymmetric:
      s.matrixKind = MatrixKind::Symmetric;
      break;
    case kIdInvertElements:
      s.invertElements = d.DLG_GET_STATE(kIdInvertElements);
      break;
    case kIdFromFile:
      s.inputSource = InputSource::DataFile;
      d.DLG_SET_ENABLED(kIdGeneratorList, false);
      break;
    case kIdGenerated:
      s.inputSource = InputSource::Generated;
      d.DLG_SET_ENABLED(kIdGeneratorList, true);
      break;
    case kIdPrintMatrix:
      s.printMatrix = d.DLG_GET_STATE(kIdPrintMatrix);
      break;
    case kIdDeterminant:
      s.printDeterminant = d.DLG_GET_STATE(kIdDeterminant);
      break;
    case kIdMaxDifferences:
      s.verifyMode = VerifyMode::MaxDifferences;
      break;
    case kIdEachEquation:
      s.verifyMode = VerifyMode::EachEquation;
      break;
    case kIdIterations:
      s.printIterations = d.DLG_GET_STATE(kIdIterations);
      break;
    case kIdMethodList:
      chooseMethod(d);
      break;
    case kIdGeneratorList:
      s.generatorIndex = d.DLG_GET_SELECTION(kIdGeneratorList);
      break;
    case kIdNormList:
      chooseNorm(d);
      break;
    case kIdRead:
      readData(d);
      break;
    case kIdEps:
      s.epsText = d.DLG_GET_TEXT(kIdEps, kParamTextLength);
      break;
    case kIdNlim:
      s.nlimText = d.DLG_GET_TEXT(kIdNlim, kParamTextLength);
      break;
    case kIdOmega:
      s.omegaText = d.DLG_GET_TEXT(kIdOmega, kParamTextLength);
      break;
    default:
      break;
  }
}

void INITIALIZECONTROLS(Dialog& d) {
  const ProblemState& s = problem();
  d.DLG_SET_STATE(kIdSystem, s.problemKind == ProblemKind::System);
  d.DLG_SET_STATE(kIdInverse, s.problemKind == ProblemKind::Inverse);
  d.DLG_SET_STATE(kIdConditionNumber, s.problemKind == ProblemKind::ConditionNumber);
  d.DLG_SET_STATE(kIdGeneral, s.matrixKind == MatrixKind::General);
  d.DLG_SET_STATE(kIdSymmetric, s.matrixKind == MatrixKind::Symmetric);
  d.DLG_SET_STATE(kIdFromFile, s.inputSource == InputSource::DataFile);
  d.DLG_SET_STATE(kIdGenerated, s.inputSource == InputSource::Generated);
  d.DLG_SET_STATE(kIdInvertElements, s.invertElements);
  d.DLG_SET_STATE(kIdPrintMatrix, s.printMatrix);
  d.DLG_SET_STATE(kIdDeterminant, s.printDeterminant);
  d.DLG_SET_STATE(kIdIterations, s.printIterations);
  d.DLG_SET_STATE(kIdMaxDifferences, s.verifyMode == VerifyMode::MaxDifferences);
  d.DLG_SET_STATE(kIdEachEquation, s.verifyMode == VerifyMode::EachEquation);

  d.DLG_SET_ENABLED(kIdSolve, false);
  d.DLG_SET_ENABLED(kIdOpen, false);
  d.DLG_SET_ENABLED(kIdRead, false);

  for (std::size_t i = 1; i <= kGeneratorNames.size(); ++i) d.DLG_ADD_ENTRY(kIdGeneratorList, trimRight(s.GENERATA[i]));
  d.DLG_SET_ENABLED(kIdGeneratorList, false);

  for (std::int32_t code : {0, 1, 2, -1}) d.DLG_ADD_ENTRY(kIdNormList, trimRight(NORMA_CONTROL(code)));
  d.DLG_CLEAR_SELECTION(kIdNormList);
  d.DLG_SET_ENABLED(kIdNormList, false);

  for (std::size_t i = 1; i <= kMethods.size(); ++i) d.DLG_ADD_ENTRY(kIdMethodList, trimRight(s.METODA[i]));

  d.DLG_SET_LABEL(kIdPrintMatrix, "Matrice");

  d.DLG_SET_TEXT(kIdFilePath, "");
  d.DLG_SET_TEXT(kIdOrder, "");
  d.DLG_SET_TEXT(kIdRhsCount, "");

  SET_GS_CONTROLS(d);
}

namespace {

// Memory refused anywhere in a user action ends that action with a message;
// the program goes on.
DialogCallback guarded(DialogCallback routine) {
  return [routine = std::move(routine)](Dialog& dlg, int id, int event) {
    try {
      routine(dlg, id, event);
    } catch (const std::bad_alloc&) {
      platform().messageBox("Memorie insuficienta.", "Error", IconKind::Error);
    }
  };
}

}  // namespace

void registerMainCallbacks(Dialog& d) {
  d.DLG_SET_CALLBACK(kIdSolve, guarded([](Dialog& dlg, int id, int event) { PARVELAAPPLY(&dlg, id, event); }));
  d.DLG_SET_CALLBACK(kIdSelect, guarded(SUB_SELECT));
  d.DLG_SET_CALLBACK(kIdOpen, guarded(SUB_OPEN));
  d.DLG_SET_CALLBACK(kIdFileHelp, guarded(SUB_HELP));
  d.DLG_SET_CALLBACK(kIdGeneratorHelp, guarded(SUB_GENHELP));
  d.DLG_SET_CALLBACK(kIdIterationHelp, guarded(SUB_HELP_GS));
  for (int id : {kIdGeneratorList, kIdNormList, kIdMethodList, kIdSystem, kIdInverse, kIdConditionNumber,
                 kIdGeneral, kIdSymmetric, kIdFromFile, kIdGenerated, kIdMaxDifferences, kIdEachEquation,
                 kIdInvertElements, kIdPrintMatrix, kIdDeterminant, kIdIterations, kIdRead})
    d.DLG_SET_CALLBACK(id, guarded(SUB_GENERAL));
  d.DLG_SET_CALLBACK(kIdAbout, guarded(SUB_ABOUT));
  for (int id : {kIdEps, kIdNlim, kIdOmega}) d.DLG_SET_CALLBACK(id, guarded(SUB_GENERAL));
}

}  // namespace parvela
