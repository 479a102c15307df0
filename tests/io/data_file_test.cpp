#include <gtest/gtest.h>

#include <filesystem>

#include "io/data_file.h"
#include "recording_platform.h"

namespace parvela {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;
using Result = DataFile::WriteResult;

// Selects `path`, loads it and marks the data end at `dataEnd` bytes, as
// a successful read does.
void selectAndRead(DataFile& f, const std::string& path, std::size_t dataEnd) {
  ASSERT_TRUE(f.select(path));
  ASSERT_TRUE(f.load());
  f.markDataEnd(dataEnd);
}

TEST(DataFile, SelectOpensOrCreates) {
  TempDir dir("df-select");
  DataFile f;
  const std::string fresh = dir.file("nou.dat");
  ASSERT_TRUE(f.select(fresh));
  EXPECT_TRUE(f.selected());
  EXPECT_EQ(f.path(), fresh);
  EXPECT_TRUE(std::filesystem::exists(fresh));
  ASSERT_TRUE(f.load());
  EXPECT_EQ(f.contents(), "");

  EXPECT_FALSE(f.select(dir.file("no/such/folder/x.dat")));
  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_FALSE(f.select(dir.file("folder")));
  EXPECT_FALSE(f.selected());
  EXPECT_FALSE(f.load());
  EXPECT_EQ(f.writeReport("x\n"), Result::NoData);
}

TEST(DataFile, FirstReportReplacesLaterReportsAppend) {
  TempDir dir("df-place");
  const std::string path = dir.file("s.dat");
  const std::string data = "T\n1 1\n2\n3\n";
  writeFile(path, data + "\nold report\nmore of it\n");

  DataFile f;
  ASSERT_TRUE(f.select(path));
  ASSERT_TRUE(f.load());
  EXPECT_EQ(f.writeReport("r\n"), Result::NoData);  // loaded, but no data end yet
  f.markDataEnd(data.size());

  ASSERT_EQ(f.writeReport("\nfirst\n"), Result::Ok);
  EXPECT_EQ(readFile(path), data + "\nfirst\n");
  ASSERT_EQ(f.writeReport("\nsecond\n"), Result::Ok);
  EXPECT_EQ(readFile(path), data + "\nfirst\n\nsecond\n");

  // A new read: the next report replaces both.
  ASSERT_TRUE(f.load());
  f.markDataEnd(data.size());
  ASSERT_EQ(f.writeReport("\nthird\n"), Result::Ok);
  EXPECT_EQ(readFile(path), data + "\nthird\n");

  // A failed read forgets the data end: nothing can be written.
  ASSERT_TRUE(f.load());
  EXPECT_FALSE(f.hasDataEnd());
  EXPECT_EQ(f.writeReport("\nfourth\n"), Result::NoData);
  EXPECT_EQ(readFile(path), data + "\nthird\n");
}

TEST(DataFile, ChangedDataRefused) {
  TempDir dir("df-changed");
  const std::string path = dir.file("s.dat");
  const std::string data = "T\n1 1\n2\n3\n";
  writeFile(path, data);
  DataFile f;
  selectAndRead(f, path, data.size());

  // Edited in the editor after the read: the report is not written.
  writeFile(path, "T\n1 1\n5\n3\n");
  EXPECT_EQ(f.checkUnchanged(), Result::Changed);
  EXPECT_EQ(f.writeReport("\nreport\n"), Result::Changed);
  EXPECT_EQ(readFile(path), "T\n1 1\n5\n3\n");

  // Shortened, or lines added after the data: the whole file counts.
  writeFile(path, "T\n1 1\n");
  EXPECT_EQ(f.writeReport("\nreport\n"), Result::Changed);
  writeFile(path, data + "appended by hand\n");
  EXPECT_EQ(f.checkUnchanged(), Result::Changed);
  EXPECT_EQ(readFile(path), data + "appended by hand\n");
  ASSERT_TRUE(f.load());
  f.markDataEnd(data.size());
  ASSERT_EQ(f.writeReport("\nreport\n"), Result::Ok);
  EXPECT_EQ(readFile(path), data + "\nreport\n");

  std::filesystem::remove(path);
  EXPECT_NE(f.writeReport("\nreport\n"), Result::Ok);
}

TEST(DataFile, LineEndsFollowTheData) {
  TempDir dir("df-eol");
  DataFile f;

  const std::string crlf = dir.file("crlf.dat");
  const std::string data = "T\r\n1 1\r\n2\r\n3\r\n";
  writeFile(crlf, data);
  selectAndRead(f, crlf, data.size());
  ASSERT_EQ(f.writeReport("\nMetoda: Gauss\n x(1) = 1\n"), Result::Ok);
  ASSERT_EQ(f.writeReport("\nagain\n"), Result::Ok);
  EXPECT_EQ(readFile(crlf), data + "\r\nMetoda: Gauss\r\n x(1) = 1\r\n\r\nagain\r\n");

  // The last data line without a line end gets one before the report.
  const std::string open = dir.file("open.dat");
  writeFile(open, "T\n1 1\n2\n3");
  selectAndRead(f, open, 10);
  ASSERT_EQ(f.writeReport("\nr\n"), Result::Ok);
  EXPECT_EQ(readFile(open), "T\n1 1\n2\n3\n\nr\n");

  const std::string openCrlf = dir.file("open-crlf.dat");
  writeFile(openCrlf, "T\r\n1 1\r\n2\r\n3");
  selectAndRead(f, openCrlf, 13);
  ASSERT_EQ(f.writeReport("\nr\n"), Result::Ok);
  EXPECT_EQ(readFile(openCrlf), "T\r\n1 1\r\n2\r\n3\r\n\r\nr\r\n");
}

}  // namespace
}  // namespace parvela
