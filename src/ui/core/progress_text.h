// What the work is doing, in words, for the window's progress panel and
// the batch front end's progress line.
#pragma once

#include <string>

#include "core/progress.h"

namespace parvela {

// "Eliminare: coloana 12 din 1500", "Iteratia 7 din 100, max|x - x_ant| = 1.2E-03", ...
std::string progressText(const Progress& p);

// The fraction done, 0..1, or a negative value when the amount of work is
// not known in advance.
double progressFraction(const Progress& p);

// Elapsed time as the window shows it: "0,4 s", "12,0 s", "2 min 05 s".
std::string elapsedText(double seconds);

}  // namespace parvela
