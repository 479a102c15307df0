// The dialog templates of the program as data: the main window (101), the
// file-structure help (103), the about box (104) and the iteration
// parameters help (105). Positions and sizes are in dialog units; controls
// are listed in template (tab) order.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace parvela {

// Controls without an identifier (group boxes, plain labels, the icon).
constexpr int kNoId = -1;

// Buttons shared by every dialog.
enum CommonControlId : int {
  kIdOk = 1,
  kIdCancel = 2,  // hidden; reached by Esc and by the close box
};

// Main window (template 101).
enum MainControlId : int {
  kIdSystem = 1006,           // radio "Sistem"
  kIdInverse = 1007,          // radio "Inversare matrice"
  kIdConditionNumber = 1008,  // radio "Numar Conditie"
  kIdGeneral = 1009,          // radio "Generala"
  kIdSymmetric = 1010,        // radio "Simetrica"
  kIdInvertElements = 1011,   // check "Inversare Coeficienti"
  kIdFromFile = 1012,         // radio "Fisier date"
  kIdGenerated = 1013,        // radio "Generata"
  kIdPrintMatrix = 1015,      // check "Matrice" / "Matrice inversa"
  kIdDeterminant = 1016,      // check "Determinant"
  kIdMaxDifferences = 1017,   // radio "Diferente maxime"
  kIdEachEquation = 1018,     // radio "Fiecare ecuatie"
  kIdMethodList = 1019,
  kIdSelect = 1020,           // "Selecteaza"
  kIdOpen = 1021,             // "Deschide"
  kIdFileHelp = 1022,         // "?" of the file group
  kIdGeneratorHelp = 1023,    // "?" of the generator list
  kIdRead = 1024,             // "Citeste"
  kIdFilePath = 1025,         // read-only edit: path of the data file
  kIdGeneratorList = 1026,
  kIdOrder = 1027,            // read-only edit: n
  kIdRhsCount = 1028,         // read-only edit: nb
  kIdIterationHelp = 1029,    // "?" of the iteration parameters
  kIdAbout = 1030,            // "Despre"
  kIdNormList = 1031,
  kIdEps = 1032,
  kIdNlim = 1033,
  kIdOmega = 1034,
  kIdMethodLabel = 1035,      // centred sunken label: the iterative method
  kIdIterations = 1036,       // check "Iteratii"
  kIdExit = 30001,            // "IESIRE"
  kIdSolve = 30002,           // default button "REZOLVA !"
};

// File-structure help (template 103).
enum StructureHelpControlId : int {
  kIdStructureUpper = 1024,
  kIdStructureMiddle = 1025,
  kIdStructureLower = 1026,
  kIdSaveStructure = 1036,  // "Salveaza in Fisier"
};

// About box (template 104).
enum AboutControlId : int {
  kIdAboutText = 1029,
};

// Iteration parameters help (template 105).
enum IterationHelpControlId : int {
  kIdEpsHelp = 1038,
  kIdNlimHelp = 1042,
  kIdOmegaHelp = 1040,
};

// Icon resource of the program (window icon, about box).
constexpr int kProgramIconResource = 102;

enum class ControlKind {
  RadioButton,
  CheckBox,
  PushButton,
  DefaultPushButton,
  ListBox,             // single selection, notifies, vertical scroll bar
  EditBox,
  ReadOnlyEditBox,
  Label,               // static text, left-aligned
  CentredSunkenLabel,  // static text, centred, sunken border
  SunkenLabel,         // static text, left-aligned, sunken border
  GroupBox,
  Icon,                // the program icon (kProgramIconResource)
};

struct ControlTemplate {
  int id;  // kNoId when the control has none
  ControlKind kind;
  std::string_view label;  // text of the template
  int x, y, width, height;
  bool groupStart;  // starts a group (radio buttons: a new exclusive group)
  bool hidden;
  bool multiLine;
  bool readOnly;
};

struct DialogTemplateData {
  int id;
  std::string_view caption;
  std::string_view fontName;
  int fontPointSize;
  int x, y, width, height;
  bool minimizeBox;    // main window only
  bool showInTaskBar;  // main window only
  std::span<const ControlTemplate> controls;
};

// The template of an id (101, 103, 104, 105); nullptr for any other.
const DialogTemplateData* findTemplate(int templateId);
// A control of a template by identifier; nullptr when absent (or kNoId).
const ControlTemplate* findControl(const DialogTemplateData& t, int controlId);
// The exclusive radio groups of a template, in template order: each group
// is the radio buttons from a group start up to the next group start.
std::vector<std::vector<int>> radioGroups(const DialogTemplateData& t);

bool isButtonKind(ControlKind kind);  // push, default push, radio, check
bool isStaticKind(ControlKind kind);  // the label kinds

}  // namespace parvela
