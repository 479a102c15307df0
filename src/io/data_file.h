// The selected data file: holds the problem's data and receives the report
// of every run, right after the data.
//
// The file is reopened by path for each read and each report, never held
// open across user actions. A read remembers where the data end and the
// whole file as it was; the first report after a read replaces whatever
// followed the data, later reports append. A report is written only on the
// file as the last read or the last report left it, whole (size,
// modification time, every byte): any other change, the text after the data
// included, means the data must be read again.
//
// A report write goes through the all-or-nothing writer (io/file_write.h):
// a full disk, an I/O error or a killed process leave the file as it was.
// Only regular files are read or written, and no open waits (a FIFO or a
// device is refused, never opened for good).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_write.h"

namespace parvela {

class DataFile {
 public:
  // Selects a file by path, creating it empty when it does not exist, and
  // cleans up after writes of it that did not end (recovery() says what was
  // found). False (and no file selected) when it can be neither opened nor
  // created, or when it is not a regular file.
  bool select(const std::string& path);
  const Recovery& recovery() const { return recovery_; }
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

  enum class WriteResult { Ok, NoData, Changed, NotWritable, IoError, NoMemory };
  // Checks, under the file's lock, that the file is as the last read or
  // report left it (Changed if not) and that the user may write it
  // (NotWritable), then writes `report` ('\n' line ends, converted to CR LF
  // when the data lines end so): after the data for the first report since
  // the read, at the end of the file afterwards. A line end is added first
  // when the file's last line has none. NoData when no file is selected or
  // no successful read marked the data end; IoError when writing fails
  // (lastWriteError() says why), NoMemory when the memory for the write is
  // refused. On every result but Ok the file holds what it held before.
  WriteResult writeReport(std::string_view report);
  // The same checks, without the lock and without writing.
  WriteResult checkUnchanged() const;
  int lastWriteError() const { return lastError_; }

  // Text after the data that is not one of the program's reports (notes
  // typed under the data, say): the lines the next report would replace
  // before the first report header. None once a report followed the read
  // (later reports append).
  struct ForeignText {
    std::size_t lines = 0;           // non-blank lines
    std::vector<std::string> first;  // the first few of them
    // The question asked before they are replaced.
    std::string question() const;
  };
  ForeignText foreignText() const;
  // How many such lines the last successful report replaced.
  std::size_t replacedTextLines() const { return replacedLines_; }

 private:
  WriteStatus compareWithReference(int fd, const struct stat& st) const;

  std::string path_;
  // The text of the last load. Never changed once loaded, so copies of the
  // record (the saved state of a run) share it instead of copying the file.
  std::shared_ptr<const std::string> contents_;
  std::size_t dataEnd_ = 0;  // contents_[0, dataEnd_) are the data as read
  bool dataEndKnown_ = false;
  bool reportWritten_ = false;  // a report followed the last read
  bool crlf_ = false;
  LoadError loadError_ = LoadError::None;
  // The file as the last read or report left it: contents_[0, refBase_),
  // then refTail_.length() bytes with the digest refTail_, with this size
  // and modification time.
  FileStamp refStamp_;
  bool refKnown_ = false;  // false: the read saw the file change under it
  std::size_t refBase_ = 0;
  Digest refTail_;
  char lastByte_ = '\n';  // the file's last byte after the last report
  int lastError_ = 0;
  std::size_t replacedLines_ = 0;
  Recovery recovery_;
};

// The note of the batch front end after a report replaced such text.
std::string replacedTextNote(std::size_t lines);

// The one data file of the program.
DataFile& InputDataFile();

}  // namespace parvela
