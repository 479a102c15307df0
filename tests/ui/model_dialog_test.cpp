#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "ui/core/model_dialog.h"

namespace parvela {
namespace {

struct Event {
  int id, code;
};

TEST(ModelDialog, RadioGroupsStayExclusive) {
  auto d = ModelDialog::create(kMainDialog);
  ASSERT_TRUE(d);
  d->DLG_SET_STATE(1006, true);
  d->DLG_SET_STATE(1009, true);
  d->DLG_SET_STATE(1008, true);  // programmatic: the others of its group go off
  EXPECT_FALSE(d->state(1006));
  EXPECT_TRUE(d->state(1008));
  EXPECT_TRUE(d->state(1009)) << "another group is not touched";

  std::vector<Event> events;
  d->DLG_SET_CALLBACK(1007, [&](Dialog& dlg, int id, int code) {
    EXPECT_TRUE(dlg.DLG_GET_STATE(1007)) << "the callback sees the new state";
    events.push_back({id, code});
  });
  EXPECT_TRUE(d->click(1007));
  EXPECT_TRUE(d->click(1007));  // clicking an active radio keeps it on and reports again
  EXPECT_TRUE(d->state(1007));
  EXPECT_FALSE(d->state(1008));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].id, 1007);
  EXPECT_EQ(events[0].code, kEventChanged);
}

TEST(ModelDialog, CheckBoxesListsAndEdits) {
  auto d = ModelDialog::create(kMainDialog);
  int fired = 0;
  for (int id : {1011, 1019, 1032}) d->DLG_SET_CALLBACK(id, [&](Dialog&, int, int) { ++fired; });

  EXPECT_TRUE(d->click(1011));
  EXPECT_TRUE(d->state(1011));
  EXPECT_TRUE(d->click(1011));
  EXPECT_FALSE(d->state(1011));

  for (const char* m : {"Gauss", "LU"}) d->DLG_ADD_ENTRY(1019, m);
  EXPECT_EQ(d->entries(1019), (std::vector<std::string>{"Gauss", "LU"}));
  EXPECT_TRUE(d->select(1019, 2));
  EXPECT_EQ(d->DLG_GET_SELECTION(1019), 2);
  EXPECT_FALSE(d->select(1019, 3)) << "no third entry";
  EXPECT_EQ(d->DLG_GET_SELECTION(1019), 2);
  EXPECT_TRUE(d->select(1019, 0));
  EXPECT_EQ(d->DLG_GET_SELECTION(1019), 0);

  EXPECT_TRUE(d->typeText(1032, "12345678901"));
  EXPECT_EQ(d->text(1032), "12345678901");
  EXPECT_EQ(d->DLG_GET_TEXT(1032, 10), "1234567890");
  EXPECT_TRUE(d->typeText(1032, "1e-3"));
  EXPECT_EQ(d->DLG_GET_TEXT(1032, 10), "1e-3      ");
  EXPECT_FALSE(d->typeText(1025, "x")) << "read-only box";
  EXPECT_FALSE(d->typeText(1011, "x")) << "not an edit box";
  EXPECT_EQ(fired, 2 + 2 + 2);
}

TEST(ModelDialog, DisabledControlsIgnoreTheUser) {
  auto d = ModelDialog::create(kMainDialog);
  int fired = 0;
  d->DLG_SET_CALLBACK(1011, [&](Dialog&, int, int) { ++fired; });
  d->DLG_SET_CALLBACK(1032, [&](Dialog&, int, int) { ++fired; });
  d->DLG_ADD_ENTRY(1026, "Hilbert");
  for (int id : {1011, 1032, 1026, 30001}) d->DLG_SET_ENABLED(id, false);
  EXPECT_FALSE(d->click(1011));
  EXPECT_FALSE(d->typeText(1032, "1"));
  EXPECT_FALSE(d->select(1026, 1));
  EXPECT_FALSE(d->click(30001));
  d->DLG_SET_ENABLED(30002, false);
  EXPECT_FALSE(d->pressEnter());
  EXPECT_FALSE(d->state(1011));
  EXPECT_EQ(d->text(1032), "");
  EXPECT_EQ(d->selection(1026), 0);
  EXPECT_FALSE(d->closed());
  EXPECT_EQ(fired, 0);
  EXPECT_FALSE(d->click(4711)) << "unknown control";
  EXPECT_FALSE(d->click(1035)) << "a label is not a button";
}

TEST(ModelDialog, ButtonsWithoutCallbackClose) {
  for (int id : {30001, 2}) {
    auto d = ModelDialog::create(kMainDialog);
    std::vector<Event> own;
    d->DLG_SET_CALLBACK(kMainDialog, [&](Dialog&, int cid, int code) { own.push_back({cid, code}); });
    d->show();
    EXPECT_TRUE(d->click(id));
    EXPECT_TRUE(d->closed());
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[0].code, kEventInit);
    EXPECT_EQ(own[1].code, kEventDestroy);
    EXPECT_EQ(own[1].id, kMainDialog);
    EXPECT_FALSE(d->click(1006)) << "a closed dialog takes no action";
  }
  auto help = ModelDialog::create(kAboutDialog);
  EXPECT_TRUE(help->pressEnter());
  EXPECT_TRUE(help->closed());

  // Esc goes through the hidden cancel button; with a callback it stays open.
  auto d = ModelDialog::create(kStructureHelpDialog);
  int cancels = 0;
  d->DLG_SET_CALLBACK(kIdCancel, [&](Dialog&, int, int) { ++cancels; });
  EXPECT_TRUE(d->pressEscape());
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(d->closed());
  // A push button with a callback does not close.
  d->DLG_SET_CALLBACK(kIdSaveStructure, [](Dialog&, int, int) {});
  EXPECT_TRUE(d->click(kIdSaveStructure));
  EXPECT_FALSE(d->closed());
}

TEST(ModelDialog, TextsLabelsAndHost) {
  EXPECT_EQ(ModelDialog::create(102), nullptr);
  EXPECT_THROW(ModelDialog{102}, std::invalid_argument);
  EXPECT_EQ(ModelDialog{kAboutDialog}.templateId(), kAboutDialog);
  auto d = ModelDialog::create(kMainDialog);
  EXPECT_EQ(d->label(1015), "Matrice inversa");
  EXPECT_FALSE(d->isVisible(kIdCancel));
  d->DLG_SET_LABEL(1015, "Matrice");
  d->DLG_SET_TEXT(1025, "/tmp/a.dat");
  EXPECT_EQ(d->label(1015), "Matrice");
  EXPECT_EQ(d->text(1025), "/tmp/a.dat");
  d->DLG_SET_TEXT(1025, "");
  EXPECT_EQ(d->text(1025), "");

  ModelDialogHost host;
  int seen = 0;
  host.onShow = [&](ModelDialog& shown) {
    ++seen;
    EXPECT_TRUE(shown.shown());
    EXPECT_FALSE(shown.closed());
  };
  auto about = host.DLG_INIT(kAboutDialog);
  ASSERT_TRUE(about);
  about->DLG_SET_TEXT(1029, "x");
  host.DLG_SHOW_MODAL(*about);
  EXPECT_EQ(seen, 1);
  EXPECT_TRUE(static_cast<ModelDialog&>(*about).closed()) << "a modal dialog returns closed";
  ASSERT_EQ(host.shownDialogs().size(), 1u);
  EXPECT_EQ(host.shownDialogs()[0].templateId, kAboutDialog);
  EXPECT_EQ(host.shownDialogs()[0].texts.at(1029), "x");
  EXPECT_EQ(host.DLG_INIT(999), nullptr);
}

}  // namespace
}  // namespace parvela
