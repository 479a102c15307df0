#include "io/file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

namespace parvela {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The write layer.

int WriteLayer::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t WriteLayer::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int WriteLayer::fsync(int fd) { return ::fsync(fd); }
int WriteLayer::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int WriteLayer::close(int fd) { return ::close(fd); }
int WriteLayer::rename(const char* from, const char* to) { return ::rename(from, to); }
int WriteLayer::renameNoReplace(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without the flag: a hard link refuses an existing name too.
  if (::link(from, to) != 0) return -1;
  ::unlink(from);
  return 0;
}
int WriteLayer::unlink(const char* path) { return ::unlink(path); }

namespace {

WriteLayer& systemLayer() {
  static WriteLayer layer;
  return layer;
}
WriteLayer* installedLayer = nullptr;
WriteLayer& layer() { return installedLayer ? *installedLayer : systemLayer(); }

constexpr std::size_t kChunk = 1 << 16;
constexpr int kNotRegular = -2;
constexpr int kLockWaitMs = 5000;

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
  ~Fd() { close(); }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now; false when the close reports an error.
  bool close() {
    if (fd_ < 0) return true;
    const int r = via_ ? via_->close(fd_) : ::close(fd_);
    fd_ = -1;
    return r == 0;
  }
  void reset(int fd, WriteLayer* via = nullptr) {
    close();
    fd_ = fd;
    via_ = via;
  }

 private:
  int fd_;
  WriteLayer* via_;
};

// Removes a file of ours at the end of the scope unless told to keep it.
struct RemoveUnlessKept {
  std::string name;
  bool keep = false;
  ~RemoveUnlessKept() {
    if (!keep && !name.empty()) layer().unlink(name.c_str());
  }
};

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
    if (got != static_cast<ssize_t>(want)) {
      if (got >= 0) errno = EIO;
      return false;
    }
    if (!writeAll(to, buffer.data(), want)) return false;
    done += want;
  }
  return true;
}

// The digest of bytes [from, from + count) of an open file; false on a
// read error or a file shorter than that.
bool digestOf(int fd, std::uint64_t from, std::uint64_t count, Digest& d) {
  std::vector<char> buffer(kChunk);
  for (std::uint64_t done = 0; done < count;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), count - done));
    if (readAt(fd, buffer.data(), want, static_cast<off_t>(from + done)) != static_cast<ssize_t>(want)) return false;
    d.add(buffer.data(), want);
    done += want;
  }
  return true;
}

// Writes `lead`, then `text` with its '\n' line ends turned into CR LF when
// `crlf` (a '\n' already preceded by '\r' is left alone), feeding `digest`.
// The number of bytes written is added to `written`.
bool writeText(int fd, std::string_view lead, std::string_view text, bool crlf, std::vector<char>& buffer,
               std::size_t& written, Digest& digest) {
  if (!writeAll(fd, lead.data(), lead.size())) return false;
  digest.add(lead);
  written += lead.size();
  if (!crlf) {
    if (!writeAll(fd, text.data(), text.size())) return false;
    digest.add(text);
    written += text.size();
    return true;
  }
  std::size_t used = 0;
  auto flush = [&] {
    if (!writeAll(fd, buffer.data(), used)) return false;
    digest.add(buffer.data(), used);
    written += used;
    used = 0;
    return true;
  };
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (used + 2 > buffer.size() && !flush()) return false;
    if (text[k] == '\n' && (k == 0 || text[k - 1] != '\r')) buffer[used++] = '\r';
    buffer[used++] = text[k];
  }
  return flush();
}

std::string folderOf(const std::string& path) {
  fs::path dir = fs::path(path).parent_path();
  return dir.empty() ? std::string(".") : dir.string();
}

void syncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string hex(std::uint64_t v, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(v));
  return text;
}

// The short name every temporary file and journal of `target` starts with:
// a digest of its absolute path (its folder resolved).
std::string leftoverPrefix(const std::string& target) {
  std::error_code ec;
  const fs::path p(target);
  fs::path dir = fs::canonical(folderOf(target), ec);
  if (ec) dir = fs::absolute(folderOf(target), ec);
  Digest d;
  d.add((dir / p.filename()).string());
  return ".parvela-" + hex(d.value(), 16) + "-";
}

std::string uniqueTag(unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return hex((now * 0x9e3779b97f4a7c15ull + counter.fetch_add(1) * 7919u + attempt) & 0xffffffu, 6);
}

// Creates a new file of ours beside `target` (or in `dir`), named after it:
// PREFIX PID-TAG SUFFIX. -1 with errno set when none can be made.
int createLeftoverFile(const std::string& dir, const std::string& target, const char* suffix, mode_t mode,
                       std::string& name) {
  const std::string stem = leftoverPrefix(target) + std::to_string(::getpid()) + "-";
  for (unsigned attempt = 0; attempt < 64; ++attempt) {
    name = (fs::path(dir) / (stem + uniqueTag(attempt) + suffix)).string();
    const int fd = layer().open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

// Whether the process that made a leftover file at `made` may still be
// writing: it runs and started before the file was made (a process that
// started later only got the same number).
bool writerAlive(pid_t pid, std::int64_t made) {
  if (pid <= 0) return false;
  if (pid == ::getpid()) return true;
  if (::kill(pid, 0) != 0 && errno == ESRCH) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return true;
  // Fields after the name: state is the 3rd of the line, start time the 22nd.
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  unsigned long long startTicks = 0;
  for (int k = 3; k <= 22 && fields >> field; ++k)
    if (k == 22) startTicks = std::strtoull(field.c_str(), nullptr, 10);
  std::ifstream procStat("/proc/stat");
  std::string key;
  long long boot = -1;
  while (procStat >> key) {
    if (key == "btime") {
      procStat >> boot;
      break;
    }
  }
  const long ticks = ::sysconf(_SC_CLK_TCK);
  if (boot < 0 || ticks <= 0 || startTicks == 0) return true;
  const long long started = boot + static_cast<long long>(startTicks / static_cast<unsigned long long>(ticks));
  return started <= made + 1;
}

// Waits a few seconds at most for the lock of `fd`. File systems without
// locks let the write go on unlocked.
bool waitLock(int fd) {
  for (int waited = 0;; waited += 20) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) return true;
    if (errno != EWOULDBLOCK || waited >= kLockWaitMs) return false;
    ::usleep(20000);
  }
}

// Locks the open file `fd` of `target`, then makes sure the path still
// names it: a writer that renamed a new file over it meanwhile leaves the
// lock on the old one, so the new one is opened and locked instead. False
// with errno set.
bool lockTarget(const std::string& target, Fd& fd, struct stat& st) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    if (!waitLock(fd.get())) return false;
    if (::fstat(fd.get(), &st) != 0) return false;
    struct stat now {};
    if (::lstat(target.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino) return true;
    const int f = openRegular(target, O_RDONLY | O_NOFOLLOW);
    if (f < 0) {
      if (f == kNotRegular || errno == ELOOP) errno = EINVAL;
      return false;
    }
    fd.reset(f);
  }
  errno = EBUSY;
  return false;
}

// The path the kernel opened for `fd`.
std::string openedPath(int fd, const std::string& fallback) {
  char buf[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
  if (n > 0 && buf[0] == '/') return std::string(buf, static_cast<std::size_t>(n));
  std::error_code ec;
  const fs::path real = fs::canonical(fallback, ec);
  return ec ? std::string() : real.string();
}

// The file a write of `path` goes to: `path` itself, or the target of a
// link at `path`, opened by the kernel (whose link protections apply).
// `fd` is left open for reading, or closed when the file does not exist.
WriteStatus resolveTarget(const std::string& path, bool followLink, std::string& target, Fd& fd, int& error) {
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) != 0) {
    error = errno;
    if (errno != ENOENT) return WriteStatus::IoError;
    target = path;
    return WriteStatus::Ok;
  }
  const bool link = S_ISLNK(lst.st_mode);
  if (link && !followLink) return WriteStatus::Link;
  const int f = openRegular(path, O_RDONLY | (followLink ? 0 : O_NOFOLLOW));
  if (f < 0) {
    error = f == kNotRegular ? EINVAL : errno;
    if (!followLink && errno == ELOOP) return WriteStatus::Link;
    return WriteStatus::IoError;
  }
  fd.reset(f);
  target = link ? openedPath(f, path) : path;
  if (target.empty()) {
    error = ENOENT;
    return WriteStatus::IoError;
  }
  return WriteStatus::Ok;
}

// The same file, not written to since `then`.
bool unchangedSince(const struct stat& now, const struct stat& then) {
  return now.st_dev == then.st_dev && now.st_ino == then.st_ino && now.st_size == then.st_size &&
         now.st_mtim.tv_sec == then.st_mtim.tv_sec && now.st_mtim.tv_nsec == then.st_mtim.tv_nsec &&
         now.st_ctim.tv_sec == then.st_ctim.tv_sec && now.st_ctim.tv_nsec == then.st_ctim.tv_nsec;
}

// The names of the extended attributes of an open file ('\0'-separated);
// false on an error other than "not supported".
bool attributeNames(int fd, std::vector<char>& names) {
  for (;;) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) {
      names.clear();
      return errno == ENOTSUP;
    }
    names.resize(static_cast<std::size_t>(size));
    const ssize_t got = size == 0 ? 0 : ::flistxattr(fd, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

bool hasName(const std::vector<char>& names, const char* name) {
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1)
    if (std::strcmp(names.data() + at, name) == 0) return true;
  return false;
}

// Gives `to` exactly the extended attributes of `from` (ACLs are stored
// as such attributes).
bool copyAttributes(int from, int to) {
  std::vector<char> wanted, present, value;
  if (!attributeNames(from, wanted) || !attributeNames(to, present)) return false;
  for (std::size_t at = 0; at < present.size(); at += std::strlen(present.data() + at) + 1)
    if (!hasName(wanted, present.data() + at) && ::fremovexattr(to, present.data() + at) != 0) return false;
  for (std::size_t at = 0; at < wanted.size(); at += std::strlen(wanted.data() + at) + 1) {
    const char* name = wanted.data() + at;
    ssize_t size;
    for (;;) {
      size = ::fgetxattr(from, name, nullptr, 0);
      if (size < 0) return false;
      value.resize(static_cast<std::size_t>(size));
      size = size == 0 ? 0 : ::fgetxattr(from, name, value.data(), value.size());
      if (size >= 0 || errno != ERANGE) break;
    }
    if (size < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) != 0) return false;
  }
  return true;
}

// Gives the new file the owner, group, extended attributes and permission
// bits of the old one. False when any of them cannot be had.
bool takeOverAttributes(int fd, int oldFd, const struct stat& old) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return false;
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
    return false;
  if (!copyAttributes(oldFd, fd)) return false;
  if (::fchmod(fd, old.st_mode & 07777) != 0 || ::fstat(fd, &now) != 0) return false;
  return now.st_uid == old.st_uid && now.st_gid == old.st_gid && (now.st_mode & 07777) == (old.st_mode & 07777);
}

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

// ---------------------------------------------------------------------------
// The journal of an in-place write:
//   "PARVELA JOURNAL 1\n", then seven 64-bit numbers: device, inode, the
//   offset of the first replaced byte, the old size, the digest of the bytes
//   before the offset, the length of the path, the number of saved bytes;
//   the path; the saved bytes; a digest of everything before it.

constexpr std::string_view kJournalMagic = "PARVELA JOURNAL 1\n";
constexpr int kJournalNumbers = 7;

struct Journal {
  std::uint64_t device = 0, inode = 0, offset = 0, oldSize = 0, prefix = 0;
  std::string path;
  std::string saved;
};

std::string encodeJournal(const Journal& j) {
  std::string bytes(kJournalMagic);
  const std::uint64_t numbers[kJournalNumbers] = {j.device, j.inode, j.offset, j.oldSize, j.prefix,
                                                   j.path.size(), j.saved.size()};
  bytes.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
  bytes += j.path;
  bytes += j.saved;
  Digest d;
  d.add(bytes);
  const std::uint64_t check = d.value();
  bytes.append(reinterpret_cast<const char*>(&check), sizeof check);
  return bytes;
}

// False for a journal that is not complete (its writer died while making
// it: the file was not touched yet).
bool decodeJournal(std::string_view bytes, Journal& j) {
  constexpr std::size_t head = kJournalMagic.size() + kJournalNumbers * 8;
  if (bytes.size() < head + 8 || bytes.substr(0, kJournalMagic.size()) != kJournalMagic) return false;
  std::uint64_t numbers[kJournalNumbers];
  std::memcpy(numbers, bytes.data() + kJournalMagic.size(), sizeof numbers);
  if (numbers[5] > bytes.size() || numbers[6] > bytes.size() || head + numbers[5] + numbers[6] + 8 != bytes.size())
    return false;
  Digest d;
  d.add(bytes.substr(0, bytes.size() - 8));
  std::uint64_t check = 0;
  std::memcpy(&check, bytes.data() + bytes.size() - 8, 8);
  if (check != d.value()) return false;
  j.device = numbers[0];
  j.inode = numbers[1];
  j.offset = numbers[2];
  j.oldSize = numbers[3];
  j.prefix = numbers[4];
  j.path.assign(bytes.substr(head, numbers[5]));
  j.saved.assign(bytes.substr(head + numbers[5], numbers[6]));
  return true;
}

// Writes the journal beside `target` where its folder takes a new file,
// else in the journal folder, and flushes it to the disk. Its name, or
// empty (errno set).
std::string writeJournal(const std::string& target, const Journal& j) {
  const std::string bytes = encodeJournal(j);
  std::string dirs[2] = {folderOf(target), journalFolder()};
  for (const std::string& dir : dirs) {
    if (dir.empty()) continue;
    if (&dir == &dirs[1]) {
      std::error_code ec;
      if (fs::create_directories(dir, ec)) ::chmod(dir.c_str(), 0700);
    }
    std::string name;
    Fd out(createLeftoverFile(dir, target, ".jnl", 0600, name), &layer());
    if (!out.ok()) {
      if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENAMETOOLONG || errno == ENOENT) continue;
      return {};
    }
    RemoveUnlessKept cleanup{name};
    if (!writeAll(out.get(), bytes.data(), bytes.size()) || layer().fsync(out.get()) != 0 || !out.close())
      return {};
    syncFolder(dir);
    cleanup.keep = true;
    return name;
  }
  return {};
}

void removeJournal(const std::string& name) {
  if (layer().unlink(name.c_str()) == 0) syncFolder(folderOf(name));
}

// Puts the saved bytes back at their offset and cuts the file to its old
// size (on an open descriptor, for writing).
bool putBack(int fd, std::uint64_t offset, std::string_view saved, std::uint64_t oldSize) {
  return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0 && writeAll(fd, saved.data(), saved.size()) &&
         layer().ftruncate(fd, static_cast<off_t>(oldSize)) == 0 && layer().fsync(fd) == 0;
}

// ---------------------------------------------------------------------------

WriteOutcome failed(WriteStatus s, int error = 0) { return WriteOutcome{s, error, {}}; }

// A new file: written under a temporary name, then given its name only
// where the name is still free.
WriteOutcome createNew(const WriteRequest& r, const std::string& target) {
  if (!r.mayCreate) return failed(WriteStatus::IoError, ENOENT);
  std::string tmp;
  Fd out(createLeftoverFile(folderOf(target), target, ".tmp", r.newMode, tmp), &layer());
  if (!out.ok()) return failed(WriteStatus::IoError, errno);
  RemoveUnlessKept cleanup{tmp};
  std::vector<char> buffer(kChunk);
  std::size_t written = 0;
  Digest d = r.digest ? *r.digest : Digest{};
  struct stat st {};
  if (!writeText(out.get(), r.lead, r.text, r.crlf, buffer, written, d) || layer().fsync(out.get()) != 0 ||
      ::fstat(out.get(), &st) != 0 || !out.close())
    return failed(WriteStatus::IoError, errno);
  if (layer().renameNoReplace(tmp.c_str(), target.c_str()) != 0)
    return errno == EEXIST ? failed(WriteStatus::Exists) : failed(WriteStatus::IoError, errno);
  cleanup.keep = true;
  syncFolder(folderOf(target));
  if (r.digest) *r.digest = d;
  return WriteOutcome{WriteStatus::Ok, 0, stampOf(st)};
}

// The new content beside the old file, flushed and renamed over it: until
// the rename the old file is untouched, after it the new one is complete.
// `inPlace` is set where the file has to be written in place instead.
WriteOutcome replaceByRename(const WriteRequest& r, const std::string& target, int oldFd, const struct stat& old,
                             bool& inPlace) {
  std::string tmp;
  Fd out(createLeftoverFile(folderOf(target), target, ".tmp", r.keepAttributes ? 0600 : r.newMode, tmp), &layer());
  if (!out.ok()) {
    const int e = errno;
    inPlace = e == EACCES || e == EPERM || e == ENAMETOOLONG;
    return failed(WriteStatus::IoError, e);
  }
  RemoveUnlessKept cleanup{tmp};
  // A new file of another user's cannot be made: that file is written in place.
  if (r.keepAttributes ? !takeOverAttributes(out.get(), oldFd, old) : old.st_uid != ::geteuid()) {
    inPlace = true;
    return failed(WriteStatus::IoError, EPERM);
  }
  std::vector<char> buffer(kChunk);
  std::size_t written = 0;
  Digest d = r.digest ? *r.digest : Digest{};
  struct stat st {};
  if (!copyPrefix(oldFd, out.get(), r.keep, buffer) ||
      !writeText(out.get(), r.lead, r.text, r.crlf, buffer, written, d) || layer().fsync(out.get()) != 0 ||
      ::fstat(out.get(), &st) != 0 || !out.close())
    return failed(WriteStatus::IoError, errno);
  // Immediately before the rename: still the file that was checked.
  struct stat now {};
  if (::lstat(target.c_str(), &now) != 0 || !unchangedSince(now, old)) return failed(WriteStatus::Changed);
  if (layer().rename(tmp.c_str(), target.c_str()) != 0) {
    const int e = errno;
    // A rename the folder or the mount refuses (a sticky folder, a file
    // mounted on its own) leaves the in-place write.
    inPlace = e == EACCES || e == EPERM || e == EBUSY || e == EXDEV;
    return failed(WriteStatus::IoError, e);
  }
  cleanup.keep = true;
  syncFolder(folderOf(target));
  if (r.digest) *r.digest = d;
  return WriteOutcome{WriteStatus::Ok, 0, stampOf(st)};
}

// The new content written over the old one, the replaced bytes kept in a
// journal first: a failure puts them back at once, a killed process leaves
// the journal for the next selection to roll back.
WriteOutcome writeInPlace(const WriteRequest& r, const std::string& target, int oldFd, const struct stat& old) {
  Journal j;
  j.device = static_cast<std::uint64_t>(old.st_dev);
  j.inode = static_cast<std::uint64_t>(old.st_ino);
  j.offset = r.keep;
  j.oldSize = static_cast<std::uint64_t>(old.st_size);
  j.path = target;
  j.saved.resize(static_cast<std::size_t>(j.oldSize - j.offset));
  Digest prefix;
  if (readAt(oldFd, j.saved.data(), j.saved.size(), static_cast<off_t>(j.offset)) !=
          static_cast<ssize_t>(j.saved.size()) ||
      !digestOf(oldFd, 0, j.offset, prefix))
    return failed(WriteStatus::IoError, errno ? errno : EIO);
  j.prefix = prefix.value();

  Fd out(openRegular(target, O_WRONLY | O_NOFOLLOW, 0, &layer()), &layer());
  if (!out.ok()) return failed(WriteStatus::IoError, out.get() == kNotRegular ? EINVAL : errno);
  struct stat now {};
  if (::fstat(out.get(), &now) != 0 || !unchangedSince(now, old)) return failed(WriteStatus::Changed);
  const std::string journal = writeJournal(target, j);
  if (journal.empty()) return failed(WriteStatus::IoError, errno ? errno : EIO);

  std::vector<char> buffer(kChunk);
  std::size_t written = 0;
  Digest d = r.digest ? *r.digest : Digest{};
  struct stat st {};
  const bool ok = ::lseek(out.get(), static_cast<off_t>(r.keep), SEEK_SET) >= 0 &&
                  writeText(out.get(), r.lead, r.text, r.crlf, buffer, written, d) &&
                  layer().ftruncate(out.get(), static_cast<off_t>(r.keep + written)) == 0 &&
                  layer().fsync(out.get()) == 0 && ::fstat(out.get(), &st) == 0;
  const int error = errno;
  if (ok && out.close()) {
    removeJournal(journal);
    if (r.digest) *r.digest = d;
    return WriteOutcome{WriteStatus::Ok, 0, stampOf(st)};
  }
  // Put the old bytes back now; the journal stays when that fails too.
  if (!out.ok()) out.reset(openRegular(target, O_WRONLY | O_NOFOLLOW, 0, &layer()), &layer());
  if (out.ok() && putBack(out.get(), j.offset, j.saved, j.oldSize)) removeJournal(journal);
  return failed(WriteStatus::IoError, error ? error : EIO);
}

// Where a leftover name belongs to `prefix`: the writer's process id.
std::optional<pid_t> leftoverWriter(const std::string& name, const std::string& prefix, std::string_view& suffix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  std::string_view rest = std::string_view(name).substr(prefix.size());
  std::size_t digits = 0;
  while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
  if (digits == 0 || digits > 9 || digits + 1 + 6 + 4 != rest.size() || rest[digits] != '-') return std::nullopt;
  for (char c : rest.substr(digits + 1, 6))
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  suffix = rest.substr(digits + 7);
  if (suffix != ".tmp" && suffix != ".jnl") return std::nullopt;
  return static_cast<pid_t>(std::strtol(std::string(rest.substr(0, digits)).c_str(), nullptr, 10));
}

enum class RollBack { Done, LeftAlone, NotThisFile, Failed };

// Applies a journal to `target` (locked by the caller): the saved bytes go
// back where they were, provided the file is the one the journal was made
// for and its bytes before them are as they were.
RollBack rollBack(const Journal& j, const std::string& target) {
  if (j.path != target) return RollBack::NotThisFile;
  Fd f(openRegular(target, O_RDWR | O_NOFOLLOW, 0, &layer()), &layer());
  if (!f.ok()) return RollBack::Failed;
  struct stat st {};
  if (::fstat(f.get(), &st) != 0) return RollBack::Failed;
  Digest prefix;
  if (static_cast<std::uint64_t>(st.st_dev) != j.device || static_cast<std::uint64_t>(st.st_ino) != j.inode ||
      static_cast<std::uint64_t>(st.st_size) < j.offset || !digestOf(f.get(), 0, j.offset, prefix) ||
      prefix.value() != j.prefix)
    return RollBack::LeftAlone;
  return putBack(f.get(), j.offset, j.saved, j.oldSize) ? RollBack::Done : RollBack::Failed;
}

}  // namespace

// ---------------------------------------------------------------------------

void Digest::mix(std::uint64_t word) {
  h_ = (h_ ^ word) * 0xff51afd7ed558ccdull;
  h_ ^= h_ >> 31;
}

void Digest::add(const char* data, std::size_t size) {
  if (size == 0) return;  // `data` may then be null
  length_ += size;
  if (pendingSize_ > 0) {
    const std::size_t take = std::min<std::size_t>(8 - pendingSize_, size);
    std::memcpy(pending_ + pendingSize_, data, take);
    pendingSize_ += static_cast<unsigned>(take);
    data += take;
    size -= take;
    if (pendingSize_ < 8) return;
    std::uint64_t w;
    std::memcpy(&w, pending_, 8);
    mix(w);
    pendingSize_ = 0;
  }
  for (; size >= 8; data += 8, size -= 8) {
    std::uint64_t w;
    std::memcpy(&w, data, 8);
    mix(w);
  }
  std::memcpy(pending_, data, size);
  pendingSize_ = static_cast<unsigned>(size);
}

std::uint64_t Digest::value() const {
  std::uint64_t w = 0;
  std::memcpy(&w, pending_, pendingSize_);
  std::uint64_t h = (h_ ^ w ^ (static_cast<std::uint64_t>(pendingSize_) << 59)) * 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  h = (h ^ length_) * 0xff51afd7ed558ccdull;
  return h ^ (h >> 29);
}

FileStamp stampOf(const struct stat& st) {
  FileStamp s;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.mtimeSeconds = st.st_mtim.tv_sec;
  s.mtimeNanoseconds = st.st_mtim.tv_nsec;
  return s;
}

WriteLayer* setWriteLayer(WriteLayer* l) {
  WriteLayer* before = installedLayer;
  installedLayer = l;
  return before;
}

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

int openForReading(const std::string& path) {
  const int fd = openRegular(path, O_RDONLY);
  if (fd == kNotRegular) errno = EINVAL;
  return fd < 0 ? -1 : fd;
}

PathKind classifyPath(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return PathKind::Missing;
  return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::NotRegular;
}

bool mayWrite(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || (st.st_mode & 0222) == 0) return false;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string journalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return (fs::path(state) / "parvela").string();
  const std::string home = homeFolder();
  if (home.empty()) return {};
  return (fs::path(home) / ".local" / "state" / "parvela").string();
}

WriteOutcome guardedWrite(const WriteRequest& r) {
  try {
    std::string target;
    Fd old;
    int error = 0;
    const WriteStatus resolved = resolveTarget(r.path, r.followLink, target, old, error);
    if (resolved != WriteStatus::Ok) return failed(resolved, error);
    if (!old.ok()) return createNew(r, target);

    struct stat st {};
    if (!lockTarget(target, old, st)) return failed(WriteStatus::IoError, errno);
    if (!r.mayReplace) return failed(WriteStatus::Exists);
    if (!mayWrite(target)) return failed(WriteStatus::NotWritable);
    if (r.check) {
      const WriteStatus checked = r.check(old.get(), st);
      if (checked != WriteStatus::Ok) return failed(checked);
    }
    if (r.keep > static_cast<std::uint64_t>(st.st_size)) return failed(WriteStatus::Changed);

    // A file with other names (hard links) keeps them only when written in place.
    bool inPlace = st.st_nlink > 1;
    if (!inPlace) {
      WriteOutcome o = replaceByRename(r, target, old.get(), st, inPlace);
      if (!inPlace) return o;
    }
    return writeInPlace(r, target, old.get(), st);
  } catch (const std::bad_alloc&) {
    return failed(WriteStatus::NoMemory);
  }
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  WriteRequest r;
  r.path = path;
  r.text = bytes;
  return guardedWrite(r).status == WriteStatus::Ok;
}

bool copyFileAtomically(const std::string& from, const std::string& to, std::string& error) {
  std::string bytes;
  FileStamp stamp;
  const int read = readRegularFile(from, bytes, stamp);
  if (read != 0) {
    error = read == EINVAL ? "nu este un fisier obisnuit: " + from : std::string(std::strerror(read));
    return false;
  }
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0) {
    error = std::strerror(errno);
    return false;
  }
  WriteRequest r;
  r.path = to;
  r.followLink = false;
  r.keepAttributes = false;
  r.newMode = st.st_mode & 0777;
  r.text = bytes;
  const WriteOutcome o = guardedWrite(r);
  switch (o.status) {
    case WriteStatus::Ok: return true;
    case WriteStatus::Link: error = "numele este o legatura simbolica (nu este urmata)"; break;
    case WriteStatus::NotWritable: error = "nu aveti drept de scriere in fisier"; break;
    case WriteStatus::Changed: error = "fisierul s-a schimbat in timpul scrierii"; break;
    case WriteStatus::Exists: error = std::strerror(EEXIST); break;
    case WriteStatus::NoMemory: error = "out of memory"; break;
    case WriteStatus::IoError: error = o.error == EINVAL ? "nu este un fisier obisnuit" : std::strerror(o.error); break;
  }
  return false;
}

int readRegularFile(const std::string& path, std::string& bytes, FileStamp& stamp) {
  Fd f(openRegular(path, O_RDONLY));
  if (!f.ok()) return f.get() == kNotRegular ? EINVAL : errno;
  struct stat before {};
  if (::fstat(f.get(), &before) != 0) return errno;
  try {
    bytes.assign(static_cast<std::size_t>(before.st_size), '\0');
    const ssize_t got = readAt(f.get(), bytes.data(), bytes.size(), 0);
    if (got < 0) return errno;
    bytes.resize(static_cast<std::size_t>(got));
    char more[4096];
    for (;;) {  // the file may have grown meanwhile
      const ssize_t r = readAt(f.get(), more, sizeof more, static_cast<off_t>(bytes.size()));
      if (r < 0) return errno;
      if (r == 0) break;
      bytes.append(more, static_cast<std::size_t>(r));
    }
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  struct stat after {};
  if (::fstat(f.get(), &after) != 0) return errno;
  stamp = stampOf(after);
  return 0;
}

Recovery recoverInterruptedWrites(const std::string& path) {
  Recovery rec;
  try {
    std::string target;
    Fd fd;
    int error = 0;
    if (resolveTarget(path, true, target, fd, error) != WriteStatus::Ok) return rec;
    const std::string prefix = leftoverPrefix(target);
    struct Found {
      std::string name;
      bool journal;
    };
    std::vector<Found> found;
    for (const std::string& dir : {folderOf(target), journalFolder()}) {
      if (dir.empty()) continue;
      std::error_code ec;
      for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::string_view suffix;
        const std::optional<pid_t> pid = leftoverWriter(name, prefix, suffix);
        if (!pid) continue;
        struct stat st {};
        // Only files of this user, of a writer that is gone.
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            writerAlive(*pid, st.st_mtim.tv_sec))
          continue;
        found.push_back({it->path().string(), suffix == ".jnl"});
      }
    }
    if (found.empty()) return rec;
    // A writer that holds the file's lock is at work: leave everything.
    if (fd.ok() && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return rec;

    for (const Found& f : found) {
      if (!f.journal) {
        if (layer().unlink(f.name.c_str()) == 0) ++rec.removed;
        continue;
      }
      std::string bytes;
      FileStamp stamp;
      if (readRegularFile(f.name, bytes, stamp) != 0) continue;
      Journal j;
      if (decodeJournal(bytes, j)) {
        switch (fd.ok() ? rollBack(j, target) : RollBack::LeftAlone) {
          case RollBack::Done: rec.rolledBack = true; break;
          case RollBack::LeftAlone: rec.leftAlone = true; break;
          case RollBack::NotThisFile:
          case RollBack::Failed: continue;  // kept for a later selection
        }
      }
      // Applied, not applicable, or never completed (the file was not
      // touched before the journal was complete): spent.
      removeJournal(f.name);
      ++rec.removed;
    }
  } catch (const std::bad_alloc&) {
  }
  return rec;
}

std::string writeErrorText(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return "Nu mai este spatiu pe disc.";
    case EACCES:
    case EPERM: return "Acces refuzat.";
    case EROFS: return "Discul poate fi doar citit.";
    case EWOULDBLOCK: return "Fisierul este folosit de alt program.";
    case ENOENT: return "Fisierul nu mai exista.";
    case EINVAL: return "Nu este un fisier obisnuit.";
    case ENOMEM: return "Memorie insuficienta.";
    case 0:
    case EIO: return "Eroare de citire/scriere pe disc.";
    default: return std::string("Eroare de sistem: ") + std::strerror(error) + ".";
  }
}

}  // namespace parvela
