#include "ui/core/report_index.h"

#include <string_view>

#include "ui/core/paged_file.h"

namespace parvela {

namespace {

constexpr std::string_view kHeaderStart = "Problema: ";
constexpr std::string_view kMethodLine = "Metoda: ";
// The method line comes within the header's first lines.
constexpr std::size_t kHeaderLines = 12;

bool blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

std::string trimmedRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

}  // namespace

std::string ReportEntry::title(std::size_t place, std::int32_t run) const {
  std::string t = run > 0 ? "Rularea " + std::to_string(run) + ": " + firstLine
                          : "raportul " + std::to_string(place) + " din fisier (anterior): " + firstLine;
  if (!method.empty()) t += " (" + method + ")";
  return t;
}

std::vector<ReportEntry> indexReports(PagedFile& file, std::uint64_t dataEnd) {
  std::vector<ReportEntry> reports;
  const std::size_t lines = file.lineCount();
  if (lines == 0 || dataEnd >= file.size()) return reports;
  std::size_t i = file.lineAt(dataEnd);
  if (file.lineStart(i) < dataEnd) ++i;  // the data's last line had no line end

  bool previousEmpty = false;
  for (; i < lines; ++i) {
    const std::uint64_t begin = file.lineStart(i);
    const std::uint64_t end = i + 1 < lines ? file.lineStart(i + 1) : file.size();
    // Only a line's first bytes are needed to know it is not a header.
    std::string head = file.bytes(begin, std::min<std::uint64_t>(end, begin + kHeaderStart.size()));
    const bool isHeader = previousEmpty && head == kHeaderStart;
    if (!isHeader) {
      previousEmpty = end - begin <= 3 && blank(file.line(i));
      continue;
    }
    ReportEntry e;
    e.line = i - 1;
    e.offset = file.lineStart(i - 1);
    e.firstLine = trimmedRight(file.line(i));
    for (std::size_t k = i + 1; k < lines && k <= i + kHeaderLines; ++k) {
      const std::string l = file.line(k);
      if (l.rfind(kMethodLine, 0) == 0) {
        e.method = trimmedRight(l.substr(kMethodLine.size()));
        break;
      }
    }
    if (!reports.empty()) reports.back().end = e.offset;
    reports.push_back(std::move(e));
    previousEmpty = false;
  }
  if (!reports.empty()) reports.back().end = file.size();
  return reports;
}

}  // namespace parvela
