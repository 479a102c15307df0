#include "run/saved_state.h"

#include <atomic>
#include <cstring>
#include <string_view>
#include <utility>


namespace parvela {

ProblemSnapshot takeProblemSnapshot() { return ProblemSnapshot{problem(), InputDataFile()}; }

void takeProblemSnapshot(ProblemSnapshot& into) {
  into.state = problem();
  into.file = InputDataFile();
}

void restoreProblemSnapshot(ProblemSnapshot&& snapshot) {
  problem() = std::move(snapshot.state);
  InputDataFile() = std::move(snapshot.file);
}

namespace {

class Fnv {
 public:
  void bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) {
      h_ ^= b[i];
      h_ *= 1099511628211ull;
    }
  }
  template <class T>
  void value(const T& v) {
    bytes(&v, sizeof v);
  }
  void text(std::string_view s) {
    value(s.size());
    bytes(s.data(), s.size());
  }
  void floats(const std::vector<float>& v) {
    value(v.size());
    bytes(v.data(), v.size() * sizeof(float));
  }
  std::uint64_t result() const { return h_; }

 private:
  std::uint64_t h_ = 14695981039346656037ull;
};

std::atomic<WorkOutcome> outcome{WorkOutcome::Completed};

}  // namespace

std::uint64_t problemDigest() {
  const ProblemState& s = problem();
  Fnv h;
  h.value(s.n);
  h.value(s.nb);
  h.value(s.nc);
  h.floats(s.A);
  h.floats(s.AV);
  h.floats(s.B);
  h.floats(s.C);
  h.value(s.avAllocated);
  h.value(s.problemKind);
  h.value(s.matrixKind);
  h.value(s.inputSource);
  h.value(s.verifyMode);
  h.value(s.invertElements);
  h.value(s.printMatrix);
  h.value(s.printDeterminant);
  h.value(s.printIterations);
  h.value(s.methodIndex);
  h.value(s.generatorIndex);
  h.value(s.normSelection);
  h.value(s.normIndex);
  h.text(s.epsText);
  h.text(s.nlimText);
  h.text(s.omegaText);
  h.value(s.eps);
  h.value(s.nlim);
  h.value(s.omega);
  h.value(s.oneMinusOmega);
  h.text(s.dataFileName);
  h.value(s.dataRead);
  h.value(s.methodChosen);
  h.text(s.genHelpFileName);
  for (const std::string& name : s.METODA) h.text(name);
  for (const std::string& name : s.GENERATA) h.text(name);
  const DataFile& f = InputDataFile();
  h.text(f.path());
  h.text(f.contents());
  h.value(f.hasDataEnd());
  h.value(f.dataEnd());
  h.value(f.reportWritten());
  h.value(f.crlf());
  return h.result();
}

WorkOutcome lastWorkOutcome() { return outcome.load(); }
void setLastWorkOutcome(WorkOutcome o) { outcome.store(o); }

}  // namespace parvela
