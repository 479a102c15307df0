// Free-format (list-directed) input: separators, line structure, repeat
// counts, null values, number syntax, end of text and read errors.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "io/fortran_io.h"

using namespace parvela;
using Status = ListReader::Status;

namespace {

std::vector<std::int32_t> ints(ListReader& r, std::size_t n, Status expect, std::int32_t fill = -7) {
  std::vector<std::int32_t> v(n, fill);
  EXPECT_EQ(r.readIntegers(v), expect);
  return v;
}

std::vector<float> reals(ListReader& r, std::size_t n, Status expect, float fill = -7.0f) {
  std::vector<float> v(n, fill);
  EXPECT_EQ(r.readReals(v), expect);
  return v;
}

using IV = std::vector<std::int32_t>;
using RV = std::vector<float>;

}  // namespace

TEST(FortranInput, DataFileStructure) {
  // Title, n and nb split over two lines with more on the line, rows that
  // continue over lines, and the rest of each read's last line skipped.
  const std::string text = "Sistem 3 1\n3\n 1 9 9\n4 1 0 7 7\n1, 4 ,1\n0\t1\n4\n5 6 5";
  ListReader r(text);
  std::string title;
  EXPECT_EQ(r.readLine(title, 100), Status::Ok);
  EXPECT_EQ(title, "Sistem 3 1");
  EXPECT_EQ(r.position(), 11u);
  EXPECT_EQ(ints(r, 2, Status::Ok), (IV{3, 1}));
  EXPECT_EQ(r.position(), text.find("4 1 0"));
  EXPECT_EQ(reals(r, 3, Status::Ok), (RV{4, 1, 0}));
  EXPECT_EQ(reals(r, 3, Status::Ok), (RV{1, 4, 1}));
  EXPECT_EQ(reals(r, 3, Status::Ok), (RV{0, 1, 4}));
  EXPECT_EQ(reals(r, 3, Status::Ok), (RV{5, 6, 5}));  // no final line end
  EXPECT_EQ(r.position(), text.size());
  EXPECT_EQ(reals(r, 1, Status::End), (RV{-7}));
  EXPECT_EQ(r.readLine(title, 100), Status::End);
  EXPECT_FALSE(r.sawCrLf());
}

TEST(FortranInput, SlashRepeatsAndNulls) {
  ListReader r("1 2 / 3\n"
               "4,,6 7\n"
               "2*5 2*\n"
               ",1 2 3\n"
               "1 2,\n,3 4\n"      // a comma ending a line separates; the next comma is a null
               "\n\n,8 9 10 11\n"  // after blank lines a leading comma only separates
               "2*7,8 5*9\n");
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{1, 2, -7, -7}));
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{4, -7, 6, 7}));
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{5, 5, -7, -7}));
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{-7, 1, 2, 3}));
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{1, 2, -7, 3}));
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{8, 9, 10, 11}));
  EXPECT_EQ(ints(r, 4, Status::Ok), (IV{7, 7, 8, 9}));  // the rest of a repeat is dropped
  EXPECT_EQ(ints(r, 1, Status::End), (IV{-7}));
}

TEST(FortranInput, NumberSyntax) {
  ListReader r("2 .5 5. -1.5E-3 1.5D3 1.5d+03 2e1 +.25e+2\n"
               "1.5+3 1.5-3 -0 3.4028236e38 -1e99999 7e-46 1e-45 0.1\n"
               "2*1.5 +7 -2147483648 2147483647\n");
  EXPECT_EQ(reals(r, 8, Status::Ok), (RV{2, 0.5f, 5, -1.5e-3f, 1500, 1500, 20, 25}));
  const RV v = reals(r, 8, Status::Ok);
  EXPECT_EQ(v[0], 1500.0f);
  EXPECT_EQ(v[1], 1.5e-3f);
  EXPECT_TRUE(v[2] == 0 && std::signbit(v[2]));
  EXPECT_EQ(v[3], INFINITY);  // rounds past the largest float
  EXPECT_EQ(v[4], -INFINITY);
  EXPECT_EQ(v[5], 0.0f);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(v[6]), 1u);  // the smallest subnormal
  EXPECT_EQ(std::bit_cast<std::uint32_t>(v[7]), 0x3DCCCCCDu);
  EXPECT_EQ(reals(r, 2, Status::Ok), (RV{1.5f, 1.5f}));

  ListReader e("a b\n5\n");  // an empty read skips a line
  EXPECT_EQ(ints(e, 0, Status::Ok), IV{});
  EXPECT_EQ(ints(e, 1, Status::Ok), IV{5});
  EXPECT_EQ(ints(e, 0, Status::End), IV{});

  ListReader n("+7 -2147483648 3*-4\n");
  EXPECT_EQ(ints(n, 5, Status::Ok), (IV{7, -2147483648, -4, -4, -4}));
}

TEST(FortranInput, ReadErrors) {
  struct Case {
    const char* text;
    bool integer;
    std::vector<double> kept;  // the values before the bad one
  };
  const Case cases[] = {
      {"1 2 2147483648\n", true, {1, 2}}, {"1 1.5\n", true, {1}},       {"4e0\n", true, {}},
      {"1 abc\n", false, {1}},            {"1 2 3a\n", false, {1, 2}},  {"Inf\n", false, {}},
      {".\n", false, {}},                 {"1.5e\n", false, {}},        {"1.5e+\n", false, {}},
      {"0*4\n", true, {}},                {"*1\n", true, {}},           {"2**1\n", true, {}},
      {"2*1.5\n", true, {}},              {"1;2\n", true, {}},          {"--1\n", true, {}},
  };
  for (const Case& c : cases) {
    ListReader r(c.text);
    if (c.integer) {
      IV v = ints(r, 3, Status::Error);
      for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(v[k], k < c.kept.size() ? c.kept[k] : -7) << c.text;
    } else {
      RV v = reals(r, 3, Status::Error);
      for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(v[k], k < c.kept.size() ? c.kept[k] : -7) << c.text;
    }
  }
  // After an error the next read starts on the following line.
  ListReader r("1 x 3\n5 6\n");
  ints(r, 3, Status::Error);
  EXPECT_EQ(ints(r, 2, Status::Ok), (IV{5, 6}));
}

TEST(FortranInput, EndOfText) {
  ListReader r("1 2\n3");
  EXPECT_EQ(ints(r, 4, Status::End), (IV{1, 2, 3, -7}));  // values read stay stored
  EXPECT_EQ(r.position(), 5u);
  ListReader blank("  \n\t\n");
  EXPECT_EQ(reals(blank, 1, Status::End), (RV{-7}));
  ListReader nulls("2*\n");
  EXPECT_EQ(ints(nulls, 3, Status::End), (IV{-7, -7, -7}));
  ListReader empty("");
  std::string line = "x";
  EXPECT_EQ(empty.readLine(line, 10), Status::End);
}

TEST(FortranInput, LineEndsAndByteOrderMark) {
  const std::string text = "\xEF\xBB\xBFTitlu lung de proba\r\n3 1\r\n1\t2\r3\r\n";
  ListReader r(text);
  std::string title;
  EXPECT_EQ(r.readLine(title, 5), Status::Ok);
  EXPECT_EQ(title, "Titlu");  // cut to its field, BOM left out
  EXPECT_TRUE(r.sawCrLf());
  EXPECT_EQ(ints(r, 2, Status::Ok), (IV{3, 1}));
  EXPECT_EQ(reals(r, 3, Status::Ok), (RV{1, 2, 3}));  // a lone CR separates like a blank
  EXPECT_EQ(r.position(), text.size());
  EXPECT_TRUE(r.sawCrLf());

  ListReader bom("\xEF\xBB\xBF" "4 5\n");
  EXPECT_EQ(ints(bom, 2, Status::Ok), (IV{4, 5}));
  EXPECT_FALSE(bom.sawCrLf());
  ListReader start("skip\n7\n", 5);  // a reader may start at any line
  EXPECT_EQ(ints(start, 1, Status::Ok), (IV{7}));
  std::string line;
  ListReader crOnlyEnd("abc\r");
  EXPECT_EQ(crOnlyEnd.readLine(line, 100), Status::Ok);
  EXPECT_EQ(line, "abc");
}

TEST(FortranInput, FirstValueOfAShortText) {
  float x = -1;
  std::int32_t n = -1;
  EXPECT_TRUE(readFirstReal("  1.0E-4  ", x));
  EXPECT_EQ(x, 1.0e-4f);
  EXPECT_TRUE(readFirstReal("1.2,7", x));
  EXPECT_EQ(x, 1.2f);
  EXPECT_TRUE(readFirstReal("5 abc", x));
  EXPECT_EQ(x, 5.0f);
  EXPECT_TRUE(readFirstInteger(" 100", n));
  EXPECT_EQ(n, 100);
  x = -1;
  n = -1;
  for (const char* bad : {"", "   ", "abc", "1.5x", ",", "/", "2*"}) {
    EXPECT_FALSE(readFirstReal(bad, x)) << bad;
    EXPECT_FALSE(readFirstInteger(bad, n)) << bad;
  }
  EXPECT_FALSE(readFirstInteger("1.5", n));
  EXPECT_FALSE(readFirstInteger("1e3", n));
  EXPECT_FALSE(readFirstInteger("99999999999", n));
  EXPECT_EQ(x, -1.0f);
  EXPECT_EQ(n, -1);
}

TEST(FortranInput, LargeMatrixReadsInLinearTime) {
  // 1000 rows of 1000 values: must take well under a second.
  std::string text;
  text.reserve(1000 * 1000 * 4);
  for (int i = 0; i < 1000; ++i) {
    for (int j = 0; j < 1000; ++j) text += (j % 7 == 0) ? "1.5 " : "-2 ";
    text += '\n';
  }
  ListReader r(text);
  std::vector<float> row(1000);
  double sum = 0;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(r.readReals(row), Status::Ok);
    sum += row[0] + row[999];
  }
  EXPECT_EQ(sum, 1000 * (1.5 - 2.0));
  EXPECT_EQ(r.position(), text.size());
}
