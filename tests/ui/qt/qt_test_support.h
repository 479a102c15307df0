// Helpers of the window tests: a platform whose questions are answered by
// the test, a dialog host that records the modal dialogs, and user actions
// performed with real mouse clicks and key presses on the widgets.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/platform.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "ui/core/dialog_host.h"
#include "ui/core/templates.h"
#include "ui/qt/background_work.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/text_editor.h"

// Texts in test failures as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join("|").toStdString() << ']'; }

namespace parvela::qt::test {

struct Box {
  std::string text;
  std::string caption;
  IconKind icon;
};

// What the open-file dialog showed when it came up.
struct FileDialogSeen {
  QString title;
  QStringList filters;
  QString selectedFilter;
  QString directory;
  QString defaultSuffix;
  QString typedName;  // the name in the name field at first
};

class TestPlatform : public QtPlatform {
 public:
  std::vector<Box> boxes;
  std::function<void()> onMessage;  // while a box is "open"
  // Answers of the open-file dialog, one per confirmation: a name typed
  // into the name field, or nothing for Cancel.
  std::deque<std::optional<QString>> fileAnswers;
  std::vector<FileDialogSeen> fileDialogs;
  std::vector<QString> questions;
  bool answerYes = true;
  std::vector<std::string> viewed;
  std::function<void(TextEditorWindow&)> onEditor;
  SaveChoice saveChoice = SaveChoice::Discard;
  int saveQuestions = 0;
  std::string out;

  void standardOutput(std::string_view text) override { out += text; }

 protected:
  void showMessage(const QString& text, const QString& caption, IconKind icon) override {
    boxes.push_back({text.toStdString(), caption.toStdString(), icon});
    if (onMessage) onMessage();
  }
  bool askYesNo(const QString& text, const QString&) override {
    questions.push_back(text);
    return answerYes;
  }
  std::optional<QString> runFileDialog(OpenFileDialog& d) override {
    FileDialogSeen seen{d.windowTitle(), d.nameFilters(), d.selectedNameFilter(), d.directory().absolutePath(),
                        d.defaultSuffix(), {}};
    if (auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) seen.typedName = name->text();
    fileDialogs.push_back(seen);
    while (!fileAnswers.empty()) {
      const std::optional<QString> answer = fileAnswers.front();
      fileAnswers.pop_front();
      if (!answer) return std::nullopt;
      d.selectFile(*answer);
      d.accept();
      if (d.result() == QDialog::Accepted && d.chosenPath()) return d.chosenPath();
    }
    return std::nullopt;
  }
  void runEditor(TextEditorWindow& editor) override {
    viewed.push_back(editor.path().toStdString());
    if (onEditor) onEditor(editor);
  }
  SaveChoice askSaveChanges(const QString&) override {
    ++saveQuestions;
    return saveChoice;
  }

 public:
  // The desktop's own question box (it waits for an answer).
  SaveChoice desktopAskSaveChanges(const QString& fileName) { return QtPlatform::askSaveChanges(fileName); }
};

// Records every modal dialog (its template, caption and the texts of its
// controls), lets the test act on it, then presses its OK button.
class TestDialogHost : public QtDialogHost {
 public:
  struct Shown {
    int templateId;
    std::string title;
    std::map<int, std::string> texts;
  };
  std::vector<Shown> shown;
  std::function<void(QtDialog&)> onShow;

 protected:
  void runModal(QtDialog& d) override {
    d.DLG_SHOW_MODELESS();
    Shown record{d.dialogTemplate().id, d.windowTitle().toStdString(), {}};
    for (const ControlTemplate& c : d.dialogTemplate().controls)
      if (c.id != kNoId) record.texts[c.id] = d.label(c.id);
    shown.push_back(std::move(record));
    if (onShow) onShow(d);
    if (!d.isClosed()) QTest::mouseClick(d.control(kIdOk), Qt::LeftButton);
  }
};

// User actions on a dialog's widgets.
inline void click(QtDialog& d, int id) {
  QWidget* w = d.control(id);
  ASSERT_NE(w, nullptr) << id;
  auto* b = qobject_cast<QAbstractButton*>(w);
  ASSERT_NE(b, nullptr) << id;
  // Radio buttons and check boxes are clicked on their indicator.
  const bool indicator = b->isCheckable();
  QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(8, b->height() / 2) : b->rect().center());
  // Work started by the click ("Citeste", "REZOLVA !") runs on a worker:
  // the action is complete when it has ended.
  if (BackgroundWork* work = backgroundWorkOf(d)) {
    ASSERT_TRUE(work->waitUntilIdle());
  }
}

// Selects entry `entry` (1-based) of a list box with the mouse.
inline void select(QtDialog& d, int listId, int entry) {
  auto* list = d.controlAs<QListWidget>(listId);
  ASSERT_NE(list, nullptr) << listId;
  QListWidgetItem* item = list->item(entry - 1);
  ASSERT_NE(item, nullptr) << entry;
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

inline void typeInto(QtDialog& d, int id, const QString& text) {
  auto* edit = d.controlAs<QLineEdit>(id);
  ASSERT_NE(edit, nullptr) << id;
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

inline bool enabled(QtDialog& d, int id) { return d.control(id) && d.control(id)->isEnabled(); }
inline bool checked(QtDialog& d, int id) { return d.DLG_GET_STATE(id); }
inline QString shownText(QtDialog& d, int id) {
  if (auto* edit = d.controlAs<QLineEdit>(id)) return edit->text();
  return {};
}

// The texts of a dialog that are shown neither whole on their control nor
// whole in its tooltip ("id: text"), measured as the style draws them.
inline QStringList unreadableTexts(const QtDialog& d) {
  QStringList out;
  auto readable = [&](QWidget* w, const QString& text, bool whole) {
    if (!whole && w->toolTip() != text) out << QStringLiteral("%1: %2").arg(w->objectName(), text);
  };
  for (const ControlTemplate& c : d.dialogTemplate().controls) {
    QWidget* w = d.widgetOf(c);
    if (!w || c.hidden) continue;
    w->setObjectName(QString::number(c.id));
    const QFontMetrics fm(w->font());
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable()) {
      QStyleOptionButton opt;
      opt.initFrom(b);
      const bool radio = qobject_cast<QRadioButton*>(b);
      const QRect room =
          b->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, b);
      const QRect need = fm.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft, b->text());
      const QString text = QString(b->text()).replace('\n', ' ');
      readable(b, text, need.width() <= room.width() && need.height() <= room.height() + fm.leading());
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      QStyleOptionButton opt;
      opt.initFrom(b);
      const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
      readable(b, b->text(), fm.horizontalAdvance(b->text()) <= room.width());
    } else if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
      const QRect room = l->contentsRect();
      const int flags = int(l->alignment()) | (l->wordWrap() ? int(Qt::TextWordWrap) : 0);
      const QRect need = fm.boundingRect(QRect(0, 0, room.width(), 10000), flags, l->text());
      readable(l, l->text(), need.width() <= room.width() && need.height() <= room.height() + fm.leading());
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      readable(g, g->title(), fm.horizontalAdvance(g->title()) + 2 * fm.averageCharWidth() <= g->width());
    } else if (auto* e = qobject_cast<QLineEdit*>(w); e && !e->text().isEmpty()) {
      QStyleOptionFrame opt;
      opt.initFrom(e);
      opt.rect = e->rect();
      opt.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e);
      const QRect room = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e);
      readable(e, e->text(), fm.horizontalAdvance(e->text()) <= room.width() - 4);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
      const int room = list->viewport()->width();
      for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        const int need = fm.horizontalAdvance(item->text()) + 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        if (need > room && item->toolTip() != item->text())
          out << QStringLiteral("%1: %2").arg(c.id).arg(item->text());
      }
    }
  }
  return out;
}

inline std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The main window started as the program starts it, in a fresh working
// folder, with the test platform and dialog host installed.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    oldCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path().toStdString());
    setPlatform(&platform_);
    setDialogHost(&host_);
    problem() = ProblemState{};
    InputDataFile().deselect();
    ASSERT_TRUE(startMainWindow());
    ASSERT_TRUE(MainDialog());
  }
  void TearDown() override {
    MainDialog().reset();
    InputDataFile().deselect();
    setDialogHost(nullptr);
    setPlatform(nullptr);
    std::filesystem::current_path(oldCwd_);
  }

  QtDialog& window() { return *MainDialog(); }
  std::filesystem::path folder() const { return dir_.path().toStdString(); }

  // Selects `name` (in the working folder) through "Selecteaza".
  void selectFile(const QString& name) {
    platform_.fileAnswers.push_back(name);
    click(window(), kIdSelect);
  }

  std::filesystem::path copyExample(const std::string& name) {
    const std::filesystem::path to = folder() / name;
    std::filesystem::copy_file(std::filesystem::path(PARVELA_SOURCE_DIR) / "examples" / name, to,
                               std::filesystem::copy_options::overwrite_existing);
    return to;
  }

  // An example copied to the working folder, selected, a method chosen
  // (entry of the list) and "Citeste" pressed.
  void readExample(const std::string& name, int method) {
    copyExample(name);
    selectFile(QString::fromStdString(name));
    select(window(), kIdMethodList, method);
    click(window(), kIdRead);
  }

  TestPlatform platform_;
  TestDialogHost host_;

 private:
  QTemporaryDir dir_;
  std::filesystem::path oldCwd_;
};

}  // namespace parvela::qt::test
