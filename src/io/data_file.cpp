#include "io/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "core/large_pages.h"

#include "core/progress.h"

namespace parvela {

// ---------------------------------------------------------------------------
// The write layer.

int WriteLayer::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t WriteLayer::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int WriteLayer::fsync(int fd) { return ::fsync(fd); }
int WriteLayer::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int WriteLayer::close(int fd) { return ::close(fd); }
int WriteLayer::rename(const char* from, const char* to) { return ::rename(from, to); }

namespace {

WriteLayer& systemLayer() {
  static WriteLayer layer;
  return layer;
}
WriteLayer* installedLayer = nullptr;
WriteLayer& layer() { return installedLayer ? *installedLayer : systemLayer(); }

constexpr std::size_t kChunk = 1 << 16;
constexpr int kNotRegular = -2;

// Opens a regular file without ever waiting: O_NONBLOCK keeps a FIFO or a
// device from blocking the open, and anything but a regular file is closed
// again at once. The descriptor, or -1 (errno set) / kNotRegular.
int openRegular(const std::string& path, int flags, mode_t mode = 0, WriteLayer* through = nullptr) {
  const int fd = through ? through->open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode)
                         : ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat st {};
  const bool statOk = ::fstat(fd, &st) == 0;
  if (!statOk || !S_ISREG(st.st_mode)) {
    const int saved = errno;
    if (through)
      through->close(fd);
    else
      ::close(fd);
    errno = saved;
    return statOk ? kNotRegular : -1;
  }
  // Regular files never block; clear the flag anyway so writes behave as usual.
  const int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  return fd;
}

class Fd {
 public:
  explicit Fd(int fd = -1, WriteLayer* via = nullptr) : fd_(fd), via_(via) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now; false when the close reports an error.
  bool close() {
    if (fd_ < 0) return true;
    const int r = via_ ? via_->close(fd_) : ::close(fd_);
    fd_ = -1;
    return r == 0;
  }
  void reset() { close(); }

 private:
  int fd_;
  WriteLayer* via_;
};

// Reads up to `size` bytes at `offset`; the count read (short only at the
// end of the file), -1 on error.
ssize_t readAt(int fd, char* data, std::size_t size, off_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t r = ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return static_cast<ssize_t>(done);
}

// Writes all of `size` bytes through the layer (short writes continue).
bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t w = layer().write(fd, data, size);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) {
      errno = ENOSPC;
      return false;
    }
    data += w;
    size -= static_cast<std::size_t>(w);
  }
  return true;
}

// Copies bytes [0, count) of `from` to the current position of `to`.
bool copyPrefix(int from, int to, std::size_t count, std::vector<char>& buffer) {
  std::size_t done = 0;
  while (done < count) {
    const std::size_t want = std::min(buffer.size(), count - done);
    const ssize_t got = readAt(from, buffer.data(), want, static_cast<off_t>(done));
    if (got != static_cast<ssize_t>(want)) return false;
    if (!writeAll(to, buffer.data(), want)) return false;
    done += want;
  }
  return true;
}

// Writes `lead`, then `report` with its '\n' line ends turned into CR LF
// when `crlf` (a '\n' already preceded by '\r' is left alone). The number
// of bytes written is added to `written`.
bool writeText(int fd, std::string_view lead, std::string_view report, bool crlf, std::vector<char>& buffer,
               std::size_t& written) {
  if (!writeAll(fd, lead.data(), lead.size())) return false;
  written += lead.size();
  if (!crlf) {
    if (!writeAll(fd, report.data(), report.size())) return false;
    written += report.size();
    return true;
  }
  std::size_t used = 0;
  for (std::size_t k = 0; k < report.size(); ++k) {
    if (used + 2 > buffer.size()) {
      if (!writeAll(fd, buffer.data(), used)) return false;
      written += used;
      used = 0;
    }
    if (report[k] == '\n' && (k == 0 || report[k - 1] != '\r')) buffer[used++] = '\r';
    buffer[used++] = report[k];
  }
  if (!writeAll(fd, buffer.data(), used)) return false;
  written += used;
  return true;
}

// A name for a temporary file beside `target` that no one else uses yet.
std::string temporaryName(const std::filesystem::path& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const auto now = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  const unsigned long long tag = (now ^ (static_cast<unsigned long long>(::getpid()) << 20)) +
                                 counter.fetch_add(1) * 7919ULL + attempt;
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "%012llx", tag & 0xffffffffffffULL);
  std::filesystem::path name = target;
  name.replace_filename("." + target.filename().string() + ".parvela-" + suffix);
  return name.string();
}

// Creates the temporary file; -1 with errno set when it cannot be made.
int createTemporary(const std::filesystem::path& target, std::string& name) {
  for (unsigned attempt = 0; attempt < 64; ++attempt) {
    name = temporaryName(target, attempt);
    const int fd = layer().open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

// Gives the new file the permission bits and, where allowed, the owner of
// the file it replaces. False when the permission bits cannot be set.
bool takeOverAttributes(int fd, const struct stat& old) {
  if (::fchmod(fd, old.st_mode & 07777) != 0) return false;
  if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not the owner: at least the group, when we belong to it.
      if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0) ::fchmod(fd, old.st_mode & 07777);
    } else {
      ::fchmod(fd, old.st_mode & 07777);  // chown may clear set-id bits
    }
  }
  return true;
}

void syncFolderOf(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The file a report for `path` goes into: the target of a symbolic link,
// `path` itself otherwise. Empty when a link cannot be resolved.
std::string writeTarget(const std::string& path) {
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode)) return path;
  std::error_code ec;
  std::filesystem::path real = std::filesystem::canonical(path, ec);
  if (ec) return {};
  return real.string();
}

}  // namespace

WriteLayer* setWriteLayer(WriteLayer* l) {
  WriteLayer* before = installedLayer;
  installedLayer = l;
  return before;
}

PathKind classifyPath(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return PathKind::Missing;
  return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::NotRegular;
}

bool copyFileAtomically(const std::string& from, const std::string& to, std::string& error) {
  try {
    Fd in(openRegular(from, O_RDONLY));
    if (in.get() == kNotRegular) {
      error = "not a regular file: " + from;
      return false;
    }
    if (!in.ok()) {
      error = std::strerror(errno);
      return false;
    }
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) {
      error = std::strerror(errno);
      return false;
    }
    const std::string target = writeTarget(to);
    if (target.empty()) {
      error = "cannot resolve the link " + to;
      return false;
    }
    if (classifyPath(target) == PathKind::NotRegular) {
      error = "not a regular file: " + to;
      return false;
    }
    std::string tmp;
    Fd out(createTemporary(target, tmp), &layer());
    if (!out.ok()) {
      error = std::strerror(errno);
      return false;
    }
    std::vector<char> buffer(kChunk);
    bool ok = ::fchmod(out.get(), st.st_mode & 07777) == 0 &&
              copyPrefix(in.get(), out.get(), static_cast<std::size_t>(st.st_size), buffer);
    int saved = errno;
    if (ok && layer().fsync(out.get()) != 0) ok = false, saved = errno;
    if (!out.close() && ok) ok = false, saved = errno;
    if (ok && layer().rename(tmp.c_str(), target.c_str()) != 0) ok = false, saved = errno;
    if (!ok) {
      ::unlink(tmp.c_str());
      error = std::strerror(saved ? saved : EIO);
      return false;
    }
    syncFolderOf(target);
    return true;
  } catch (const std::bad_alloc&) {
    error = "out of memory";
    return false;
  }
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  try {
    const std::string target = writeTarget(path);
    if (target.empty()) return false;
    struct stat st {};
    mode_t mode;
    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
      if (!S_ISREG(st.st_mode)) return false;
      mode = st.st_mode & 07777;
      exists = true;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    std::string tmp;
    Fd out(createTemporary(target, tmp), &layer());
    std::vector<char> buffer(kChunk);
    std::size_t written = 0;
    if (!out.ok()) {
      // A folder that takes no new file: an existing file is rewritten in place.
      if ((errno != EACCES && errno != EPERM) || !exists) return false;
      Fd again(openRegular(target, O_WRONLY | O_TRUNC, 0, &layer()), &layer());
      return again.ok() && writeText(again.get(), {}, bytes, false, buffer, written) &&
             layer().fsync(again.get()) == 0 && again.close();
    }
    bool ok = ::fchmod(out.get(), mode) == 0 && writeText(out.get(), {}, bytes, false, buffer, written) &&
              layer().fsync(out.get()) == 0;
    ok = out.close() && ok;
    if (ok) ok = layer().rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
      ::unlink(tmp.c_str());
      return false;
    }
    syncFolderOf(target);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// ---------------------------------------------------------------------------

bool DataFile::select(const std::string& path) {
  deselect();
  if (path.empty()) return false;
  // An existing file is taken as it is; a missing one is created empty.
  // Neither open waits: a FIFO or a device is refused.
  int fd = openRegular(path, O_RDONLY);
  if (fd == -1 && errno == ENOENT) fd = openRegular(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return false;
  ::close(fd);
  path_ = path;
  return true;
}

void DataFile::deselect() {
  path_.clear();
  contents_.reset();
  dataEnd_ = 0;
  dataEndKnown_ = false;
  reportWritten_ = false;
  crlf_ = false;
  loadError_ = LoadError::None;
}

bool DataFile::load() {
  dataEnd_ = 0;
  dataEndKnown_ = false;
  reportWritten_ = false;
  loadError_ = LoadError::None;
  contents_.reset();
  if (!selected()) {
    loadError_ = LoadError::NotSelected;
    return false;
  }

  Fd f(openRegular(path_, O_RDONLY));
  if (!f.ok()) {
    loadError_ = f.get() == kNotRegular ? LoadError::NotRegular : LoadError::IoError;
    return false;
  }
  struct stat st {};
  if (::fstat(f.get(), &st) != 0) {
    loadError_ = LoadError::IoError;
    return false;
  }
  try {
    // One piece, sized to the file: the text is held once, never regrown.
    auto text = std::make_shared<std::string>();
    text->reserve(static_cast<std::size_t>(st.st_size));
    preferLargePages(text->data(), text->capacity());
    text->resize(static_cast<std::size_t>(st.st_size));
    const ssize_t got = readAt(f.get(), text->data(), text->size(), 0);
    if (got < 0) throw std::system_error(errno, std::generic_category());
    text->resize(static_cast<std::size_t>(got));
    // The file may have grown since fstat.
    char more[4096];
    for (;;) {
      const ssize_t r = readAt(f.get(), more, sizeof more, static_cast<off_t>(text->size()));
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

namespace {

// Compares the first `count` bytes of the open file with `expected`.
DataFile::WriteResult compareStart(int fd, std::string_view expected) {
  char chunk[kChunk];
  std::size_t compared = 0;
  while (compared < expected.size()) {
    const std::size_t want = std::min(sizeof chunk, expected.size() - compared);
    const ssize_t got = readAt(fd, chunk, want, static_cast<off_t>(compared));
    if (got < 0) return DataFile::WriteResult::IoError;
    if (static_cast<std::size_t>(got) < want) return DataFile::WriteResult::Changed;
    if (std::memcmp(chunk, expected.data() + compared, want) != 0) return DataFile::WriteResult::Changed;
    compared += want;
  }
  return DataFile::WriteResult::Ok;
}

}  // namespace

DataFile::WriteResult DataFile::checkUnchanged() const {
  if (!selected() || !dataEndKnown_) return WriteResult::NoData;
  Fd f(openRegular(path_, O_RDONLY));
  if (!f.ok()) return WriteResult::IoError;
  return compareStart(f.get(), contents().substr(0, dataEnd_));
}

DataFile::WriteResult DataFile::writeReport(std::string_view report) {
  if (!selected() || !dataEndKnown_) return WriteResult::NoData;
  try {
    const std::string target = writeTarget(path_);
    if (target.empty()) return WriteResult::IoError;
    Fd old(openRegular(target, O_RDONLY));
    if (!old.ok()) return WriteResult::IoError;  // removed, or no longer a regular file
    struct stat st {};
    if (::fstat(old.get(), &st) != 0) return WriteResult::IoError;
    const WriteResult check = compareStart(old.get(), contents().substr(0, dataEnd_));
    if (check != WriteResult::Ok) return check;
    // The run's last stop point: from here on the report is written whole.
    checkpoint(Stage::ReportWrite, 0, static_cast<std::int64_t>(report.size()));

    const std::string_view eol = crlf_ ? "\r\n" : "\n";
    std::string_view lead;
    std::size_t keep = dataEnd_;
    if (!reportWritten_) {
      // The first report after a read replaces whatever follows the data.
      if (!report.empty() && dataEnd_ > 0 && contents()[dataEnd_ - 1] != '\n') lead = eol;
    } else {
      // Later reports append; the file may have lost its final line end.
      keep = static_cast<std::size_t>(st.st_size);
      if (!report.empty() && keep > 0) {
        char last = '\n';
        if (readAt(old.get(), &last, 1, static_cast<off_t>(keep - 1)) != 1) return WriteResult::IoError;
        if (last != '\n') lead = eol;
      }
    }

    // A file with other names (hard links) keeps them only when written
    // in place.
    bool inPlace = st.st_nlink > 1;
    WriteResult result = WriteResult::IoError;
    if (!inPlace) result = writeReplacing(target, old.get(), keep, lead, report, inPlace);
    if (inPlace) result = writeInPlace(target, old.get(), keep, lead, report);
    if (result == WriteResult::Ok) {
      reportWritten_ = true;
      // Written: the progress shows it, but nothing can stop it any more.
      if (WorkMonitor* m = currentMonitor()) {
        const auto total = static_cast<std::int64_t>(report.size());
        m->progress(Progress{Stage::ReportWrite, total, total});
      }
    }
    return result;
  } catch (const std::bad_alloc&) {
    return WriteResult::NoMemory;
  }
}

// The new file is written beside the old one, flushed to the disk and
// renamed over it: until the rename the old file is untouched, after it the
// new one is complete. `fallback` is set when no file can be created in the
// folder (no write permission there), the file then has to be written in
// place.
DataFile::WriteResult DataFile::writeReplacing(const std::string& target, int oldFd, std::size_t keep,
                                               std::string_view lead, std::string_view report,
                                               bool& fallback) {
  struct stat st {};
  if (::fstat(oldFd, &st) != 0) return WriteResult::IoError;
  std::string tmp;
  Fd out(createTemporary(target, tmp), &layer());
  if (!out.ok()) {
    fallback = errno == EACCES || errno == EPERM;
    return WriteResult::IoError;
  }
  struct Cleanup {
    const std::string& name;
    bool keepFile = false;
    ~Cleanup() {
      if (!keepFile) ::unlink(name.c_str());
    }
  } cleanup{tmp};

  if (!takeOverAttributes(out.get(), st)) {
    fallback = true;
    return WriteResult::IoError;
  }
  std::vector<char> buffer(kChunk);
  std::size_t written = 0;
  if (!copyPrefix(oldFd, out.get(), keep, buffer)) return WriteResult::IoError;
  if (!writeText(out.get(), lead, report, crlf_, buffer, written)) return WriteResult::IoError;
  if (layer().fsync(out.get()) != 0) return WriteResult::IoError;
  if (!out.close()) return WriteResult::IoError;
  if (layer().rename(tmp.c_str(), target.c_str()) != 0) {
    // A rename the folder refuses (a sticky folder, say) leaves the in-place write.
    fallback = errno == EACCES || errno == EPERM;
    return WriteResult::IoError;
  }
  cleanup.keepFile = true;
  syncFolderOf(target);
  return WriteResult::Ok;
}

// Where no new file can take the old one's place: the bytes the report
// replaces are kept in memory, the report is written over them, and on any
// failure they are written back.
DataFile::WriteResult DataFile::writeInPlace(const std::string& target, int oldFd, std::size_t keep,
                                             std::string_view lead, std::string_view report) {
  struct stat st {};
  if (::fstat(oldFd, &st) != 0) return WriteResult::IoError;
  const std::size_t oldSize = static_cast<std::size_t>(st.st_size);
  std::string saved(oldSize > keep ? oldSize - keep : 0, '\0');
  if (!saved.empty() &&
      readAt(oldFd, saved.data(), saved.size(), static_cast<off_t>(keep)) != static_cast<ssize_t>(saved.size()))
    return WriteResult::IoError;
  std::vector<char> buffer(kChunk);

  Fd out(openRegular(target, O_WRONLY, 0, &layer()), &layer());
  if (!out.ok()) return WriteResult::IoError;
  if (::lseek(out.get(), static_cast<off_t>(keep), SEEK_SET) < 0) return WriteResult::IoError;
  std::size_t written = 0;
  const bool ok = writeText(out.get(), lead, report, crlf_, buffer, written) &&
                  layer().ftruncate(out.get(), static_cast<off_t>(keep + written)) == 0 &&
                  layer().fsync(out.get()) == 0;
  if (ok && out.close()) return WriteResult::Ok;

  // Put the old bytes back. The descriptor may be closed already.
  if (!out.ok()) {
    Fd again(openRegular(target, O_WRONLY, 0, &layer()), &layer());
    if (!again.ok()) return WriteResult::IoError;
    if (::lseek(again.get(), static_cast<off_t>(keep), SEEK_SET) >= 0 &&
        writeAll(again.get(), saved.data(), saved.size()))
      layer().ftruncate(again.get(), static_cast<off_t>(oldSize));
    layer().fsync(again.get());
    return WriteResult::IoError;
  }
  if (::lseek(out.get(), static_cast<off_t>(keep), SEEK_SET) >= 0 && writeAll(out.get(), saved.data(), saved.size()))
    layer().ftruncate(out.get(), static_cast<off_t>(oldSize));
  layer().fsync(out.get());
  return WriteResult::IoError;
}

DataFile& InputDataFile() {
  static DataFile file;
  return file;
}

}  // namespace parvela
