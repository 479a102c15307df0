// Dialogs built from the templates: placement in dialog units, the
// behaviour of each kind of control, events and closing.
#include <QLabel>
#include <QStyleOptionFrame>

#include "qt_test_support.h"

namespace parvela::qt::test {
namespace {

struct Event {
  int id;
  int code;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d = QtDialog::create(kMainDialog);
    ASSERT_TRUE(d);
    for (const ControlTemplate& c : d->dialogTemplate().controls)
      if (c.id != kNoId)
        d->DLG_SET_CALLBACK(c.id, [this](Dialog&, int id, int code) { events.push_back({id, code}); });
    d->DLG_SET_CALLBACK(kIdExit, nullptr);  // closes the dialog
    d->DLG_SET_CALLBACK(kIdCancel, nullptr);
    d->DLG_SET_CALLBACK(kMainDialog, [this](Dialog&, int id, int code) { own.push_back({id, code}); });
    ASSERT_TRUE(d->DLG_SHOW_MODELESS());
  }
  std::unique_ptr<QtDialog> d;
  std::vector<Event> events;
  std::vector<Event> own;
};

TEST_F(DialogTest, LayoutFollowsTheTemplateInDialogUnits) {
  const QSizeF base = d->baseUnits();
  const QSize font = d->fontBaseUnits();
  EXPECT_EQ(base.height(), font.height());
  EXPECT_GE(base.width(), font.width());  // widened only when texts need it
  EXPECT_LE(base.width(), 1.5 * font.width());
  EXPECT_EQ(d->size(), QSize(qRound(290 * base.width() / 4), qRound(339 * base.height() / 8)));

  std::vector<std::pair<const ControlTemplate*, QRect>> placed;
  for (const ControlTemplate& c : d->dialogTemplate().controls) {
    if (c.id == kNoId) continue;
    const QRect r = d->control(c.id)->geometry();
    const QRect t = d->toPixels(c.x, c.y, c.width, c.height);
    EXPECT_EQ(r.topLeft(), t.topLeft()) << c.id;
    EXPECT_EQ(r.height(), t.height()) << c.id;
    EXPECT_GE(r.width(), t.width()) << c.id;
    if (!c.hidden) placed.emplace_back(&c, r);
  }
  // Controls that grew to show their text did not grow over a neighbour.
  for (std::size_t i = 0; i < placed.size(); ++i)
    for (std::size_t j = i + 1; j < placed.size(); ++j) {
      const auto& [a, ra] = placed[i];
      const auto& [b, rb] = placed[j];
      const QRect ta = d->toPixels(a->x, a->y, a->width, a->height);
      const QRect tb = d->toPixels(b->x, b->y, b->width, b->height);
      if (!ta.intersects(tb)) {
        EXPECT_FALSE(ra.intersects(rb)) << a->id << " and " << b->id;
      }
    }
  // Every text of the template is shown whole on its control.
  for (const ControlTemplate& c : d->dialogTemplate().controls) {
    if (c.hidden || c.label.empty()) continue;
    if (c.kind != ControlKind::RadioButton && c.kind != ControlKind::CheckBox) continue;
    auto* b = d->controlAs<QAbstractButton>(c.id);
    QStringList lines = b->text().split('\n');
    EXPECT_EQ(lines.join(' '), QString::fromUtf8(c.label.data(), c.label.size())) << c.id;
    EXPECT_LE(b->sizeHint().width(), b->width() + 1) << c.id;
    EXPECT_LE(lines.size() * b->fontMetrics().lineSpacing(), b->height() + b->fontMetrics().leading()) << c.id;
  }
}

TEST_F(DialogTest, RadioGroups) {
  // Each group is exclusive on its own.
  d->DLG_SET_STATE(kIdSystem, true);
  d->DLG_SET_STATE(kIdGeneral, true);
  click(*d, kIdInverse);
  EXPECT_TRUE(d->DLG_GET_STATE(kIdInverse));
  EXPECT_FALSE(d->DLG_GET_STATE(kIdSystem));
  EXPECT_TRUE(d->DLG_GET_STATE(kIdGeneral));
  // Turning the checked radio button off leaves its group with none on.
  d->DLG_SET_STATE(kIdInverse, false);
  EXPECT_FALSE(d->DLG_GET_STATE(kIdInverse) || d->DLG_GET_STATE(kIdSystem) || d->DLG_GET_STATE(kIdConditionNumber));
}

TEST_F(DialogTest, UserEventsReachTheCallbacks) {
  d->DLG_ADD_ENTRY(kIdMethodList, "Gauss");
  d->DLG_ADD_ENTRY(kIdMethodList, "LU");
  click(*d, kIdSystem);
  click(*d, kIdDeterminant);
  select(*d, kIdMethodList, 2);
  typeInto(*d, kIdEps, "5");
  click(*d, kIdRead);
  ASSERT_EQ(events.size(), 5u);
  const int ids[] = {kIdSystem, kIdDeterminant, kIdMethodList, kIdEps, kIdRead};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(events[i].id, ids[i]);
    EXPECT_EQ(events[i].code, kEventChanged);
  }
  EXPECT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 2);
  EXPECT_TRUE(d->DLG_GET_STATE(kIdDeterminant));

  // Changes made by the program raise no events.
  events.clear();
  d->DLG_SET_STATE(kIdInverse, true);
  d->DLG_CLEAR_SELECTION(kIdMethodList);
  d->DLG_SET_TEXT(kIdEps, "7");
  d->DLG_ADD_ENTRY(kIdMethodList, "SOR");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 0);

  // Disabled controls do not react.
  d->DLG_SET_ENABLED(kIdRead, false);
  click(*d, kIdRead);
  EXPECT_TRUE(events.empty());
}

// The width the text of a line edit needs inside the edit's frame.
bool showsWhole(QLineEdit* edit) {
  QStyleOptionFrame opt;
  opt.initFrom(edit);
  opt.rect = edit->rect();
  opt.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit);
  const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
  return edit->fontMetrics().horizontalAdvance(edit->text()) <= contents.width() - 4;
}

TEST_F(DialogTest, UserCannotEmptyASelectedList) {
  d->DLG_ADD_ENTRY(kIdMethodList, "Gauss");
  d->DLG_ADD_ENTRY(kIdMethodList, "LU");
  select(*d, kIdMethodList, 1);
  ASSERT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 1);
  auto* list = d->controlAs<QListWidget>(kIdMethodList);
  const QPoint onFirst = list->visualItemRect(list->item(0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, onFirst);
  EXPECT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 1);
  const QPoint belowEntries(onFirst.x(), list->viewport()->height() - 2);
  ASSERT_EQ(list->itemAt(belowEntries), nullptr);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, belowEntries);
  EXPECT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 1);
  select(*d, kIdMethodList, 2);
  EXPECT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 2);
  d->DLG_CLEAR_SELECTION(kIdMethodList);  // the program still can
  EXPECT_EQ(d->DLG_GET_SELECTION(kIdMethodList), 0);
}

TEST_F(DialogTest, LongCountsAreShownInFull) {
  auto* order = d->controlAs<QLineEdit>(kIdOrder);
  auto* rhs = d->controlAs<QLineEdit>(kIdRhsCount);
  const int orderWidth = order->width();
  d->DLG_SET_TEXT(kIdOrder, "12 ");
  EXPECT_EQ(order->width(), orderWidth);
  for (const char* text : {"1234", "46340", "1234567", "2147483647"}) {
    d->DLG_SET_TEXT(kIdRhsCount, text);
    EXPECT_EQ(rhs->text(), text);
    EXPECT_TRUE(showsWhole(rhs)) << text;
  }
  d->DLG_SET_TEXT(kIdOrder, "46340");
  EXPECT_TRUE(showsWhole(order));
  EXPECT_GT(order->width(), orderWidth);
  // Still left of the label beside it.
  EXPECT_LT(order->geometry().right(), d->toPixels(196, 0, 0, 0).x());
  d->DLG_SET_TEXT(kIdOrder, "3  ");
  EXPECT_EQ(order->width(), orderWidth);
}

TEST_F(DialogTest, ClosingWays) {
  // A push button without callback closes the dialog; the dialog's own
  // callback hears of it once.
  click(*d, kIdExit);
  EXPECT_TRUE(d->isClosed());
  EXPECT_FALSE(d->isVisible());
  d->close();
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[0].code, kEventInit);
  EXPECT_EQ(own[1].code, kEventDestroy);

  // Esc and the close box go through the hidden Cancel button: its
  // callback, when it has one, decides.
  auto other = QtDialog::create(kMainDialog);
  int cancels = 0;
  other->DLG_SET_CALLBACK(kIdCancel, [&](Dialog&, int, int) { ++cancels; });
  other->DLG_SHOW_MODELESS();
  other->close();
  QTest::keyClick(other.get(), Qt::Key_Escape);
  EXPECT_EQ(cancels, 2);
  EXPECT_FALSE(other->isClosed());
  other->DLG_SET_CALLBACK(kIdCancel, nullptr);
  QTest::keyClick(other.get(), Qt::Key_Escape);
  EXPECT_TRUE(other->isClosed());
}

TEST(DialogTemplates, EveryTemplateBuilds) {
  for (int id : {kMainDialog, kStructureHelpDialog, kAboutDialog, kIterationHelpDialog}) {
    auto d = QtDialog::create(id);
    ASSERT_TRUE(d) << id;
    const DialogTemplateData& t = d->dialogTemplate();
    EXPECT_EQ(d->windowTitle().toStdString(), std::string(t.caption));
    EXPECT_EQ(d->size(), d->toPixels(0, 0, t.width, t.height).size());
  }
  EXPECT_FALSE(QtDialog::create(102));
  auto about = QtDialog::create(kAboutDialog);
  bool icon = false;
  for (auto* l : about->findChildren<QLabel*>()) icon = icon || !l->pixmap().isNull();
  EXPECT_TRUE(icon);
}

}  // namespace
}  // namespace parvela::qt::test
