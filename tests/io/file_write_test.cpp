// The file as its owner left it: a report goes only on the file as the last
// read or report left it; a killed writer leaves the old file or the new
// one; other users' files, links and attributes are respected; leftovers of
// dead writers are cleaned and nothing else.
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "io/data_file.h"
#include "recording_platform.h"
#include "support/write_faults.h"

namespace parvela {
namespace {

namespace fs = std::filesystem;
using testing::FaultLayer;
using testing::inChild;
using testing::InstalledLayer;
using testing::readFile;
using testing::StateHome;
using testing::TempDir;
using testing::writeFile;
using Result = DataFile::WriteResult;

const std::string kData = "Sistem\n2 1\n4 1\n1 3\n1 2\n";
const std::string kOld = kData + "\nProblema: Sistem liniar\nold report line\n";
const std::string kReport = "\nProblema: Sistem liniar\n x(1) =   1.000000\n x(2) =   2.000000\n";

std::vector<std::string> names(const std::string& dir) {
  std::vector<std::string> n;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

void readData(DataFile& f, const std::string& path, std::size_t dataEnd = kData.size()) {
  ASSERT_TRUE(f.select(path));
  ASSERT_TRUE(f.load());
  f.markDataEnd(dataEnd);
}

// Sets the file's modification time `seconds` after the epoch.
void setMtime(const std::string& path, long seconds) {
  const timeval times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimes(path.c_str(), times), 0);
}

// Every change since the read, the text after the data included, means the
// data must be read again: nothing is written, the file keeps the change.
TEST(WrittenOnlyAsLeft, AnyChangeSinceTheReadRefusesTheReport) {
  TempDir dir("fw-changed");
  const std::string path = dir.file("s.dat");
  const std::string noRhs = "T\n3 1\n1 0 0\n0 1 0\n0 0 1\n";
  struct Case {
    const char* what;
    std::string before;
    std::size_t dataEnd;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"right-hand side added to a file read without it", noRhs, noRhs.size(),
       [&] { writeFile(path, noRhs + "1 1 1\n"); }},
      {"notes typed under the data", kData, kData.size(), [&] { writeFile(path, kData + "nota\n"); }},
      {"the same bytes written again", kOld, kData.size(),
       [&] { writeFile(path, kOld); setMtime(path, 2000000000); }},
      {"a byte of the old report changed, the time put back", kOld, kData.size(),
       [&] {
         const fs::file_time_type readAt = fs::last_write_time(path);
         std::string changed = kOld;
         changed.back() = 'X';
         writeFile(path, changed);
         fs::last_write_time(path, readAt);
         ASSERT_EQ(fs::last_write_time(path), readAt);  // only the bytes tell
       }},
      {"a second window's report", kOld, kData.size(), [&] {
         DataFile other;
         readData(other, path);
         ASSERT_EQ(other.writeReport("\nother window\n"), Result::Ok);
       }}};
  for (const Case& c : cases) {
    writeFile(path, c.before);
    setMtime(path, 1000000000);
    DataFile f;
    readData(f, path, c.dataEnd);
    c.change();
    const std::string changed = readFile(path);
    EXPECT_EQ(f.checkUnchanged(), Result::Changed) << c.what;
    EXPECT_EQ(f.writeReport(kReport), Result::Changed) << c.what;
    EXPECT_EQ(readFile(path), changed) << c.what;
  }

  // After a report the reference is the file as the report left it.
  writeFile(path, kOld);
  DataFile f;
  readData(f, path);
  ASSERT_EQ(f.writeReport(kReport), Result::Ok);
  ASSERT_EQ(f.writeReport("\nsecond\n"), Result::Ok);
  EXPECT_EQ(readFile(path), kData + kReport + "\nsecond\n");
  writeFile(path, kData + kReport + "\nsecond edited\n");
  EXPECT_EQ(f.writeReport("\nthird\n"), Result::Changed);
}

// A change made while the report is written, after the check: found
// immediately before the rename, and nothing is replaced.
TEST(WrittenOnlyAsLeft, ChangeDuringTheWriteIsFoundBeforeTheRename) {
  TempDir dir("fw-during");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  DataFile f;
  readData(f, path);
  FaultLayer faults;
  faults.onCall = [&](long) {
    if (faults.calls == 3) writeFile(path, kOld + "appended meanwhile\n");
  };
  InstalledLayer installed(&faults);
  EXPECT_EQ(f.writeReport(kReport), Result::Changed);
  EXPECT_EQ(readFile(path), kOld + "appended meanwhile\n");
  EXPECT_EQ(names(dir.file("")), std::vector<std::string>{"s.dat"});
}

// A child killed at every call of the write, for each way the file is
// written: afterwards, and after the next selection, the file is the old
// one or the new one, and no temporary file or journal is left.
TEST(WrittenOnlyAsLeft, KilledAtEveryStepLeavesTheOldFileOrTheNew) {
  TempDir dir("fw-kill");
  TempDir state("fw-kill-state");
  StateHome home(state.file(""));
  const std::string path = dir.file("s.dat");
  const std::string fresh = kData + kReport;
  // An old report longer than the new one, written a few bytes at a time:
  // a kill can leave the file cut anywhere.
  const std::string old = kOld + std::string(200, 'o') + "\n";
  enum class Way { Rename, HardLink, NoNewFiles };
  for (Way way : {Way::Rename, Way::HardLink, Way::NoNewFiles}) {
    bool completed = false;
    int sawOld = 0, sawNew = 0, rolledBack = 0;
    for (long k = 0; !completed && k < 200; ++k) {
      fs::remove_all(dir.file(""));
      fs::create_directory(dir.file(""));
      writeFile(path, old);
      if (way == Way::HardLink) fs::create_hard_link(path, dir.file("other.dat"));
      const std::vector<std::string> before = names(dir.file(""));
      const int status = inChild([&] {
        FaultLayer kill;
        kill.maxChunk = 16;
        if (way == Way::NoNewFiles) kill.refuseNewFilesIn = dir.file("");
        kill.onCall = [k](long call) {
          if (call == k) ::raise(SIGKILL);
        };
        DataFile f;
        if (!f.select(path) || !f.load()) return 2;
        f.markDataEnd(kData.size());
        InstalledLayer installed(&kill);
        return f.writeReport(kReport) == Result::Ok ? 0 : 3;
      });
      completed = status == 0;
      ASSERT_TRUE(completed || status == -SIGKILL) << "step " << k << ": status " << status;
      DataFile again;
      ASSERT_TRUE(again.select(path));
      rolledBack += again.recovery().rolledBack;
      const std::string now = readFile(path);
      ASSERT_TRUE(now == old || now == fresh) << "step " << k << ": " << now;
      sawOld += now == old;
      sawNew += now == fresh;
      EXPECT_EQ(names(dir.file("")), before) << "step " << k;
      EXPECT_TRUE(names(state.file("parvela")).empty()) << "step " << k;
      if (way == Way::HardLink) {
        EXPECT_EQ(readFile(dir.file("other.dat")), now);
      }
    }
    EXPECT_TRUE(completed);
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    if (way != Way::Rename) {
      EXPECT_GT(rolledBack, 0) << "an interrupted in-place write was rolled back";
    }
  }
}

// Names too long for a temporary name of their own, and files that refuse a
// rename (a file mounted on its own): reports are written all the same.
TEST(WrittenOnlyAsLeft, LongNamesAndRefusedRenames) {
  TempDir dir("fw-long");
  TempDir state("fw-long-state");
  StateHome home(state.file(""));
  const std::string path = dir.file(std::string(250, 'n') + ".dat");
  writeFile(path, kOld);
  DataFile f;
  readData(f, path);
  ASSERT_EQ(f.writeReport(kReport), Result::Ok);
  EXPECT_EQ(readFile(path), kData + kReport);

  FaultLayer busy;
  busy.failRename = true;
  busy.renameErrno = EBUSY;
  InstalledLayer installed(&busy);
  ASSERT_EQ(f.writeReport("\nsecond\n"), Result::Ok);
  EXPECT_EQ(readFile(path), kData + kReport + "\nsecond\n");
  EXPECT_EQ(names(dir.file("")).size(), 1u);
  EXPECT_TRUE(names(state.file("parvela")).empty());
}

// Owner, group, mode and extended attributes (ACLs included) stay; where a
// new file could not have them, the file is written in place.
TEST(WrittenOnlyAsLeft, AttributesAndOtherUsersFiles) {
  TempDir dir("fw-attrs");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  ::chmod(path.c_str(), 0640);
  const bool xattrs = ::setxattr(path.c_str(), "user.parvela", "kept", 4, 0) == 0;
  DataFile f;
  readData(f, path);
  ASSERT_EQ(f.writeReport(kReport), Result::Ok);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.parvela", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }
  // An ACL (user 65534 may read and write) stays with the file.
  struct AclEntry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  struct {
    std::uint32_t version = 2;
    AclEntry e[5] = {{0x01, 6, ~0u}, {0x02, 6, 65534}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
  } acl;
  if (::setxattr(path.c_str(), "system.posix_acl_access", &acl, sizeof acl, 0) == 0) {
    ASSERT_EQ(f.writeReport("\nwith acl\n"), Result::Ok);
    decltype(acl) now;
    EXPECT_EQ(::getxattr(path.c_str(), "system.posix_acl_access", &now, sizeof now), static_cast<ssize_t>(sizeof now));
    EXPECT_EQ(std::memcmp(&now, &acl, sizeof acl), 0);
    EXPECT_EQ(readFile(path), kData + kReport + "\nwith acl\n");
    ::removexattr(path.c_str(), "system.posix_acl_access");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(f.load());
    f.markDataEnd(kData.size());
    ASSERT_EQ(f.writeReport(kReport), Result::Ok);
  }

  // Read-only for everyone: refused before anything is written, even for
  // the superuser.
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(f.checkUnchanged(), Result::NotWritable);
  EXPECT_EQ(f.writeReport("\nx\n"), Result::NotWritable);
  EXPECT_EQ(readFile(path), kData + kReport);

  if (!testing::runningAsRoot()) GTEST_SKIP() << "other users need root";
  // Another user (uid 65534) in a folder everyone may write: a file of
  // root's that everyone may write keeps its owner (written in place); one
  // only root may write is refused.
  ::chmod(dir.file("").c_str(), 0777);
  const std::string shared = dir.file("shared.dat"), mine = dir.file("mine.dat");
  for (const std::string& p : {shared, mine}) {
    writeFile(p, kOld);
    ASSERT_EQ(::chown(p.c_str(), 0, 0), 0);
  }
  ::chmod(shared.c_str(), 0666);
  ::chmod(mine.c_str(), 0644);
  ASSERT_EQ(::stat(shared.c_str(), &st), 0);
  const ino_t inode = st.st_ino;
  EXPECT_EQ(inChild(
                [&] {
                  StateHome home(dir.file(""));
                  DataFile g;
                  if (!g.select(shared) || !g.load()) return 2;
                  g.markDataEnd(kData.size());
                  if (g.writeReport(kReport) != Result::Ok) return 3;
                  if (!g.select(mine) || !g.load()) return 4;
                  g.markDataEnd(kData.size());
                  if (g.checkUnchanged() != Result::NotWritable) return 5;
                  return g.writeReport(kReport) == Result::NotWritable ? 0 : 6;
                },
                true),
            0);
  ASSERT_EQ(::stat(shared.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0666u);
  EXPECT_EQ(st.st_ino, inode);
  EXPECT_EQ(readFile(shared), kData + kReport);
  EXPECT_EQ(readFile(mine), kOld);
}

// Two writers take turns through the file's lock: the one that waited
// finds the file replaced by the other and writes nothing.
TEST(WrittenOnlyAsLeft, AWriterWaitsForTheLockThenFindsTheChange) {
  TempDir dir("fw-lock");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  DataFile f;
  readData(f, path);
  const int held = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  Result result = Result::Ok;
  std::thread waiting([&] { result = f.writeReport(kReport); });
  ::usleep(100000);
  writeFile(dir.file("new"), kOld + "the other window's report\n");
  ASSERT_EQ(::rename(dir.file("new").c_str(), path.c_str()), 0);
  ::flock(held, LOCK_UN);
  ::close(held);
  waiting.join();
  EXPECT_EQ(result, Result::Changed);
  EXPECT_EQ(readFile(path), kOld + "the other window's report\n");
}

// An output the program creates never follows a link at its name, and a new
// one gets the permission bits of the copied file less the umask.
TEST(WrittenOnlyAsLeft, OutputsDoNotFollowLinksAndTakeTheUmask) {
  TempDir dir("fw-output");
  const std::string from = dir.file("a.dat"), victim = dir.file("victim.dat"), link = dir.file("out.dat");
  writeFile(from, kOld);
  ::chmod(from.c_str(), 0666);
  writeFile(victim, "victim");
  fs::create_symlink(victim, link);
  std::string error;
  EXPECT_FALSE(copyFileAtomically(from, link, error));
  EXPECT_NE(error.find("legatura simbolica"), std::string::npos) << error;
  EXPECT_EQ(readFile(victim), "victim");
  EXPECT_TRUE(fs::is_symlink(link));

  const mode_t mask = ::umask(027);
  const bool copied = copyFileAtomically(from, dir.file("new.dat"), error);
  ::umask(mask);
  ASSERT_TRUE(copied) << error;
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("new.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(readFile(dir.file("new.dat")), kOld);
}

// The next selection removes what dead writers left of this file, and
// nothing else: not the files of a writer still running, not other files.
TEST(WrittenOnlyAsLeft, LeftoversOfDeadWritersOnly) {
  TempDir dir("fw-leftovers");
  const std::string path = dir.file("s.dat");
  writeFile(path, kOld);
  // A writer killed once its temporary file was made.
  ASSERT_EQ(inChild([&] {
              FaultLayer kill;
              kill.onCall = [](long call) {
                if (call == 1) ::raise(SIGKILL);
              };
              DataFile f;
              if (!f.select(path) || !f.load()) return 2;
              f.markDataEnd(kData.size());
              InstalledLayer installed(&kill);
              f.writeReport(kReport);
              return 0;
            }),
            -SIGKILL);
  std::vector<std::string> left = names(dir.file(""));
  ASSERT_EQ(left.size(), 2u);
  const std::string dead = left[0] == "s.dat" ? left[1] : left[0];
  // The same name with a process that runs since before it was made.
  std::string alive = dead;
  const std::size_t pidAt = alive.find('-', 9) + 1;
  alive.replace(pidAt, alive.find('-', pidAt) - pidAt, "1");
  fs::copy_file(dir.file(dead), dir.file(alive));
  for (const char* other : {"notes.tmp", ".s.dat.parvela-0123456789ab"}) writeFile(dir.file(other), "x");

  DataFile f;
  ASSERT_TRUE(f.select(path));
  EXPECT_EQ(f.recovery().removed, 1u);
  EXPECT_FALSE(f.recovery().rolledBack);
  std::vector<std::string> expected = {".s.dat.parvela-0123456789ab", alive, "notes.tmp", "s.dat"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names(dir.file("")), expected);
  EXPECT_EQ(readFile(path), kOld);
}

// The lines after the data that are not part of a report, as the window
// asks about them before the first report replaces them.
TEST(WrittenOnlyAsLeft, TextAfterTheDataThatIsNotAReport) {
  struct Case {
    std::string after;
    std::size_t lines;
    std::vector<std::string> first;
  };
  const Case cases[] = {
      {"", 0, {}},
      {"\n  \n\t\n", 0, {}},
      {"\nProblema: Sistem liniar\n x = 1\nnota dupa raport\n", 0, {}},
      {"nota 1\r\n\r\nnota 2\r\n\r\nProblema: Inversare matrice\r\n", 2, {"nota 1", "nota 2"}},
      {"1\n2\n3\n4\n5\n6\n7\n", 7, {"1", "2", "3", "4", "5"}},
  };
  TempDir dir("fw-foreign");
  const std::string path = dir.file("s.dat");
  for (const Case& c : cases) {
    writeFile(path, kData + c.after);
    DataFile f;
    readData(f, path);
    const DataFile::ForeignText t = f.foreignText();
    EXPECT_EQ(t.lines, c.lines) << c.after;
    EXPECT_EQ(t.first, c.first) << c.after;
    if (c.lines == 0) continue;
    EXPECT_NE(t.question().find(c.first[0]), std::string::npos);
    EXPECT_EQ(t.question().find("...") != std::string::npos, c.lines > 5);
    ASSERT_EQ(f.writeReport(kReport), Result::Ok);
    EXPECT_EQ(f.replacedTextLines(), c.lines);
    EXPECT_EQ(f.foreignText().lines, 0u) << "later reports append";
  }
  EXPECT_EQ(replacedTextNote(1), "raportul a inlocuit o linie de text de dupa date care nu facea parte dintr-un raport");
  EXPECT_EQ(replacedTextNote(20),
            "raportul a inlocuit 20 de linii de text de dupa date care nu faceau parte dintr-un raport");
}

}  // namespace
}  // namespace parvela
