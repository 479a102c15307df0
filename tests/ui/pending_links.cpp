// Stand-ins for routines of other modules that this branch does not have
// yet (reader, report widths, data file, dispatcher, norm texts). Weak, so
// that the real ones win as soon as they are linked in. To be removed when
// those modules are merged.
#include <fstream>
#include <string>

#include "condition/norm_choice.h"
#include "core/dispatcher.h"
#include "io/data_file.h"
#include "io/reader.h"
#include "io/report.h"

namespace parvela {

#define PARVELA_WEAK __attribute__((weak))

PARVELA_WEAK void READINPUTFILE() {}

PARVELA_WEAK std::int32_t WIDTH(std::int32_t k) { return static_cast<std::int32_t>(std::to_string(k).size()); }

PARVELA_WEAK bool DataFile::select(const std::string& path) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::app);
  if (!f) return false;
  path_ = path;
  return true;
}
PARVELA_WEAK void DataFile::deselect() { path_.clear(); }
PARVELA_WEAK DataFile& InputDataFile() {
  static DataFile file;
  return file;
}

PARVELA_WEAK void PARVELAAPPLY(Dialog*, int, int) {}

PARVELA_WEAK std::string NORMA_CONTROL(std::int32_t code) {
  const char* t = code == 1 ? "1  (coloane)" : code == 2 ? "2  (euclidiana)" : code == -1 ? "Cond(A)*" : "Infinit  (linii)";
  std::string s(t);
  s.resize(33, ' ');
  return s;
}

}  // namespace parvela
