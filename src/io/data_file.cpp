#include "io/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>
#include <vector>

#include "core/large_pages.h"
#include "core/progress.h"

namespace parvela {

namespace {

constexpr std::size_t kChunk = 1 << 16;

struct ClosedAtEnd {
  int fd;
  ~ClosedAtEnd() {
    if (fd >= 0) ::close(fd);
  }
};

// A report's header begins with this line (after an empty one).
constexpr std::string_view kReportHeader = "Problema: ";
constexpr std::size_t kShownLines = 5;
constexpr std::size_t kShownWidth = 80;

// "o linie", "3 linii", "20 de linii".
std::string lineCount(std::size_t n) {
  if (n == 1) return "o linie";
  const std::size_t lastTwo = n % 100;
  return std::to_string(n) + (lastTwo == 0 || lastTwo >= 20 ? " de linii" : " linii");
}

}  // namespace

bool DataFile::select(const std::string& path) {
  deselect();
  if (path.empty()) return false;
  // An existing file is taken as it is; a missing one is created empty.
  // Neither open waits: a FIFO or a device is refused.
  int fd = openForReading(path);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd >= 0) {
      struct stat st {};
      if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
      }
    }
  }
  if (fd < 0) return false;
  ::close(fd);
  path_ = path;
  recovery_ = recoverInterruptedWrites(path);
  return true;
}

void DataFile::deselect() { *this = DataFile{}; }

bool DataFile::load() {
  dataEnd_ = 0;
  dataEndKnown_ = false;
  reportWritten_ = false;
  refKnown_ = false;
  loadError_ = LoadError::None;
  contents_.reset();
  if (!selected()) {
    loadError_ = LoadError::NotSelected;
    return false;
  }

  ClosedAtEnd f{openForReading(path_)};
  if (f.fd < 0) {
    loadError_ = errno == EINVAL ? LoadError::NotRegular : LoadError::IoError;
    return false;
  }
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) {
    loadError_ = LoadError::IoError;
    return false;
  }
  try {
    // One piece, sized to the file: the text is held once, never regrown.
    auto text = std::make_shared<std::string>();
    text->reserve(static_cast<std::size_t>(st.st_size));
    preferLargePages(text->data(), text->capacity());
    text->resize(static_cast<std::size_t>(st.st_size));
    const ssize_t got = readAt(f.fd, text->data(), text->size(), 0);
    if (got < 0) throw std::system_error(errno, std::generic_category());
    text->resize(static_cast<std::size_t>(got));
    // The file may have grown since fstat.
    char more[4096];
    for (;;) {
      const ssize_t r = readAt(f.fd, more, sizeof more, static_cast<off_t>(text->size()));
      if (r < 0) throw std::system_error(errno, std::generic_category());
      if (r == 0) break;
      text->append(more, static_cast<std::size_t>(r));
    }
    contents_ = std::move(text);
  } catch (const std::bad_alloc&) {
    loadError_ = LoadError::NoMemory;
    return false;
  } catch (const std::system_error&) {
    loadError_ = LoadError::IoError;
    return false;
  }
  // The file as read. One that changed while it was read is no reference:
  // a run then asks for another read.
  struct stat after {};
  refKnown_ = ::fstat(f.fd, &after) == 0 && stampOf(after) == stampOf(st) && contents_->size() == stampOf(st).size;
  refStamp_ = stampOf(after);
  refBase_ = contents_->size();
  refTail_ = Digest{};
  return true;
}

void DataFile::markDataEnd(std::size_t offset) {
  dataEnd_ = std::min(offset, contents().size());
  dataEndKnown_ = true;
  reportWritten_ = false;
  // The report takes the line ends of the data: those of the first data
  // line that has one.
  const std::string_view data = contents().substr(0, dataEnd_);
  const std::size_t lf = data.find('\n');
  crlf_ = lf != std::string_view::npos && lf > 0 && data[lf - 1] == '\r';
}

WriteStatus DataFile::compareWithReference(int fd, const struct stat& st) const {
  const FileStamp now = stampOf(st);
  if (!refKnown_ || now.size != refStamp_.size || now.mtimeSeconds != refStamp_.mtimeSeconds ||
      now.mtimeNanoseconds != refStamp_.mtimeNanoseconds || now.size != refBase_ + refTail_.length())
    return WriteStatus::Changed;
  // Every byte: those read, compared as they are, then those written since.
  const std::string_view expected = contents().substr(0, refBase_);
  std::vector<char> chunk(kChunk);
  for (std::size_t at = 0; at < expected.size();) {
    const std::size_t want = std::min(chunk.size(), expected.size() - at);
    const ssize_t got = readAt(fd, chunk.data(), want, static_cast<off_t>(at));
    if (got < 0) return WriteStatus::IoError;
    if (static_cast<std::size_t>(got) != want || std::memcmp(chunk.data(), expected.data() + at, want) != 0)
      return WriteStatus::Changed;
    at += want;
  }
  Digest tail;
  for (std::uint64_t at = refBase_; at < now.size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), now.size - at));
    const ssize_t got = readAt(fd, chunk.data(), want, static_cast<off_t>(at));
    if (got < 0) return WriteStatus::IoError;
    if (static_cast<std::size_t>(got) != want) return WriteStatus::Changed;
    tail.add(chunk.data(), want);
    at += want;
  }
  return tail == refTail_ ? WriteStatus::Ok : WriteStatus::Changed;
}

DataFile::WriteResult DataFile::checkUnchanged() const {
  if (!selected() || !dataEndKnown_) return WriteResult::NoData;
  ClosedAtEnd f{openForReading(path_)};
  struct stat st {};
  if (f.fd < 0 || ::fstat(f.fd, &st) != 0) return WriteResult::IoError;
  try {
    switch (compareWithReference(f.fd, st)) {
      case WriteStatus::Ok: break;
      case WriteStatus::Changed: return WriteResult::Changed;
      default: return WriteResult::IoError;
    }
  } catch (const std::bad_alloc&) {
    return WriteResult::NoMemory;
  }
  return mayWrite(path_) ? WriteResult::Ok : WriteResult::NotWritable;
}

DataFile::ForeignText DataFile::foreignText() const {
  ForeignText t;
  if (!dataEndKnown_ || reportWritten_) return t;
  std::string_view rest = contents().substr(dataEnd_);
  while (!rest.empty()) {
    const std::size_t eol = rest.find('\n');
    std::string_view line = rest.substr(0, eol);
    rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, kReportHeader.size()) == kReportHeader) break;
    if (line.find_first_not_of(" \t\r\f\v") == std::string_view::npos) continue;
    if (++t.lines <= kShownLines) t.first.emplace_back(line.substr(0, kShownWidth));
  }
  return t;
}

std::string DataFile::ForeignText::question() const {
  std::string text = "Dupa datele citite urmeaza " + lineCount(lines) + " de text care nu " +
                     (lines == 1 ? "face" : "fac") + " parte dintr-un raport:\n\n";
  for (const std::string& line : first) text += "    " + line + "\n";
  if (lines > first.size()) text += "    ...\n";
  text += "\nRaportul rularii " + std::string(lines == 1 ? "o inlocuieste" : "le inlocuieste") +
          ". Scrieti raportul?";
  return text;
}

std::string replacedTextNote(std::size_t lines) {
  return "raportul a inlocuit " + lineCount(lines) + " de text de dupa date care nu " +
         (lines == 1 ? "facea" : "faceau") + " parte dintr-un raport";
}

DataFile::WriteResult DataFile::writeReport(std::string_view report) {
  lastError_ = 0;
  replacedLines_ = 0;
  if (!selected() || !dataEndKnown_) return WriteResult::NoData;
  try {
    // The run's last stop point: from here on the report is written whole.
    checkpoint(Stage::ReportWrite, 0, static_cast<std::int64_t>(report.size()));

    const std::string_view eol = crlf_ ? "\r\n" : "\n";
    WriteRequest r;
    r.path = path_;
    r.mayCreate = false;
    r.text = report;
    r.crlf = crlf_;
    Digest tail = reportWritten_ ? refTail_ : Digest{};
    r.digest = &tail;
    if (!reportWritten_) {
      // The first report after a read replaces whatever follows the data.
      r.keep = dataEnd_;
      if (!report.empty() && dataEnd_ > 0 && contents()[dataEnd_ - 1] != '\n') r.lead = eol;
    } else {
      // Later reports append; the file may have lost its final line end.
      r.keep = static_cast<std::size_t>(refStamp_.size);
      if (!report.empty() && r.keep > 0 && lastByte_ != '\n') r.lead = eol;
    }
    r.check = [this](int fd, const struct stat& st) { return compareWithReference(fd, st); };
    const std::size_t foreign = foreignText().lines;

    const WriteOutcome o = guardedWrite(r);
    switch (o.status) {
      case WriteStatus::Ok: break;
      case WriteStatus::Changed: return WriteResult::Changed;
      case WriteStatus::NotWritable: return WriteResult::NotWritable;
      case WriteStatus::NoMemory: return WriteResult::NoMemory;
      default:
        lastError_ = o.error ? o.error : EIO;
        return WriteResult::IoError;
    }
    // The file as this report left it: the reference of the next one.
    if (!reportWritten_) {
      refBase_ = dataEnd_;
      lastByte_ = dataEnd_ > 0 ? contents()[dataEnd_ - 1] : '\n';
    }
    if (!report.empty()) lastByte_ = report.back();
    refTail_ = tail;
    refStamp_ = o.stamp;
    refKnown_ = true;
    reportWritten_ = true;
    replacedLines_ = foreign;
    // Written: the progress shows it, but nothing can stop it any more.
    if (WorkMonitor* m = currentMonitor()) {
      const auto total = static_cast<std::int64_t>(report.size());
      m->progress(Progress{Stage::ReportWrite, total, total});
    }
    return WriteResult::Ok;
  } catch (const std::bad_alloc&) {
    return WriteResult::NoMemory;
  }
}

DataFile& InputDataFile() {
  static DataFile file;
  return file;
}

}  // namespace parvela
