#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/reader.h"
#include "recording_platform.h"

namespace parvela {
namespace {

using testing::readFile;
using testing::RecordingPlatform;
using testing::TempDir;
using testing::writeFile;

constexpr const char* kReadError = "Eroare de citire in fisierul de date";

class Reader : public ::testing::Test {
 protected:
  void SetUp() override {
    problem() = ProblemState{};
    INITIALIZEDATA();
  }
  void TearDown() override { InputDataFile().deselect(); }

  // Writes `text` as the data file, selects it and reads it.
  void read(const std::string& text) {
    path_ = dir_.file("data.dat");
    writeFile(path_, text);
    ASSERT_TRUE(InputDataFile().select(path_));
    READINPUTFILE();
  }

  // The one message shown, or "" when there was none.
  std::string message() const {
    if (box_.messages.empty()) return "";
    EXPECT_EQ(box_.messages.size(), 1u);
    EXPECT_EQ(box_.messages[0].caption, "Error");
    EXPECT_EQ(box_.messages[0].icon, IconKind::Error);
    return box_.messages[0].text;
  }

  static float a(int i, int j) { return problem().A[(j - 1) * problem().n + (i - 1)]; }
  static float b(int i, int k) { return problem().B[(k - 1) * problem().n + (i - 1)]; }
  static std::vector<float> rowOfA(int i) {
    std::vector<float> r;
    for (int j = 1; j <= problem().n; ++j) r.push_back(a(i, j));
    return r;
  }

  RecordingPlatform box_;
  TempDir dir_{"reader"};
  std::string path_;
};

using V = std::vector<float>;

TEST_F(Reader, GeneralSystemAndWhereTheDataEnd) {
  const std::string data = "Sistem de proba\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";
  read(data + "\nProblema: Sistem liniar\nold report\n");
  EXPECT_EQ(message(), "");
  const ProblemState& s = problem();
  EXPECT_TRUE(s.dataRead);
  EXPECT_EQ(s.n, 3);
  EXPECT_EQ(s.nb, 1);
  EXPECT_EQ(s.A, (V{4, 1, 0, 1, 4, 1, 0, 1, 4}));
  EXPECT_EQ(s.B, (V{5, 6, 5}));

  // The report goes right after the last data line, replacing the old one.
  ASSERT_EQ(InputDataFile().writeReport("\nnew\n"), DataFile::WriteResult::Ok);
  EXPECT_EQ(readFile(path_), data + "\nnew\n");
}

TEST_F(Reader, FreeFormatLines) {
  // A numeric title is skipped; nb on the next line; values after nb and
  // after a row's last value are skipped; rows may span lines; a slash ends
  // a row early; commas, an empty value and repeat counts.
  read("12 34 56\n3\n2 99\n1, 2\n 3 junk\n2*7 /\n4,,5\n1.5E-1 2.5D0 -3\n");
  EXPECT_EQ(message(), "");
  const ProblemState& s = problem();
  ASSERT_TRUE(s.dataRead);
  EXPECT_EQ(s.n, 3);
  EXPECT_EQ(s.nb, 2);
  EXPECT_EQ(rowOfA(1), (V{1, 2, 3}));
  EXPECT_EQ(rowOfA(2), (V{7, 7, 0}));
  EXPECT_EQ(rowOfA(3), (V{4, 0, 5}));
  EXPECT_EQ(b(1, 1), 0.15f);
  EXPECT_EQ(b(2, 1), 2.5f);
  EXPECT_EQ(b(3, 1), -3.0f);
  EXPECT_EQ(b(1, 2), 0.0f);  // the file ended: what is left stays zero
}

TEST_F(Reader, SymmetricUpperTriangle) {
  const std::string file = "Simetric\n3 1\n4 1 2\n5 3\n6\n7 9 11\n";
  problem().matrixKind = MatrixKind::Symmetric;
  problem().methodIndex = 3;  // Cholesky: packed storage only
  read(file);
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().AV, (V{4, 1, 5, 2, 3, 6}));
  EXPECT_TRUE(problem().avAllocated);
  EXPECT_EQ(problem().A, V(9, 0.0f));

  problem().methodIndex = 1;  // Gauss: the full matrix, AV zero
  InputDataFile().deselect();
  read(file);
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().A, (V{4, 1, 2, 1, 5, 3, 2, 3, 6}));
  EXPECT_EQ(problem().AV, V(6, 0.0f));
  EXPECT_EQ(problem().B, (V{7, 9, 11}));

  // The file ends within row 2: rows 2 and 3 stay zero, also in the mirror.
  InputDataFile().deselect();
  read("Simetric\n3 1\n4 1 2\n5");
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().A, (V{4, 1, 2, 1, 0, 0, 2, 0, 0}));
}

TEST_F(Reader, InvertedElements) {
  problem().invertElements = true;
  read("Inversare\n2 1\n1 2\n4 0\n1 1\n");
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(rowOfA(1), (V{1.0f, 0.5f}));
  EXPECT_EQ(a(2, 1), 0.25f);
  EXPECT_TRUE(std::isinf(a(2, 2)));
  EXPECT_EQ(problem().B, (V{1, 1}));  // right-hand sides as read

  InputDataFile().deselect();
  problem().matrixKind = MatrixKind::Symmetric;
  problem().methodIndex = 3;
  read("Inversare\n2 1\n1 2\n4\n1 1\n");
  EXPECT_EQ(problem().AV, (V{1.0f, 0.5f, 0.25f}));
}

TEST_F(Reader, GeneratedMatrices) {
  problem().inputSource = InputSource::Generated;
  problem().generatorIndex = 6;  // Cauchy
  read("Cauchy\n5 1\n10\n1 3 5 8\n7 2 4 6 10 9\n1 1 1 1 1\n");
  EXPECT_EQ(message(), "");
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().nc, 10);
  EXPECT_EQ(problem().C, (V{1, 3, 5, 8, 7, 2, 4, 6, 10, 9}));
  EXPECT_EQ(a(1, 1), 1.0f / 3.0f);
  EXPECT_EQ(a(5, 5), 1.0f / 16.0f);
  EXPECT_EQ(problem().B, V(5, 1.0f));

  // nc = 0 reads no constants and leaves C as it was; the matrix kind and
  // the inversion of elements do not matter for a generated matrix.
  InputDataFile().deselect();
  problem().generatorIndex = 1;  // Hilbert
  problem().matrixKind = MatrixKind::Symmetric;
  problem().invertElements = true;
  problem().methodIndex = 3;  // Cholesky: AV packed from A
  read("Hilbert\n3 1\n0\n1 2 3\n");
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().nc, 0);
  EXPECT_EQ(problem().C.size(), 10u);
  EXPECT_EQ(a(2, 3), 0.25f);
  EXPECT_EQ(problem().AV, (V{1.0f, 0.5f, 1.0f / 3.0f, 1.0f / 3.0f, 0.25f, 0.2f}));
}

TEST_F(Reader, InverseAndConditionUseTheIdentity) {
  problem().problemKind = ProblemKind::Inverse;
  read("Inversa\n2 7\n1 2\n3 4\n");
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().nb, 2);
  EXPECT_EQ(problem().B, (V{1, 0, 0, 1}));

  // nb is not checked when it is replaced by n.
  InputDataFile().deselect();
  problem().problemKind = ProblemKind::ConditionNumber;
  read("Conditie\n2 0\n1 2\n3 4\n");
  ASSERT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().nb, 2);
}

TEST_F(Reader, FileEndingInTheData) {
  // Right-hand sides missing: B all zero, read complete.
  read("T\n2 1\n1 2\n3 4\n");
  EXPECT_EQ(message(), "");
  EXPECT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().B, V(2, 0.0f));

  // Ends within row 2 of 3: the values on it are dropped, row 3 stays zero.
  InputDataFile().deselect();
  read("T\n3 1\n1 2 3\n4 5");
  EXPECT_EQ(message(), "");
  EXPECT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().A, (V{1, 0, 0, 2, 0, 0, 3, 0, 0}));

  // Ends within the second right-hand side: the values read stay.
  InputDataFile().deselect();
  read("T\n2 2\n1 0\n0 1\n5 6\n7");
  EXPECT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().B, (V{5, 6, 7, 0}));

  // A report written after such a file starts on a line of its own.
  ASSERT_EQ(InputDataFile().writeReport("\nr\n"), DataFile::WriteResult::Ok);
  EXPECT_EQ(readFile(path_), "T\n2 2\n1 0\n0 1\n5 6\n7\n\nr\n");
}

TEST_F(Reader, BadValueStopsTheRead) {
  read("Litera in matrice\n3 1\n4 1 0\n1 x 1\n0 1 4\n5 6 5\n");
  EXPECT_EQ(message(), kReadError);
  const ProblemState& s = problem();
  EXPECT_FALSE(s.dataRead);
  EXPECT_EQ(s.n, 3);
  EXPECT_EQ(s.A, (V{4, 0, 0, 1, 0, 0, 0, 0, 0}));  // row 1 kept, the rest zero
  // No report can follow a failed read.
  EXPECT_EQ(InputDataFile().writeReport("\nr\n"), DataFile::WriteResult::NoData);

  // Complete data followed by an old report: the report is never read.
  box_.messages.clear();
  InputDataFile().deselect();
  read("T\n2 1\n1 2\n3 4\n5 6\n\nProblema: Sistem liniar\n");
  EXPECT_EQ(message(), "");
  EXPECT_TRUE(problem().dataRead);

  // Data without their right-hand side: the read goes on into the report.
  InputDataFile().deselect();
  read("T\n3 1\n1 2 3\n4 5 6\n7 8 9\n\nProblema: Sistem liniar\n");
  EXPECT_EQ(message(), kReadError);
  EXPECT_FALSE(problem().dataRead);
}

TEST_F(Reader, ReadErrors) {
  struct Case {
    const char* what;
    const char* text;
    InputSource source;
    ProblemKind problem;
    std::int32_t generator;
  };
  const auto D = InputSource::DataFile;
  const auto G = InputSource::Generated;
  const auto S = ProblemKind::System;
  const auto I = ProblemKind::Inverse;
  const Case cases[] = {
      {"empty file", "", D, S, 0},
      {"title only", "Titlu\n", D, S, 0},
      {"n without nb", "Titlu\n3\n", D, S, 0},
      {"real for n", "Titlu\n3.0 1\n1 2 3\n", D, S, 0},
      {"no nc", "Titlu\n3 1\n", G, S, 1},
      {"letters for nc", "Titlu\n3 1\nabc\n", G, S, 1},
      {"n zero", "Titlu\n0 1\n", D, S, 0},
      {"n negative", "Titlu\n-2 1\n", D, I, 0},
      {"nb zero", "Titlu\n2 0\n1 2\n3 4\n", D, S, 0},
      {"no generator", "Titlu\n3 1\n0\n1 1 1\n", G, S, 0},
      {"Companion short", "Titlu\n3 1\n2\n1 2\n1 1 1\n", G, S, 3},
      {"Wilkinson 5 no constant", "Titlu\n5 1\n0\n1 1 1 1 1\n", G, S, 4},
      {"Wilkinson 5 order 4", "Titlu\n4 1\n1\n1\n1 1 1 1\n", G, S, 4},
      {"Wilkinson 20 no constant", "Titlu\n20 1\n0\n", G, S, 5},
      {"Cauchy n+4", "Titlu\n5 1\n9\n1 2 3 4 5 6 7 8 9\n1 1 1 1 1\n", G, S, 6},
      {"Banda no constant", "Titlu\n3 1\n0\n1 1 1\n", G, S, 7},
      {"letter in constants", "Titlu\n3 1\n3\n1 x 3\n", G, S, 7},
      {"letter in b", "Titlu\n1 1\n1\nb\n", D, S, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    problem() = ProblemState{};
    INITIALIZEDATA();
    problem().inputSource = c.source;
    problem().problemKind = c.problem;
    problem().generatorIndex = c.generator;
    box_.messages.clear();
    InputDataFile().deselect();
    read(c.text);
    EXPECT_EQ(message(), kReadError);
    EXPECT_FALSE(problem().dataRead);
    EXPECT_FALSE(InputDataFile().hasDataEnd());
  }
}

TEST_F(Reader, EnoughConstantsAreAccepted) {
  problem().inputSource = InputSource::Generated;
  const struct {
    std::int32_t generator;
    const char* text;
  } cases[] = {
      {3, "Companion\n3 1\n3\n-6 11 -6\n0 0 0\n"},
      {4, "Wilkinson 5\n5 1\n1\n1\n1 1 1 1 1\n"},
      {5, "Wilkinson 20\n2 1\n1\n0.5\n1 1\n"},
      {6, "Cauchy\n1 1\n6\n1 0 0 0 0 2\n1\n"},
      {7, "Banda\n3 1\n5\n4 1 1 1 1\n1 1 1\n"},  // nc above n
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    problem().generatorIndex = c.generator;
    InputDataFile().deselect();
    read(c.text);
    EXPECT_EQ(message(), "");
    EXPECT_TRUE(problem().dataRead);
  }
  EXPECT_EQ(problem().A, (V{4, 1, 1, 1, 4, 1, 1, 1, 4}));
}

TEST_F(Reader, ArraysTooLarge) {
  read("Prea mare\n100000 1\n");
  EXPECT_EQ(message(), "Memorie insuficienta: matricea de ordin n = 100000 nu poate fi alocata.");
  EXPECT_FALSE(problem().dataRead);
  EXPECT_FALSE(InputDataFile().hasDataEnd());

  box_.messages.clear();
  InputDataFile().deselect();
  read("Prea multi termeni liberi\n2 2000000000\n1 0\n0 1\n");
  EXPECT_EQ(message(), "Memorie insuficienta: termenii liberi (n = 2, nb = 2000000000) nu pot fi alocati.");
  EXPECT_FALSE(problem().dataRead);
}

TEST_F(Reader, NoFileOrUnreadableFile) {
  InputDataFile().deselect();
  problem().dataRead = true;
  READINPUTFILE();
  EXPECT_EQ(message(), "Nu a fost selectat niciun fisier de date.");
  EXPECT_FALSE(problem().dataRead);

  // Selected, then replaced by a folder of the same name.
  box_.messages.clear();
  read("T\n1 1\n1\n1\n");
  ASSERT_TRUE(problem().dataRead);
  std::filesystem::remove(path_);
  std::filesystem::create_directory(path_);
  READINPUTFILE();
  EXPECT_EQ(message(), "Fisierul de date nu este un fisier obisnuit.");
  EXPECT_FALSE(problem().dataRead);
  std::filesystem::remove(path_);
}

TEST_F(Reader, LargeGeneralMatrix) {
  // Order 1000 (one million values) through the general layout.
  const int n = 1000;
  std::string text = "Mare\n1000 1\n";
  text.reserve(8u * n * n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      text += std::to_string((i * 7 + j * 13) % 100);
      text += j % 20 == 0 ? '\n' : ' ';
    }
  }
  for (int i = 1; i <= n; ++i) text += "1 ";
  text += '\n';
  read(text);
  EXPECT_EQ(message(), "");
  ASSERT_TRUE(problem().dataRead);
  for (int i : {1, 2, 500, 999, 1000})
    for (int j : {1, 3, 777, 1000}) EXPECT_EQ(a(i, j), static_cast<float>((i * 7 + j * 13) % 100));
  EXPECT_EQ(problem().B, V(n, 1.0f));
}

}  // namespace
}  // namespace parvela
