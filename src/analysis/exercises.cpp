#include "analysis/exercises.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "analysis/random.h"
#include "core/methods.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "run/dispatcher.h"

namespace parvela {

namespace {

constexpr std::int64_t kSolutionRange = 5;  // x(i) in [-5, 5]
// Every number of a data file is an integer a single-precision real holds
// exactly, so the problem read is the problem built.
constexpr std::int64_t kExactInFloat = std::int64_t(1) << 24;
// The Gauss-Seidel boxes of a dominant set's key, as typed.
constexpr std::string_view kKeyEps = "1e-5";
constexpr std::string_view kKeyNlim = "1000";

struct KindInfo {
  ExerciseKind kind;
  std::string_view name;
  std::string_view label;
  std::string_view howTo;  // the choices that fit, for the answer key
};

constexpr KindInfo kKinds[] = {
    {ExerciseKind::Pivoting, "pivoting", "Pivotare",
     "Sistem, matrice Generala, metoda Gauss sau LU: eliminarea fara schimbari de linii\n"
     "intalneste un pivot nul."},
    {ExerciseKind::Dominant, "dominant", "Diagonal dominanta",
     "Sistem, matrice Generala, metoda Gauss-Seidel sau SOR: matricea este strict\n"
     "diagonal dominanta pe linii, deci iteratiile converg."},
    {ExerciseKind::Spd, "spd", "Simetrica pozitiv definita",
     "Sistem, matrice Simetrica (fisierele tin triunghiul superior), metoda Cholesky."},
    {ExerciseKind::Ill, "ill", "Slab conditionata",
     "Sistem, matrice Generala, orice metoda directa; Numar Conditie cu norma infinit\n"
     "arata cat de sensibila este solutia."},
    {ExerciseKind::Singular, "singular", "Singulara",
     "Sistem, matrice Generala, metoda Gauss: matricea este singulara, sistemul nu are\n"
     "solutie unica."},
};

const KindInfo& info(ExerciseKind k) {
  for (const KindInfo& i : kKinds)
    if (i.kind == k) return i;
  return kKinds[0];
}

// The stream of exercise `number`: everything that shapes the exercise
// goes into its seed.
Xoshiro256 streamFor(const ExerciseRequest& r, std::int32_t number) {
  std::uint64_t state = r.seed;
  std::uint64_t h = Xoshiro256::splitmix(state);
  const std::uint64_t parts[] = {static_cast<std::uint64_t>(r.kind), static_cast<std::uint64_t>(r.order),
                                 static_cast<std::uint64_t>(r.kind == ExerciseKind::Ill ? r.logCond : 0),
                                 static_cast<std::uint64_t>(number)};
  for (std::uint64_t p : parts) {
    state = h ^ p;
    h = Xoshiro256::splitmix(state);
  }
  return Xoshiro256(h);
}

std::vector<std::int64_t> randomSolution(Xoshiro256& g, int n) {
  std::vector<std::int64_t> x(static_cast<std::size_t>(n));
  for (;;) {
    bool allZero = true;
    for (std::int64_t& v : x) {
      v = g.uniform(-kSolutionRange, kSolutionRange);
      allZero = allZero && v == 0;
    }
    if (!allZero) return x;
  }
}

bool fitsInFloat(const IntMatrix& a, const std::vector<std::int64_t>& b) {
  for (std::int64_t v : a.a)
    if (std::llabs(v) > kExactInFloat) return false;
  for (std::int64_t v : b)
    if (std::llabs(v) > kExactInFloat) return false;
  return true;
}

// Checks what every system with a unique solution promises: A x = b
// exactly and det A != 0.
void checkUnique(const Exercise& e) {
  std::vector<std::int64_t> ax;
  if (!multiply(e.A, e.x, ax) || ax != e.b || exactDeterminant(e.A) == 0 || !fitsInFloat(e.A, e.b))
    throw std::logic_error("exercise check failed");
}

void setRightHandSide(Exercise& e) {
  if (!multiply(e.A, e.x, e.b)) throw std::logic_error("exercise right-hand side overflows");
}

// Small integers; without interchanges the pivot of step s is zero: the
// leading minors of orders 1..s-1 are not, that of order s is, det A is not.
void makePivoting(Xoshiro256& g, int n, Exercise& e) {
  for (;;) {
    const int s = static_cast<int>(g.uniform(1, n - 1));
    IntMatrix a(n, n);
    for (std::int64_t& v : a.a) v = g.uniform(-5, 5);
    if (s == 1) {
      a(0, 0) = 0;
    } else {
      // Row s's first s entries: a multiple of an earlier row's.
      const int r = static_cast<int>(g.uniform(0, s - 2));
      const std::int64_t c = g.nonZero(2);
      for (int j = 0; j < s; ++j) a(s - 1, j) = c * a(r, j);
    }
    const std::vector<mpz_class> minors = leadingMinors(a);
    if (static_cast<int>(minors.size()) != s || minors.back() != 0 || exactDeterminant(a) == 0) continue;
    e.A = a;
    e.zeroPivotStep = s;
    break;
  }
}

// Off-diagonal entries in [-4, 4]; each diagonal entry exceeds its row's
// sum of magnitudes by 1 to 5.
void makeDominant(Xoshiro256& g, int n, Exercise& e) {
  IntMatrix a(n, n);
  for (int i = 0; i < n; ++i) {
    std::int64_t off = 0;
    for (int j = 0; j < n; ++j) {
      if (j == i) continue;
      a(i, j) = g.uniform(-4, 4);
      off += std::llabs(a(i, j));
    }
    a(i, i) = off + g.uniform(1, 5);
  }
  e.A = a;
}

// A = L L^T with L lower triangular, integers, diagonal 1..3: symmetric,
// positive definite, and its Cholesky factor is L itself.
void makeSpd(Xoshiro256& g, int n, Exercise& e) {
  IntMatrix l(n, n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < i; ++j) l(i, j) = g.uniform(-2, 2);
    l(i, i) = g.uniform(1, 3);
  }
  IntMatrix a(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      std::int64_t s = 0;
      for (int k = 0; k <= std::min(i, j); ++k) s += l(i, k) * l(j, k);
      a(i, j) = s;
    }
  for (const mpz_class& m : leadingMinors(a))
    if (m <= 0) throw std::logic_error("exercise check failed");
  e.A = a;
}

// A unimodular integer matrix (det = +-1, so A^-1 is an integer matrix and
// kappa_inf = ||A|| ||A^-1|| is exact), reached from the identity by
// elementary operations "row i += c row j" and "column j += c column i",
// A^-1 kept alongside. Steps that would take kappa above 2 * 10^k or the
// numbers beyond what a single-precision real holds are not taken; the
// walk stops, after at least 2n steps, once kappa reaches 10^k / 2.
void makeIll(Xoshiro256& g, int n, int k, Exercise& e) {
  std::int64_t power = 1;
  for (int t = 0; t < k; ++t) power *= 10;
  const std::int64_t lo = power / 2, hi = power * 2;  // integers: the same walk everywhere
  // ||A||inf * 5 bounds |b|.
  const std::int64_t normLimit = kExactInFloat / kSolutionRange;
  const std::int64_t inverseLimit = std::int64_t(1) << 50;
  const int minSteps = 2 * n;
  for (;;) {
    IntMatrix a = IntMatrix::identity(n), inv = IntMatrix::identity(n);
    int steps = 0;
    std::int64_t kappa = 1;
    for (int tries = 0; tries < 20000; ++tries) {
      const bool rowOp = g.uniform(0, 1) == 1;
      const int i = static_cast<int>(g.uniform(0, n - 1));
      int j = static_cast<int>(g.uniform(0, n - 2));
      if (j >= i) ++j;
      const std::int64_t c = g.nonZero(kappa < lo / 100 ? 3 : 1);
      IntMatrix a2 = a, inv2 = inv;
      bool ok = true;
      for (int t = 0; t < n && ok; ++t) {
        if (rowOp) {
          // E A with E = I + c e_i e_j^T; (E A)^-1 = A^-1 (I - c e_i e_j^T).
          a2(i, t) += c * a2(j, t);
          inv2(t, j) -= c * inv2(t, i);
          ok = std::llabs(a2(i, t)) <= normLimit && std::llabs(inv2(t, j)) <= inverseLimit;
        } else {
          // A E with E = I + c e_i e_j^T; (A E)^-1 = (I - c e_i e_j^T) A^-1.
          a2(t, j) += c * a2(t, i);
          inv2(i, t) -= c * inv2(j, t);
          ok = std::llabs(a2(t, j)) <= normLimit && std::llabs(inv2(i, t)) <= inverseLimit;
        }
      }
      if (!ok) continue;
      const std::int64_t na = normInf(a2);
      const __int128 kappa2 = static_cast<__int128>(na) * normInf(inv2);
      if (na > normLimit || kappa2 > hi) continue;
      a = std::move(a2);
      inv = std::move(inv2);
      kappa = static_cast<std::int64_t>(kappa2);
      if (++steps >= minSteps && kappa >= lo) break;
    }
    if (steps < minSteps || kappa < lo) continue;  // another walk
    e.A = a;
    e.condInf = normInf(a) * normInf(inv);
    break;
  }
  const mpz_class det = exactDeterminant(e.A);
  if (det != 1 && det != -1) throw std::logic_error("exercise check failed");
}

// A = U V with U n x r and V r x n in [-3, 3], of rank exactly r (n-2 to
// n-1); the right-hand side is A x (infinitely many solutions) or, half of
// the time, lies outside the columns' span (none).
void makeSingular(Xoshiro256& g, int n, Exercise& e) {
  const int r = static_cast<int>(g.uniform(std::max(1, n - 2), n - 1));
  for (;;) {
    IntMatrix u(n, r), v(r, n), a(n, n);
    for (std::int64_t& x : u.a) x = g.uniform(-3, 3);
    for (std::int64_t& x : v.a) x = g.uniform(-3, 3);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int t = 0; t < r; ++t) a(i, j) += u(i, t) * v(t, j);
    if (exactRank(a) == r) {
      e.A = a;
      break;
    }
  }
  e.rank = r;
  e.x = randomSolution(g, n);
  setRightHandSide(e);
  const bool consistent = g.uniform(0, 1) == 1;
  IntMatrix aug(n, n + 1);
  for (;;) {
    if (!consistent) {
      setRightHandSide(e);
      for (std::int64_t& x : e.b) x += g.uniform(-2, 2);
    }
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) aug(i, j) = e.A(i, j);
      aug(i, n) = e.b[static_cast<std::size_t>(i)];
    }
    e.rankAugmented = exactRank(aug);
    if (e.rankAugmented == (consistent ? r : r + 1)) break;
  }
  if (!consistent) e.x.clear();
  if (exactRank(e.A) != r || r >= n || !fitsInFloat(e.A, e.b)) throw std::logic_error("exercise check failed");
}

std::string integerList(const std::vector<std::int64_t>& v) {
  std::string s = "(";
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (i) s += ", ";
    s += std::to_string(v[i]);
  }
  return s + ")";
}

std::string scientific(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2E", v);
  return buf;
}

}  // namespace

std::string_view exerciseKindName(ExerciseKind kind) { return info(kind).name; }
std::string_view exerciseKindLabel(ExerciseKind kind) { return info(kind).label; }

std::optional<ExerciseKind> exerciseKindByName(std::string_view name) {
  for (const KindInfo& i : kKinds)
    if (i.name == name) return i.kind;
  return std::nullopt;
}

std::string checkRequest(const ExerciseRequest& r) {
  if (r.order < kMinExerciseOrder || r.order > kMaxExerciseOrder)
    return "Ordinul trebuie sa fie intre " + std::to_string(kMinExerciseOrder) + " si " +
           std::to_string(kMaxExerciseOrder) + ".";
  if (r.count < 1 || r.count > kMaxExerciseCount)
    return "Numarul de exercitii trebuie sa fie intre 1 si " + std::to_string(kMaxExerciseCount) + ".";
  if (r.kind == ExerciseKind::Ill && (r.logCond < kMinLogCond || r.logCond > kMaxLogCond))
    return "Exponentul numarului de conditie trebuie sa fie intre " + std::to_string(kMinLogCond) + " si " +
           std::to_string(kMaxLogCond) + ".";
  return {};
}

Exercise makeExercise(const ExerciseRequest& r, std::int32_t number) {
  Xoshiro256 g = streamFor(r, number);
  Exercise e;
  e.number = number;
  switch (r.kind) {
    case ExerciseKind::Pivoting: makePivoting(g, r.order, e); break;
    case ExerciseKind::Dominant: makeDominant(g, r.order, e); break;
    case ExerciseKind::Spd: makeSpd(g, r.order, e); break;
    case ExerciseKind::Ill: makeIll(g, r.order, r.logCond, e); break;
    case ExerciseKind::Singular: makeSingular(g, r.order, e); return e;
  }
  // A system with one solution: the matrix first, then the solution.
  e.x = randomSolution(g, r.order);
  setRightHandSide(e);
  checkUnique(e);
  return e;
}

std::string exerciseFileName(std::int32_t number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "ex%02d.dat", static_cast<int>(number));
  return buf;
}

std::string exerciseDataFile(const ExerciseRequest& r, const Exercise& e) {
  const int n = e.A.rows;
  std::size_t width = 1;
  for (std::int64_t v : e.A.a) width = std::max(width, std::to_string(v).size());
  for (std::int64_t v : e.b) width = std::max(width, std::to_string(v).size());
  auto field = [&](std::int64_t v) {
    const std::string s = std::to_string(v);
    return std::string(width - s.size(), ' ') + s;
  };
  std::string out = "Exercitiul " + std::to_string(e.number) + " (n = " + std::to_string(n) + ")\n";
  out += std::to_string(n) + " 1\n";
  const bool upper = r.kind == ExerciseKind::Spd;
  for (int i = 0; i < n; ++i) {
    std::string line;
    // The upper triangle keeps every value under its column.
    if (upper) line.append(static_cast<std::size_t>(i) * (width + 1), ' ');
    for (int j = upper ? i : 0; j < n; ++j) {
      if (j > (upper ? i : 0)) line += ' ';
      line += field(e.A(i, j));
    }
    out += line + "\n";
  }
  for (int i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += field(e.b[static_cast<std::size_t>(i)]);
  }
  return out + "\n";
}

std::string exerciseCount(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " exercitiu" : " exercitii");
}

std::string answerKey(const ExerciseRequest& r, const std::vector<Exercise>& set) {
  const KindInfo& k = info(r.kind);
  std::string out = "Solutii: " + exerciseCount(static_cast<std::int64_t>(set.size())) + " \"" + std::string(k.label) +
                    "\", ordinul " + std::to_string(r.order);
  if (r.kind == ExerciseKind::Ill) out += ", numar de conditie in jur de 1E+" + std::to_string(r.logCond);
  out += ", samanta " + std::to_string(r.seed) + "\n";
  out += "Aceleasi fisiere: parvela-batch --exercises=" + std::string(k.name) + " --order=" + std::to_string(r.order) +
         " --count=" + std::to_string(set.size()) + " --seed=" + std::to_string(r.seed);
  if (r.kind == ExerciseKind::Ill) out += " --log-cond=" + std::to_string(r.logCond);
  out += " DIR\n\n" + std::string(k.howTo) + "\n";
  for (const Exercise& e : set) {
    out += "\n" + exerciseFileName(e.number) + "\n";
    switch (r.kind) {
      case ExerciseKind::Pivoting:
        out += "  x = " + integerList(e.x) + "\n";
        out += "  fara schimbari de linii, pivotul pasului " + std::to_string(e.zeroPivotStep) + " este 0\n";
        break;
      case ExerciseKind::Dominant:
        out += "  x = " + integerList(e.x) + "\n";
        out += "  Gauss-Seidel, Eps " + std::string(kKeyEps) + ", Nlim " + std::string(kKeyNlim) + ": " +
               (e.sweeps ? std::to_string(*e.sweeps) + " iteratii" : std::string("toleranta nu este atinsa")) +
               "\n";
        break;
      case ExerciseKind::Spd:
        out += "  x = " + integerList(e.x) + "\n";
        break;
      case ExerciseKind::Ill:
        out += "  x = " + integerList(e.x) + "\n";
        out += "  numarul de conditie in norma infinit = " + std::to_string(e.condInf) + " (" +
               scientific(static_cast<double>(e.condInf)) + ")\n";
        break;
      case ExerciseKind::Singular: {
        const int n = e.A.rows;
        out += "  rang(A) = " + std::to_string(e.rank) + " < n = " + std::to_string(n) +
               ": sistemul nu are solutie unica\n";
        out += "  rang([A|b]) = " + std::to_string(e.rankAugmented);
        if (e.x.empty())
          out += ": sistem incompatibil, fara nicio solutie\n";
        else
          out += ": sistem compatibil nedeterminat, de exemplu x = " + integerList(e.x) + "\n";
        break;
      }
    }
  }
  return out;
}

std::optional<std::int32_t> gaussSeidelSweeps(const Exercise& e) {
  // The problem as the reader reads the file (every number is an integer a
  // float holds exactly), run by the program's own driver on a state of its
  // own, with the boxes typed as the key says.
  ProblemState s;
  {
    ProblemScope scope(s);
    INITIALIZEDATA();
  }
  const int n = e.A.rows;
  s.n = n;
  s.nb = 1;
  s.A.assign(static_cast<std::size_t>(n) * n, 0.0f);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) s.A[static_cast<std::size_t>(j) * n + i] = static_cast<float>(e.A(i, j));
  for (std::int64_t v : e.b) s.B.push_back(static_cast<float>(v));
  s.readForSystem = true;
  s.dataRead = true;
  const auto gs = std::find(kMethodNames.begin(), kMethodNames.end(), "Gauss-Seidel");
  s.methodIndex = static_cast<std::int32_t>(gs - kMethodNames.begin()) + 1;
  s.epsText = fixedText(kKeyEps, kParamTextLength);
  s.nlimText = fixedText(kKeyNlim, kParamTextLength);
  const RunResult run = runOnPrivateState(s);
  if (run.outcome.sweeps.size() != 1 || run.outcome.sweeps[0].verdict != Verdict::Tolerance) return std::nullopt;
  return run.outcome.sweeps[0].sweeps;
}

std::vector<Exercise> makeExerciseSet(const ExerciseRequest& r) {
  std::vector<Exercise> set;
  for (std::int32_t k = 1; k <= r.count; ++k) {
    set.push_back(makeExercise(r, k));
    if (r.kind == ExerciseKind::Dominant) set.back().sweeps = gaussSeidelSweeps(set.back());
  }
  return set;
}

std::vector<std::string> exerciseSetFiles(const ExerciseRequest& r, const std::string& dir) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  for (std::int32_t k = 1; k <= r.count; ++k) files.push_back((fs::path(dir) / exerciseFileName(k)).string());
  files.push_back((fs::path(dir) / kAnswerKeyName).string());
  return files;
}

std::vector<std::string> existingSetFiles(const ExerciseRequest& r, const std::string& dir) {
  std::vector<std::string> there;
  for (const std::string& f : exerciseSetFiles(r, dir))
    if (classifyPath(f) != PathKind::Missing) there.push_back(f);
  return there;
}

ExerciseSetResult writeExerciseSet(const ExerciseRequest& r, const std::string& dir, bool replace) {
  namespace fs = std::filesystem;
  ExerciseSetResult result;
  if (std::string why = checkRequest(r); !why.empty()) {
    result.error = why;
    return result;
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir)) {
    result.error = "Dosarul " + dir + " nu poate fi creat" + (ec ? ": " + ec.message() : std::string()) + ".";
    return result;
  }
  const std::vector<std::string> files = exerciseSetFiles(r, dir);
  for (const std::string& f : files) {
    const PathKind kind = classifyPath(f);
    if (kind == PathKind::NotRegular) {
      result.error = f + " nu este un fisier obisnuit.";
      return result;
    }
    if (kind == PathKind::Regular && !replace) {
      result.error = f + " exista deja: alege un dosar fara exercitii sau sterge-le.";
      return result;
    }
  }

  const std::vector<Exercise> set = makeExerciseSet(r);
  std::vector<std::string> texts;
  for (const Exercise& e : set) texts.push_back(exerciseDataFile(r, e));
  texts.push_back(answerKey(r, set));

  std::vector<std::string> created;  // did not exist before
  for (std::size_t k = 0; k < files.size(); ++k) {
    const bool isNew = classifyPath(files[k]) == PathKind::Missing;
    if (!writeFileAtomically(files[k], texts[k])) {
      for (const std::string& f : created) fs::remove(f, ec);
      result.written.clear();
      result.error = "Fisierul " + files[k] + " nu poate fi scris.";
      return result;
    }
    if (isNew) created.push_back(files[k]);
    result.written.push_back(files[k]);
  }
  result.ok = true;
  return result;
}

}  // namespace parvela
