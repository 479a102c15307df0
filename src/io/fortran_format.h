// Internals of the Fortran-style output engine: the parsed form of a format
// string and the edit routines that turn one value into the characters of
// its field. TextUnit::write and TextUnit::print (fortran_io.h) are built on
// these; they are exposed here for the engine's own tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parvela::fortran {

enum class Op : std::uint8_t {
  Literal,    // quoted text
  A,          // A or Aw
  I,          // Iw or Iw.m
  E,          // Ew.d or Ew.dEe
  F,          // Fw.d
  G,          // Gw.d or Gw.dEe
  Scale,      // kP
  Tab,        // Tc
  TabLeft,    // TLc
  TabRight,   // TRc, nX
  Slash,      // r/
  Colon,      // :
  NoAdvance,  // \ or $
  Group,      // r( ... )
};

struct Node {
  Op op = Op::Literal;
  int repeat = 1;  // repeat count of a data descriptor, group or slash
  int w = -1;      // field width (-1: none given)
  int d = -1;      // digits after the point / significant digits
  int e = -1;      // exponent digits (-1: none given)
  int m = -1;      // minimum digits of Iw.m
  int n = 0;       // scale factor, tab column or tab distance
  std::string text;            // literal text
  std::vector<Node> children;  // group contents

  bool isData() const { return op == Op::A || op == Op::I || op == Op::E || op == Op::F || op == Op::G; }
};

struct Format {
  std::vector<Node> items;      // the contents of the outer parentheses
  std::size_t reversion = 0;    // where processing resumes when items remain
};

// Parses a format string such as "(/, a, 1pE8.2, 2(1pg12.6, a))". Blanks
// outside quotes and letter case do not matter; commas between elements
// may be left out. Throws std::invalid_argument on a malformed format.
Format parseFormat(std::string_view format);

// The parsed form of `format`, parsed once and then kept for reuse.
const Format& cachedFormat(std::string_view format);

// Edit routines: each appends exactly one field to `out`. Reals are edited
// from their exact binary value (a float is passed widened to double, which
// is exact); the decimal digits are correctly rounded, ties to even. A value
// that does not fit its field gives `w` asterisks. `k` is the scale factor.
void editA(std::string& out, std::string_view text, int w);
void editI(std::string& out, std::int64_t value, int w, int m);
void editE(std::string& out, double value, int w, int d, int e, int k);
void editF(std::string& out, double value, int w, int d, int k);
void editG(std::string& out, double value, int w, int d, int e, int k);

// The free-format fields: an integer in 12 characters; a float as 1P,G15.7,
// zero as 1P,E15.7; a double as 1P,G24.15, zero as 1P,E24.15.
void listInteger(std::string& out, std::int32_t value);
void listFloat(std::string& out, float value);
// The field of listFloat for the common magnitudes (those that take the
// fixed form, from about 0.03 to 10^6), as 15 characters and a blank
// stored at out[0..15]; false where listFloat must write it.
bool listFloatFixed(float value, char* out);
void listDouble(std::string& out, double value);

}  // namespace parvela::fortran
