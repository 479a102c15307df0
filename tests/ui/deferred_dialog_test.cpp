// The stand-in the window's work uses: answers from a copy, changes only
// when applied, in order.
#include <gtest/gtest.h>

#include "ui/core/deferred_dialog.h"
#include "ui/core/model_dialog.h"
#include "ui/core/templates.h"

namespace parvela {
namespace {

TEST(DeferredDialog, AnswersFromItsCopyAndChangesTheWindowOnlyWhenApplied) {
  ModelDialog window(kMainDialog);
  window.DLG_ADD_ENTRY(kIdMethodList, "Gauss");
  window.DLG_ADD_ENTRY(kIdMethodList, "LU");
  window.select(kIdMethodList, 2);
  window.DLG_SET_STATE(kIdSymmetric, true);
  window.DLG_SET_TEXT(kIdEps, "1e-5");

  DeferredDialog standIn(window, window.dialogTemplate());
  EXPECT_EQ(standIn.DLG_GET_SELECTION(kIdMethodList), 2);
  EXPECT_TRUE(standIn.DLG_GET_STATE(kIdSymmetric));
  EXPECT_FALSE(standIn.DLG_GET_STATE(kIdGeneral));
  EXPECT_EQ(standIn.DLG_GET_TEXT(kIdEps, 10), "1e-5      ");
  EXPECT_EQ(standIn.DLG_GET_TEXT(9999, 3), "   ");  // no such control

  standIn.DLG_SET_TEXT(kIdOrder, "12 ");
  standIn.DLG_SET_ENABLED(kIdSolve, false);
  standIn.DLG_SET_ENABLED(kIdSolve, true);
  standIn.DLG_SET_STATE(kIdGeneral, true);
  standIn.DLG_CLEAR_SELECTION(kIdMethodList);
  // Its own answers follow its changes; the window has not changed yet.
  EXPECT_EQ(standIn.DLG_GET_TEXT(kIdOrder, 3), "12 ");
  EXPECT_TRUE(standIn.DLG_GET_STATE(kIdGeneral));
  EXPECT_EQ(standIn.DLG_GET_SELECTION(kIdMethodList), 0);
  EXPECT_EQ(window.text(kIdOrder), "");
  EXPECT_EQ(window.selection(kIdMethodList), 2);
  EXPECT_EQ(standIn.pendingChanges(), 5u);

  window.DLG_SET_ENABLED(kIdSolve, false);
  standIn.applyTo(window);
  EXPECT_EQ(window.text(kIdOrder), "12 ");
  EXPECT_TRUE(window.isEnabled(kIdSolve));  // the last of the two changes wins
  EXPECT_TRUE(window.state(kIdGeneral));
  EXPECT_FALSE(window.state(kIdSymmetric));  // its radio group
  EXPECT_EQ(window.selection(kIdMethodList), 0);
  EXPECT_EQ(standIn.pendingChanges(), 0u);
}

}  // namespace
}  // namespace parvela
