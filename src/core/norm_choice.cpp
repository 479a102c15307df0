#include "core/norm_choice.h"

#include "core/problem_state.h"

namespace parvela {

std::string NORMA_CHAR(std::int32_t code) {
  const char* text = "Infinit  (Norma liniilor)";
  if (code == 1) text = "1  (Norma coloanelor)";
  else if (code == 2) text = "2  (Norma euclidiana)";
  else if (code == -1) text = "Cond(A)*";
  return fixedText(text, kNameLength);
}

std::string NORMA_CONTROL(std::int32_t code) {
  const char* text = "Infinit  (linii)";
  if (code == 1) text = "1  (coloane)";
  else if (code == 2) text = "2  (euclidiana)";
  else if (code == -1) text = "Cond(A)*";
  return fixedText(text, kNameLength);
}

std::int32_t normIndexForSelection(std::int32_t selection) {
  switch (selection) {
    case 1: return 0;
    case 2: return 1;
    case 3: return 2;
    case 4: return -1;
    default: return 0;
  }
}

}  // namespace parvela
