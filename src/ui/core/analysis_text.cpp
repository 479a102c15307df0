#include "ui/core/analysis_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "analysis/convergence_diagnosis.h"

namespace parvela {

namespace {

std::string withSymbol(const std::string& text, const char* marker, const char* symbol) {
  std::string out;
  const std::string m(marker);
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(m, from)) != std::string::npos; from = at + m.size())
    out += text.substr(from, at - from) + symbol;
  return out + text.substr(from);
}

// Texts are written with {k}, {r}, {w}, {e}, {i}, {x} for the symbols.
std::string say(const Symbols& s, const std::string& text) {
  std::string t = withSymbol(text, "{k}", s.kappa);
  t = withSymbol(t, "{r}", s.rho);
  t = withSymbol(t, "{w}", s.omega);
  t = withSymbol(t, "{e}", s.eta);
  t = withSymbol(t, "{x}", s.times);
  return withSymbol(t, "{i}", s.infinity);
}

std::string integer(std::int64_t v) { return std::to_string(v); }

std::string digits(double d) {
  if (std::isinf(d)) return "toate";
  return fixed(d, 1);
}

std::string percent(double relative) {
  if (std::isnan(relative)) return "-";
  if (std::isinf(relative)) return "inf";
  char buf[48];
  std::snprintf(buf, sizeof buf, relative < 0.01 ? "%.2g %%" : "%.1f %%", relative * 100.0);
  return buf;
}

std::string rowList(const std::vector<std::int32_t>& rows) {
  std::string s;
  const std::size_t shown = std::min<std::size_t>(rows.size(), 20);
  for (std::size_t i = 0; i < shown; ++i) s += (i ? ", " : "") + integer(rows[i]);
  if (rows.size() > shown) s += ", ... (" + integer(static_cast<std::int64_t>(rows.size())) + " in total)";
  return s;
}

std::string trustNote(ReferenceTrust t, double kappa, std::int32_t steps, const Symbols& sym) {
  switch (t) {
    case ReferenceTrust::Trusted:
      return say(sym, "Referinta: solutia sistemului memorat (datele in simpla precizie), din LU in precizie "
                      "extinsa rafinata cu reziduuri calculate exact (" +
                          integer(steps) + (steps == 1 ? " pas" : " pasi") + "); {k}_{i}(A) = " + sci(kappa) +
                          ". Ea are cel putin 12 cifre corecte.");
    case ReferenceTrust::OutOfReach:
      return say(sym, "{k}_{i}(A) = " + sci(kappa) +
                          " este dincolo de puterea referintei: rafinarea nu s-a stabilizat, deci eroarea "
                          "inainte nu se poate masura.");
    case ReferenceTrust::NotFinite:
      return "Datele contin valori infinite sau NaN: nu exista o solutie de referinta.";
    case ReferenceTrust::Singular:
      break;
  }
  return "Matricea este singulara si in precizie extinsa: nu exista o solutie de referinta.";
}

}  // namespace

std::string sci(double v) {
  if (std::isnan(v)) return "-";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3E", v);
  return buf;
}

std::string fixed(double v, int decimals) {
  if (std::isnan(v)) return "-";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string verdictText(Verdict v) { return std::string(verdictName(v)); }

std::vector<TextTable> describeErrors(const ErrorAnatomy& e, bool inverse, const Symbols& sym) {
  std::vector<TextTable> out;
  TextTable t;
  t.title = "Erorile solutiei";
  t.header = {inverse ? "Coloana" : "Termen liber", "Eroare inainte", "Eroare inapoi", say(sym, "{k}_{i}(A)"),
              say(sym, "{k}{x}{e}"), "Cifre corecte", "Cifre prezise"};
  bool anyUnsolved = false;
  for (const SolutionErrors& r : e.rows) {
    if (!r.solved) {
      anyUnsolved = true;
      t.rows.push_back({integer(r.rhs), "-", "-", sci(e.kappaInf), "-", "-", "-"});
      continue;
    }
    const bool haveForward = !std::isnan(r.forward);
    t.rows.push_back({integer(r.rhs), sci(r.forward), sci(r.backward),
                      e.trust == ReferenceTrust::Singular || e.trust == ReferenceTrust::NotFinite ? "-" : sci(e.kappaInf),
                      sci(r.bound), haveForward ? digits(r.digitsFound) : "-",
                      std::isnan(r.bound) ? "-" : digits(r.digitsPredicted)});
  }
  t.notes.push_back(trustNote(e.trust, e.kappaInf, e.referenceSteps, sym));
  if (e.rhsTotal > static_cast<std::int32_t>(e.rows.size()))
    t.notes.push_back("Se arata primele " + integer(static_cast<std::int64_t>(e.rows.size())) + " din " +
                      integer(e.rhsTotal) + (inverse ? " coloane." : " termeni liberi."));
  if (anyUnsolved) t.notes.push_back("Metoda nu a dat o solutie (s-a oprit inainte).");
  t.notes.push_back(say(sym, "Eroarea inainte: ||x^ - x||/||x||; eroarea inapoi {e}: cat de putin ar trebui "
                             "schimbate A si b ca x^ sa fie exacta; {k}{x}{e} margineste eroarea inainte."));
  if (e.trust == ReferenceTrust::Trusted && e.kappaInf > 0.0) {
    const double lost = std::log10(e.kappaInf);
    t.notes.push_back(say(sym, "In simpla precizie (u = " + sci(kUnitRoundoffSingle) +
                                   ") eroarea inapoi a unei metode stabile e de ordinul lui u: se pierd cam log10 {k} = " +
                                   fixed(lost, 1) + " din cele circa 7 cifre."));
  }
  out.push_back(std::move(t));

  if (!e.refinement.empty()) {
    TextTable r;
    r.title = "Rafinare iterativa";
    r.header = {"Corectia", "Eroare inainte", "Eroare inapoi", "Cifre corecte"};
    for (const RefinementStep& s : e.refinement)
      r.rows.push_back({s.step == 0 ? std::string("0 (metoda)") : integer(s.step), sci(s.forward), sci(s.backward),
                        digits(correctDigits(s.forward))});
    r.notes.push_back("Reziduul b - A x in dubla precizie; corectia rezolvata in simpla precizie cu factorii "
                      "pe care ii face nucleul metodei din date; x + corectia in dubla precizie.");
    const double ku = e.kappaInf * kUnitRoundoffSingle;
    const double first = e.refinement.front().forward;
    std::size_t bestAt = 0;
    for (std::size_t k = 1; k < e.refinement.size(); ++k)
      if (e.refinement[k].forward < e.refinement[bestAt].forward) bestAt = k;
    const double best = e.refinement[bestAt].forward;
    if (bestAt > 0 && best == 0.0) {
      r.notes.push_back("Dupa " + integer(static_cast<std::int64_t>(bestAt)) +
                        (bestAt == 1 ? " corectie" : " corectii") +
                        " solutia este chiar cea exacta a sistemului memorat (rotunjita in dubla precizie).");
    } else if (bestAt > 0 && best < first / 10.0) {
      const double gain = (std::log10(first) - std::log10(best)) / static_cast<double>(bestAt);
      std::string note = "Fiecare corectie castiga cam " + fixed(gain, 1) +
                         " cifre, pana la ce permite reziduul in dubla precizie: rafinarea recupereaza ce a pierdut "
                         "metoda.";
      if (ku >= 1.0) note += say(sym, " (Marginea {k}{x}u = " + sci(ku) + " >= 1 era aici pesimista.)");
      r.notes.push_back(note);
    } else if (ku >= 1.0) {
      r.notes.push_back(say(sym, "{k}{x}u = " + sci(ku) +
                                     " >= 1: factorii in simpla precizie nu mai dau o corectie buna, rafinarea nu "
                                     "poate recupera cifrele pierdute."));
    } else {
      r.notes.push_back("Solutia metodei era deja cat de buna o permite reziduul.");
    }
    out.push_back(std::move(r));
  }
  return out;
}

std::vector<TextTable> describeConvergence(const ConvergenceDiagnosis& d, const Symbols& sym) {
  TextTable t;
  t.title = d.sor ? say(sym, "Diagnosticul convergentei (SOR, {w} = " + sci(d.omega) + ")")
                  : std::string("Diagnosticul convergentei (Gauss-Seidel)");
  t.header = {"Marime", "Valoare"};
  std::string system = "liniile reordonate (" + integer(d.exchanges) + " schimbari)";
  if (d.sor) system += ", scalate la diagonala 1";
  t.rows.push_back({"Sistemul iterat", system});
  if (d.reorderFailure) {
    t.rows.push_back({"Reordonarea", "a esuat la linia " + integer(d.reorderFailure->step)});
    t.notes.push_back("Nicio linie nu are in coloana " + integer(d.reorderFailure->step) +
                      " un element de cel putin 1E-6: metoda nu poate itera.");
    return {t};
  }
  std::vector<std::int32_t> failing, weak;
  for (std::size_t i = 0; i < d.rows.size(); ++i) {
    if (d.rows[i] == Dominance::Failing) failing.push_back(static_cast<std::int32_t>(i + 1));
    if (d.rows[i] == Dominance::Weak) weak.push_back(static_cast<std::int32_t>(i + 1));
  }
  std::string dominance = d.overall == Dominance::Strict ? "stricta, pe toate liniile"
                          : d.overall == Dominance::Weak ? "slaba (egalitate pe liniile " + rowList(weak) + ")"
                                                         : "nu (liniile " + rowList(failing) + ")";
  t.rows.push_back({"Dominanta diagonala", dominance});
  t.rows.push_back({say(sym, "Raza spectrala {r}(T)"),
                    d.rho ? fixed(*d.rho, 6) : "nu se calculeaza pentru n > " + integer(kRadiusOrderLimit)});
  t.rows.push_back({"Iteratii prezise (eps = " + sci(d.eps) + ")",
                    d.predicted ? integer(*d.predicted) : std::string("-")});
  if (!d.actual.empty())
    t.rows.push_back({"Iteratii efectuate", integer(d.actual.front().sweeps) + " (" +
                                                verdictText(d.actual.front().verdict) + ")"});
  t.rows.push_back({"Factorul observat (ultimele iteratii)", d.observed ? fixed(*d.observed, 6) : "-"});

  const std::string rho = d.rho ? fixed(*d.rho, 4) : "";
  switch (d.verdict) {
    case ConvergenceVerdict::Converges:
      t.notes.push_back(say(sym, "converge: {r} = " + rho + " < 1"));
      break;
    case ConvergenceVerdict::ConvergesWithoutDominance:
      t.notes.push_back(say(sym, d.overall == Dominance::Weak ? "matricea este doar slab diagonal dominanta, dar {r} = " + rho + " < 1: metoda converge"
                                                              : "matricea nu este diagonal dominanta, dar {r} = " + rho + " < 1: metoda converge"));
      break;
    case ConvergenceVerdict::Diverges:
      t.notes.push_back(say(sym, "diverge: {r} = " + rho + (*d.rho == 1.0 ? "" : " > 1")));
      break;
    case ConvergenceVerdict::DominantOnly:
      t.notes.push_back("converge: matricea este strict diagonal dominanta");
      break;
    case ConvergenceVerdict::Unknown:
      t.notes.push_back("fara raza spectrala si fara dominanta stricta nu se poate spune dinainte daca metoda converge");
      break;
    case ConvergenceVerdict::NoIteration:
      break;
  }
  t.notes.push_back(say(sym, "Fiecare iteratie inmulteste eroarea cu T; ea scade la zero oricare ar fi punctul de "
                             "plecare exact cand {r}(T) < 1, iar diferenta dintre doua iterate scade cam de {r} ori pe iteratie."));
  if (!d.actual.empty() && d.rho && *d.rho < 1.0) {
    const SweepOutcome& a = d.actual.front();
    if (a.verdict == Verdict::Limit && d.predicted)
      t.notes.push_back("Nlim = " + integer(d.nlim) + " este prea mic: ar fi nevoie de aproximativ " +
                        integer(*d.predicted) + " iteratii.");
    if (a.verdict == Verdict::Divergence)
      t.notes.push_back(say(sym, "Diferenta a crescut de doua ori desi {r} < 1: ea nu scade la fiecare iteratie "
                                 "(oscileaza sau creste trecator), iar testul de divergenta a oprit o iteratie "
                                 "care ar fi convers."));
  }
  if (!d.actual.empty() && d.rho && *d.rho >= 1.0 && d.actual.front().verdict == Verdict::Tolerance)
    t.notes.push_back(say(sym, "Toleranta a fost atinsa desi {r} >= 1: diferenta a ajuns sub eps inainte ca "
                               "divergenta sa se vada."));
  return {t};
}

std::vector<TextTable> describeCondition(const ConditionCheck& c, const Symbols& sym) {
  TextTable t;
  const char* norm = c.normIndex == 1 ? "1" : c.normIndex == 2 ? "2" : c.normIndex == -1 ? "Cond(A)*" : sym.infinity;
  t.title = say(sym, std::string("Numarul de conditie verificat (norma ") + norm + ")");
  t.header = {"Marime", "Raport (simpla precizie)", "Referinta", "Eroare relativa"};
  const bool spectral = c.normIndex == -1;
  const std::string a = spectral ? say(sym, "{r}(A)") : "||A||";
  const std::string inv = spectral ? say(sym, "{r}(A^-1)") : "||A^-1||";
  auto row = [&](const std::string& name, float reported, double ref, double err) {
    t.rows.push_back({name, c.reported ? sci(reported) : "-", c.referenceAvailable ? sci(ref) : "-",
                      c.reported && c.referenceAvailable ? percent(err) : "-"});
  };
  row(a, c.normA, c.refNormA, c.errNormA);
  row(inv, c.normInverse, c.refNormInverse, c.errNormInverse);
  row("Numarul de conditie", c.condition, c.refCondition, c.errCondition);
  if (c.exactCondition)
    t.rows.push_back({"Numarul de conditie, elemente exacte", c.reported ? sci(c.condition) : "-", sci(*c.exactCondition),
                      c.reported ? percent(c.errExact) : "-"});
  t.notes.push_back(c.normIndex == 2    ? "Referinta: valorile singulare ale matricei memorate, in dubla precizie."
                    : c.normIndex == -1 ? "Referinta: valorile proprii ale matricei memorate, in dubla precizie."
                                        : "Referinta: inversa matricei memorate, in precizie extinsa.");
  if (!c.referenceAvailable) t.notes.push_back("Matricea memorata este singulara: nu exista referinta.");
  if (c.exactCondition && c.referenceAvailable)
    t.notes.push_back(say(sym, "Matricea memorata difera de cea a generatorului doar prin rotunjirea elementelor la "
                               "simpla precizie, si totusi {k} trece de la " + sci(*c.exactCondition) + " la " +
                               sci(c.refCondition) + ": o matrice rau conditionata e sensibila si la aceasta schimbare."));
  if (!c.reported) t.notes.push_back("Rularea nu a dat un numar de conditie (inversa nu s-a putut calcula).");
  if (c.referenceAvailable) {
    const double ku = c.expectedInverseError;
    if (ku >= 1.0)
      t.notes.push_back(say(sym, "Inversa s-a calculat in simpla precizie (u = " + sci(kUnitRoundoffSingle) +
                                     "): cu {k} = " + sci(c.refCondition) + " eroarea ei relativa poate ajunge la {k}{x}u = " +
                                     sci(ku) + ", deci nicio cifra a normei inversei nu e garantata" +
                                     (c.reported ? "; aici eroarea este " + percent(c.errCondition) + "." : ".")));
    else
      t.notes.push_back(say(sym, "Inversa in simpla precizie are o eroare relativa de cel mult circa {k}{x}u = " + sci(ku) +
                                     (c.reported ? "; aici eroarea numarului de conditie este " + percent(c.errCondition) + "."
                                                 : ".")));
  }
  const char* names[] = {"prima raza", "a doua raza"};
  for (std::size_t i = 0; i < c.radii.size() && i < 2; ++i)
    t.notes.push_back(std::string("Metoda puterii, ") + names[i] + ": " + integer(c.radii[i].iterations) +
                      " iteratii, " + (c.radii[i].settled ? "s-a stabilizat." : "nu s-a stabilizat (?)."));
  return {t};
}

std::vector<TextTable> describeAnalysis(const RunAnalysis& a, bool inverse, const Symbols& sym) {
  std::vector<TextTable> out;
  if (a.errors) {
    auto t = describeErrors(*a.errors, inverse, sym);
    out.insert(out.end(), t.begin(), t.end());
  }
  if (a.convergence) {
    auto t = describeConvergence(*a.convergence, sym);
    out.insert(out.end(), t.begin(), t.end());
  }
  if (a.condition) {
    auto t = describeCondition(*a.condition, sym);
    out.insert(out.end(), t.begin(), t.end());
  }
  return out;
}

std::vector<TextTable> describeOmegaScan(const OmegaScan& scan, const Symbols& sym) {
  TextTable r;
  r.title = say(sym, "Cautarea lui {w}: raza spectrala {r}(T_{w})");
  if (!scan.available) {
    r.notes.push_back(scan.reorderFailure ? "Reordonarea liniilor a esuat: SOR nu poate itera."
                                          : "Cautarea se face pentru Gauss-Seidel si SOR, de ordin cel mult " +
                                                integer(kRadiusOrderLimit) + ".");
    return {r};
  }
  r.header = {say(sym, "{w}"), say(sym, "{r}(T_{w})")};
  for (const OmegaRadius& p : scan.radii) r.rows.push_back({fixed(p.omega, 3), fixed(p.rho, 6)});
  r.notes.push_back(say(sym, "Grila de 0.05 pe (0, 2), rafinata la 0.005 langa minim. {w}* = " + scan.bestText +
                                 ", {r} = " + fixed(scan.bestRho, 6) + "."));
  TextTable s;
  s.title = say(sym, "Rulari SOR reale (primul termen liber, eps si Nlim ale rularii)");
  s.header = {say(sym, "{w}"), "Iteratii", "Rezultat"};
  for (const OmegaRun& run : scan.runs) s.rows.push_back({run.text, integer(run.sweeps), verdictText(run.verdict)});
  if (!scan.runs.empty() && !scan.bestText.empty())
    s.notes.push_back(say(sym, "Ultima linie: {w}* = " + scan.bestText + ". Fiecare rulare e cea pe care ar face-o \"REZOLVA !\" cu acest {w}, fara sa scrie in fisier."));
  return {r, s};
}

std::vector<TextTable> describeExperiment(const Experiment& e, const Symbols& sym) {
  TextTable t;
  t.title = e.generator.empty() ? std::string("Experiment pe n") : "Experiment pe n: " + e.generator + ", " + e.method;
  if (e.generator.empty()) {
    t.notes.push_back("Experimentul cere un generator (matrice \"Generata\").");
    return {t};
  }
  if (e.condition)
    t.header = {"n", "Cond (raport)", "Cond (referinta)", "Eroare relativa", "Stare"};
  else
    t.header = {"n", "Eroare inainte", "Eroare inapoi", say(sym, "{k}_{i}(A)"), "Stare"};
  std::int32_t lostAt = 0;
  for (const ExperimentPoint& p : e.points) {
    std::string state = "ok";
    if (p.skipped) state = "constante insuficiente";
    else if (p.breakdown) state = e.condition ? "inversa aproape singulara" : "metoda s-a oprit";
    else if (p.sweeps) state = verdictText(p.sweeps->verdict);
    if (!p.skipped && p.trust == ReferenceTrust::Singular) state += "; matrice singulara";
    if (!p.skipped && p.trust == ReferenceTrust::OutOfReach) state += "; referinta nesigura";
    if (e.condition)
      t.rows.push_back({integer(p.n), sci(p.reported), sci(p.kappa), percent(p.relativeError), state});
    else
      t.rows.push_back({integer(p.n), sci(p.forward), sci(p.backward), sci(p.kappa), state});
    if (!e.condition && lostAt == 0 && p.forward >= 1.0) lostAt = p.n;
  }
  if (!e.condition) {
    t.notes.push_back("Termenul liber b = A*(1, ..., 1) format in dubla precizie si memorat in simpla; erorile fata de "
                      "solutia de referinta a sistemului memorat.");
    t.notes.push_back(lostAt ? "De la n = " + integer(lostAt) + " solutia nu mai are nicio cifra corecta (eroare >= 1)."
                             : std::string("Eroarea inainte ramane sub 1 pe tot intervalul."));
  }
  return {t};
}

std::string analysisForBatch(const ProblemState& start, const AnalysisRequest& request) {
  std::vector<TextTable> tables;
  if (request.analysis) {
    auto t = describeAnalysis(analyseRun(start), start.problemKind == ProblemKind::Inverse, kPlainSymbols);
    tables.insert(tables.end(), t.begin(), t.end());
  }
  if (request.scanOmega) {
    auto t = describeOmegaScan(scanOmega(start), kPlainSymbols);
    tables.insert(tables.end(), t.begin(), t.end());
  }
  if (request.sweepN > 0) {
    auto t = describeExperiment(sweepOverN(start, request.sweepN), kPlainSymbols);
    tables.insert(tables.end(), t.begin(), t.end());
  }
  return plainText(tables);
}

void writeOmegaCsv(std::ostream& out, const OmegaScan& scan) {
  out << "omega,rho,iteratii,rezultat\n";
  for (const OmegaRadius& p : scan.radii) {
    out << fixed(p.omega, 3) << ',' << fixed(p.rho, 9);
    for (const OmegaRun& r : scan.runs)
      if (r.omega == p.omega) {
        out << ',' << r.sweeps << ',' << verdictText(r.verdict);
        break;
      }
    out << '\n';
  }
}

void writeExperimentCsv(std::ostream& out, const Experiment& e) {
  out << (e.condition ? "n,cond_raport,cond_referinta,eroare_relativa\n" : "n,eroare_inainte,eroare_inapoi,kappa_inf\n");
  for (const ExperimentPoint& p : e.points) {
    if (p.skipped) continue;
    if (e.condition)
      out << p.n << ',' << sci(p.reported) << ',' << sci(p.kappa) << ',' << sci(p.relativeError) << '\n';
    else
      out << p.n << ',' << sci(p.forward) << ',' << sci(p.backward) << ',' << sci(p.kappa) << '\n';
  }
}

std::string plainText(const std::vector<TextTable>& tables) {
  std::string out;
  for (const TextTable& t : tables) {
    out += "\n * " + t.title + "\n";
    std::vector<std::size_t> width(t.header.size(), 0);
    auto fit = [&](const std::vector<std::string>& cells) {
      for (std::size_t c = 0; c < cells.size() && c < width.size(); ++c) width[c] = std::max(width[c], cells[c].size());
    };
    fit(t.header);
    for (const auto& row : t.rows) fit(row);
    auto line = [&](const std::vector<std::string>& cells) {
      std::string l;
      for (std::size_t c = 0; c < cells.size() && c < width.size(); ++c) {
        // Numbers to the right; the name-and-value tables to the left.
        const std::string& v = cells[c];
        const std::size_t pad = width[c] - v.size();
        l += "  ";
        if (t.header.size() == 2) l += v + std::string(pad, ' ');
        else l += std::string(pad, ' ') + v;
      }
      while (!l.empty() && l.back() == ' ') l.pop_back();
      out += l + "\n";
    };
    if (!t.header.empty()) line(t.header);
    for (const auto& row : t.rows) line(row);
    for (const std::string& n : t.notes) out += " " + n + "\n";
  }
  return out;
}

}  // namespace parvela
