#include "ui/core/help.h"

#include <sstream>

#include "ui_test_support.h"

namespace parvela::test {
namespace {

using HelpTest = MainWindowTest;

std::vector<std::string> splitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t pos; (pos = bytes.find("\r\n", start)) != std::string::npos; start = pos + 2)
    lines.push_back(bytes.substr(start, pos - start));
  EXPECT_EQ(start, bytes.size()) << "the last line ends with CR LF";
  return lines;
}

TEST_F(HelpTest, StructureHelpDialogAndItsSaveButton) {
  const std::string target = (dir_ / "structura.txt").string();
  platform_.answers.push_back(target);
  host_.onShow = [](ModelDialog& shown) { EXPECT_TRUE(shown.click(kIdSaveStructure)); };
  ASSERT_TRUE(d().click(1022));
  ASSERT_EQ(host_.shownDialogs().size(), 1u);
  const auto& shown = host_.shownDialogs()[0];
  EXPECT_EQ(shown.templateId, 103);
  EXPECT_EQ(shown.title, "Structura Fisierului de Intrare");
  const std::string upper = shown.texts.at(1024);
  EXPECT_TRUE(upper.starts_with(
      "Datele din Fisierul de Intrare  (pe linii separate):\r\nA. Matrice citita din fiser:\r\n---"));
  EXPECT_NE(upper.find("(ib =1,nb)\r\n\r\n* Data 3: Pentru metoda Cholesky (matrice simetrica): "
                       "Triunghiul superior."),
            std::string::npos);
  EXPECT_EQ(upper.substr(upper.size() - 2), "r.");
  EXPECT_EQ(std::count(upper.begin(), upper.end(), '\n'), 9);
  const std::string middle = shown.texts.at(1025);
  EXPECT_NE(middle.find("\r\n3-0)   nc     = numar de constante \"c\" pentru generare\r\n"), std::string::npos);
  EXPECT_EQ(std::count(middle.begin(), middle.end(), '\n'), 6);
  EXPECT_EQ(shown.texts.at(1026),
            " Datele pentru PROBLEME:\r\n I.  \"SISTEM\": Datele (1)-(4);\r\n"
            " II. \"INVERSARE\" si \"NUMAR de CONDITIE\": Datele (1)-(3).\r\n");

  // The save button wrote the file and reported it.
  ASSERT_EQ(platform_.requests.size(), 1u);
  EXPECT_EQ(platform_.requests[0].title, "Selecteaza Fisierul");
  EXPECT_EQ(platform_.requests[0].initialName, "Input File Structure.txt");
  EXPECT_EQ(platform_.requests[0].defaultExtension, "txt");
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Fisier salvat");
  EXPECT_EQ(platform_.messages[0].text, target);
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Information);
  EXPECT_EQ(readBytes(target), fileStructureFileContents());
}

// The file-structure file: 22 records. An empty record is just CR LF; every
// other one is its text blank-padded to 100 characters, then CR LF. The
// last record carries CR LF inside its field: its text, CR LF, blanks up to
// 100 characters, then the record's own CR LF; an editor shows it as the
// text followed by a 23rd line of blanks.
TEST(HelpFiles, FileStructureBytes) {
  const std::string bytes = fileStructureFileContents();
  const std::string last = "II. \"INVERSARE\" si \"NUMAR de CONDITIE\": Datele (1)-(3).";
  ASSERT_EQ(last.size(), 55u);
  const std::string tail = last + "\r\n" + std::string(100 - 55 - 2, ' ') + "\r\n";
  ASSERT_GE(bytes.size(), tail.size());
  EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);

  const auto lines = splitCrLf(bytes.substr(0, bytes.size() - tail.size()));
  ASSERT_EQ(lines.size(), 21u);
  for (std::size_t i : {1u, 10u, 18u}) EXPECT_EQ(lines[i], "") << "record " << i + 1;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!lines[i].empty()) {
      EXPECT_EQ(lines[i].size(), 100u) << "record " << i + 1;
    }
  EXPECT_EQ(trimRight(lines[0]), "Datele din Fisierul de Intrare  (pe linii separate):");
  EXPECT_EQ(trimRight(lines[2]), "A. Matrice citita din fisier:");
  EXPECT_EQ(trimRight(lines[9]), "* Data 3: Pentru metoda Cholesky (matrice simetrica): Triunghiul superior");
  EXPECT_EQ(trimRight(lines[15]), "3-0)  nc     = numar de constante \"c\" pentru generare");
  EXPECT_EQ(trimRight(lines[20]), " I.  \"SISTEM\": Datele (1)-(4);");
  EXPECT_EQ(bytes.size(), 18u * 102 + 3u * 2 + 102u);
}

TEST_F(HelpTest, SavingTwiceCancellingAndFailing) {
  const std::string target = (dir_ / "s.txt").string();
  writeBytes(target, std::string(5000, 'z'));  // longer than the new content
  platform_.answers.push_back(target);
  platform_.answers.push_back(target);
  SUB_SAVE(d(), 1036, kEventChanged);
  SUB_SAVE(d(), 1036, kEventChanged);
  EXPECT_EQ(readBytes(target), fileStructureFileContents());
  ASSERT_EQ(platform_.messages.size(), 2u);

  EXPECT_EQ(platform_.questions.size(), 2u) << "asked before replacing";

  // "Nu": the file chosen (the data file, say) stays as it was.
  const std::string data = (dir_ / "tema1.dat").string();
  writeBytes(data, "Tema\n3 1\n");
  platform_.answers.push_back(data);
  platform_.answer = false;
  SUB_SAVE(d(), 1036, kEventChanged);
  EXPECT_EQ(readBytes(data), "Tema\n3 1\n");
  ASSERT_EQ(platform_.questions.size(), 3u);
  EXPECT_EQ(platform_.questions[2].text, "Fisierul exista deja:\n" + data + "\nIl inlocuiti?");
  EXPECT_EQ(platform_.questions[2].caption, "Selecteaza Fisierul");
  EXPECT_TRUE(platform_.requests.back().forSaving);
  EXPECT_EQ(platform_.requests.back().title, "Selecteaza Fisierul");
  EXPECT_EQ(platform_.messages.size(), 2u);
  platform_.answer = true;

  SUB_SAVE(d(), 1036, kEventChanged);  // cancelled
  ASSERT_EQ(platform_.messages.size(), 3u);
  EXPECT_EQ(platform_.messages[2].text, "Can not create \"Save File\".");
  EXPECT_EQ(platform_.messages[2].caption, "Error");
  EXPECT_EQ(platform_.messages[2].icon, IconKind::Error);

  const std::string bad = (dir_ / "missing" / "s.txt").string();
  platform_.answers.push_back(bad);
  SUB_SAVE(d(), 1036, kEventChanged);
  ASSERT_EQ(platform_.messages.size(), 4u);
  EXPECT_EQ(platform_.messages[3].text, "Fisierul nu poate fi salvat:\n" + bad);
  EXPECT_EQ(platform_.messages[3].caption, "Error");
  EXPECT_EQ(platform_.messages[3].icon, IconKind::Error);

  // Cancelling inside the help box leaves the box open.
  host_.onShow = [](ModelDialog& shown) {
    EXPECT_TRUE(shown.click(kIdSaveStructure));
    EXPECT_FALSE(shown.closed());
    EXPECT_TRUE(shown.click(kIdOk));
    EXPECT_TRUE(shown.closed());
  };
  SUB_HELP(d(), 1022, kEventChanged);
  EXPECT_EQ(platform_.messages.back().text, "Can not create \"Save File\".");
}

TEST(HelpFiles, GeneratorHelpBytes) {
  const std::string bytes = genHelpFileContents();
  const auto lines = splitCrLf(bytes);
  ASSERT_EQ(lines.size(), 140u);
  EXPECT_EQ(lines[139], "");
  EXPECT_EQ(lines[136], "Se vor utiliza proiectele separate ale metodelor, din Merok.");
  EXPECT_EQ(lines[0], "MATRICI GENERATE");
  EXPECT_EQ(lines[2], "* Toate matricile generate sunt de tip \"general\": n x n");
  EXPECT_EQ(lines[13], " \t1/2\t1/3\t\t...\t1/(n+1)");
  EXPECT_EQ(lines[50], "\t0.604800  0.453600  0.362880  0.302400  0.259200");
  EXPECT_EQ(lines[127], "\t1\t4   \t1   \t1   \t0");
  EXPECT_EQ(lines[138], std::string(62, '='));
  int nonEmpty = 0;
  for (const auto& line : lines) {
    nonEmpty += !line.empty();
    EXPECT_LE(line.size(), 90u);
    if (!line.empty()) {
      EXPECT_NE(line.back(), ' ');
    }
    EXPECT_EQ(line.find('\r'), std::string::npos);
  }
  EXPECT_EQ(nonEmpty, 97);
  // Section headings at their lines.
  const std::pair<int, const char*> headings[] = {
      {8, "1. HILBERT"}, {19, "2. LOTKIN (A = Ln)"}, {29, "3. COMPANION"},
      {41, "4. WILKINSON_5 (Wilkinson - ordin 5)"}, {64, "5. WILKINSON_20 (Wilkinson - ordin 20)"},
      {90, "6. CAUCHY"}, {112, "7. BANDA constanta (simetrica)"}, {135, "NOTA"}};
  for (const auto& [n, text] : headings) EXPECT_EQ(lines[static_cast<std::size_t>(n - 1)], text);
}

TEST_F(HelpTest, GeneratorHelpIsCreatedOnceThenShown) {
  ASSERT_TRUE(d().click(1023));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "A fost creat fisierul:\n\"Help-Generare.txt\"");
  EXPECT_EQ(platform_.messages[0].caption, "Info");
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Information);
  EXPECT_EQ(readBytes(dir_ / "Help-Generare.txt"), genHelpFileContents());
  ASSERT_EQ(platform_.viewed.size(), 1u);
  EXPECT_EQ(platform_.viewed[0], "Help-Generare.txt");

  // An existing (edited) file is shown as it is, without a message.
  writeBytes(dir_ / "Help-Generare.txt", "edited\r\n");
  ASSERT_TRUE(d().click(1023));
  EXPECT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(readBytes(dir_ / "Help-Generare.txt"), "edited\r\n");
  ASSERT_EQ(platform_.viewed.size(), 2u);
  EXPECT_EQ(platform_.viewed[1], (std::filesystem::current_path() / "Help-Generare.txt").string())
      << "the file found is shown, by its path";
}

TEST_F(HelpTest, GeneratorHelpThatCannotBeWritten) {
  s().genHelpFileName = fixedText("missing/Help-Generare.txt", kFileNameLength);
  ASSERT_TRUE(d().click(1023));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Fisierul nu poate fi creat:\n\"missing/Help-Generare.txt\"");
  EXPECT_EQ(platform_.messages[0].caption, "Error");
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Error);
  EXPECT_TRUE(platform_.viewed.empty());
  EXPECT_FALSE(CREATE_GEN_HELPFILE());
}

TEST_F(HelpTest, IterationHelpAndAbout) {
  ASSERT_TRUE(d().click(1030));
  ASSERT_TRUE(d().click(1029));
  EXPECT_FALSE(d().closed()) << "the help boxes close themselves only";
  ASSERT_EQ(host_.shownDialogs().size(), 2u);
  const auto& about = host_.shownDialogs()[0];
  EXPECT_EQ(about.templateId, 104);
  EXPECT_EQ(about.title, "ABOUT");
  EXPECT_EQ(about.texts.at(1029), " Parvela Solver\r\n\r\n (c) Parvela developers\r\n\r\n Version 2.7");
  const auto& gs = host_.shownDialogs()[1];
  EXPECT_EQ(gs.templateId, 105);
  EXPECT_EQ(gs.title, "Parametri Gauss-Seidel si SOR");
  EXPECT_EQ(gs.texts.at(1038),
            " EPS:\r\n\r\n Toleranta pentru testul de oprire a iteratiei:\r\n"
            "          || x(n+1) - x(n) || <= EPS\r\n ( x = vectorul solutie;  norma este Norma-infinit. )");
  EXPECT_EQ(gs.texts.at(1042), " NLIM:\r\n\r\n Numarul limita de iteratii.");
  EXPECT_EQ(gs.texts.at(1040), " OMEGA (numai pentru SOR):\r\n\r\n Factorul de accelerare (relaxare):\r\n 1 < OMEGA < 2.");
}

}  // namespace
}  // namespace parvela::test
