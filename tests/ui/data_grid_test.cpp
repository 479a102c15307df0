// The data grid: its cells take exactly what the reader takes, paste fills
// cells from a spreadsheet or a text, and a saved grid reads back as its
// values with the rest of the file kept; after a save a run waits for a
// new "Citeste".
#include <bit>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <tuple>

#include "io/reader.h"
#include "ui/core/data_grid.h"
#include "ui_test_support.h"

namespace parvela::test {
namespace {

using Matrix = DataLayout::Matrix;

class DataGridTest : public MainWindowTest {
 protected:
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  // Reads `file` with the choices already made, as "Citeste" does.
  void readFile(const std::string& file) {
    ASSERT_TRUE(InputDataFile().select(file));
    READINPUTFILE();
  }
};

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// Every text a cell may hold or not: the grid takes a text exactly when
// the reader, reading the whole file, takes it as one value wherever it
// stands on a row.
TEST_F(DataGridTest, CellsTakeWhatTheReaderTakes) {
  const char* texts[] = {"0",     "-3",    "+2",   "2.",     ".5",   "-.5e+3", "1.5E-3", "1.5D-3", "1.5d3",
                         "1e99",  "1.5+3", "1*7",  "5,",     "0012", "1.23456789E-30", "3.4028236e38", "1*",
                         "abc",   "1 2",   "0,5",  ",5",     "/",    "5/",     "2*5",    "2*",     "*5",
                         "0*5",   "1.2.3", "e5",   "--1",    "1e",   "5,,",    "+",      ".",      "1,2,3",
                         "1*x",   ",",     "7 /",  "1.5E+",  "4\t5"};
  s().methodIndex = 1;
  for (const char* t : texts) {
    SCOPED_TRACE(t);
    const std::string T = t;
    writeBytes(dir_ / "cell.dat", "T\n3 1\n" + T + " 7 8\n7 " + T + " 8\n7 8 " + T + "\n1 1 1\n");
    RecordingPlatform quiet;
    setPlatform(&quiet);
    readFile(path("cell.dat"));
    setPlatform(&platform_);
    const std::vector<float>& A = s().A;  // column-major
    bool readAsOneValue = s().dataRead && lastReadReport().warnings.empty() && s().B == std::vector<float>{1, 1, 1};
    // T on the diagonal, 7 and 8 around it (A is column-major).
    if (readAsOneValue)
      readAsOneValue = bits(A[0]) == bits(A[4]) && bits(A[0]) == bits(A[8]) && A[3] == 7 && A[6] == 8 &&
                       A[1] == 7 && A[7] == 8 && A[2] == 7 && A[5] == 8;
    const CellCheck c = checkCell(t);
    EXPECT_EQ(c.ok, readAsOneValue);
    if (c.ok && readAsOneValue) {
      EXPECT_EQ(bits(c.value), bits(A[0]));
    }
    if (!c.ok) {
      EXPECT_FALSE(c.why.empty());
    }
  }
  EXPECT_EQ(checkCell("0,5").why, "'0,5' sunt doua valori: virgula separa valori, zecimalele se scriu cu punct (0.5)");
  EXPECT_EQ(checkCell(" abc ").why, "'abc' nu este un numar real");
  EXPECT_TRUE(checkCell("   ").ok);  // empty: 0
}

TEST_F(DataGridTest, PasteFillsFromTheCellUnderTheCursor) {
  // Tab-separated (a spreadsheet): "0,5" stays one cell and is marked.
  DataGrid g(DataLayout{Matrix::General, true});
  auto r = g.paste(GridPart::Matrix, 1, 1, "1\t2\r\n0,5\t\r\n\r\n");
  EXPECT_EQ(r.filled, 4);
  EXPECT_FALSE(r.grew);
  EXPECT_EQ(g.text(GridPart::Matrix, 1, 2), "2");
  EXPECT_EQ(g.text(GridPart::Matrix, 2, 1), "0,5");
  EXPECT_FALSE(g.check(GridPart::Matrix, 2, 1).ok);
  ASSERT_TRUE(g.firstBadCell());
  EXPECT_EQ(DataGrid::cellName(g.firstBadCell()->part, g.firstBadCell()->row, g.firstBadCell()->column), "A(3,2)");

  // Blanks and commas; a block beyond the grid grows n and keeps the cells.
  r = g.paste(GridPart::Matrix, 2, 0, "4, 5 6 ,7\n8,,9");
  EXPECT_TRUE(r.grew);
  EXPECT_EQ(g.order(), 4);
  EXPECT_EQ(g.text(GridPart::Matrix, 1, 2), "2");
  EXPECT_EQ(g.text(GridPart::Matrix, 2, 3), "7");
  EXPECT_EQ(g.text(GridPart::Matrix, 3, 1), "");  // the empty field between two commas
  EXPECT_EQ(g.text(GridPart::Matrix, 3, 2), "9");
  EXPECT_EQ(g.data().b.size(), 4u);  // the right-hand side grew with n

  // Right-hand sides grow nb; rows beyond n are left out.
  r = g.paste(GridPart::Rhs, 3, 0, "1 2\n3 4");
  EXPECT_EQ(g.rhsCount(), 2);
  EXPECT_EQ(r.filled, 2);
  EXPECT_EQ(r.skipped, 2);
  EXPECT_EQ(g.text(GridPart::Rhs, 3, 1), "2");

  // The upper triangle takes the cells on and above the diagonal.
  DataGrid u(DataLayout{Matrix::UpperTriangle, false});
  r = u.paste(GridPart::Matrix, 0, 0, "4 1 0\n1 4 1\n0 1 4");
  EXPECT_EQ(r.filled, 6);
  EXPECT_EQ(r.skipped, 3);
  EXPECT_EQ(u.text(GridPart::Matrix, 2, 1), "1");  // shown from its mirror
  EXPECT_FALSE(u.setText(GridPart::Matrix, 2, 1, "9"));
  EXPECT_EQ(u.rows(GridPart::Rhs), 0);

  // Constants: one row, the fields in reading order.
  DataGrid c(DataLayout{Matrix::Generated, true});
  r = c.paste(GridPart::Constants, 0, 0, "1 3 5\n8 7\t2");
  EXPECT_EQ(c.constantCount(), 5);
  EXPECT_EQ(c.text(GridPart::Constants, 0, 3), "8 7");  // a line with a tab is split at tabs only
  EXPECT_FALSE(c.check(GridPart::Constants, 0, 3).ok);
  EXPECT_EQ(c.rows(GridPart::Matrix), 0);
}

// A value as a student may type it, and the value strtof gives for it.
std::string typed(std::mt19937& rng, float& value) {
  const int digits = 1 + static_cast<int>(rng() % 9);
  std::string m;
  for (int k = 0; k < digits; ++k) m += static_cast<char>('0' + (k == 0 ? 1 + rng() % 9 : rng() % 10));
  const int e = static_cast<int>(rng() % 25) - 12;
  const std::string sign = rng() % 3 == 0 ? "-" : (rng() % 5 == 0 ? "+" : "");
  std::string t;
  switch (rng() % 7) {
    case 0: t = sign + m; break;
    case 1: t = sign + m.substr(0, 1) + "." + m.substr(1) + "E" + std::to_string(e); break;
    case 2: t = sign + m.substr(0, 1) + "." + m.substr(1) + (rng() % 2 ? "D" : "d") + std::to_string(e); break;
    case 3: t = sign + "0." + std::string(static_cast<std::size_t>(rng() % 4), '0') + m; break;
    case 4: t = sign + m.substr(0, 1) + "." + m.substr(1); break;
    case 5: t = "1*" + m; break;
    default: t = ""; break;  // left empty: 0
  }
  std::string plain = t.starts_with("1*") ? t.substr(2) : t;
  for (char& ch : plain)
    if (ch == 'D' || ch == 'd') ch = 'E';
  value = plain.empty() ? 0.0f : std::strtof(plain.c_str(), nullptr);
  return t;
}

TEST_F(DataGridTest, SavedGridsReadBackAsTheirValues) {
  struct Kind {
    const char* what;
    Matrix matrix;
    ProblemKind problem;
    int method;      // 1 Gauss, 3 Cholesky
    bool invert;
  };
  const Kind kinds[] = {
      {"general system", Matrix::General, ProblemKind::System, 1, false},
      {"upper triangle, Gauss", Matrix::UpperTriangle, ProblemKind::System, 1, false},
      {"upper triangle, Cholesky", Matrix::UpperTriangle, ProblemKind::System, 3, false},
      {"general inverse", Matrix::General, ProblemKind::Inverse, 1, false},
      {"generated, constant band", Matrix::Generated, ProblemKind::System, 1, false},
      {"inverted elements", Matrix::General, ProblemKind::System, 1, true},
  };
  const std::string report = "\nProblema: raport vechi\r\n  x = 1.0\n";
  std::mt19937 rng(20240522);
  for (const Kind& kind : kinds) {
    for (int round = 0; round < 4; ++round) {
      SCOPED_TRACE(std::string(kind.what) + ", round " + std::to_string(round));
      ProblemState& st = s();
      st.problemKind = kind.problem;
      st.matrixKind = kind.matrix == Matrix::UpperTriangle ? MatrixKind::Symmetric : MatrixKind::General;
      st.inputSource = kind.matrix == Matrix::Generated ? InputSource::Generated : InputSource::DataFile;
      st.generatorIndex = 7;
      st.methodIndex = kind.method;
      st.invertElements = kind.invert;
      const DataLayout layout = DataLayout::of(st);

      // A first save into an empty file, then a report after it, then the
      // grid opened again and filled at random.
      const std::string file = path("round.dat");
      writeBytes(file, "");
      std::string message;
      GridSession first = GridSession::open(file, layout);
      ASSERT_EQ(first.save(message), GridSession::SaveResult::Saved) << message;
      writeBytes(file, readBytes(file) + report);

      GridSession g = GridSession::open(file, layout);
      DataGrid& grid = g.grid();
      const int n = 1 + static_cast<int>(rng() % 6);
      grid.setOrder(n);
      grid.setRhsCount(1 + static_cast<int>(rng() % 3));
      grid.setConstantCount(1 + static_cast<int>(rng() % 4));
      grid.setTitle("Runda " + std::to_string(round) + "  cu 3 1 numere");
      std::map<std::tuple<int, int, int>, float> want;
      for (GridPart part : {GridPart::Matrix, GridPart::Rhs, GridPart::Constants})
        for (int i = 0; i < grid.rows(part); ++i)
          for (int j = 0; j < grid.columns(part); ++j) {
            if (!grid.editable(part, i, j)) continue;
            float v = 0;
            grid.setText(part, i, j, typed(rng, v));
            want[{static_cast<int>(part), i, j}] = v;
          }
      ASSERT_EQ(g.save(message), GridSession::SaveResult::Saved) << message;
      const std::string bytes = readBytes(file);
      ASSERT_TRUE(bytes.ends_with(report)) << "the rest of the file is kept";

      readFile(file);
      ASSERT_TRUE(st.dataRead);
      EXPECT_TRUE(lastReadReport().warnings.empty()) << lastReadReport().warnings.front();
      const std::size_t un = static_cast<std::size_t>(n);
      const auto at = [&](GridPart p, int i, int j) { return want.at({static_cast<int>(p), i, j}); };
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
          if (kind.matrix == Matrix::Generated) break;
          const float v = kind.matrix == Matrix::UpperTriangle ? at(GridPart::Matrix, std::min(i, j), std::max(i, j))
                                                               : at(GridPart::Matrix, i, j);
          const float x = kind.invert ? 1.0f / v : v;
          if (kind.method == 3) {
            if (i <= j) {
              EXPECT_EQ(bits(st.AV[packedOffset(i + 1, j + 1)]), bits(x));
            }
          } else {
            EXPECT_EQ(bits(st.A[static_cast<std::size_t>(j) * un + i]), bits(x)) << i << "," << j;
          }
        }
        for (int k = 0; kind.problem == ProblemKind::System && k < grid.rhsCount(); ++k)
          EXPECT_EQ(bits(st.B[static_cast<std::size_t>(k) * un + i]), bits(at(GridPart::Rhs, i, k)));
      }
      if (kind.matrix == Matrix::Generated) {
        ASSERT_EQ(st.nc, grid.constantCount());
        for (int k = 0; k < st.nc; ++k) EXPECT_EQ(bits(st.C[static_cast<std::size_t>(k)]), bits(at(GridPart::Constants, 0, k)));
      }
      // Opened again, the cells hold what was typed (an empty one: 0).
      GridSession again = GridSession::open(file, layout);
      DataTexts typedTexts = grid.data(), reread = again.grid().data();
      for (auto* v : {&typedTexts.a, &typedTexts.b, &typedTexts.c})
        for (std::string& t : *v) t = t.empty() ? "0" : t.starts_with("1*") ? t.substr(2) : t;
      if (kind.matrix == Matrix::UpperTriangle)
        for (int i = 0; i < n; ++i)
          for (int j = 0; j < i; ++j) typedTexts.a[static_cast<std::size_t>(i * n + j)].clear();
      EXPECT_EQ(reread, typedTexts);
      InputDataFile().deselect();
    }
  }
}

TEST_F(DataGridTest, SaveRefusesBadCellsAndAFileChangedMeanwhile) {
  const std::string file = path("p.dat");
  const std::string data = "Proba\n2 1\n4 1\n1 4\n5 5\n";
  writeBytes(file, data + "old report\n");
  GridSession g = GridSession::open(file, DataLayout{Matrix::General, true});
  std::string message;
  EXPECT_EQ(g.save(message), GridSession::SaveResult::Unchanged);
  g.grid().setText(GridPart::Matrix, 1, 0, "1 2");
  EXPECT_EQ(g.save(message), GridSession::SaveResult::BadCell);
  EXPECT_EQ(message, "Celula A(2,1): '1 2': o celula tine o singura valoare. Datele nu au fost salvate.");
  g.grid().setText(GridPart::Matrix, 1, 0, "0.1");
  writeBytes(file, "Proba\n2 1\n4 1\n1 3\n5 5\nold report\n");
  EXPECT_EQ(g.save(message), GridSession::SaveResult::Changed);
  EXPECT_EQ(readBytes(file), "Proba\n2 1\n4 1\n1 3\n5 5\nold report\n");

  // A file with a slip opens whole, the bad value in its cell; the note
  // says where.
  writeBytes(file, "Proba\n2 1\n4 x\n1 4\n5 5\n");
  GridSession slip = GridSession::open(file, DataLayout{Matrix::General, true});
  EXPECT_EQ(slip.grid().text(GridPart::Matrix, 0, 1), "x");
  EXPECT_EQ(slip.grid().text(GridPart::Matrix, 1, 1), "4");
  EXPECT_EQ(slip.grid().text(GridPart::Rhs, 1, 0), "5");
  ASSERT_FALSE(slip.notes().empty());
  EXPECT_EQ(slip.notes()[0], "linia 3, coloana 3: 'x' nu este un numar real (randul 1 al matricii, valoarea 2 din 2)");
}

TEST_F(DataGridTest, AfterASaveARunWaitsForCiteste) {
  const std::string file = path("s.dat");
  writeBytes(file, "Sistem\n2 1\n4 1\n1 4\n5 5\n");
  platform_.answers.push_back(file);
  ASSERT_TRUE(d().click(kIdSelect));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().isEnabled(kIdSolve));

  GridSession g = GridSession::open(file, DataLayout::of(s()));
  g.grid().setText(GridPart::Rhs, 0, 0, "6");
  std::string message;
  ASSERT_EQ(g.save(message), GridSession::SaveResult::Saved);
  const std::string saved = readBytes(file);
  ASSERT_TRUE(d().click(kIdSolve));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Fisierul de date a fost modificat dupa citire.\nCititi din nou datele cu \"Citeste\".");
  EXPECT_EQ(readBytes(file), saved);

  ASSERT_TRUE(d().click(kIdRead));
  EXPECT_EQ(s().B[0], 6.0f);
  ASSERT_TRUE(d().click(kIdSolve));
  EXPECT_EQ(platform_.messages.size(), 1u);
  EXPECT_GT(readBytes(file).size(), saved.size()) << "the report follows the saved data";
}

}  // namespace
}  // namespace parvela::test
