#include "analysis/exact_number.h"

#include <cmath>
#include <limits>
#include <utility>

namespace parvela {

struct ExactNumber::Mpfr {
  mpfr_t v;
  Mpfr() { mpfr_init2(v, kMpfrBits); }
  ~Mpfr() { mpfr_clear(v); }
  Mpfr(const Mpfr&) = delete;
  Mpfr& operator=(const Mpfr&) = delete;
};

namespace {

// Scratch MPFR values for one operation.
struct Tmp {
  mpfr_t v;
  Tmp() { mpfr_init2(v, ExactNumber::kMpfrBits); }
  ~Tmp() { mpfr_clear(v); }
  Tmp(const Tmp&) = delete;
  Tmp& operator=(const Tmp&) = delete;
};

}  // namespace

ExactNumber::ExactNumber(mpq_class q) : q_(std::move(q)) { q_.canonicalize(); }

ExactNumber ExactNumber::of(double v) {
  mpq_class q;
  mpq_set_d(q.get_mpq_t(), v);
  return ExactNumber(std::move(q));
}

ExactNumber ExactNumber::checked(mpq_class q) {
  if (mpz_sizeinbase(q.get_num_mpz_t(), 2) <= kRationalBitLimit &&
      mpz_sizeinbase(q.get_den_mpz_t(), 2) <= kRationalBitLimit)
    return ExactNumber(std::move(q));
  Tmp t;
  mpfr_set_q(t.v, q.get_mpq_t(), MPFR_RNDN);
  return fromMpfr(t.v);
}

ExactNumber ExactNumber::fromMpfr(const mpfr_t v) {
  auto m = std::make_shared<Mpfr>();
  mpfr_set(m->v, v, MPFR_RNDN);
  ExactNumber r;
  r.f_ = std::move(m);
  return r;
}

void ExactNumber::toMpfr(mpfr_t out) const {
  if (f_)
    mpfr_set(out, f_->v, MPFR_RNDN);
  else
    mpfr_set_q(out, q_.get_mpq_t(), MPFR_RNDN);
}

int ExactNumber::sign() const { return f_ ? mpfr_sgn(f_->v) : sgn(q_); }

double ExactNumber::toDouble() const { return f_ ? mpfr_get_d(f_->v, MPFR_RNDN) : q_.get_d(); }

template <class RationalOp>
ExactNumber ExactNumber::combine(const ExactNumber& a, const ExactNumber& b, RationalOp rop,
                                 int (*mop)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t)) {
  if (!a.f_ && !b.f_) return checked(rop(a.q_, b.q_));
  Tmp x, y, r;
  a.toMpfr(x.v);
  b.toMpfr(y.v);
  mop(r.v, x.v, y.v, MPFR_RNDN);
  return fromMpfr(r.v);
}

ExactNumber operator+(const ExactNumber& a, const ExactNumber& b) {
  return ExactNumber::combine(a, b, [](const mpq_class& x, const mpq_class& y) { return mpq_class(x + y); }, mpfr_add);
}
ExactNumber operator-(const ExactNumber& a, const ExactNumber& b) {
  return ExactNumber::combine(a, b, [](const mpq_class& x, const mpq_class& y) { return mpq_class(x - y); }, mpfr_sub);
}
ExactNumber operator*(const ExactNumber& a, const ExactNumber& b) {
  return ExactNumber::combine(a, b, [](const mpq_class& x, const mpq_class& y) { return mpq_class(x * y); }, mpfr_mul);
}
ExactNumber operator/(const ExactNumber& a, const ExactNumber& b) {
  return ExactNumber::combine(a, b, [](const mpq_class& x, const mpq_class& y) { return mpq_class(x / y); }, mpfr_div);
}

ExactNumber ExactNumber::operator-() const {
  if (!f_) return ExactNumber(mpq_class(-q_));
  Tmp t;
  mpfr_neg(t.v, f_->v, MPFR_RNDN);
  return fromMpfr(t.v);
}

ExactNumber ExactNumber::sqrt() const {
  if (!f_ && sgn(q_) >= 0 && mpz_perfect_square_p(q_.get_num_mpz_t()) &&
      mpz_perfect_square_p(q_.get_den_mpz_t())) {
    mpz_class num, den;
    mpz_sqrt(num.get_mpz_t(), q_.get_num_mpz_t());
    mpz_sqrt(den.get_mpz_t(), q_.get_den_mpz_t());
    return ExactNumber(mpq_class(num, den));
  }
  Tmp x, r;
  toMpfr(x.v);
  mpfr_sqrt(r.v, x.v, MPFR_RNDN);
  return fromMpfr(r.v);
}

int compare(const ExactNumber& a, const ExactNumber& b) {
  if (a.isRational() && b.isRational()) return cmp(a.q_, b.q_);
  if (!a.isRational() && b.isRational()) return mpfr_cmp_q(a.f_->v, b.q_.get_mpq_t());
  if (a.isRational() && !b.isRational()) return -mpfr_cmp_q(b.f_->v, a.q_.get_mpq_t());
  return mpfr_cmp(a.f_->v, b.f_->v);
}

std::string ExactNumber::text(int digits) const {
  if (!f_) return q_.get_str();
  return decimal(digits);
}

std::string ExactNumber::decimal(int digits) const {
  Tmp x;
  toMpfr(x.v);
  if (mpfr_zero_p(x.v)) return "0";
  char* s = nullptr;
  if (mpfr_asprintf(&s, "%.*Re", digits - 1, x.v) < 0 || !s) return "?";
  std::string out(s);
  mpfr_free_str(s);
  return out;
}

double ExactNumber::relativeDifference(double approx) const {
  if (std::isnan(approx)) return approx;
  if (isZero()) return approx == 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
  if (std::isinf(approx)) return approx;
  Tmp x, a, d;
  toMpfr(x.v);
  mpfr_set_d(a.v, approx, MPFR_RNDN);
  mpfr_sub(d.v, a.v, x.v, MPFR_RNDN);
  mpfr_abs(x.v, x.v, MPFR_RNDN);
  mpfr_div(d.v, d.v, x.v, MPFR_RNDN);
  return mpfr_get_d(d.v, MPFR_RNDN);
}

double ExactNumber::ulps(double approx, bool single) const {
  if (!std::isfinite(approx)) return std::numeric_limits<double>::infinity();
  Tmp x, a, d;
  toMpfr(x.v);
  mpfr_set_d(a.v, approx, MPFR_RNDN);
  mpfr_sub(d.v, a.v, x.v, MPFR_RNDN);
  // The spacing of the approximation's format at the exact value.
  const int mantissa = single ? 24 : 53;
  const long minExponent = single ? -126 : -1022;
  long e = minExponent;
  if (!mpfr_zero_p(x.v)) e = std::max(minExponent, mpfr_get_exp(x.v) - 1);  // x = m * 2^(exp), 0.5 <= m < 1
  mpfr_div_2si(d.v, d.v, e - (mantissa - 1), MPFR_RNDN);
  return mpfr_get_d(d.v, MPFR_RNDN);
}

float ExactNumber::toFloat() const {
  Tmp x;
  toMpfr(x.v);
  mpfr_t t;
  mpfr_init2(t, 24);
  // An MPFR value is rounded a second time here: exact but for ties.
  mpfr_set(t, x.v, MPFR_RNDN);
  const float f = mpfr_get_flt(t, MPFR_RNDN);
  mpfr_clear(t);
  return f;
}

}  // namespace parvela
