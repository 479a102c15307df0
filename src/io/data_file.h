// The selected data file: holds the problem's data and receives the report
// of every run, right after the data.
//
// The file is reopened by path for each read and each report, never held
// open across user actions. A read remembers where the data end and what
// the bytes up to there were; the first report after a read replaces
// whatever followed the data, later reports append. A report is refused
// when the data part of the file changed since the read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace parvela {

class DataFile {
 public:
  // Selects a file by path, creating it empty when it does not exist.
  // False (and no file selected) when it can be neither opened nor created.
  bool select(const std::string& path);
  void deselect();
  bool selected() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  // Reads the whole file afresh into contents(); false when it cannot be
  // read. Forgets the previous data end.
  bool load();
  std::string_view contents() const { return contents_; }

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

  enum class WriteResult { Ok, NoData, Changed, IoError };
  // Checks that the file still begins with the bytes read (Changed if
  // not), then writes `report` ('\n' line ends, converted to CR LF when the
  // data lines end so): after the data for the first report since the
  // read, at the end of the file afterwards. A line end is added first
  // when the file's last line has none. NoData when no file is selected or
  // no successful read marked the data end; IoError when writing fails.
  WriteResult writeReport(std::string_view report);
  // The check alone.
  WriteResult checkUnchanged() const;

 private:
  std::string path_;
  std::string contents_;
  std::size_t dataEnd_ = 0;  // contents_[0, dataEnd_) are the data as read
  bool dataEndKnown_ = false;
  bool reportWritten_ = false;  // a report followed the last read
  bool crlf_ = false;
};

// The one data file of the program.
DataFile& InputDataFile();

}  // namespace parvela
