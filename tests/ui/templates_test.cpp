#include <gtest/gtest.h>

#include <set>

#include "ui/core/dialog.h"
#include "ui/core/templates.h"

namespace parvela {
namespace {

TEST(Templates, MainWindowFrameAndControlOrder) {
  const DialogTemplateData* t = findTemplate(kMainDialog);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->caption, "Parvela");
  EXPECT_EQ(t->fontName, "MS Sans Serif");
  EXPECT_EQ(t->fontPointSize, 8);
  EXPECT_EQ(std::tie(t->x, t->y, t->width, t->height), std::make_tuple(40, 40, 290, 339));
  EXPECT_TRUE(t->minimizeBox);
  EXPECT_TRUE(t->showInTaskBar);
  ASSERT_EQ(t->controls.size(), 52u);

  // Template order of the controls with an identifier.
  std::vector<int> ids;
  for (const auto& c : t->controls)
    if (c.id != kNoId) ids.push_back(c.id);
  const std::vector<int> expected = {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1026, 1023, 1015,
                                     1016, 1017, 1018, 1019, 1020, 1021, 1024, 30002, 1022, 30001, 2,
                                     1025, 1027, 1028, 1030, 1031, 1032, 1033, 1034, 1035, 1029, 1036};
  EXPECT_EQ(ids, expected);

  const ControlTemplate* solve = findControl(*t, kIdSolve);
  ASSERT_NE(solve, nullptr);
  EXPECT_EQ(solve->kind, ControlKind::DefaultPushButton);
  const ControlTemplate* cancel = findControl(*t, kIdCancel);
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(cancel->hidden);
  EXPECT_TRUE(findControl(*t, kIdInvertElements)->multiLine);
  EXPECT_TRUE(findControl(*t, kIdFilePath)->readOnly);
  EXPECT_EQ(findControl(*t, kIdFilePath)->kind, ControlKind::ReadOnlyEditBox);
  EXPECT_FALSE(findControl(*t, kIdEps)->readOnly);
  EXPECT_EQ(findControl(*t, kIdMethodLabel)->kind, ControlKind::CentredSunkenLabel);

  // Labels without identifier, with their quotes.
  std::set<std::string_view> labels;
  for (const auto& c : t->controls)
    if (c.id == kNoId) labels.insert(c.label);
  EXPECT_TRUE(labels.count("Ordin \"n\""));
  EXPECT_TRUE(labels.count("Nr. Termeni liberi \"nb\""));
}

TEST(Templates, RadioGroupsFollowTheGroupStarts) {
  const auto groups = radioGroups(*findTemplate(kMainDialog));
  const std::vector<std::vector<int>> expected = {
      {1006, 1007, 1008}, {1009, 1010}, {1012, 1013}, {1017, 1018}};
  EXPECT_EQ(groups, expected);
}

TEST(Templates, HelpAndAboutBoxes) {
  struct Expect {
    int id;
    std::string_view caption;
    std::vector<int> texts;
  };
  for (const auto& e : {Expect{103, "Structura Fisierului de Date (Intrare/Iesire)", {1024, 1025, 1026}},
                        Expect{104, "ABOUT", {1029}},
                        Expect{105, "Parametri Gauss-Seidel si SOR", {1038, 1042, 1040}}}) {
    SCOPED_TRACE(e.id);
    const DialogTemplateData* t = findTemplate(e.id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, e.caption);
    EXPECT_EQ(t->fontName, "MS Sans Serif");
    for (int id : e.texts) ASSERT_NE(findControl(*t, id), nullptr) << id;
    ASSERT_NE(findControl(*t, kIdOk), nullptr);
    EXPECT_FALSE(findControl(*t, kIdOk)->hidden);
    ASSERT_NE(findControl(*t, kIdCancel), nullptr);
    EXPECT_TRUE(findControl(*t, kIdCancel)->hidden);
    // Every control lies inside the dialog, identifiers are unique.
    std::set<int> seen;
    for (const auto& c : t->controls) {
      EXPECT_LE(c.x + c.width, t->width);
      EXPECT_LE(c.y + c.height, t->height);
      if (c.id != kNoId) {
        EXPECT_TRUE(seen.insert(c.id).second) << c.id;
      }
    }
  }
  const DialogTemplateData* help = findTemplate(103);
  EXPECT_EQ(findControl(*help, kIdSaveStructure)->label, "Salveaza in Fisier");
  EXPECT_EQ(findControl(*help, kIdStructureLower)->kind, ControlKind::SunkenLabel);
  bool icon = false;
  for (const auto& c : findTemplate(104)->controls) icon |= c.kind == ControlKind::Icon;
  EXPECT_TRUE(icon);
  EXPECT_EQ(findTemplate(102), nullptr);
}

}  // namespace
}  // namespace parvela
