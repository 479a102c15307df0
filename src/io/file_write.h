// Writing a file the user owns: all or nothing, under a lock, and only on
// the file as the caller last saw it.
//
// A write locks the file (an advisory lock on the file itself, re-taken
// when another writer renamed a new file over it meanwhile), lets the
// caller check that the file is what it expects, then either
//   - writes the new content beside the file and renames it over it, where
//     the new file can keep the old one's owner, group, permission bits and
//     extended attributes (ACLs included), or
//   - writes it in place (hard links, folders that take no new file, files
//     that refuse a rename, attributes a new file cannot have), after the
//     bytes it replaces went into a journal flushed to the disk; the journal
//     is removed once the file is complete, and rolled back by the next
//     selection of the file when the process died in between.
// Temporary files and journals carry a short name derived from the file
// (so a long file name never makes them too long) and the writer's process
// id; recoverInterruptedWrites() cleans those of dead writers and nothing
// else. Opens never wait: anything but a regular file is refused.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace parvela {

// What a path names, following symbolic links.
enum class PathKind { Missing, NotRegular, Regular };
PathKind classifyPath(const std::string& path);

// The system calls a write goes through. Tests replace them to make writes
// short, fail at a chosen byte or step, or refuse a rename.
struct WriteLayer {
  virtual ~WriteLayer() = default;
  virtual int open(const char* path, int flags, mode_t mode);
  virtual ssize_t write(int fd, const void* data, std::size_t size);
  virtual int fsync(int fd);
  virtual int ftruncate(int fd, off_t length);
  virtual int close(int fd);
  virtual int rename(const char* from, const char* to);
  // Renames only where `to` does not exist (EEXIST otherwise).
  virtual int renameNoReplace(const char* from, const char* to);
  virtual int unlink(const char* path);
};
// Installs `layer` (nullptr: the real system calls) and returns the one
// installed before.
WriteLayer* setWriteLayer(WriteLayer* layer);

// A 64-bit digest of bytes fed in pieces (not for adversaries: it tells a
// changed file from an unchanged one).
class Digest {
 public:
  void add(const char* data, std::size_t size);
  void add(std::string_view s) { add(s.data(), s.size()); }
  std::uint64_t value() const;
  std::uint64_t length() const { return length_; }
  friend bool operator==(const Digest& a, const Digest& b) {
    return a.length_ == b.length_ && a.value() == b.value();
  }

 private:
  void mix(std::uint64_t word);
  std::uint64_t h_ = 0x9e3779b97f4a7c15ull;
  std::uint64_t length_ = 0;
  unsigned char pending_[8] = {};
  unsigned pendingSize_ = 0;
};

// A file as it was at one moment: which file, its size and when it was
// last written.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t mtimeSeconds = 0;
  std::int64_t mtimeNanoseconds = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp stampOf(const struct stat& st);

// Whether this process may write the file: its permissions (mode, ACL,
// owner) allow it, and it is not marked read-only for everyone (which even
// the superuser respects here).
bool mayWrite(const std::string& path);

enum class WriteStatus {
  Ok,
  Changed,      // the file is not what the caller expected, or changed during the write
  NotWritable,  // the user may not write the file
  Link,         // the name is a symbolic link and links are not followed for this write
  Exists,       // a file of that name exists and may not be replaced
  IoError,      // see WriteOutcome::error
  NoMemory,
};

struct WriteRequest {
  std::string path;
  // A symbolic link at `path` is written through to its target (opened by
  // the kernel, so its link protections apply); false: refused (Link).
  bool followLink = true;
  bool mayReplace = true;  // false: an existing file is left alone (Exists)
  bool mayCreate = true;   // false: a missing file is an error (ENOENT)
  mode_t newMode = 0666;   // permission bits of a new file, before the umask
  // The new content keeps the owner, group, permission bits and extended
  // attributes of the file it replaces; false: it gets those of a new file
  // (`newMode`), unless the file is another user's (then written in place).
  bool keepAttributes = true;
  // Bytes of the existing file kept at its start; the new content follows.
  std::size_t keep = 0;
  // The new content after `keep`: `lead`, then `text` with '\n' turned into
  // CR LF when `crlf` (a '\n' already preceded by '\r' stays as it is).
  std::string_view lead;
  std::string_view text;
  bool crlf = false;
  // Called under the lock with the existing file (open for reading) and its
  // status; anything but Ok stops the write with that status.
  std::function<WriteStatus(int fd, const struct stat& st)> check;
  // Fed with the bytes written after `keep` (may already hold earlier bytes).
  Digest* digest = nullptr;
};

struct WriteOutcome {
  WriteStatus status = WriteStatus::IoError;
  int error = 0;    // errno of an IoError
  FileStamp stamp;  // the file as written (status Ok)
};

WriteOutcome guardedWrite(const WriteRequest& request);

// Writes `bytes` as the whole new content of `path` (through a link), in
// the same way; a new file gets 0666 less the umask. False on any failure.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

// Copies `from` to `to` as a whole, for an output the program creates:
// `to` is not followed when it is a symbolic link (refused), a new file gets
// the permission bits of `from` less the umask, an existing one is replaced
// only when the user may write it. False with `error` set on failure.
bool copyFileAtomically(const std::string& from, const std::string& to, std::string& error);

// Opens a regular file for reading without ever waiting: -1 with errno set
// (EINVAL for anything but a regular file).
int openForReading(const std::string& path);
// Reads up to `size` bytes at `offset` (fewer only at the end of the file);
// -1 on error.
ssize_t readAt(int fd, char* data, std::size_t size, off_t offset);

// Reads a whole regular file without ever waiting on anything else (a FIFO
// or a device is refused). Errno-like result: 0, or ENOENT, EINVAL (not a
// regular file), ENOMEM, an I/O error.
int readRegularFile(const std::string& path, std::string& bytes, FileStamp& stamp);

// What a selection found of earlier writes that did not end.
struct Recovery {
  bool rolledBack = false;    // an interrupted in-place write was undone
  bool leftAlone = false;     // a journal was found, but the file changed since: not applied
  std::size_t removed = 0;    // temporary files and spent journals removed
};
// Cleans up after writers of `path` that died: their temporary files are
// removed and their journals rolled back (or dropped when the file changed
// since). Files of a writer still running, and every other file, stay.
Recovery recoverInterruptedWrites(const std::string& path);

// The folder of journals for files whose own folder takes no new file:
// $XDG_STATE_HOME/parvela, by default ~/.local/state/parvela.
std::string journalFolder();

// The reason of a failed write in a few words, for a message box.
std::string writeErrorText(int error);

}  // namespace parvela
