// The selected data file: holds the problem's data and receives the report
// of every run, right after the data.
//
// The file is reopened by path for each read and each report, never held
// open across user actions. A read remembers where the data end and what
// the bytes up to there were; the first report after a read replaces
// whatever followed the data, later reports append. A report is refused
// when the data part of the file changed since the read.
//
// A report write is all or nothing: the new file is written beside the old
// one and renamed over it, so a full disk, an I/O error or a killed process
// leave the file exactly as it was. Only regular files are read or written,
// and no open waits (a FIFO or a device is refused, never opened for good).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace parvela {

// What a path names, following symbolic links.
enum class PathKind { Missing, NotRegular, Regular };
PathKind classifyPath(const std::string& path);

// The system calls a report write goes through. Tests replace them to make
// writes short, fail at a chosen byte, or refuse the rename.
struct WriteLayer {
  virtual ~WriteLayer() = default;
  virtual int open(const char* path, int flags, mode_t mode);
  virtual ssize_t write(int fd, const void* data, std::size_t size);
  virtual int fsync(int fd);
  virtual int ftruncate(int fd, off_t length);
  virtual int close(int fd);
  virtual int rename(const char* from, const char* to);
};
// Installs `layer` (nullptr: the real system calls) and returns the one
// installed before.
WriteLayer* setWriteLayer(WriteLayer* layer);

// Copies `from` to `to` as a whole: `to` is either a complete copy (with
// the permission bits of `from`) or, after a failure, left as it was
// (absent when it did not exist). False with `error` set on failure.
bool copyFileAtomically(const std::string& from, const std::string& to, std::string& error);

// Writes `bytes` as the whole new content of `path` in the same way: the
// file is complete or as it was. A new file gets the usual permission bits
// (0666 less the umask); anything but a regular file is refused.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

class DataFile {
 public:
  // Selects a file by path, creating it empty when it does not exist.
  // False (and no file selected) when it can be neither opened nor created,
  // or when it is not a regular file.
  bool select(const std::string& path);
  void deselect();
  bool selected() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  // Reads the whole file afresh into contents(); false when it cannot be
  // read (loadError() says why). Forgets the previous data end.
  enum class LoadError { None, NotSelected, NotRegular, IoError, NoMemory };
  bool load();
  LoadError loadError() const { return loadError_; }
  std::string_view contents() const { return contents_ ? std::string_view(*contents_) : std::string_view(); }

  // Called by the reader after a successful read: the offset in contents()
  // after the last data line read. From now on reports can be written; the
  // next one replaces everything after this offset. A failed read leaves
  // the data end forgotten (by load()), so no report can be written.
  void markDataEnd(std::size_t offset);
  bool hasDataEnd() const { return dataEndKnown_; }
  // Where the data end in contents() (meaningful when hasDataEnd()).
  std::size_t dataEnd() const { return dataEnd_; }
  bool reportWritten() const { return reportWritten_; }
  bool crlf() const { return crlf_; }

  enum class WriteResult { Ok, NoData, Changed, IoError, NoMemory };
  // Checks that the file still begins with the bytes read (Changed if
  // not), then writes `report` ('\n' line ends, converted to CR LF when the
  // data lines end so): after the data for the first report since the
  // read, at the end of the file afterwards. A line end is added first
  // when the file's last line has none. NoData when no file is selected or
  // no successful read marked the data end; IoError when writing fails,
  // NoMemory when the memory for the write is refused. On every result but
  // Ok the file holds what it held before.
  WriteResult writeReport(std::string_view report);
  // The check alone.
  WriteResult checkUnchanged() const;

 private:
  WriteResult writeReplacing(const std::string& target, int oldFd, std::size_t keep,
                             std::string_view lead, std::string_view report, bool& fallback);
  WriteResult writeInPlace(const std::string& target, int oldFd, std::size_t keep,
                           std::string_view lead, std::string_view report);

  std::string path_;
  // The text of the last load. Never changed once loaded, so copies of the
  // record (the saved state of a run) share it instead of copying the file.
  std::shared_ptr<const std::string> contents_;
  std::size_t dataEnd_ = 0;  // contents_[0, dataEnd_) are the data as read
  bool dataEndKnown_ = false;
  bool reportWritten_ = false;  // a report followed the last read
  bool crlf_ = false;
  LoadError loadError_ = LoadError::None;
};

// The one data file of the program.
DataFile& InputDataFile();

}  // namespace parvela
