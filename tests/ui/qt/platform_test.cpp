// The desktop boxes and the open-file dialog themselves (the real widgets,
// answered from a timer as a user would).
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "qt_test_support.h"

namespace parvela::qt::test {
namespace {

namespace fs = std::filesystem;

// Acts on the modal window that comes up next.
void whenModalShows(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* w = QApplication::activeModalWidget();
    ASSERT_NE(w, nullptr);
    act(w);
  });
}

TEST(DesktopPlatform, MessageBoxes) {
  QtPlatform desktop;
  struct Case {
    IconKind kind;
    QMessageBox::Icon icon;
  };
  for (const Case& c : {Case{IconKind::None, QMessageBox::NoIcon}, Case{IconKind::Error, QMessageBox::Critical},
                        Case{IconKind::Information, QMessageBox::Information}}) {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::Question;
    int buttons = 0;
    whenModalShows([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr);
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      buttons = box->buttons().size();
      QTest::keyClick(box, Qt::Key_Return);
    });
    desktop.messageBox("Metoda Cholesky:\nTipul <b>Matrice</b>", "Info", c.kind);
    EXPECT_EQ(text, "Metoda Cholesky:\nTipul <b>Matrice</b>");
    EXPECT_EQ(title, "Info");
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(buttons, 1);
  }
}

// The platform with only the create question answered.
class YesPlatform : public QtPlatform {
 public:
  int asked = 0;

 protected:
  bool askYesNo(const QString&, const QString&) override {
    ++asked;
    return true;
  }
};

TEST(DesktopPlatform, OpenFileDialogTypedName) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  writeFile(fs::path(dir.path().toStdString()) / "fara-extensie", "x");
  YesPlatform desktop;
  OpenFileRequest request;
  request.title = "Selecteaza Fisierul";
  request.filters = {{"Data Files (*.dat)", "*.dat"}, {"Text Files (*.txt)", "*.txt"}, {"All files (*.*)", "*.*"}};
  request.filterIndex = 1;
  request.defaultExtension = "dat";
  request.initialDirectory = dir.path().toStdString();

  bool nonNative = false;
  QStringList allFilesPattern;
  whenModalShows([&](QWidget* w) {
    auto* dialog = qobject_cast<OpenFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    nonNative = dialog->testOption(QFileDialog::DontUseNativeDialog);
    dialog->selectNameFilter("All files (*.*)");
    emit dialog->filterSelected("All files (*.*)");
    if (auto* model = dialog->findChild<QFileSystemModel*>()) allFilesPattern = model->nameFilters();
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText("proba");
    QTest::keyClick(name, Qt::Key_Return);
  });
  const std::optional<std::string> chosen = desktop.openFileDialog(request);
  EXPECT_TRUE(nonNative);
  EXPECT_EQ(allFilesPattern, QStringList({"*"}));  // files without a dot too
  ASSERT_TRUE(chosen);
  EXPECT_EQ(fs::path(*chosen), fs::path(dir.path().toStdString()) / "proba.dat");
  EXPECT_EQ(desktop.asked, 1);

  whenModalShows([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  EXPECT_FALSE(desktop.openFileDialog(request));
}

}  // namespace
}  // namespace parvela::qt::test
