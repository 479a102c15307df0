// The Eps, Nlim and Omega boxes in words: which box stops a run, and which
// was read differently from how it looks. The reading stays the program's.
#include <gtest/gtest.h>

#include "core/problem_state.h"
#include "run/dispatcher.h"
#include "ui/core/parameter_notes.h"

namespace parvela::test {
namespace {

constexpr std::int32_t kGaussSeidel = 4, kSor = 5, kGauss = 1;

struct Case {
  std::int32_t method;
  const char *eps, *nlim, *omega;
  std::vector<std::string> problems, warnings;
};

TEST(ParameterNotes, EachBoxIsNamedWithWhatStopsOrWhatWasReadDifferently) {
  const std::vector<Case> cases = {
      {kSor, "0.00001", "100", "1.5", {}, {}},
      {kSor, "0.00001", "100", "1,5", {}, {"Omega: '1,5' a fost citit ca 1 (zecimalele se scriu cu punct)"}},
      {kSor, "1e-5 2", "100", "1.2", {}, {"Eps: '1e-5 2' a fost citit ca 1e-5 (restul textului nu se citeste)"}},
      {kSor, "0.001", "50/ zece", "1.2", {}, {"Nlim: '50/ zece' a fost citit ca 50 (restul textului nu se citeste)"}},
      {kSor, "0.001", "50 /", "1.2", {}, {}},
      {kSor, "", "100", "0", {"Eps: caseta este goala", "Omega: '0' este zero"}, {}},
      {kSor, "0,001", "0", "abc", {"Eps: '0,001' este zero (zecimalele se scriu cu punct)", "Nlim: '0' este zero",
                                   "Omega: 'abc' nu se poate citi ca numar real"}, {}},
      {kSor, "1e-3", "12.5", "1.1", {"Nlim: '12.5' nu este un numar intreg"}, {}},
      {kSor, "1e-3", "-3", "1.1", {"Nlim: '-3' este mai mic decat 1"}, {}},
      {kGaussSeidel, "1e-3", "10", "", {}, {}},  // Gauss-Seidel does not read Omega
      {kGauss, "", "", "", {}, {}},              // nor does a direct method read any box
  };
  for (const Case& c : cases) {
    ProblemState s;
    ProblemScope scope(s);
    s.problemKind = ProblemKind::System;
    s.methodIndex = c.method;
    s.epsText = c.eps;
    s.nlimText = c.nlim;
    s.omegaText = c.omega;
    READ_EPSNLIMOMEGA(nullptr, 0, 0);
    const ParameterNotes notes = describeParameters(s);
    EXPECT_EQ(notes.problems, c.problems) << c.eps << " | " << c.nlim << " | " << c.omega;
    EXPECT_EQ(notes.warnings, c.warnings) << c.eps << " | " << c.nlim << " | " << c.omega;
  }
}

}  // namespace
}  // namespace parvela::test
