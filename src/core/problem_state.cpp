#include "core/problem_state.h"

#include <new>

#include "core/large_pages.h"

namespace parvela {

std::string fixedText(std::string_view text, std::size_t len) {
  std::string s(text.substr(0, len));
  s.resize(len, ' ');
  return s;
}

std::string_view trimRight(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

namespace {
constinit thread_local ProblemState* tlsProblem = nullptr;
}  // namespace

ProblemState& problem() {
  static ProblemState state;
  return tlsProblem ? *tlsProblem : state;
}

ProblemScope::ProblemScope(ProblemState& state) : previous_(tlsProblem) { tlsProblem = &state; }
ProblemScope::~ProblemScope() { tlsProblem = previous_; }

void INITIALIZEDATA() {
  ProblemState& s = problem();
  s.problemKind = ProblemKind::System;
  s.inputSource = InputSource::DataFile;
  s.matrixKind = MatrixKind::General;
  s.invertElements = false;
  s.printMatrix = false;
  s.verifyMode = VerifyMode::MaxDifferences;
  s.printDeterminant = false;
  s.printIterations = false;
  s.METODA[0].clear();
  for (std::size_t i = 0; i < kMethodNames.size(); ++i) s.METODA[i + 1] = fixedText(kMethodNames[i], kNameLength);
  s.GENERATA[0].clear();
  for (std::size_t i = 0; i < kGeneratorNames.size(); ++i)
    s.GENERATA[i + 1] = fixedText(kGeneratorNames[i], kNameLength);
  s.genHelpFileName = "Help-Generare.txt";
  s.dataRead = false;
  s.methodChosen = false;
  s.generatorIndex = 0;
  s.methodIndex = 0;
  s.normSelection = 0;
  s.epsText = fixedText("0.", kParamTextLength);
  s.nlimText = fixedText("0", kParamTextLength);
  s.omegaText = fixedText("0.", kParamTextLength);
  s.eps = 0.0f;
  s.nlim = 0;
  s.omega = 0.0f;
}

// The lists never change once INITIALIZEDATA has filled them, so the names
// come from the constant tables: safe from any thread, whatever problem()
// the thread sees.
std::string_view methodName(std::int32_t index) {
  const MethodInfo* m = methodInfo(index);
  return m ? m->name : std::string_view();
}

std::string_view generatorName(std::int32_t index) {
  if (index < 1 || static_cast<std::size_t>(index) > kGeneratorNames.size()) return {};
  return kGeneratorNames[static_cast<std::size_t>(index - 1)];
}

bool allocateZeroed(std::vector<float>& v, std::int64_t count) {
  std::vector<float>().swap(v);  // release the old array first
  if (count < 0 || count > kMaxElements) return false;
  try {
    std::vector<float> fresh;
    fresh.reserve(static_cast<std::size_t>(count));
    preferLargePages(fresh.data(), fresh.capacity() * sizeof(float));
    fresh.resize(static_cast<std::size_t>(count), 0.0f);
    fresh.swap(v);
  } catch (const std::bad_alloc&) {
    v.clear();
    v.shrink_to_fit();
    return false;
  }
  return true;
}

}  // namespace parvela
