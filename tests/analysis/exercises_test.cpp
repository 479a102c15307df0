// Exercise sets: every kind has the property it promises, checked in double
// precision with Eigen (independently of the exact arithmetic that built
// it), and a request gives the same bytes whatever the machine.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "analysis/exercises.h"
#include "analysis/exact.h"
#include "io/data_file.h"

namespace parvela {
namespace {

Eigen::MatrixXd toEigen(const IntMatrix& m) {
  Eigen::MatrixXd e(m.rows, m.cols);
  for (int i = 0; i < m.rows; ++i)
    for (int j = 0; j < m.cols; ++j) e(i, j) = double(m(i, j));
  return e;
}

Eigen::VectorXd toEigen(const std::vector<std::int64_t>& v) {
  Eigen::VectorXd e(Eigen::Index(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) e(Eigen::Index(i)) = double(v[i]);
  return e;
}

double normInf(const Eigen::MatrixXd& m) { return m.cwiseAbs().rowwise().sum().maxCoeff(); }

// The numbers a data file holds are integers a float holds exactly, and
// the solution's are small.
void expectSmallData(const Exercise& e, const std::string& what) {
  for (std::int64_t v : e.A.a) EXPECT_LE(std::llabs(v), 1 << 24) << what;
  for (std::int64_t v : e.b) EXPECT_LE(std::llabs(v), 1 << 24) << what;
  for (std::int64_t v : e.x) EXPECT_LE(std::llabs(v), 5) << what;
}

// Solving the system gives the key's solution.
void expectSolution(const Exercise& e, double tolerance, const std::string& what) {
  const Eigen::MatrixXd a = toEigen(e.A);
  Eigen::FullPivLU<Eigen::MatrixXd> lu(a);
  ASSERT_EQ(lu.rank(), a.rows()) << what;
  const Eigen::VectorXd x = lu.solve(toEigen(e.b));
  EXPECT_LE((x - toEigen(e.x)).cwiseAbs().maxCoeff(), tolerance) << what;
}

TEST(ExerciseKinds, EachHasThePropertyItPromises) {
  for (ExerciseKind kind : kExerciseKinds) {
    for (int n : {2, 3, 5, 8}) {
      for (std::uint64_t seed : {1ULL, 2ULL, 12345678901234567ULL}) {
        for (int logCond : kind == ExerciseKind::Ill ? std::vector<int>{1, 4, 8, 12} : std::vector<int>{4}) {
          const ExerciseRequest r{kind, n, 3, seed, logCond};
          for (int k = 1; k <= r.count; ++k) {
            const Exercise e = makeExercise(r, k);
            const std::string what = std::string(exerciseKindName(kind)) + " n=" + std::to_string(n) +
                                     " seed=" + std::to_string(seed) + " k=" + std::to_string(logCond) +
                                     " #" + std::to_string(k);
            ASSERT_EQ(e.A.rows, n) << what;
            expectSmallData(e, what);
            const Eigen::MatrixXd a = toEigen(e.A);
            switch (kind) {
              case ExerciseKind::Pivoting: {
                expectSolution(e, 1e-9, what);
                // Elimination without interchanges: the pivot of step s is
                // the ratio of the leading minors s and s-1 (integers here).
                const int s = e.zeroPivotStep;
                ASSERT_TRUE(s >= 1 && s < n) << what;
                for (int t = 1; t < s; ++t) EXPECT_GE(std::abs(a.topLeftCorner(t, t).determinant()), 0.5) << what;
                EXPECT_LT(std::abs(a.topLeftCorner(s, s).determinant()), 0.5) << what;
                break;
              }
              case ExerciseKind::Dominant:
                expectSolution(e, 1e-9, what);
                for (int i = 0; i < n; ++i)
                  EXPECT_GT(std::abs(a(i, i)), a.row(i).cwiseAbs().sum() - std::abs(a(i, i))) << what;
                break;
              case ExerciseKind::Spd: {
                expectSolution(e, 1e-9, what);
                EXPECT_EQ(a, a.transpose()) << what;
                Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eig(a);
                EXPECT_GT(eig.eigenvalues().minCoeff(), 0.0) << what;
                break;
              }
              case ExerciseKind::Ill: {
                expectSolution(e, 1e-3, what);
                const double kappa = normInf(a) * normInf(a.fullPivLu().inverse());
                EXPECT_NEAR(std::log10(kappa), logCond, 1.0) << what;
                EXPECT_NEAR(kappa / double(e.condInf), 1.0, 1e-3) << what;
                break;
              }
              case ExerciseKind::Singular: {
                Eigen::MatrixXd aug(n, n + 1);
                aug << a, toEigen(e.b);
                const Eigen::Index rank = a.fullPivLu().rank();
                EXPECT_LT(rank, n) << what;
                EXPECT_EQ(rank, e.rank) << what;
                EXPECT_EQ(aug.fullPivLu().rank(), e.rankAugmented) << what;
                if (e.x.empty()) {
                  EXPECT_EQ(e.rankAugmented, e.rank + 1) << what;
                } else {
                  EXPECT_EQ(e.rankAugmented, e.rank) << what;
                  EXPECT_LT((a * toEigen(e.x) - toEigen(e.b)).cwiseAbs().maxCoeff(), 1e-9) << what;
                }
                break;
              }
            }
          }
        }
      }
    }
  }
}

// The same request gives the same bytes on every machine and compiler: the
// generator and its draws are the program's own. These bytes were made by
// the first build; a change here changes every set a teacher handed out.
TEST(ExerciseSets, SameSeedSameFilesEverywhere) {
  const ExerciseRequest r{ExerciseKind::Pivoting, 3, 3, 5, 4};
  EXPECT_EQ(exerciseDataFile(r, makeExercise(r, 1)),
            "Exercitiul 1 (n = 3)\n"
            "3 1\n"
            "  1  -4   3\n"
            " -2   8  -5\n"
            " -3  -3  -5\n"
            "  6 -13  23\n");
  const ExerciseRequest ill{ExerciseKind::Ill, 3, 1, 7, 6};
  EXPECT_EQ(makeExercise(ill, 1).condInf, 652697);

  // A set of 2 is the first 2 of a set of 5; another seed, another set.
  ExerciseRequest five{ExerciseKind::Dominant, 4, 5, 9, 4};
  ExerciseRequest two = five;
  two.count = 2;
  EXPECT_EQ(exerciseDataFile(two, makeExercise(two, 2)), exerciseDataFile(five, makeExercise(five, 2)));
  ExerciseRequest other = five;
  other.seed = 10;
  EXPECT_NE(exerciseDataFile(other, makeExercise(other, 2)), exerciseDataFile(five, makeExercise(five, 2)));
}

TEST(ExerciseSets, SpdFileHoldsTheUpperTriangleUnderItsColumns) {
  const ExerciseRequest r{ExerciseKind::Spd, 3, 1, 1, 4};
  const Exercise e = makeExercise(r, 1);
  std::istringstream in(exerciseDataFile(r, e));
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  EXPECT_EQ(line, "3 1");
  std::size_t rowEnd = 0;
  for (int i = 0; i < 3; ++i) {
    std::getline(in, line);
    std::istringstream row(line);
    std::vector<std::int64_t> values{std::istream_iterator<std::int64_t>(row), {}};
    ASSERT_EQ(values.size(), std::size_t(3 - i)) << line;
    for (int j = i; j < 3; ++j) EXPECT_EQ(values[std::size_t(j - i)], e.A(i, j));
    if (i) {
      EXPECT_EQ(line.size(), rowEnd);  // the last column lines up
    }
    rowEnd = line.size();
  }
}

TEST(ExerciseSets, RequestLimits) {
  struct Case {
    ExerciseRequest r;
    bool ok;
  } cases[] = {
      {{ExerciseKind::Pivoting, 2, 1, 0, 4}, true},
      {{ExerciseKind::Pivoting, 30, 99, 0, 4}, true},
      {{ExerciseKind::Pivoting, 1, 1, 0, 4}, false},
      {{ExerciseKind::Pivoting, 31, 1, 0, 4}, false},
      {{ExerciseKind::Pivoting, 4, 0, 0, 4}, false},
      {{ExerciseKind::Pivoting, 4, 100, 0, 4}, false},
      {{ExerciseKind::Ill, 4, 1, 0, 0}, false},
      {{ExerciseKind::Ill, 4, 1, 0, 13}, false},
      {{ExerciseKind::Spd, 4, 1, 0, 13}, true},  // the condition is for ill alone
  };
  for (const Case& c : cases) EXPECT_EQ(checkRequest(c.r).empty(), c.ok) << c.r.order << " " << c.r.count;
}

class ExerciseFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("parvela_ex_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static std::string read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::filesystem::path dir_;
};

TEST_F(ExerciseFolder, WritesTheFilesAndTheKeyAndReplacesOnlyWhenAsked) {
  const ExerciseRequest r{ExerciseKind::Singular, 4, 3, 3, 4};
  const ExerciseSetResult first = writeExerciseSet(r, (dir_ / "new").string());
  ASSERT_TRUE(first.ok) << first.error;
  ASSERT_EQ(first.written.size(), 4u);
  EXPECT_EQ(read(dir_ / "new" / "ex02.dat"), exerciseDataFile(r, makeExercise(r, 2)));
  const std::string key = read(dir_ / "new" / "solutii.txt");
  EXPECT_NE(key.find("ex03.dat\n  rang(A) = "), std::string::npos) << key;

  // A folder that holds one of the names: nothing is written...
  std::ofstream(dir_ / "new" / "ex01.dat") << "the student's work";
  const ExerciseRequest more{ExerciseKind::Singular, 4, 5, 4, 4};
  const ExerciseSetResult refused = writeExerciseSet(more, (dir_ / "new").string());
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.error.find("ex01.dat"), std::string::npos);
  EXPECT_EQ(read(dir_ / "new" / "ex01.dat"), "the student's work");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "new" / "ex04.dat"));
  // ...unless replacing was asked for.
  EXPECT_TRUE(writeExerciseSet(more, (dir_ / "new").string(), true).ok);
  EXPECT_EQ(read(dir_ / "new" / "ex01.dat"), exerciseDataFile(more, makeExercise(more, 1)));
}

// The second file cannot be written: the first goes too, an earlier file
// of the same name stays.
struct RefuseSecond : WriteLayer {
  int rename(const char* from, const char* to) override {
    if (std::string_view(to).ends_with("ex02.dat")) return -1;
    return WriteLayer::rename(from, to);
  }
};

TEST_F(ExerciseFolder, AFileThatCannotBeWrittenLeavesTheFolderAsItWas) {
  std::filesystem::create_directories(dir_);
  std::ofstream(dir_ / "ex03.dat") << "kept";
  RefuseSecond refuse;
  WriteLayer* before = setWriteLayer(&refuse);
  const ExerciseSetResult result = writeExerciseSet({ExerciseKind::Dominant, 3, 3, 1, 4}, dir_.string(), true);
  setWriteLayer(before);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("ex02.dat"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "ex01.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "ex02.dat"));
  EXPECT_EQ(read(dir_ / "ex03.dat"), "kept");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

}  // namespace
}  // namespace parvela
