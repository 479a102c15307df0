#include "ui/core/templates.h"

#include <array>

#include "ui/core/dialog.h"

namespace parvela {
namespace {

enum Flag : unsigned { kGroup = 1, kHidden = 2, kMulti = 4, kRO = 8 };

constexpr ControlTemplate ctl(int id, ControlKind kind, std::string_view label, int x, int y, int w,
                              int h, unsigned flags = 0) {
  return ControlTemplate{id,   kind, label, x, y, w, h, (flags & kGroup) != 0, (flags & kHidden) != 0,
                         (flags & kMulti) != 0, (flags & kRO) != 0};
}

using K = ControlKind;

constexpr ControlTemplate kMainControls[] = {
    ctl(1006, K::RadioButton, "Sistem", 9, 16, 33, 10, kGroup),
    ctl(1007, K::RadioButton, "Inversare matrice", 98, 16, 67, 10),
    ctl(1008, K::RadioButton, "Numar Conditie", 221, 15, 60, 10),
    ctl(1009, K::RadioButton, "Generala", 9, 70, 42, 10, kGroup),
    ctl(1010, K::RadioButton, "Simetrica", 9, 89, 45, 10),
    ctl(1011, K::CheckBox, "Inversare Coeficienti", 9, 108, 52, 17, kMulti),
    ctl(1012, K::RadioButton, "Fisier date", 85, 70, 45, 10, kGroup),
    ctl(1013, K::RadioButton, "Generata", 85, 89, 45, 10),
    ctl(1026, K::ListBox, "", 147, 70, 69, 55),
    ctl(1023, K::PushButton, "?", 199, 53, 17, 13),
    ctl(1015, K::CheckBox, "Matrice inversa", 9, 164, 61, 12),
    ctl(1016, K::CheckBox, "Determinant", 9, 183, 53, 12),
    ctl(1017, K::RadioButton, "Diferente maxime", 85, 164, 42, 17, kGroup),
    ctl(1018, K::RadioButton, "Fiecare ecuatie", 85, 184, 37, 17),
    ctl(1019, K::ListBox, "", 147, 164, 49, 45),
    ctl(1020, K::PushButton, "Selecteaza", 13, 262, 43, 16),
    ctl(1021, K::PushButton, "Deschide", 13, 289, 35, 16),
    ctl(1024, K::PushButton, "Citeste", 119, 287, 36, 18),
    ctl(30002, K::DefaultPushButton, "REZOLVA !", 227, 283, 52, 22),
    ctl(1022, K::PushButton, "?", 262, 241, 17, 13),
    ctl(30001, K::PushButton, "IESIRE", 236, 322, 50, 14),
    ctl(kNoId, K::GroupBox, "PROBLEMA", 3, 3, 283, 33),
    ctl(kNoId, K::GroupBox, "MATRICE", 3, 39, 283, 91),
    ctl(2, K::PushButton, "CANCEL", 3, 322, 50, 14, kHidden),
    ctl(kNoId, K::Label, "Tip", 9, 53, 17, 10),
    ctl(kNoId, K::Label, "Intrare", 85, 53, 21, 10),
    ctl(kNoId, K::GroupBox, "REZOLVARE", 3, 132, 283, 91),
    ctl(kNoId, K::Label, "Tiparire Date", 9, 146, 44, 11),
    ctl(kNoId, K::Label, "Verificare", 85, 146, 35, 11),
    ctl(kNoId, K::GroupBox, "FISIER Intrare / Iesire", 3, 227, 283, 85),
    ctl(kNoId, K::Label, "Metoda", 147, 146, 28, 11),
    ctl(1025, K::ReadOnlyEditBox, "", 4, 241, 251, 13, kRO),
    ctl(kNoId, K::Label, "Generare", 147, 53, 31, 10),
    ctl(1027, K::ReadOnlyEditBox, "", 155, 262, 18, 12, kRO),
    ctl(1028, K::ReadOnlyEditBox, "", 237, 262, 18, 12, kRO),
    ctl(kNoId, K::Label, "Ordin \"n\"", 119, 264, 31, 9),
    ctl(kNoId, K::Label, "Nr. Termeni liberi \"nb\"", 196, 259, 38, 16),
    ctl(kNoId, K::Label, ">>", 106, 292, 9, 10),
    ctl(kNoId, K::Label, ">>>", 209, 290, 14, 10),
    ctl(kNoId, K::Label, ">", 6, 265, 8, 10),
    ctl(1030, K::PushButton, "Despre", 119, 323, 33, 13),
    ctl(kNoId, K::Label, "Norma", 255, 53, 24, 10),
    ctl(1031, K::ListBox, "", 230, 70, 49, 36),
    ctl(1032, K::EditBox, "", 230, 164, 26, 12),
    ctl(1033, K::EditBox, "", 230, 184, 26, 12),
    ctl(1034, K::EditBox, "", 230, 204, 26, 12),
    ctl(kNoId, K::Label, "Eps", 260, 166, 12, 10),
    ctl(kNoId, K::Label, "Nlim", 260, 186, 14, 10),
    ctl(kNoId, K::Label, "Omega", 260, 206, 23, 10),
    ctl(1035, K::CentredSunkenLabel, "Gauss-Seidel", 212, 146, 44, 11),
    ctl(1029, K::PushButton, "?", 262, 144, 17, 13),
    ctl(1036, K::CheckBox, "Iteratii", 9, 203, 33, 13),
};

// The help and about boxes: their static texts are filled at run time.
constexpr ControlTemplate kStructureHelpControls[] = {
    ctl(1024, K::Label, "", 7, 7, 192, 97, kMulti),
    ctl(1025, K::Label, "", 7, 108, 192, 69, kMulti),
    ctl(1026, K::SunkenLabel, "", 7, 181, 192, 29, kMulti),
    ctl(1036, K::PushButton, "Salveaza in Fisier", 7, 216, 72, 14, kGroup),
    ctl(1, K::DefaultPushButton, "OK", 149, 216, 50, 14),
    ctl(2, K::PushButton, "Cancel", 90, 216, 50, 14, kHidden),
};

constexpr ControlTemplate kAboutControls[] = {
    ctl(kNoId, K::Icon, "", 10, 10, 21, 20),
    ctl(1029, K::Label, "", 42, 10, 118, 44, kMulti),
    ctl(1, K::DefaultPushButton, "OK", 60, 60, 50, 14, kGroup),
    ctl(2, K::PushButton, "Cancel", 110, 60, 50, 14, kHidden),
};

constexpr ControlTemplate kIterationHelpControls[] = {
    ctl(1038, K::Label, "", 7, 7, 230, 44, kMulti),
    ctl(1042, K::Label, "", 7, 55, 230, 28, kMulti),
    ctl(1040, K::Label, "", 7, 87, 230, 36, kMulti),
    ctl(1, K::DefaultPushButton, "OK", 97, 128, 50, 14, kGroup),
    ctl(2, K::PushButton, "Cancel", 187, 128, 50, 14, kHidden),
};

constexpr std::string_view kFont = "MS Sans Serif";

const std::array<DialogTemplateData, 4> kTemplates = {{
    {kMainDialog, "Parvela", kFont, 8, 40, 40, 290, 339, true, true, kMainControls},
    {kStructureHelpDialog, "Structura Fisierului de Date (Intrare/Iesire)", kFont, 8, 20, 20, 206, 238,
     false, false, kStructureHelpControls},
    {kAboutDialog, "ABOUT", kFont, 8, 40, 40, 170, 82, false, false, kAboutControls},
    {kIterationHelpDialog, "Parametri Gauss-Seidel si SOR", kFont, 8, 30, 30, 244, 150, false, false,
     kIterationHelpControls},
}};

}  // namespace

const DialogTemplateData* findTemplate(int templateId) {
  for (const auto& t : kTemplates)
    if (t.id == templateId) return &t;
  return nullptr;
}

const ControlTemplate* findControl(const DialogTemplateData& t, int controlId) {
  if (controlId == kNoId) return nullptr;
  for (const auto& c : t.controls)
    if (c.id == controlId) return &c;
  return nullptr;
}

std::vector<std::vector<int>> radioGroups(const DialogTemplateData& t) {
  std::vector<std::vector<int>> groups;
  bool open = false;  // the last group start began a group that holds radios
  for (const auto& c : t.controls) {
    if (c.groupStart) open = false;
    if (c.kind != ControlKind::RadioButton) continue;
    if (!open) {
      groups.emplace_back();
      open = true;
    }
    groups.back().push_back(c.id);
  }
  return groups;
}

bool isButtonKind(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton ||
         kind == ControlKind::RadioButton || kind == ControlKind::CheckBox;
}

bool isStaticKind(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::CentredSunkenLabel ||
         kind == ControlKind::SunkenLabel;
}

}  // namespace parvela
