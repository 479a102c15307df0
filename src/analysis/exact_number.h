// A number of the exact replay of a run: a rational (GMP) for as long as
// one exists and stays of a readable size, else a 256-bit MPFR value. A
// square root, or a rational whose numerator or denominator grows past
// kRationalBitLimit bits (about three hundred digits), turns into MPFR; the
// value remembers which it is, so that a view can say so.
#pragma once

#include <gmpxx.h>
#include <mpfr.h>

#include <cstdint>
#include <memory>
#include <string>

namespace parvela {

class ExactNumber {
 public:
  static constexpr int kMpfrBits = 256;
  static constexpr std::size_t kRationalBitLimit = 1000;

  ExactNumber() = default;  // the rational 0
  explicit ExactNumber(mpq_class q);
  // A float or double value, taken exactly (every finite binary value is a
  // rational). Not for NaN or infinities.
  static ExactNumber of(double v);
  static ExactNumber integer(long v) { return ExactNumber(mpq_class(v)); }

  bool isRational() const { return !f_; }
  const mpq_class& rational() const { return q_; }  // only when isRational()

  int sign() const;
  bool isZero() const { return sign() == 0; }
  double toDouble() const;
  // The nearest single-precision value (ties to even).
  float toFloat() const;

  friend ExactNumber operator+(const ExactNumber& a, const ExactNumber& b);
  friend ExactNumber operator-(const ExactNumber& a, const ExactNumber& b);
  friend ExactNumber operator*(const ExactNumber& a, const ExactNumber& b);
  // Division by zero is the caller's to avoid.
  friend ExactNumber operator/(const ExactNumber& a, const ExactNumber& b);
  ExactNumber operator-() const;
  ExactNumber abs() const { return sign() < 0 ? -*this : *this; }
  // Square root of a non-negative value (MPFR unless an exact square of a
  // small rational).
  ExactNumber sqrt() const;

  // <0, 0, >0 as a - b.
  friend int compare(const ExactNumber& a, const ExactNumber& b);
  friend bool operator<(const ExactNumber& a, const ExactNumber& b) { return compare(a, b) < 0; }
  friend bool operator==(const ExactNumber& a, const ExactNumber& b) { return compare(a, b) == 0; }

  // "p/q" (or "p") for a rational; for an MPFR value a decimal with
  // `digits` significant digits in exponent form ("1.4142...e+00").
  std::string text(int digits = 40) const;
  // A decimal with `digits` significant digits, exponent form ("-3.3333e-01").
  std::string decimal(int digits) const;

  // How far `approx` (a float value when `single`, else a double) is from
  // this value: (approx - exact) / |exact| (0 when both are zero, infinite
  // when only the exact one is), and the same difference in units in the
  // last place of the approximation's precision at the exact value.
  double relativeDifference(double approx) const;
  double ulps(double approx, bool single) const;

 private:
  struct Mpfr;
  void toMpfr(mpfr_t out) const;
  static ExactNumber fromMpfr(const mpfr_t v);
  static ExactNumber checked(mpq_class q);
  template <class RationalOp>
  static ExactNumber combine(const ExactNumber& a, const ExactNumber& b, RationalOp rop,
                             int (*mop)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t));

  mpq_class q_;
  std::shared_ptr<const Mpfr> f_;  // set: the value is this MPFR number
};


}  // namespace parvela
