// The runs recorded in a data file: every report begins, after the data,
// with an empty line and its header, whose first line names the problem
// ("Problema: ..."). Later reports are appended after earlier ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace parvela {

class PagedFile;

struct ReportEntry {
  std::uint64_t offset = 0;  // the report's first byte (its leading empty line)
  std::size_t line = 0;      // the line of that byte
  std::string firstLine;     // "Problema: Sistem liniar"
  std::string method;        // "Gauss", "SOR", ... ("" for the condition number)
  std::uint64_t end = 0;     // one past the report's last byte
  // The list of runs names a report by its run of this session, as the
  // status and the plots do ("Rularea 3: Problema: Sistem liniar (SOR)"),
  // or, for one an earlier session wrote (`run` 0), by its place in the
  // file ("raportul 2 din fisier (anterior): Problema: ...").
  std::string title(std::size_t place, std::int32_t run) const;
};

// The reports after `dataEnd` (a byte offset), in file order. A header line
// counts only at the start of a line right after an empty one.
std::vector<ReportEntry> indexReports(PagedFile& file, std::uint64_t dataEnd);

}  // namespace parvela
