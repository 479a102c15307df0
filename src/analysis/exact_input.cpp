#include "analysis/exact_input.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <utility>

#include "io/data_layout.h"
#include "io/generators.h"

namespace parvela {

namespace {

using Values = std::vector<ExactNumber>;

std::size_t at(std::int32_t n, std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i - 1);
}

ExactNumber q(long num, long den = 1) { return ExactNumber(mpq_class(num, den)); }

// The generator's matrix from its formula, as GEN_A defines it, on exact
// constants.
std::optional<Values> generated(std::string_view name, std::int32_t n, const Values& c) {
  if (n < 1 || static_cast<std::int32_t>(c.size()) < leastConstants(name, n)) return std::nullopt;
  const std::int32_t nc = static_cast<std::int32_t>(c.size());
  Values A(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  auto a = [&](std::int32_t i, std::int32_t j) -> ExactNumber& { return A[at(n, i, j)]; };
  auto C = [&](std::int32_t k) -> const ExactNumber& { return c[static_cast<std::size_t>(k - 1)]; };
  const std::string_view g = trimRight(name);
  if (g == "Hilbert" || g == "Lotkin") {
    for (std::int32_t j = 1; j <= n; ++j)
      for (std::int32_t i = 1; i <= n; ++i) a(i, j) = (g == "Lotkin" && i == 1) ? q(1) : q(1, i + j - 1);
  } else if (g == "Wilkinson 5") {
    const ExactNumber scaled = C(1) * q(18144, 10000);
    for (std::int32_t i = 1; i <= std::min(n, 5); ++i)
      for (std::int32_t j = 1; j <= std::min(n, 5); ++j) a(i, j) = scaled / q(i + j + 1);
  } else if (g == "Wilkinson 20") {
    for (std::int32_t i = 1; i <= n; ++i) {
      a(i, i) = q(i);
      if (i <= n - 1) a(i, i + 1) = q(n);
    }
    a(n, 1) = C(1);
  } else if (g == "Cauchy") {
    for (std::int32_t j = 1; j <= n; ++j)
      for (std::int32_t i = 1; i <= n; ++i) {
        const ExactNumber d = C(i) + C(j + 5);
        if (d.isZero()) return std::nullopt;  // the single-precision matrix holds an infinity
        a(i, j) = q(1) / d;
      }
  } else if (g == "Companion") {
    for (std::int32_t i = 1; i <= n - 1; ++i) a(i + 1, i) = q(1);
    for (std::int32_t i = 1; i <= n; ++i) a(i, n) = -C(i);
  } else if (g == "Banda constanta") {
    for (std::int32_t i = 1; i <= n; ++i) {
      a(i, i) = C(1);
      for (std::int32_t j = i + 1; j <= std::min(i + nc - 1, n); ++j) a(i, j) = C(j - i + 1);
      for (std::int32_t j = i - 1; j >= 1; --j) a(i, j) = a(j, i);
    }
  } else {
    return std::nullopt;
  }
  return A;
}

// Exact values of texts, each checked against the value read: `read(v)`
// gives what the read made of the exact value v (nothing: not usable).
template <class Check>
std::optional<Values> fromTexts(const std::vector<std::string>& texts, Check check) {
  Values out;
  out.reserve(texts.size());
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const std::optional<mpq_class> v = exactDecimal(texts[k]);
    if (!v) return std::nullopt;
    ExactNumber e(*v);
    if (!check(k, e)) return std::nullopt;
    out.push_back(std::move(e));
  }
  return out;
}

bool sameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

std::optional<Values> exactOrNothing(const float* v, std::size_t count) {
  Values out;
  out.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    if (!std::isfinite(v[k])) return std::nullopt;
    out.push_back(ExactNumber::of(v[k]));
  }
  return out;
}

Values identity(std::int32_t n) {
  Values I(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) I[at(n, i, i)] = q(1);
  return I;
}

}  // namespace

std::optional<mpq_class> exactDecimal(std::string_view t) {
  auto trim = [](std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
  };
  t = trim(t);
  if (const std::size_t star = t.find('*'); star != std::string_view::npos) t = trim(t.substr(star + 1));
  if (t.empty()) return mpq_class(0);
  std::size_t p = 0;
  bool negative = false;
  if (t[p] == '+' || t[p] == '-') negative = t[p++] == '-';
  std::string digits;
  long scale = 0;  // digits after the point
  bool any = false, point = false;
  for (; p < t.size(); ++p) {
    const char c = t[p];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits += c;
      any = true;
      if (point) ++scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return std::nullopt;
  long exponent = 0;
  if (p < t.size()) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[p])));
    if (c == 'E' || c == 'D' || c == 'Q') ++p;
    else if (c != '+' && c != '-') return std::nullopt;
    bool negExp = false;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) negExp = t[p++] == '-';
    if (p >= t.size()) return std::nullopt;
    for (; p < t.size(); ++p) {
      if (!std::isdigit(static_cast<unsigned char>(t[p]))) return std::nullopt;
      if (exponent < 100000) exponent = exponent * 10 + (t[p] - '0');
    }
    if (negExp) exponent = -exponent;
  }
  const long power = exponent - scale;
  mpz_class num(digits, 10), ten = 10, scaleBy;
  mpz_pow_ui(scaleBy.get_mpz_t(), ten.get_mpz_t(), static_cast<unsigned long>(power < 0 ? -power : power));
  mpq_class v = power < 0 ? mpq_class(num, scaleBy) : mpq_class(num * scaleBy);
  v.canonicalize();
  if (negative) v = -v;
  return v;
}

std::optional<std::vector<ExactNumber>> exactValues(const std::vector<float>& v) {
  return exactOrNothing(v.data(), v.size());
}

ReadSnapshot snapshotRead(const ProblemState& ps, const ValueTexts* texts) {
  ReadSnapshot s;
  s.n = ps.n;
  s.nb = ps.nb;
  if (!ps.dataRead || !useStepKernels(ps.n) || ps.n < 1) return s;
  const std::int32_t n = ps.n;
  const std::size_t N = static_cast<std::size_t>(n), NN = N * N, NB = N * static_cast<std::size_t>(std::max(ps.nb, 0));
  if (ps.A.size() < NN || ps.B.size() < NB) return s;
  s.A.assign(ps.A.begin(), ps.A.begin() + static_cast<std::ptrdiff_t>(NN));
  if (ps.avAllocated) s.AV.assign(ps.AV.begin(), ps.AV.begin() + static_cast<std::ptrdiff_t>(std::min(ps.AV.size(), N * (N + 1) / 2)));
  s.B.assign(ps.B.begin(), ps.B.begin() + static_cast<std::ptrdiff_t>(NB));

  ExactInput in;
  in.n = n;
  in.nb = ps.nb;
  in.fromRead = true;
  // The matrix.
  const bool packedRead = ps.matrixKind == MatrixKind::Symmetric && ps.inputSource == InputSource::DataFile &&
                          methodReadsPacked(ps.methodIndex) && !s.AV.empty();
  // The value the read left at (i, j).
  auto readValue = [&](std::int32_t i, std::int32_t j) {
    if (packedRead) return s.AV[packedOffset(static_cast<std::size_t>(std::min(i, j)), static_cast<std::size_t>(std::max(i, j)))];
    return s.A[at(n, i, j)];
  };
  std::optional<Values> A;
  if (ps.inputSource == InputSource::Generated) {
    std::optional<Values> c;
    if (texts && texts->c.size() == ps.C.size() && !texts->c.empty()) {
      c = fromTexts(texts->c, [&](std::size_t k, const ExactNumber& e) { return sameBits(e.toFloat(), ps.C[k]); });
    }
    if (!c) c = exactOrNothing(ps.C.data(), std::min(ps.C.size(), static_cast<std::size_t>(std::max(ps.nc, 0))));
    if (c) A = generated(generatorName(ps.generatorIndex), n, *c);
    if (A) {
      in.matrixSource = ExactSource::Formula;
      in.generator = std::string(generatorName(ps.generatorIndex));
    }
  } else if (texts && texts->a.size() == NN) {
    // Texts by rows; a symmetric matrix's rows hold the upper triangle.
    std::vector<std::string> byColumns(NN);
    for (std::int32_t i = 1; i <= n; ++i)
      for (std::int32_t j = 1; j <= n; ++j) {
        const bool mirrored = texts->upperOnly && i > j;
        byColumns[at(n, i, j)] = texts->a[static_cast<std::size_t>(mirrored ? (j - 1) * n + (i - 1) : (i - 1) * n + (j - 1))];
      }
    A = fromTexts(byColumns, [&](std::size_t k, ExactNumber& e) {
      const std::int32_t i = static_cast<std::int32_t>(k % N) + 1, j = static_cast<std::int32_t>(k / N) + 1;
      const float read = e.toFloat();
      if (!ps.invertElements) return sameBits(read, readValue(i, j));
      if (e.isZero() || !sameBits(1.0f / read, readValue(i, j))) return false;
      e = q(1) / e;
      return true;
    });
    if (A) in.matrixSource = ExactSource::Written;
  }
  if (!A) {
    std::vector<float> full(NN);
    for (std::int32_t i = 1; i <= n; ++i)
      for (std::int32_t j = 1; j <= n; ++j) full[at(n, i, j)] = readValue(i, j);
    A = exactOrNothing(full.data(), NN);
    in.matrixSource = ExactSource::Stored;
  }
  if (!A) return s;
  in.A = std::move(*A);

  // The right-hand sides (the identity for the inverse and the condition number).
  std::optional<Values> B;
  if (ps.problemKind == ProblemKind::System && texts && texts->b.size() == NB) {
    B = fromTexts(texts->b, [&](std::size_t k, const ExactNumber& e) { return sameBits(e.toFloat(), s.B[k]); });
    if (B) in.rhsSource = ExactSource::Written;
  }
  if (!B) B = ps.problemKind == ProblemKind::System ? exactOrNothing(s.B.data(), NB) : identity(n);
  if (!B) return s;
  in.B = std::move(*B);
  s.exact = std::move(in);
  return s;
}

std::optional<ValueTexts> writtenTexts(const ProblemState& state, std::string_view fileText) {
  if (!useStepKernels(state.n) || fileText.empty()) return std::nullopt;
  const DataLayout layout = DataLayout::of(state);
  const LoadedData d = loadDataTexts(fileText, layout, std::size_t{1} << 20, state.n, state.nb, state.nc);
  if (d.noSizes || d.tooLarge || d.stop || d.data.n != state.n) return std::nullopt;
  ValueTexts t;
  t.a = d.data.a;
  t.b = d.data.b;
  t.c = d.data.c;
  t.upperOnly = layout.matrix == DataLayout::Matrix::UpperTriangle;
  return t;
}

ReadSnapshot snapshotRead(const ProblemState& state, std::string_view fileText) {
  const std::optional<ValueTexts> texts = writtenTexts(state, fileText);
  return snapshotRead(state, texts ? &*texts : nullptr);
}

std::optional<ExactInput> exactInputFor(const StepRunStart& start, const ReadSnapshot* read) {
  if (!start.full() || start.n < 1) return std::nullopt;
  const std::int32_t n = start.n;
  const std::size_t N = static_cast<std::size_t>(n);
  if (read && read->exact && read->n == n && read->exact->nb == start.nb && start.B.values == read->B &&
      (start.packed() ? start.S == read->AV : start.A.values == read->A))
    return read->exact;

  ExactInput in;
  in.n = n;
  in.nb = start.nb;
  std::vector<float> full(N * N);
  if (start.packed()) {
    if (start.S.size() < N * (N + 1) / 2) return std::nullopt;
    for (std::int32_t i = 1; i <= n; ++i)
      for (std::int32_t j = 1; j <= n; ++j)
        full[at(n, i, j)] = start.S[packedOffset(static_cast<std::size_t>(std::min(i, j)), static_cast<std::size_t>(std::max(i, j)))];
  } else {
    if (start.A.values.size() < N * N) return std::nullopt;
    full = start.A.values;
  }
  std::optional<Values> A = exactOrNothing(full.data(), full.size());
  std::optional<Values> B = exactOrNothing(start.B.values.data(), start.B.values.size());
  if (!A || !B) return std::nullopt;
  in.A = std::move(*A);
  in.B = std::move(*B);
  return in;
}

}  // namespace parvela
