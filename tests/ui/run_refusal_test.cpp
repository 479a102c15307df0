// "REZOLVA !" runs only on data the last read produced for the current
// choices; otherwise it writes nothing and asks for a new read.
#include <sys/stat.h>

#include "ui_test_support.h"

namespace parvela::test {
namespace {

constexpr const char* kReadAgain =
    "Datele citite nu corespund alegerilor facute.\nCititi din nou datele cu \"Citeste\".";

const std::string kSystem = "Sistem\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";
const std::string kSymmetric = "Simetrica\n3 1\n4 1 0\n4 1\n4\n5 6 5\n";

class RunRefusalTest : public MainWindowTest {
 protected:
  std::filesystem::path selectFile(const std::string& name, const std::string& bytes) {
    writeBytes(dir_ / name, bytes);
    platform_.answers.push_back((dir_ / name).string());
    EXPECT_TRUE(d().click(kIdSelect));
    EXPECT_TRUE(InputDataFile().selected());
    return dir_ / name;
  }
  // Presses "REZOLVA !" and expects the one refusal, the file untouched.
  void expectRefused(const std::filesystem::path& file, const std::string& bytes) {
    platform_.messages.clear();
    ASSERT_TRUE(d().isEnabled(kIdSolve));
    ASSERT_TRUE(d().click(kIdSolve));
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text, kReadAgain);
    EXPECT_EQ(platform_.messages[0].caption, "Info");
    EXPECT_EQ(platform_.messages[0].icon, IconKind::Information);
    EXPECT_EQ(readBytes(file), bytes) << "nothing may be written";
  }
  // Presses "REZOLVA !" and expects a report after the data.
  std::string expectReport(const std::filesystem::path& file, const std::string& bytes) {
    platform_.messages.clear();
    EXPECT_TRUE(d().click(kIdSolve));
    EXPECT_TRUE(platform_.messages.empty()) << platform_.messages[0].text;
    const std::string now = readBytes(file);
    EXPECT_GT(now.size(), bytes.size());
    EXPECT_EQ(now.substr(0, bytes.size()), bytes);
    return now.substr(bytes.size());
  }
};

TEST_F(RunRefusalTest, ProblemSwitchedBetweenSystemAndIdentitySinceTheRead) {
  const auto file = selectFile("s.dat", kSystem);
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().click(kIdInverse));
  expectRefused(file, kSystem);

  ASSERT_TRUE(d().click(kIdConditionNumber));
  ASSERT_TRUE(d().select(kIdNormList, 1));
  expectRefused(file, kSystem);

  // Read for the inverse, then back to the system.
  ASSERT_TRUE(d().click(kIdInverse));
  ASSERT_TRUE(d().select(kIdMethodList, 2));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().click(kIdSystem));
  expectRefused(file, kSystem);

  // A new read for the choices made runs; the right-hand sides stay.
  ASSERT_TRUE(d().click(kIdRead));
  const std::string report = expectReport(file, kSystem);
  EXPECT_NE(report.find("Problema: Sistem liniar"), std::string::npos);
}

TEST_F(RunRefusalTest, CholeskyNeedsThePackedMatrixOfTheLastRead) {
  // Read without Cholesky (Gauss on the symmetric layout), then Cholesky.
  const auto file = selectFile("sym.dat", kSymmetric);
  ASSERT_TRUE(d().click(kIdSymmetric));
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().select(kIdMethodList, 3));
  expectRefused(file, kSymmetric);

  // Read with Cholesky, then another file read without it: the packed
  // matrix belongs to the first file.
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().isEnabled(kIdSolve));
  const std::string other = "Alta\n3 1\n9 0 0\n9 0\n9\n1 1 1\n";
  const auto second = selectFile("other.dat", other);
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().select(kIdMethodList, 3));
  expectRefused(second, other);

  // A general matrix read with Gauss, then Cholesky (which switches the kind).
  const auto general = selectFile("gen.dat", kSystem);
  ASSERT_TRUE(d().click(kIdGeneral));
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  platform_.messages.clear();
  ASSERT_TRUE(d().select(kIdMethodList, 3));
  ASSERT_EQ(platform_.messages.size(), 1u) << "the switch to Simetrica";
  expectRefused(general, kSystem);
}

TEST_F(RunRefusalTest, ChoicesThatKeepTheDataValidStillRun) {
  const auto file = selectFile("s.dat", kSystem);
  ASSERT_TRUE(d().click(kIdInverse));
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdRead));
  // Another direct method, then the condition number: both use the identity.
  ASSERT_TRUE(d().select(kIdMethodList, 2));
  std::string written = kSystem;
  std::string report = expectReport(file, written);
  EXPECT_NE(report.find("Metoda: LU"), std::string::npos);
  written += report;
  ASSERT_TRUE(d().click(kIdConditionNumber));
  ASSERT_TRUE(d().select(kIdNormList, 2));
  report = expectReport(file, written);
  EXPECT_NE(report.find("Numar de Conditie"), std::string::npos);
  written += report;
  // The matrix kind changed after the read: the header shows it, the data
  // are used as read.
  ASSERT_TRUE(d().click(kIdInverse));
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  ASSERT_TRUE(d().click(kIdSymmetric));
  report = expectReport(file, written);
  EXPECT_NE(report.find("Matrice: simetrica"), std::string::npos);

  // Read with Cholesky, then Gauss: runs on the data as read.
  const auto sym = selectFile("sym.dat", kSymmetric);
  ASSERT_TRUE(d().click(kIdSystem));
  ASSERT_TRUE(d().select(kIdMethodList, 3));
  ASSERT_TRUE(d().click(kIdRead));
  ASSERT_TRUE(d().select(kIdMethodList, 1));
  expectReport(sym, kSymmetric);
}

TEST_F(RunRefusalTest, SelectionTakesRegularFilesOnly) {
  const auto fifo = dir_ / "pipe.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  platform_.answers.push_back(fifo.string());
  ASSERT_TRUE(d().click(kIdSelect));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Error");
  EXPECT_EQ(platform_.messages[0].text, "Calea aleasa nu este un fisier obisnuit:\n" + fifo.string());
  EXPECT_FALSE(InputDataFile().selected());
  EXPECT_FALSE(d().isEnabled(kIdRead));

  platform_.messages.clear();
  platform_.answers.push_back("/dev/zero");
  ASSERT_TRUE(d().click(kIdSelect));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Calea aleasa nu este un fisier obisnuit:\n/dev/zero");

  // A symbolic link to a regular file is fine.
  writeBytes(dir_ / "s.dat", kSystem);
  std::filesystem::create_symlink(dir_ / "s.dat", dir_ / "link.dat");
  platform_.messages.clear();
  platform_.answers.push_back((dir_ / "link.dat").string());
  ASSERT_TRUE(d().click(kIdSelect));
  EXPECT_TRUE(platform_.messages.empty());
  EXPECT_TRUE(d().isEnabled(kIdRead));
}

}  // namespace
}  // namespace parvela::test
