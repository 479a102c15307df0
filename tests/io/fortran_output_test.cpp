// Formatted and free-format output of the Fortran I/O engine: report
// layouts, record structure, position editing and free-format lines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/fortran_format.h"
#include "io/fortran_io.h"

using namespace parvela;

namespace {

std::string written(std::string_view format, std::initializer_list<FItem> items) {
  TextUnit u;
  u.write(format, items);
  return u.text();
}

std::string printed(std::initializer_list<FItem> items) {
  TextUnit u;
  u.print(items);
  return u.text();
}

const float kInf = std::numeric_limits<float>::infinity();

}  // namespace

TEST(FortranOutput, ReportLines) {
  EXPECT_EQ(written("(a, 1p, e10.3, a, I3)", {"Toleranta: eps = ", 1.0e-4f, ";  Numar limita de iteratii: nlim =", 100}),
            "Toleranta: eps =  1.000E-04;  Numar limita de iteratii: nlim =100\n");
  EXPECT_EQ(written("(a,1pE10.3)", {"Omega =", 1.2f}), "Omega = 1.200E+00\n");
  EXPECT_EQ(written("(/, a, 1pE8.2,a, /,a)", {"* Pivot <", 1.0e-6f, " !", "* Sistemul nu se poate rezolva."}),
            "\n* Pivot <1.00E-06 !\n* Sistemul nu se poate rezolva.\n");
  EXPECT_EQ(written("(/, a, 1pE14.6)", {"Determinant(A) =", 1.0e300}), "\nDeterminant(A) =  1.000000+300\n");
  EXPECT_EQ(written("(/, a, 1pE14.6)", {"Determinant(A) =", -2.999999f}), "\nDeterminant(A) = -2.999999E+00\n");
  EXPECT_EQ(written("(/,a,a,a/)", {"Problema: Numar de Conditie;  ", "Cond(A)*", "."}),
            "\nProblema: Numar de Conditie;  Cond(A)*.\n\n");
  EXPECT_EQ(written("(//,a)", {" * Proba"}), "\n\n * Proba\n");
  EXPECT_EQ(written("(/, a,a)", {"Metoda: ", "Gauss                            "}),
            "\nMetoda: Gauss                            \n");
  // G with 0p keeps the plain exponent form; the F form ignores the scale.
  EXPECT_EQ(written("(a, a, 2(1pg12.6, a))", {"T", " (", 0.05f, " > ", 0.25f, ")"}), "T (5.000000E-02 > 0.250000    )\n");
  EXPECT_EQ(written("(3g15.7)", {0.0f, 0.9166667f, 0.01909721f}), "   0.000000      0.9166667      0.1909721E-01\n");
  EXPECT_EQ(written("(a, 1pg11.4)", {" Valoarea de test =", 0.75f}), " Valoarea de test = 0.7500    \n");
  EXPECT_EQ(written("(/, a, I1, a, 1p, g15.7, a, 1p, g11.3)", {" Linia ", 3, ": Pivot =", 2.5e-9f, " <", 1.0e-8f}),
            "\n Linia 3: Pivot =  2.5000000E-09 <  1.000E-08\n");
}

TEST(FortranOutput, NumberEdgeCases) {
  EXPECT_EQ(formatRecord("(1PG15.7)", {0.05f}), "  5.0000001E-02");
  EXPECT_EQ(formatRecord("(1PE15.7)", {std::ldexp(1.0f, -12)}), "  2.4414062E-04");  // exact tie, to even
  EXPECT_EQ(formatRecord("(e10.4)", {1.0e-4f}), "0.1000E-03");
  EXPECT_EQ(formatRecord("(e9.4)", {1.0e-4f}), ".1000E-03");  // no room for the optional zero
  EXPECT_EQ(formatRecord("(1pE8.2)", {1.0e-6f}), "1.00E-06");
  EXPECT_EQ(formatRecord("(g15.7)", {-0.0f}), "  -0.000000    ");
  EXPECT_EQ(formatRecord("(1pe15.7)", {-0.0f}), " -0.0000000E+00");
  EXPECT_EQ(formatRecord("(g15.7)", {0.099999994f}), "  0.9999999E-01");  // rounds below 0.1
  EXPECT_EQ(formatRecord("(g15.7)", {999999.94f}), "   999999.9    ");
  EXPECT_EQ(formatRecord("(g15.7)", {9999999.0f}), "   9999999.    ");
  EXPECT_EQ(formatRecord("(g15.7)", {1.0e7f}), "  0.1000000E+08");
  EXPECT_EQ(formatRecord("(g8.4)", {1234.0f}), "********");
  EXPECT_EQ(formatRecord("(1pe8.2)", {-1.0e-6f}), "********");
  EXPECT_EQ(formatRecord("(g15.7,e8.1,e4.1,e3.1,g5.1)", {kInf, -kInf, -kInf, kInf, std::nanf("")}),
            "       Infinity    -Inf-InfInf  NaN");
  EXPECT_EQ(formatRecord("(e8.1,e9.1,e3.1)", {kInf, -kInf, -kInf}), "Infinity-Infinity***");
  EXPECT_EQ(formatRecord("(i3,i3,i3,i0,i5.3)", {-10, -100, 1000, -42, 7}), "-10******-42  007");
  EXPECT_EQ(formatRecord("(f8.3,f5.1,1pf8.3)", {3.14159f, -0.04f, 3.14159f}), "   3.142 -0.0  31.416");
  EXPECT_EQ(formatRecord("(a3,\"|\",a8)", {"abcdef", "xy"}), "abc|      xy");
  // A double keeps its own digits, a float its exact binary value.
  EXPECT_EQ(formatRecord("(1pe15.7,1pe15.7)", {0.1, 0.1f}), "  1.0000000E-01  1.0000000E-01");
  EXPECT_EQ(formatRecord("(1pe17.9,1pe17.9)", {0.1, 0.1f}), "  1.000000000E-01  1.000000015E-01");
}

TEST(FortranOutput, RecordsAndTermination) {
  EXPECT_EQ(written("(a)", {}), "\n");  // a data descriptor and no item
  EXPECT_EQ(written("(/, a)", {}), "\n\n");
  EXPECT_EQ(written("(a, a)", {"one"}), "one\n");
  EXPECT_EQ(written("(a, 'x', i3, 'y')", {"one"}), "onex\n");  // stops at the I descriptor
  EXPECT_EQ(written("(2/,a)", {"x"}), "\n\nx\n");
  // The colon ends the write only when no item is left.
  EXPECT_EQ(written("(a, :, 1p, g15.7)", {" Numarul de conditie = ?"}), " Numarul de conditie = ?\n");
  EXPECT_EQ(written("(a, :, 1p, g15.7)", {" Numarul de conditie =", 747.9979f}), " Numarul de conditie =   747.9979    \n");
  EXPECT_EQ(written("(a,2(a,i2):\"end\")", {"p", "q", 1, "r", 2, "s", 3}), "pq 1r 2end\ns 3\n");
  // Reversion: a new record and the last top-level group with its repeat
  // count, or the whole format when it has no group; the scale factor stays.
  EXPECT_EQ(written("(2(a,i2),a)", {"p", 1, "q", 2, "r", "s", 3}), "p 1q 2r\ns 3\n");
  EXPECT_EQ(written("(a,i2)", {"a", 1, "b", 2, "c"}), "a 1\nb 2\nc\n");
  EXPECT_EQ(written("(1p,e10.3,(a,e10.3))", {1.0f, "x", 2.0f, "y", 3.0f}), " 1.000E+00x 2.000E+00\ny 3.000E+00\n");
  EXPECT_EQ(written("('no data')", {1, 2}), "no data\n");  // no endless loop
  // Each write starts without scale factor, also with a cached format.
  TextUnit u;
  u.write("(1p,e10.3)", {1.0f});
  u.write("(e10.3)", {1.0f});
  u.write("(1p,e10.3)", {2.0f});
  EXPECT_EQ(u.text(), " 1.000E+00\n 0.100E+01\n 2.000E+00\n");
}

TEST(FortranOutput, PositionEditingAndOpenLines) {
  EXPECT_EQ(written("(a,t10,a,t3,a)", {"abcdef", "X", "YY"}), "abYYef   X\n");
  EXPECT_EQ(written("(a,tr3,a,2x,a,tl2,a)", {"ab", "cd", "e", "Z"}), "ab   cd Ze\n");
  EXPECT_EQ(written("(a,5x)", {"ab"}), "ab\n");  // trailing skips write nothing
  EXPECT_EQ(written("(a,x3,a,x,a,x 2a)", {"a", "b", "c", "d", "e"}), "a   b c de\n");
  EXPECT_EQ(written("(i3, t6, 1pg15.7)", {12, 0.5f}), " 12    0.5000000    \n");
  EXPECT_EQ(written("(\" Iter\tx\", t21, \"max\")", {}), " Iter\tx" + std::string(13, ' ') + "max\n");

  TextUnit u;
  u.write("(/, a, \\)", {" Diferenta maxima in modul:"});
  EXPECT_EQ(u.text(), "\n Diferenta maxima in modul:");
  u.write("(1pG15.7, a, I2)", {-9.5367432E-07f, "; ecuatia", 2});
  EXPECT_EQ(u.text(), "\n Diferenta maxima in modul: -9.5367432E-07; ecuatia 2\n");
  u.clear();
  // T counts from where the continuing write began; a slash in it ends the
  // open line; '$' is the same as '\'.
  u.write("(a,$)", {"abcdef"});
  u.write("(t2,a)", {"X"});
  u.write("(a,\\)", {"one"});
  u.write("(a,/,a)", {"+", "two"});
  u.write("(a,\\)", {"open"});
  u.print({7});
  EXPECT_EQ(u.text(), "abcdef X\none+\ntwo\nopen           7\n");
  EXPECT_EQ(u.take(), "abcdef X\none+\ntwo\nopen           7\n");
  EXPECT_EQ(u.text(), "");
}

TEST(FortranOutput, FreeFormatLines) {
  EXPECT_EQ(printed({4.0f, 2.0f, 0.0f}), "    4.000000       2.000000      0.0000000E+00\n");
  EXPECT_EQ(printed({10.0f, 0.0f}), "    10.00000      0.0000000E+00\n");
  EXPECT_EQ(printed({-0.0f, 0.05f}), "  -0.0000000E+00  5.0000001E-02\n");
  EXPECT_EQ(printed({"Determinant =", 64.0f}), " Determinant =   64.00000    \n");
  EXPECT_EQ(printed({" u(1,1) =", 1.0e-9f, " <", 1.0e-8f}), "  u(1,1) =  9.9999997E-10 <  9.9999999E-09\n");
  EXPECT_EQ(printed({"Pivot < prag, linia:", 1}), " Pivot < prag, linia:           1\n");
  EXPECT_EQ(printed({}), "\n");
  EXPECT_EQ(printed({1.0}), "     1.00000000000000    \n");

  // Rows of 3, 7 and 10 floats: five to a line of 76 characters.
  std::vector<FItem> row(10, FItem(1.5f));
  TextUnit u;
  u.print(std::span<const FItem>(row.data(), 3));
  u.print(std::span<const FItem>(row.data(), 7));
  u.print(std::span<const FItem>(row.data(), 10));
  std::string f = "   1.500000    ";
  auto times = [&](int k) {
    std::string s = " ";
    for (int i = 0; i < k; ++i) s += f;
    return s + "\n";
  };
  EXPECT_EQ(u.text(), times(3) + times(5) + times(2) + times(5) + times(5));
  EXPECT_EQ(times(5).size(), 77u);

  // Six integers fit (73 characters), a seventh passes 80; a text that would
  // pass the limit moves too, and so does a long first-line text never.
  u.clear();
  u.print({1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(u.text(), std::string(" ") + "           1           2           3           4           5           6\n" +
                          "            7\n");
  u.clear();
  const std::string long79(79, 'x');
  u.print({std::string_view(long79), "y"});
  u.print({std::string_view(long79 + "zz")});
  EXPECT_EQ(u.text(), " " + long79 + "\n y\n " + long79 + "zz\n");
}

TEST(FortranOutput, FormatsAreCheckedAndFilled) {
  EXPECT_EQ(fillWidths("(a, I<>, a, <>g15.7)", {3, 12}), "(a, I3, a, 12g15.7)");
  EXPECT_EQ(written(fillWidths("(a,I<>,a)", {1}), {" Solutia nr. ", 1, ":"}), " Solutia nr. 1:\n");
  for (const char* bad : {"a", "(a", "(I)", "(E10)", "(Q5)", "('open)", "(1x,a)x", "(-a)", "(0a)", "(I<>)", "(T0)"}) {
    EXPECT_THROW(fortran::parseFormat(bad), std::invalid_argument) << bad;
  }
  // Blanks, case and missing commas do not matter; quotes double inside.
  EXPECT_EQ(formatRecord(" ( 1 P E 8 . 2 , ' it''s' , \"a\"\"b\" ) ", {1.0e-6f}), "1.00E-06 it'sa\"b");
  EXPECT_EQ(formatRecord("(1pe11.3e3,g12.4e3)", {0.0f, 1.0e-300}), " 0.000E+000 1.0000E-300");
  // An item of the wrong kind fills its field with asterisks.
  EXPECT_EQ(formatRecord("(i3,a,e5.1,g4.1)", {1.5f, 2, 3, 4}), "*********   4");
}
