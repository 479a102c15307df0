// Faults for the all-or-nothing writer: system calls that fail on demand,
// a process killed at a chosen call, a scratch folder for journals, and
// another user's identity for a forked child.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "io/file_write.h"

namespace parvela::testing {

// System calls with faults on demand: writes cut short, a write failing
// once a given number of bytes went through, a refused rename or fsync, no
// new file allowed in a folder, and a hook at every call.
struct FaultLayer : WriteLayer {
  std::size_t maxChunk = 0;         // 0: no limit
  long failAfter = -1;              // bytes accepted before the failure; -1 never
  int failErrno = ENOSPC;
  bool failOnce = false;            // the write after the failure works again
  bool failRename = false;
  int renameErrno = EIO;
  bool failFsync = false;
  std::string refuseNewFilesIn;     // a folder ("/" for every one)
  long written = 0;
  long calls = 0;
  std::function<void(long call)> onCall;  // before every call, with its number

  void step() {
    if (onCall) onCall(calls);
    ++calls;
  }
  int open(const char* path, int flags, mode_t mode) override {
    step();
    if (!refuseNewFilesIn.empty() && (flags & O_CREAT) &&
        std::string_view(path).substr(0, refuseNewFilesIn.size()) == refuseNewFilesIn) {
      errno = EACCES;
      return -1;
    }
    return WriteLayer::open(path, flags, mode);
  }
  ssize_t write(int fd, const void* data, std::size_t size) override {
    step();
    if (maxChunk && size > maxChunk) size = maxChunk;
    if (failAfter >= 0) {
      if (written >= failAfter) {
        if (failOnce) failAfter = -1;
        errno = failErrno;
        return -1;
      }
      size = std::min<std::size_t>(size, static_cast<std::size_t>(failAfter - written));
    }
    const ssize_t w = WriteLayer::write(fd, data, size);
    if (w > 0) written += w;
    return w;
  }
  int fsync(int fd) override {
    step();
    if (failFsync) {
      errno = EIO;
      return -1;
    }
    return WriteLayer::fsync(fd);
  }
  int ftruncate(int fd, off_t length) override {
    step();
    return WriteLayer::ftruncate(fd, length);
  }
  int close(int fd) override {
    step();
    return WriteLayer::close(fd);
  }
  int rename(const char* from, const char* to) override {
    step();
    if (failRename) {
      errno = renameErrno;
      return -1;
    }
    return WriteLayer::rename(from, to);
  }
  int renameNoReplace(const char* from, const char* to) override {
    step();
    return WriteLayer::renameNoReplace(from, to);
  }
  int unlink(const char* path) override {
    step();
    return WriteLayer::unlink(path);
  }
};

class InstalledLayer {
 public:
  explicit InstalledLayer(WriteLayer* l) : before_(setWriteLayer(l)) {}
  ~InstalledLayer() { setWriteLayer(before_); }

 private:
  WriteLayer* before_;
};

// Journals of in-place writes go to `dir` for the scope's life.
class StateHome {
 public:
  explicit StateHome(const std::string& dir) {
    if (const char* old = std::getenv("XDG_STATE_HOME")) old_ = old, had_ = true;
    ::setenv("XDG_STATE_HOME", dir.c_str(), 1);
  }
  ~StateHome() {
    if (had_)
      ::setenv("XDG_STATE_HOME", old_.c_str(), 1);
    else
      ::unsetenv("XDG_STATE_HOME");
  }

 private:
  std::string old_;
  bool had_ = false;
};

// Runs `body` in a forked child and returns its exit status, or -signal
// when a signal ended it. `asOtherUser`: the child first becomes uid and
// gid 65534 (only root can; the caller skips otherwise).
inline int inChild(const std::function<int()>& body, bool asOtherUser = false) {
  const pid_t child = ::fork();
  if (child < 0) return -1000;
  if (child == 0) {
    if (asOtherUser && (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0))
      ::_exit(100);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

inline bool runningAsRoot() { return ::geteuid() == 0; }

}  // namespace parvela::testing
