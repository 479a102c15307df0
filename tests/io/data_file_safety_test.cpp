// The report write either completes or leaves the file as it was; opens
// never wait on something that is not a regular file.
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "io/data_file.h"
#include "recording_platform.h"
#include "support/write_faults.h"

namespace parvela {
namespace {

namespace fs = std::filesystem;
using testing::FaultLayer;
using testing::InstalledLayer;
using testing::readFile;
using testing::StateHome;
using testing::TempDir;
using testing::writeFile;
using Result = DataFile::WriteResult;

std::size_t entries(const std::string& dir) {
  std::size_t k = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++k;
  return k;
}

const std::string kData = "Sistem\n2 1\n4 1\n1 3\n1 2\n";
const std::string kOld = kData + "\nProblema: Sistem liniar\nold report line\n";

std::string reportOf(std::size_t lines) {
  std::string r;
  for (std::size_t i = 0; i < lines; ++i) r += "\n x(" + std::to_string(i + 1) + ") =   1.000000";
  return r + "\n";
}

void selectAndRead(DataFile& f, const std::string& path) {
  ASSERT_TRUE(f.select(path));
  ASSERT_TRUE(f.load());
  f.markDataEnd(kData.size());
}

TEST(DataFileSafety, ShortWritesStillWriteEverything) {
  TempDir dir("dfs-short");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  FaultLayer faults;
  faults.maxChunk = 3;
  InstalledLayer installed(&faults);
  DataFile f;
  selectAndRead(f, path);
  ASSERT_EQ(f.writeReport(reportOf(40)), Result::Ok);
  ASSERT_EQ(f.writeReport("\nsecond\n"), Result::Ok);
  EXPECT_EQ(readFile(path), kData + reportOf(40) + "\nsecond\n");
  EXPECT_EQ(entries(dir.file("")), 1u);
}

// A full disk at every byte of the write: first the report that replaces
// the earlier one, then a report appended to it. The file keeps its bytes,
// the earlier report included, and no temporary file stays behind.
TEST(DataFileSafety, NoSpaceAtEveryOffsetLeavesTheFileAsItWas) {
  TempDir dir("dfs-enospc");
  const std::string path = dir.file("s.dat");
  const std::string report = reportOf(6);
  writeFile(path, kOld);
  DataFile f;
  selectAndRead(f, path);
  FaultLayer faults;
  InstalledLayer installed(&faults);

  const long total = static_cast<long>(kData.size() + report.size());
  for (long k = 0; k < total; ++k) {
    faults.failAfter = k;
    faults.written = 0;
    ASSERT_EQ(f.writeReport(report), Result::IoError) << "failing after " << k << " bytes";
    ASSERT_EQ(readFile(path), kOld) << "failing after " << k << " bytes";
    ASSERT_EQ(entries(dir.file("")), 1u);
  }
  faults.failAfter = -1;
  ASSERT_EQ(f.writeReport(report), Result::Ok);
  const std::string first = kData + report;
  ASSERT_EQ(readFile(path), first);

  const std::string second = "\nsecond report\n";
  const long total2 = static_cast<long>(first.size() + second.size());
  for (long k = 0; k < total2; ++k) {
    faults.failAfter = k;
    faults.written = 0;
    ASSERT_EQ(f.writeReport(second), Result::IoError);
    ASSERT_EQ(readFile(path), first) << "failing after " << k << " bytes";
  }
  faults.failAfter = -1;
  ASSERT_EQ(f.writeReport(second), Result::Ok);
  EXPECT_EQ(readFile(path), first + second);
  EXPECT_EQ(entries(dir.file("")), 1u);
}

TEST(DataFileSafety, FailedFlushOrRenameLeavesTheFileAsItWas) {
  TempDir dir("dfs-rename");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  DataFile f;
  selectAndRead(f, path);
  FaultLayer faults;
  InstalledLayer installed(&faults);
  faults.failRename = true;
  EXPECT_EQ(f.writeReport(reportOf(3)), Result::IoError);
  EXPECT_EQ(readFile(path), kOld);
  faults.failRename = false;
  faults.failFsync = true;
  EXPECT_EQ(f.writeReport(reportOf(3)), Result::IoError);
  EXPECT_EQ(readFile(path), kOld);
  EXPECT_EQ(entries(dir.file("")), 1u);
  // Still the first report after the read: it replaces the old one.
  faults.failFsync = false;
  ASSERT_EQ(f.writeReport(reportOf(3)), Result::Ok);
  EXPECT_EQ(readFile(path), kData + reportOf(3));
}

// No new file may be made in the folder: the report is written in place,
// and a write failing at any byte puts the replaced bytes back.
TEST(DataFileSafety, InPlaceWhenTheFolderTakesNoNewFileRestoresOnFailure) {
  TempDir dir("dfs-inplace");
  const std::string path = dir.file("s.dat");
  const std::string report = reportOf(5);
  writeFile(path, kOld);
  DataFile f;
  selectAndRead(f, path);
  TempDir state("dfs-inplace-state");
  StateHome home(state.file(""));
  FaultLayer faults;
  faults.refuseNewFilesIn = dir.file("");
  faults.failOnce = true;
  InstalledLayer installed(&faults);
  for (long k = 0; k < static_cast<long>(report.size()); ++k) {
    faults.failAfter = k;
    faults.written = 0;
    ASSERT_EQ(f.writeReport(report), Result::IoError);
    ASSERT_EQ(readFile(path), kOld) << "failing after " << k << " bytes";
  }
  faults.failAfter = -1;
  ASSERT_EQ(f.writeReport(report), Result::Ok);
  ASSERT_EQ(f.writeReport("\nmore\n"), Result::Ok);
  EXPECT_EQ(readFile(path), kData + report + "\nmore\n");
  EXPECT_EQ(entries(dir.file("")), 1u);
  EXPECT_EQ(entries(state.file("parvela")), 0u) << "the journals are removed";
}

TEST(DataFileSafety, KeepsModeOwnerLinksAndSymbolicLinks) {
  TempDir dir("dfs-attrs");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  ::chmod(path.c_str(), 0640);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
  }
  DataFile f;
  selectAndRead(f, path);
  ASSERT_EQ(f.writeReport(reportOf(2)), Result::Ok);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
  }

  // Through a symbolic link: the link stays, its target takes the report.
  fs::create_directory(dir.file("real"));
  const std::string target = dir.file("real/t.dat");
  const std::string link = dir.file("link.dat");
  writeFile(target, kOld);
  fs::create_symlink(target, link);
  selectAndRead(f, link);
  ASSERT_EQ(f.writeReport(reportOf(2)), Result::Ok);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(target), kData + reportOf(2));

  // A second name (hard link) keeps seeing the same file.
  const std::string other = dir.file("other.dat");
  fs::create_hard_link(path, other);
  selectAndRead(f, path);
  ASSERT_EQ(f.writeReport("\nlinked\n"), Result::Ok);
  EXPECT_EQ(readFile(other), kData + "\nlinked\n");
}

TEST(DataFileSafety, RemovedOrReplacedFileIsNotRecreated) {
  TempDir dir("dfs-gone");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  DataFile f;
  selectAndRead(f, path);
  fs::remove(path);
  EXPECT_EQ(f.writeReport(reportOf(2)), Result::IoError);
  EXPECT_FALSE(fs::exists(path));
  fs::create_directory(path);
  EXPECT_EQ(f.writeReport(reportOf(2)), Result::IoError);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_TRUE(fs::is_empty(path));
}

// Neither selection nor reading waits on a FIFO or reads a device without end.
TEST(DataFileSafety, OnlyRegularFilesAndNoOpenWaits) {
  TempDir dir("dfs-fifo");
  const std::string fifo = dir.file("pipe.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(classifyPath(fifo), PathKind::NotRegular);
  EXPECT_EQ(classifyPath("/dev/zero"), PathKind::NotRegular);
  EXPECT_EQ(classifyPath(dir.file("none.dat")), PathKind::Missing);
  DataFile f;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(f.select(fifo));
  EXPECT_FALSE(f.select("/dev/zero"));

  // A FIFO swapped in for the data file after the selection.
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  const std::string link = dir.file("link.dat");
  fs::create_symlink(path, link);
  EXPECT_EQ(classifyPath(link), PathKind::Regular);
  selectAndRead(f, link);
  fs::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(f.checkUnchanged(), Result::IoError);
  EXPECT_EQ(f.writeReport(reportOf(2)), Result::IoError);
  EXPECT_FALSE(f.load());
  EXPECT_EQ(f.loadError(), DataFile::LoadError::NotRegular);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(DataFileSafety, CopyIsWholeOrAbsent) {
  TempDir dir("dfs-copy");
  const std::string from = dir.file("a.dat");
  const std::string to = dir.file("b.dat");
  writeFile(from, kOld);
  ::chmod(from.c_str(), 0604);
  std::string error;
  {
    FaultLayer faults;
    faults.failAfter = 10;
    InstalledLayer installed(&faults);
    EXPECT_FALSE(copyFileAtomically(from, to, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(to));
    EXPECT_EQ(entries(dir.file("")), 1u);
  }
  writeFile(to, "kept");
  {
    FaultLayer faults;
    faults.failRename = true;
    InstalledLayer installed(&faults);
    EXPECT_FALSE(copyFileAtomically(from, to, error));
    EXPECT_EQ(readFile(to), "kept");
  }
  ASSERT_TRUE(copyFileAtomically(from, to, error)) << error;
  EXPECT_EQ(readFile(to), kOld);
  struct stat st {};
  ASSERT_EQ(::stat(to.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_FALSE(copyFileAtomically(dir.file("missing.dat"), dir.file("c.dat"), error));
  EXPECT_FALSE(fs::exists(dir.file("c.dat")));
}

TEST(DataFileSafety, WholeFileWriteIsCompleteOrAbsentAndNeverWaits) {
  TempDir dir("dfs-whole");
  const std::string path = dir.file("help.txt");
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(writeFileAtomically(path, "text\r\n"));
  ::umask(mask);
  EXPECT_EQ(readFile(path), "text\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  {
    FaultLayer faults;
    faults.failAfter = 3;
    InstalledLayer installed(&faults);
    EXPECT_FALSE(writeFileAtomically(path, "longer new text"));
  }
  EXPECT_EQ(readFile(path), "text\r\n");
  {
    TempDir state("dfs-whole-state");
    StateHome home(state.file(""));
    FaultLayer faults;
    faults.refuseNewFilesIn = dir.file("");
    InstalledLayer installed(&faults);
    ASSERT_TRUE(writeFileAtomically(path, "in place"));
    EXPECT_FALSE(writeFileAtomically(dir.file("new.txt"), "x"));
  }
  EXPECT_EQ(readFile(path), "in place");
  EXPECT_EQ(entries(dir.file("")), 1u);
  const std::string fifo = dir.file("pipe.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(writeFileAtomically(fifo, "x"));
}

// A real full file system, where this process may mount one.
TEST(DataFileSafety, FullFileSystemLeavesTheFileAsItWas) {
  TempDir dir("dfs-tmpfs");
  const std::string mnt = dir.file("mnt");
  fs::create_directory(mnt);
  if (::mount("parvela", mnt.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "no tmpfs mount allowed here";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{mnt};

  const std::string path = mnt + "/s.dat";
  const std::string old = kOld + std::string(64 * 1024, 'o') + "\n";
  writeFile(path, old);
  DataFile f;
  selectAndRead(f, path);
  // Fill what is left.
  {
    const int fd = ::open((mnt + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
  }
  const std::string report = reportOf(4000);  // about 80 KB
  EXPECT_EQ(f.writeReport(report), Result::IoError);
  EXPECT_EQ(readFile(path), old);
  EXPECT_EQ(entries(mnt), 2u);
  fs::remove(mnt + "/filler");
  ASSERT_EQ(f.writeReport(report), Result::Ok);
  EXPECT_EQ(readFile(path), kData + report);
}

// A process killed at any moment of a large write leaves the old file or
// the new one, nothing between.
TEST(DataFileSafety, KilledWriterLeavesOldOrNewFile) {
  TempDir dir("dfs-kill");
  const std::string path = dir.file("s.dat");
  const std::string report = reportOf(1 << 20);  // about 25 MB
  const std::string fresh = kData + report;
  int sawOld = 0, sawNew = 0;
  for (int delayUs : {0, 200, 1000, 3000, 8000, 20000, 50000, 120000, 400000}) {
    writeFile(path, kOld);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      DataFile f;
      if (!f.select(path) || !f.load()) ::_exit(2);
      f.markDataEnd(kData.size());
      ::_exit(f.writeReport(report) == Result::Ok ? 0 : 3);
    }
    ::usleep(static_cast<useconds_t>(delayUs));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string now = readFile(path);
    const bool isOld = now == kOld, isNew = now == fresh;
    EXPECT_TRUE(isOld || isNew) << "killed after " << delayUs << " us: " << now.size() << " bytes";
    sawOld += isOld;
    sawNew += isNew;
  }
  EXPECT_GT(sawOld + sawNew, 0);
}

}  // namespace
}  // namespace parvela
