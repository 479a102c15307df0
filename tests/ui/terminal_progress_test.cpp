// The batch front end's progress line and the words both front ends use.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "ui/core/progress_text.h"
#include "ui/core/terminal_progress.h"

namespace parvela {
namespace {

TEST(ProgressText, TheWordsOfEveryStage) {
  EXPECT_EQ(progressText({Stage::Elimination, 12, 1500}), "Eliminare: coloana 12 din 1500");
  EXPECT_EQ(progressText({Stage::LuFactorization, 3, 40}), "Factorizare LU: pasul 3 din 40");
  EXPECT_EQ(progressText({Stage::Cholesky, 7, 9}), "Cholesky: linia 7 din 9");
  EXPECT_EQ(progressText({Stage::Iteration, 5, 100, 0.00125, 1}), "Iteratia 5 din 100, max|x - x_ant| = 1.250E-03");
  EXPECT_EQ(progressText({Stage::Iteration, 5, 100, 0.5, 2}),
            "Iteratia 5 din 100, max|x - x_ant| = 5.000E-01 (termenul liber 2)");
  EXPECT_EQ(progressText({Stage::PowerMethod, 41, 1000, 0.0, 3}), "Metoda puterii: iteratia 41 (trecerea 3)");
  EXPECT_EQ(progressText({Stage::Verification, 1, 2}), "Verificare");
  EXPECT_EQ(progressText({Stage::ReportWrite, 0, 10}), "Scriere raport");
  EXPECT_EQ(progressText({Stage::ReportAssembly, 700, 1500, 0.0, 2}),
            "Pregatire raport: solutiile, coloana 700 din 1500");
  EXPECT_EQ(progressText({Stage::ReportAssembly, 64, 1500, 0.0, 1}), "Pregatire raport: matricea, linia 64 din 1500");
  EXPECT_EQ(progressText({Stage::Reading, 3 << 20, 80 << 20}), "Citire date: 3,0 MB din 80,0 MB");
  EXPECT_EQ(progressText({Stage::Generating, 2, 5}), "Generare matrice: coloana 2 din 5");

  EXPECT_DOUBLE_EQ(progressFraction({Stage::Elimination, 5, 20}), 0.25);
  EXPECT_DOUBLE_EQ(progressFraction({Stage::Elimination, 30, 20}), 1.0);
  EXPECT_LT(progressFraction({Stage::ReportWrite, 5, 0}), 0.0);  // amount not known
  EXPECT_EQ(elapsedText(0.44), "0,4 s");
  EXPECT_EQ(elapsedText(125.0), "2 min 05 s");
}

TEST(TerminalProgress, OneLineRewrittenInPlaceAndWipedAtTheEnd) {
  std::ostringstream out;
  {
    TerminalProgress line(out, std::chrono::seconds(0), std::chrono::seconds(0));
    line.progress({Stage::Elimination, 1, 4});
    line.progress({Stage::Elimination, 2, 4});
    EXPECT_EQ(out.str().find('\n'), std::string::npos);  // never a new line
    EXPECT_NE(out.str().find("\rEliminare: coloana 2 din 4  50 %"), std::string::npos);
    line.progress({Stage::ReportWrite, 10, 10});  // the report is written: the line goes
    EXPECT_EQ(out.str().substr(out.str().size() - 4), "\r\x1b[K");
    const std::size_t wiped = out.str().size();
    line.clear();  // nothing shown, nothing to wipe
    EXPECT_EQ(out.str().size(), wiped);
  }

  // Short work shows nothing at all.
  std::ostringstream quiet;
  {
    TerminalProgress line(quiet, std::chrono::hours(1));
    for (int k = 1; k < 100; ++k) line.progress({Stage::Elimination, k, 100});
  }
  EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace parvela
