// The four norm choices of the condition number.
#pragma once

#include <cstdint>
#include <string>

namespace parvela {

// Report text of a norm code (33 characters, blank-padded): 0 "Infinit  (Norma
// liniilor)", 1 "1  (Norma coloanelor)", 2 "2  (Norma euclidiana)", -1 "Cond(A)*";
// any code above 2 gives the infinity-norm text.
std::string NORMA_CHAR(std::int32_t code);
// List text of a norm code (33 characters): "Infinit  (linii)", "1  (coloane)",
// "2  (euclidiana)", "Cond(A)*".
std::string NORMA_CONTROL(std::int32_t code);
// Norm code of an entry of the norm list: 1, 2, 3 -> 0, 1, 2; 4 -> -1; else 0.
std::int32_t normIndexForSelection(std::int32_t selection);

}  // namespace parvela
