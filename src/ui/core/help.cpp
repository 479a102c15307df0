#include "ui/core/help.h"

#include <array>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

#include "core/platform.h"
#include "core/problem_state.h"
#include "io/file_write.h"
#include "ui/core/dialog_host.h"
#include "ui/core/file_selection.h"
#include "ui/core/templates.h"

namespace parvela {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Lines joined with CR LF; trailing blanks of the whole text removed.
std::string joinLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) text += kCrLf;
    text += line;
    first = false;
  }
  return std::string(trimRight(text));
}

// Writes the whole file anew through the all-or-nothing writer: a failed
// write leaves the old file as it was, and only a regular file is written
// (a FIFO would block). An existing file is replaced only when `replace`.
WriteStatus writeFile(const std::string& path, std::string_view bytes, bool replace) {
  WriteRequest r;
  r.path = path;
  r.text = bytes;
  r.mayReplace = replace;
  return guardedWrite(r).status;
}

// Shows a dialog of a template from the current host and releases it.
template <typename Fill>
void showModal(int templateId, Fill fill) {
  DialogHost& host = dialogHost();
  std::unique_ptr<Dialog> dialog = host.DLG_INIT(templateId);
  if (!dialog) return;
  fill(*dialog);
  host.DLG_SHOW_MODAL(*dialog);
}

constexpr std::size_t kStructureFieldLength = 100;

// Lines of the file-structure file; an empty text is an empty record.
constexpr std::array<std::string_view, 22> kFileStructureLines = {
    "Datele din Fisierul de Intrare  (pe linii separate):",
    "",
    "A. Matrice citita din fisier:",
    "-----------------------------------",
    "1)  Titlu = text <= 80 caractere",
    "2)  n, nb     = n: ordin matrice A;  nb: numar de termeni liberi",
    "3)  Matricea A, pe linii (matrice generala);",
    "    sau: Triunghiul superior, pe linii (matrice simetrica)",
    "4)  b(ib)(1:n) = Termenii liberi: \"n\" elemente, pe \"nb\" linii (ib =1,nb)",
    "* Data 3: Pentru metoda Cholesky (matrice simetrica): Triunghiul superior",
    "",
    "B. Matrice generata:",
    "-----------------------------",
    "1)    Titlu  (text <= 80 caractere)",
    "2)    n, nb     = n: ordin matrice A;  nb: numar de termeni liberi",
    "3-0)  nc     = numar de constante \"c\" pentru generare",
    "3-1)  Daca nc > 0: c(i), i =1,nc = constantele \"c\" pentru generare",
    "4)    Termenii liberi, pe linii, (de la 1-nb)",
    "",
    " Datele pentru PROBLEME:",
    " I.  \"SISTEM\": Datele (1)-(4);",
    "II. \"INVERSARE\" si \"NUMAR de CONDITIE\": Datele (1)-(3).",
};

constexpr std::size_t kGenHelpLineCount = 140;
constexpr std::size_t kGenHelpLineLength = 90;

// The non-empty lines of the generator help file (line number, text).
constexpr std::pair<int, std::string_view> kGenHelpLines[] = {
    {1, "MATRICI GENERATE"},
    {2, "----------------"},
    {3, "* Toate matricile generate sunt de tip \"general\": n x n"},
    {5, "Data de intrare comuna:"},
    {6, "n = ordinul matricii A"},
    {8, "1. HILBERT"},
    {9, "Formula:"},
    {10, "    A(i,j) = 1. /(i +j -1)"},
    {12, "Matricea (A = Hn):"},
    {13, "\t1\t1/2\t\t...\t1/n"},
    {14, " \t1/2\t1/3\t\t...\t1/(n+1)"},
    {15, "\t....\t...\t...\t..."},
    {16, "\t1/n 1/(n+1) ... 1/(2n-1)"},
    {19, "2. LOTKIN (A = Ln)"},
    {20, "Aceeasi cu Hilbert, dar prima linie cu 1."},
    {22, "Matricea (A = Ln):"},
    {23, "\t1\t1\t\t...\t1"},
    {24, " \t1/2\t1/3\t\t...\t1/(n+1)"},
    {25, "\t....\t...\t...\t..."},
    {26, "\t1/n 1/(n+1) ... 1/(2n-1)"},
    {29, "3. COMPANION"},
    {30, "n = gradul polinomului p(x) = x^n +a_(n-1)*x^(n-1) +... +a_2*x2 +a_1*x +a_0"},
    {32, "Matricea (A = C):"},
    {33, "\t0\t0\t0\t...\t\t-a_0"},
    {34, "\t1\t0\t0\t...\t\t-a_1"},
    {35, "\t0\t1\t0\t...\t\t-a_2"},
    {36, "\t...\t...\t\t...\t\t..."},
    {37, "\t0\t0\t0\t...\t0\t-a_(n-2)"},
    {38, "\t0\t0\t0\t...\t1\t-a_(n-1)"},
    {41, "4. WILKINSON_5 (Wilkinson - ordin 5)"},
    {42, "n = 5"},
    {43, "Intrare: z (real)"},
    {45, "Formula:"},
    {46, "    A(i,j) = z*1.8144/(i +j +1)"},
    {48, "Exemplul z =1.:"},
    {49, "Matricea (A = W5):"},
    {51, "\t0.604800  0.453600  0.362880  0.302400  0.259200"},
    {53, "\t0.453600  0.362880  0.302400  0.259200  0.226800"},
    {55, "\t0.362880  0.302400  0.259200  0.226800  0.201600"},
    {57, "\t0.302400  0.259200  0.226800  0.201600  0.181440"},
    {59, "\t0.259200  0.226800  0.201600  0.181440  0.164945"},
    {61, "Nota: matricea W5 este Hilbert scalata."},
    {64, "5. WILKINSON_20 (Wilkinson - ordin 20)"},
    {65, "n = 20"},
    {66, "Intrare: alfa"},
    {68, "Generare:"},
    {69, "alpha =1D-10"},
    {71, "a = 0."},
    {73, "do i =1,n"},
    {74, "a(i,i) =float(i)"},
    {75, "if(i <=n-1) a(i,i+1) =float(n)"},
    {76, "enddo"},
    {78, "a(n,1) = alpha"},
    {80, "Matricea (A = W20; elementele nescrise sunt 0):"},
    {81, "\t1\t20\t.\t.\t.\t.\t."},
    {82, "\t.\t2\t20\t.\t.\t.\t."},
    {83, "\t.\t.\t3\t20\t.\t.\t."},
    {84, "\t.\t.\t.\t.\t.\t.\t."},
    {85, "\t.\t.\t.\t.\t.\t.\t."},
    {86, "\t.\t.\t.\t.\t.\t19\t20"},
    {87, "\talfa\t.\t.\t.\t.\t.\t20"},
    {90, "6. CAUCHY"},
    {91, "Intrare: X(n), Y(n) = vectori care definesc A."},
    {93, "Formula:"},
    {94, "    A(i,j) = 1./(X(i) +Y(j))"},
    {96, "Exemplu:"},
    {97, "n = 5"},
    {98, "X = (1, 3, 5, 8, 7), Y = (2, 4, 6, 10, 9)"},
    {100, "Matricea (A):"},
    {101, "\t1/3\t 1/5  1/7  1/11 1/10"},
    {103, "\t1/5  1/7  1/9  1/13 1/12"},
    {105, "\t1/7  1/9  1/11 1/15 1/14"},
    {107, "\t1/10 1/12 1/14 1/18 1/17"},
    {109, "\t1/9  1/11 1/13 1/17 1/16"},
    {112, "7. BANDA constanta (simetrica)"},
    {113, "Intrare:"},
    {114, "nc =semi-latimea de banda (inclusiv elementul diagonal)"},
    {115, "c = semi-banda dreapta ( c(1) = elementul diagonal)"},
    {117, "Nota:"},
    {118, "Matricea este simetrica, dar poate fi declarata de tip \"general\" (n x n)."},
    {119, "In cazul cand se lucreaza cu metoda Cholesky: matricea trebuie declarata simetrica."},
    {121, "Exemplu:"},
    {122, "Intrare:"},
    {123, "nc = 3"},
    {124, "semi-banda = 4 1 1"},
    {126, "Matricea A"},
    {127, "\t4\t1\t1\t0\t0"},
    {128, "\t1\t4   \t1   \t1   \t0"},
    {129, "\t1\t1   \t4   \t1   \t1"},
    {130, "\t0\t1   \t1   \t4   \t1"},
    {131, "\t0\t0\t1   \t1   \t4"},
    {134, "------------------------------------------"},
    {135, "NOTA"},
    {136, "Pentru alte matrici cu structura regulata (care se poate genera):"},
    {137, "Se vor utiliza proiectele separate ale metodelor, din Merok."},
    {138, "(Acestea permit scriere de cod in subrutina Gen_A sau Gen_Ab)."},
    {139, "=============================================================="},
};

}  // namespace

std::string structureHelpUpperText() {
  return joinLines({
      "Datele din Fisierul de Intrare  (pe linii separate):",
      "A. Matrice citita din fiser:",
      "-----------------------------------",
      "1)  Titlu = text <= 80 caractere",
      "2)  n, nb     = n: ordin matrice A;  nb: numar de termeni liberi",
      "3)  Matricea A, pe linii (matrice generala);",
      "    sau: Triunghiul superior, pe linii (matrice simetrica)",
      "4)  b(ib)(1:n) = Termenii liberi: \"n\" elemente, pe \"nb\" linii (ib =1,nb)",
      "",
      "* Data 3: Pentru metoda Cholesky (matrice simetrica): Triunghiul superior.",
  });
}

std::string structureHelpMiddleText() {
  return joinLines({
      "B. Matrice generata:",
      "-----------------------------",
      "1)    Titlu  (text <= 80 caractere)",
      "2)    n, nb     = n: ordin matrice A;  nb: numar de termeni liberi",
      "3-0)   nc     = numar de constante \"c\" pentru generare",
      "3-1)   Daca nc > 0: c(i), i =1,nc = constantele \"c\" pentru generare",
      "4)    Termenii liberi, pe linii, (de la 1-nb)",
  });
}

std::string structureHelpLowerText() {
  // Every line ends with CR LF, the last one included.
  return joinLines({
      " Datele pentru PROBLEME:",
      " I.  \"SISTEM\": Datele (1)-(4);",
      " II. \"INVERSARE\" si \"NUMAR de CONDITIE\": Datele (1)-(3).",
      "",
  });
}

std::string epsHelpText() {
  return joinLines({
      " EPS:",
      "",
      " Toleranta pentru testul de oprire a iteratiei:",
      "          || x(n+1) - x(n) || <= EPS",
      " ( x = vectorul solutie;  norma este Norma-infinit. )",
  });
}

std::string nlimHelpText() { return joinLines({" NLIM:", "", " Numarul limita de iteratii."}); }

std::string omegaHelpText() {
  return joinLines({
      " OMEGA (numai pentru SOR):",
      "",
      " Factorul de accelerare (relaxare):",
      " 1 < OMEGA < 2.",
  });
}

std::string aboutText() {
  return joinLines({" Parvela Solver", "", " (c) Parvela developers", "", " Version 2.7"});
}

std::string fileStructureFileContents() {
  std::string bytes;
  bytes.reserve(kFileStructureLines.size() * (kStructureFieldLength + 2));
  for (std::size_t i = 0; i < kFileStructureLines.size(); ++i) {
    std::string_view line = kFileStructureLines[i];
    if (!line.empty()) {
      // The last line carries a line end of its own inside its field.
      if (i + 1 == kFileStructureLines.size())
        bytes += fixedText(std::string(line) + std::string(kCrLf), kStructureFieldLength);
      else
        bytes += fixedText(line, kStructureFieldLength);
    }
    bytes += kCrLf;
  }
  return bytes;
}

std::string genHelpFileContents() {
  std::array<std::string_view, kGenHelpLineCount + 1> lines{};  // 1-based
  for (const auto& [number, text] : kGenHelpLines) lines[static_cast<std::size_t>(number)] = text;
  std::string bytes;
  for (std::size_t i = 1; i <= kGenHelpLineCount; ++i) {
    std::string_view line = lines[i].substr(0, kGenHelpLineLength);
    bytes += trimRight(line);
    bytes += kCrLf;
  }
  return bytes;
}

bool CREATE_GEN_HELPFILE() {
  // Created under the plain name; a file that appeared meanwhile stays.
  const WriteStatus s = writeFile(std::string(trimRight(problem().genHelpFileName)), genHelpFileContents(), false);
  return s == WriteStatus::Ok || s == WriteStatus::Exists;
}

void SUB_HELP(Dialog& /*dialog*/, int /*controlId*/, int /*eventCode*/) {
  showModal(kStructureHelpDialog, [](Dialog& d) {
    d.DLG_SET_CALLBACK(kIdSaveStructure, SUB_SAVE);
    d.DLG_SET_TITLE("Structura Fisierului de Intrare");
    d.DLG_SET_TEXT(kIdStructureUpper, structureHelpUpperText());
    d.DLG_SET_TEXT(kIdStructureMiddle, structureHelpMiddleText());
    d.DLG_SET_TEXT(kIdStructureLower, structureHelpLowerText());
  });
}

void SUB_SAVE(Dialog& /*dialog*/, int /*controlId*/, int /*eventCode*/) {
  std::string name = "Input File Structure.txt";
  int result = 0;
  GETFILE(name, result, "Selecteaza Fisierul", 0, true);
  if (result == 0) {
    platform().messageBox("Can not create \"Save File\".", "Error", IconKind::Error);
    return;
  }
  const std::string path(trimRight(name));
  // An existing file (the data file, say) is replaced only after a Yes.
  const bool exists = classifyPath(path) != PathKind::Missing;
  if (exists && !platform().question("Fisierul exista deja:\n" + path + "\nIl inlocuiti?", "Selecteaza Fisierul"))
    return;
  if (writeFile(path, fileStructureFileContents(), exists) != WriteStatus::Ok) {
    platform().messageBox("Fisierul nu poate fi salvat:\n" + path, "Error", IconKind::Error);
    return;
  }
  platform().messageBox(path.substr(0, kStructureFieldLength), "Fisier salvat", IconKind::Information);
}

void SUB_HELP_GS(Dialog& /*dialog*/, int /*controlId*/, int /*eventCode*/) {
  showModal(kIterationHelpDialog, [](Dialog& d) {
    d.DLG_SET_TEXT(kIdEpsHelp, epsHelpText());
    d.DLG_SET_TEXT(kIdNlimHelp, nlimHelpText());
    d.DLG_SET_TEXT(kIdOmegaHelp, omegaHelpText());
  });
}

void SUB_ABOUT(Dialog& /*dialog*/, int /*controlId*/, int /*eventCode*/) {
  showModal(kAboutDialog, [](Dialog& d) { d.DLG_SET_TEXT(kIdAboutText, aboutText()); });
}

void SUB_GENHELP(Dialog& /*dialog*/, int /*controlId*/, int /*eventCode*/) {
  const std::string name(trimRight(problem().genHelpFileName));
  if (name.empty()) return;
  // The file found is shown, wherever it is; a new one under the plain name.
  const std::optional<std::string> found = platform().searchProgramPath(name);
  if (found) {
    platform().viewFile(*found);
    return;
  }
  // Created first, so that the box reports a file that really exists.
  if (!CREATE_GEN_HELPFILE()) {
    platform().messageBox("Fisierul nu poate fi creat:\n\"" + name + "\"", "Error", IconKind::Error);
    return;
  }
  platform().messageBox("A fost creat fisierul:\n\"" + name + "\"", "Info", IconKind::Information);
  platform().viewFile(name);
}

}  // namespace parvela
