#include "io/data_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/progress.h"

namespace parvela {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openFile(const std::string& path, const char* mode) { return File(std::fopen(path.c_str(), mode)); }

}  // namespace

bool DataFile::select(const std::string& path) {
  deselect();
  std::error_code ec;
  if (path.empty() || std::filesystem::is_directory(path, ec)) return false;
  // An existing file is taken as it is; a missing one is created empty.
  File f = openFile(path, "rb");
  if (!f) f = openFile(path, "ab");
  if (!f) return false;
  path_ = path;
  return true;
}

void DataFile::deselect() {
  path_.clear();
  contents_.clear();
  contents_.shrink_to_fit();
  dataEnd_ = 0;
  dataEndKnown_ = false;
  reportWritten_ = false;
  crlf_ = false;
}

bool DataFile::load() {
  dataEnd_ = 0;
  dataEndKnown_ = false;
  reportWritten_ = false;
  contents_.clear();
  if (!selected()) return false;

  File f = openFile(path_, "rb");
  if (!f) return false;
  char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) contents_.append(chunk, got);
  if (std::ferror(f.get())) {
    contents_.clear();
    return false;
  }
  return true;
}

void DataFile::markDataEnd(std::size_t offset) {
  dataEnd_ = std::min(offset, contents_.size());
  dataEndKnown_ = true;
  reportWritten_ = false;
  // The report takes the line ends of the data: those of the first data
  // line that has one.
  const std::string_view data(contents_.data(), dataEnd_);
  const std::size_t lf = data.find('\n');
  crlf_ = lf != std::string_view::npos && lf > 0 && data[lf - 1] == '\r';
}

DataFile::WriteResult DataFile::checkUnchanged() const {
  if (!selected() || !dataEndKnown_) return WriteResult::NoData;
  File f = openFile(path_, "rb");
  if (!f) return WriteResult::IoError;
  char chunk[1 << 16];
  std::size_t compared = 0;
  while (compared < dataEnd_) {
    const std::size_t want = std::min(sizeof chunk, dataEnd_ - compared);
    const std::size_t got = std::fread(chunk, 1, want, f.get());
    if (got == 0) return std::ferror(f.get()) ? WriteResult::IoError : WriteResult::Changed;
    if (std::memcmp(chunk, contents_.data() + compared, got) != 0) return WriteResult::Changed;
    compared += got;
  }
  return WriteResult::Ok;
}

DataFile::WriteResult DataFile::writeReport(std::string_view report) {
  const WriteResult check = checkUnchanged();
  if (check != WriteResult::Ok) return check;

  const char* eol = crlf_ ? "\r\n" : "\n";
  // The report with the data's line ends, made before the file is touched:
  // a stop while it is made leaves the file as it was.
  std::string body;
  body.reserve(report.size() + (crlf_ ? report.size() / 16 : 0));
  const std::int64_t total = static_cast<std::int64_t>(report.size());
  checkpoint(Stage::ReportWrite, 0, total);
  for (std::size_t k = 0; k < report.size(); ++k) {
    if (report[k] == '\n' && crlf_ && (k == 0 || report[k - 1] != '\r')) body += '\r';
    body += report[k];
    if ((k & 0xFFFFF) == 0xFFFFF) checkpoint(Stage::ReportWrite, static_cast<std::int64_t>(k + 1), total);
  }
  checkpoint(Stage::ReportWrite, total, total);
  std::string text;

  std::error_code ec;
  if (!reportWritten_) {
    // The first report after a read replaces whatever follows the data.
    std::filesystem::resize_file(path_, dataEnd_, ec);
    if (ec) return WriteResult::IoError;
    if (!report.empty() && dataEnd_ > 0 && contents_[dataEnd_ - 1] != '\n') text += eol;
  } else if (!report.empty()) {
    // Later reports append; the file may have lost its final line end.
    File f = openFile(path_, "rb");
    if (!f) return WriteResult::IoError;
    if (std::fseek(f.get(), -1, SEEK_END) == 0) {
      const int last = std::fgetc(f.get());
      if (last != EOF && last != '\n') text += eol;
    }
  }

  if (text.empty())
    text.swap(body);
  else
    text += body;

  File f = openFile(path_, "ab");
  if (!f) return WriteResult::IoError;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f.get()) != text.size())
    return WriteResult::IoError;
  if (std::fclose(f.release()) != 0) return WriteResult::IoError;
  reportWritten_ = true;
  return WriteResult::Ok;
}

DataFile& InputDataFile() {
  static DataFile file;
  return file;
}

}  // namespace parvela
