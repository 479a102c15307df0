// What a read says beyond its message box: where a failed read stopped and
// why, and the warnings of a read whose lines do not look like the layout
// it read. The reader's values and its message stay as they always were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/read_diagnosis.h"
#include "io/reader.h"
#include "recording_platform.h"

namespace parvela {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;
using testing::writeFile;

enum class Setup { Gauss, SymmetricGauss, Cholesky, Inverse, Cauchy, Wilkinson5, NoGenerator };

void choose(Setup setup) {
  ProblemState& s = problem();
  s = ProblemState{};
  INITIALIZEDATA();
  s.methodIndex = 1;
  switch (setup) {
    case Setup::Gauss: break;
    case Setup::SymmetricGauss: s.matrixKind = MatrixKind::Symmetric; break;
    case Setup::Cholesky:
      s.matrixKind = MatrixKind::Symmetric;
      s.methodIndex = 3;
      break;
    case Setup::Inverse: s.problemKind = ProblemKind::Inverse; break;
    case Setup::Cauchy: s.inputSource = InputSource::Generated, s.generatorIndex = 6; break;
    case Setup::Wilkinson5: s.inputSource = InputSource::Generated, s.generatorIndex = 4; break;
    case Setup::NoGenerator: s.inputSource = InputSource::Generated; break;
  }
}

struct Case {
  const char* what;
  Setup setup;
  const char* text;
  const char* stop;  // "" when the read succeeds
  std::size_t line, column;
  std::vector<std::string> warnings;
};

constexpr const char* kComma = " - virgula separa valori, zecimalele se scriu cu punct";

TEST(ReadDiagnosis, WhereReadsStopAndWhatWentDifferently) {
  const std::string sys = "Sistem\n3 1\n";
  const Case cases[] = {
      // A value the reader cannot take: line, column, text, the read.
      {"letter in a row", Setup::Gauss, "T\n4 1\n1 2 3 4\n1 2 3 4\n1.0     abc 2 3\n1 2 3 4\n1 1 1 1\n",
       "linia 5, coloana 9: 'abc' nu este un numar real (randul 3 al matricii, valoarea 2 din 4)", 5, 9, {}},
      {"real for n", Setup::Gauss, "T\n3.0 1\n", "linia 2, coloana 1: '3.0' nu este un numar intreg (n si nb)", 2, 1, {}},
      {"real for nb on the next line", Setup::Gauss, "T\n3\n  1.5\n",
       "linia 3, coloana 3: '1.5' nu este un numar intreg (n si nb)", 3, 3, {}},
      {"CR LF line ends", Setup::Gauss, "T\r\n2 1\r\n1 2\r\n3 x4\r\n", "linia 4, coloana 3: 'x4' nu este un numar real (randul 2 al matricii, valoarea 2 din 2)", 4, 3, {}},
      {"tabs count one column each", Setup::Gauss, "T\n2 1\n1\t2\n\t3\t?\n",
       "linia 4, coloana 4: '?' nu este un numar real (randul 2 al matricii, valoarea 2 din 2)", 4, 4, {}},
      {"bad repeat count", Setup::Gauss, "T\n3 1\n2*x 1\n", "linia 3, coloana 1: '2*x' nu este un numar real (randul 1 al matricii, valoarea 1 din 3); r*v scrie de r ori valoarea v, r intreg pozitiv", 3, 1, {}},
      {"letter in the second right-hand side", Setup::Gauss, "T\n2 2\n1 0\n0 1\n1 1\n1 ,q\n",
       "linia 6, coloana 4: 'q' nu este un numar real (termenul liber 2, valoarea 2 din 2)", 6, 4, {}},
      {"upper triangle for Cholesky", Setup::Cholesky, "T\n2 1\n4 1\nz\n", "linia 4, coloana 1: 'z' nu este un numar real (randul 2 al matricii)", 4, 1, {}},
      {"letter in the constants", Setup::Cauchy, "T\n1 1\n6\n1 2 3\n4 5 six\n", "linia 5, coloana 5: 'six' nu este un numar real (constantele generatorului, valoarea 6 din 6)", 5, 5, {}},
      {"real for nc", Setup::Cauchy, "T\n1 1\n6.\n", "linia 3, coloana 1: '6.' nu este un numar intreg (nc)", 3, 1, {}},
      // Stops that are not a bad value.
      {"empty file", Setup::Gauss, "", "fisierul de date este gol", 0, 0, {}},
      {"title only", Setup::Gauss, "Titlu\n", "linia 1: fisierul se termina inainte de n si nb", 1, 0, {}},
      {"no nc", Setup::Cauchy, "T\n3 1\n\n", "linia 3: fisierul se termina inainte de nc", 3, 0, {}},
      {"n zero", Setup::Gauss, "T\n\n 0 1\n", "linia 3: n = 0; n trebuie sa fie cel putin 1", 3, 2, {}},
      {"nb zero", Setup::Gauss, "T\n2 0\n", "linia 2: nb = 0; pentru \"Sistem\" nb trebuie sa fie cel putin 1", 2, 1, {}},
      {"no generator", Setup::NoGenerator, "T\n3 1\n0\n", "nu este aleasa nicio matrice in lista \"Generare\"", 0, 0, {}},
      {"too few constants", Setup::Cauchy, "T\n3 1\n4\n1 2 3 4\n",
       "linia 3: Cauchy cere cel putin 8 constante pentru n = 3, dar nc = 4", 3, 1, {}},
      {"Wilkinson 5 below order 5", Setup::Wilkinson5, "T\n3 1\n1\n1\n", "linia 2: Wilkinson 5 cere n >= 5, dar n = 3", 2, 1, {}},
      // Reads that succeed but not as the lines suggest.
      {"decimal comma", Setup::Gauss, "T\n3 1\n4 0,5 0\n1 4 1\n0 1 4\n5 6 5\n", "", 0, 0,
       {std::string("linia 3: 4 valori, randul 1 al matricii cere 3; restul liniei a fost ignorat") + kComma}},
      {"nb missing", Setup::Gauss, "T\n3\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n", "", 0, 0,
       {"linia 2 are doar n = 3; nb = 4 a fost luat de pe linia 3, care are 3 valori, iar restul ei a fost "
        "ignorat: lipseste nb de pe linia 2?",
        "linia 6: fisierul se termina inainte de termenul liber 1: termenii liberi 1..4 sunt zero"}},
      {"short last row", Setup::Gauss, "T\n3 1\n4 1 0\n1 4 1\n0 1\n5 6 5\n", "", 0, 0,
       {"linia 5: randul 3 al matricii are doar 2 valori pe linie si cere 3; citirea a continuat pe linia 6, iar "
        "restul liniei 6 a fost ignorat",
        "linia 6: fisierul se termina inainte de termenul liber 1, care ramane zero"}},
      {"full rows read as Simetrica", Setup::SymmetricGauss, "T\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n", "", 0, 0,
       {"linia 4: la \"Simetrica\" randurile au cate n = 3 valori: s-a citit triunghiul superior dintr-o matrice "
        "completa, deci alta matrice; fisierul are nevoie de forma cu triunghiul superior (randul i are n - i + 1 "
        "valori)"}},
      {"full rows read for Cholesky", Setup::Cholesky, "T\n2 1\n4 1\n1 4\n5 5\n", "", 0, 0,
       {"linia 4: la \"Simetrica\" randurile au cate n = 2 valori: s-a citit triunghiul superior dintr-o matrice "
        "completa, deci alta matrice; fisierul are nevoie de forma cu triunghiul superior (randul i are n - i + 1 "
        "valori)"}},
      {"file ends inside the matrix", Setup::Gauss, "T\n3 1\n4 1 0\n1 4\n", "", 0, 0,
       {"linia 4: fisierul se termina in randul 2 al matricii: randurile 2..3 sunt zero"}},
      {"file ends inside the right-hand sides", Setup::Gauss, "T\n2 2\n1 0\n0 1\n1 1\n2", "", 0, 0,
       {"linia 6: fisierul se termina in termenul liber 2: valorile lui lipsa sunt zero"}},
      {"repeat count not used up", Setup::Gauss, "T\n2 1\n3*0\n1 1\n1 1\n", "", 0, 0,
       {"linia 3: 3 valori, randul 1 al matricii cere 2; restul liniei a fost ignorat"}},
      {"values after nb", Setup::Inverse, "T\n2 1 7\n1 0\n0 1\n", "", 0, 0,
       {"linia 2: 3 valori, n si nb cer 2; restul liniei a fost ignorat"}},
      {"many lines with values left", Setup::Gauss, "T\n7 1\n1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n"
       "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n", "", 0, 0,
       {"linia 3: 8 valori, randul 1 al matricii cere 7; restul liniei a fost ignorat",
        "linia 4: 8 valori, randul 2 al matricii cere 7; restul liniei a fost ignorat",
        "linia 5: 8 valori, randul 3 al matricii cere 7; restul liniei a fost ignorat",
        "linia 6: 8 valori, randul 4 al matricii cere 7; restul liniei a fost ignorat",
        "linia 7: 8 valori, randul 5 al matricii cere 7; restul liniei a fost ignorat",
        "linia 8: 8 valori, randul 6 al matricii cere 7; restul liniei a fost ignorat", "... si inca 2 observatii"}},
      // Layouts the reader accepts as meant: nothing to say.
      {"n and nb on two lines", Setup::Gauss, "T\n2\n1\n1 0\n0 1\n1 1\n", "", 0, 0, {}},
      {"rows over two lines", Setup::Gauss, "T\n4 1\n1 2\n3 4\n1 2\n3 4\n1 2\n3 4\n1 2\n3 4\n1 2\n3 4\n", "", 0, 0, {}},
      {"a slash ends a row, words after it", Setup::Gauss, "T\n2 1\n4 / rest zero\n1 2 / ok\n1 1\n", "", 0, 0, {}},
      {"trailing commas and blanks, CR LF", Setup::Gauss, "T\r\n2 1\r\n1, 2,  \r\n3 4\t\r\n5 6\r\nProblema: raport\r\n",
       "", 0, 0, {}},
      {"nothing after n and nb", Setup::Inverse, sys.c_str(), "", 0, 0,
       {"linia 2: fisierul se termina inainte de randul 1 al matricii: randurile 1..3 sunt zero"}},
  };
  TempDir dir("diagnosis");
  const std::string path = dir.file("data.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    choose(c.setup);
    RecordingPlatform box;
    writeFile(path, c.text);
    ASSERT_TRUE(InputDataFile().select(path));
    READINPUTFILE();
    const ReadReport& r = lastReadReport();
    EXPECT_EQ(r.path, path);
    if (*c.stop) {
      EXPECT_FALSE(problem().dataRead);
      ASSERT_EQ(box.messages.size(), 1u);
      EXPECT_EQ(box.messages[0].text, "Eroare de citire in fisierul de date");  // the box says no more
      ASSERT_TRUE(r.stop.has_value());
      EXPECT_EQ(r.stop->text, c.stop);
      EXPECT_EQ(r.stop->line, c.line);
      EXPECT_EQ(r.stop->column, c.column);
    } else {
      EXPECT_TRUE(problem().dataRead);
      EXPECT_TRUE(box.messages.empty());
      EXPECT_FALSE(r.stop.has_value()) << r.stop->text;
    }
    EXPECT_EQ(r.warnings, c.warnings);
    InputDataFile().deselect();
  }
}

TEST(ReadDiagnosis, PlacesAndCounts) {
  // Columns count characters (a UTF-8 letter is one, a tab one), not the
  // byte-order mark.
  EXPECT_EQ(placeOf("\xEF\xBB\xBFT\n1 \xC3\xA2x", 9).column, 4u);
  EXPECT_EQ(placeOf("\xEF\xBB\xBFTitlu", 5).column, 3u);
  EXPECT_EQ(placeOf("a\r\nb\tc", 5).line, 2u);
  EXPECT_EQ(placeOf("a\r\nb\tc", 5).column, 3u);
  // Values as the reader splits a line.
  const std::pair<const char*, std::size_t> lines[] = {
      {"4 0,5 0", 4}, {"1,,2", 3}, {",1", 2}, {"3*0 1", 4}, {"2* 1", 3}, {"1 2 / 3 4", 2}, {"", 0}, {"a b", 2}, {"1, 2,", 2},
  };
  for (const auto& [line, n] : lines) EXPECT_EQ(countValues(line), n) << line;
}

}  // namespace
}  // namespace parvela
