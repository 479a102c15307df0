// "Date" and "Problema noua" driven with the keyboard and the mouse, and
// what the outcome line and "Deschide" say after a read.
#include <QClipboard>
#include <QSpinBox>
#include <QToolButton>

#include "io/data_file.h"
#include "qt_test_support.h"
#include "ui/qt/outcome_line.h"
#include "ui/qt/results_window.h"

namespace parvela::qt::test {
namespace {

constexpr const char* kSistem3 = "Sistem de proba\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";

class GridWindowTest : public MainWindowTest {
 protected:
  ResultsWindow& results() { return *Results(); }
  void read() { click(window(), kIdRead); }
  static QString cell(DataGridWindow& g, GridPart p, int r, int c, int role = Qt::DisplayRole) {
    return g.model(p)->index(r, c).data(role).toString();
  }
  static QModelIndex current(DataGridWindow& g, GridPart p) { return g.view(p)->currentIndex(); }
  // Keys as a user presses them: to the cell editor while one is open.
  static QWidget* target(DataGridWindow& g, GridPart p) {
    for (auto* editor : g.view(p)->viewport()->findChildren<QLineEdit*>())
      if (editor->isVisible()) return editor;
    return g.view(p);
  }
  static void key(DataGridWindow& g, GridPart p, int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(target(g, p), static_cast<Qt::Key>(k), m);
    QApplication::processEvents();  // the editor commits on the next turn of the loop
  }
  static void type(DataGridWindow& g, GridPart p, const QString& text) {
    for (QChar c : text) QTest::keyClick(target(g, p), c.toLatin1());
  }
};

TEST_F(GridWindowTest, DateEditsWithTheKeyboardPastesAndSavesTheDataPart) {
  writeFile(folder() / "p.dat", std::string(kSistem3) + "\nProblema: raport vechi\n");
  selectFile(QStringLiteral("p.dat"));
  read();
  select(window(), kIdMethodList, 1);
  bool shown = false;
  platform_.onDataGrid = [&](DataGridWindow& g) {
    shown = true;
    EXPECT_EQ(cell(g, GridPart::Matrix, 0, 1), QStringLiteral("1"));
    EXPECT_EQ(cell(g, GridPart::Rhs, 2, 0), QStringLiteral("5"));
    GridView* a = g.view(GridPart::Matrix);
    a->setCurrentIndex(a->model()->index(0, 0));
    // Typing starts editing; Enter keeps the value and goes down.
    type(g, GridPart::Matrix, QStringLiteral("2.5"));
    key(g, GridPart::Matrix, Qt::Key_Return);
    EXPECT_EQ(cell(g, GridPart::Matrix, 0, 0), QStringLiteral("2.5"));
    EXPECT_EQ(current(g, GridPart::Matrix), a->model()->index(1, 0));
    key(g, GridPart::Matrix, Qt::Key_Tab);
    EXPECT_EQ(current(g, GridPart::Matrix), a->model()->index(1, 1));
    key(g, GridPart::Matrix, Qt::Key_End);
    EXPECT_EQ(current(g, GridPart::Matrix), a->model()->index(1, 2));
    key(g, GridPart::Matrix, Qt::Key_Home);
    EXPECT_EQ(current(g, GridPart::Matrix), a->model()->index(1, 0));
    key(g, GridPart::Matrix, Qt::Key_Down);
    key(g, GridPart::Matrix, Qt::Key_Up);
    // A value the reader refuses is marked, with why, and not saved.
    type(g, GridPart::Matrix, QStringLiteral("abc"));
    EXPECT_TRUE(g.statusText().contains(QStringLiteral("'abc' nu este un numar real"))) << g.statusText().toStdString();
    key(g, GridPart::Matrix, Qt::Key_Return);
    EXPECT_EQ(a->model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(QStringLiteral("#ffd0d0")));
    EXPECT_FALSE(g.save());
    EXPECT_EQ(current(g, GridPart::Matrix), a->model()->index(1, 0)) << "the refused cell is shown";
    EXPECT_EQ(readFile(folder() / "p.dat"), std::string(kSistem3) + "\nProblema: raport vechi\n");
    // Ctrl+V fills from the current cell.
    QApplication::clipboard()->setText(QStringLiteral("1\t4\t1\n0\t1\t4\n"));
    key(g, GridPart::Matrix, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(cell(g, GridPart::Matrix, 2, 2), QStringLiteral("4"));
    ASSERT_TRUE(g.save()) << g.statusText().toStdString();
    g.reject();  // saved: closes without asking
    EXPECT_EQ(platform_.saveQuestions, 0);
  };
  QTest::mouseClick(results().dataButton(), Qt::LeftButton);
  ASSERT_TRUE(shown);
  const std::string file = readFile(folder() / "p.dat");
  EXPECT_EQ(file, "Sistem de proba\n3 1\n2.5 1 0\n  1 4 1\n  0 1 4\n  5 6 5\n\nProblema: raport vechi\n");
  EXPECT_EQ(results().outcomeLine()->badge(), QStringLiteral("Salvat"));

  // The saved data must be read before a run.
  platform_.boxes.clear();
  click(window(), kIdSolve);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "Fisierul de date a fost modificat dupa citire.\nCititi din nou datele cu \"Citeste\".");
  EXPECT_EQ(readFile(folder() / "p.dat"), file);
  read();
  EXPECT_EQ(problem().A[0], 2.5f);
  EXPECT_EQ(results().outcomeLine()->badge(), QStringLiteral("Citit"));
}

TEST_F(GridWindowTest, ProblemaNouaAsksForAFileAndStartsEmpty) {
  // Cancelled: nothing changes.
  writeFile(folder() / "p.dat", kSistem3);
  selectFile(QStringLiteral("p.dat"));
  int grids = 0;
  platform_.onDataGrid = [&](DataGridWindow&) { ++grids; };
  platform_.fileAnswers.push_back(std::nullopt);
  QTest::mouseClick(results().newProblemButton(), Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(grids, 0);
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_EQ(InputDataFile().path(), (folder() / "p.dat").string());

  platform_.fileAnswers.push_back(QStringLiteral("nou"));
  platform_.onDataGrid = [&](DataGridWindow& g) {
    ++grids;
    EXPECT_EQ(g.session().grid().order(), 3);
    EXPECT_EQ(cell(g, GridPart::Matrix, 1, 1, Qt::EditRole), QString());
    g.orderBox()->setValue(2);
    g.pasteAt(GridPart::Matrix, g.model(GridPart::Matrix)->index(0, 0), QStringLiteral("4 -1\n-1, 4\n"));
    g.pasteAt(GridPart::Rhs, g.model(GridPart::Rhs)->index(0, 0), QStringLiteral("3\n3\n"));
    ASSERT_TRUE(g.save()) << g.statusText().toStdString();
  };
  QTest::mouseClick(results().newProblemButton(), Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(grids, 1);
  EXPECT_EQ(platform_.fileDialogs.back().title, QStringLiteral("Problema noua - Selecteaza Fisierul"));
  EXPECT_EQ(readFile(folder() / "nou.dat"), "Problema noua\n2 1\n 4 -1\n-1  4\n 3  3\n");
  EXPECT_EQ(shownText(window(), kIdFilePath).toStdString(), (folder() / "nou.dat").string());
  ASSERT_TRUE(enabled(window(), kIdRead));
  read();
  EXPECT_TRUE(problem().dataRead);
  EXPECT_EQ(problem().n, 2);
}

TEST_F(GridWindowTest, AReadSaysWhereItStoppedAndDeschideGoesThere) {
  writeFile(folder() / "bad.dat", "T\n3 1\n4 1 0\n1\tx 1\n");
  selectFile(QStringLiteral("bad.dat"));
  read();
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "Eroare de citire in fisierul de date");
  EXPECT_EQ(platform_.boxes[0].caption, "Error");
  OutcomeLine* line = results().outcomeLine();
  EXPECT_EQ(line->badge(), QStringLiteral("Necitit"));
  ASSERT_FALSE(line->lines().isEmpty());
  EXPECT_EQ(line->lines()[0],
            QStringLiteral("linia 4, coloana 3: 'x' nu este un numar real (randul 2 al matricii, valoarea 2 din 3)"));
  click(window(), kIdOpen);
  EXPECT_EQ(platform_.editorPlaces, (std::vector<std::pair<int, int>>{{4, 3}}));

  writeFile(folder() / "bad.dat", "T\n3 1\n4 0,5 0\n1 4 1\n0 1 4\n5 6 5\n");
  read();
  EXPECT_EQ(line->badge(), QStringLiteral("Atentie"));
  EXPECT_TRUE(line->lines()[0].startsWith(QStringLiteral("linia 3: 4 valori, randul 1 al matricii cere 3")));
  // A run on these data keeps the warning in sight under its own lines.
  select(window(), kIdMethodList, 1);
  click(window(), kIdSolve);
  EXPECT_EQ(line->badge(), QStringLiteral("Gata"));
  EXPECT_TRUE(line->lines().back().startsWith(QStringLiteral("Atentie (citire): linia 3: 4 valori")));
}

}  // namespace
}  // namespace parvela::qt::test
