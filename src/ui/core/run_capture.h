// Keeps what a run tells the user (standard output, message boxes) while
// passing it on to the desktop, so that the window can show it again.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/platform.h"
#include "ui/core/outcome.h"

namespace parvela {

class CapturingPlatform : public Platform {
 public:
  explicit CapturingPlatform(Platform& inner) : inner_(inner) {}

  void messageBox(std::string_view text, std::string_view caption, IconKind icon) override;
  void standardOutput(std::string_view text) override;
  bool question(std::string_view text, std::string_view caption) override { return inner_.question(text, caption); }
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override {
    return inner_.openFileDialog(request);
  }
  void viewFile(const std::string& path) override { inner_.viewFile(path); }
  void viewFileAt(const std::string& path, std::size_t line, std::size_t column) override {
    inner_.viewFileAt(path, line, column);
  }
  Platform& forwardsTo() override { return inner_.forwardsTo(); }
  std::optional<std::string> searchProgramPath(const std::string& name) override {
    return inner_.searchProgramPath(name);
  }

  // What was captured since the last take().
  struct Captured {
    std::string standardOutput;
    std::vector<BoxMessage> boxes;
  };
  Captured take();

 private:
  Platform& inner_;
  std::mutex mutex_;
  Captured captured_;
};

// Installs a capturing platform around the real one for the scope's life.
class CaptureScope {
 public:
  CaptureScope() : previous_(platform()), capture_(previous_) { setPlatform(&capture_); }
  ~CaptureScope() { setPlatform(&previous_); }
  CaptureScope(const CaptureScope&) = delete;
  CaptureScope& operator=(const CaptureScope&) = delete;
  CapturingPlatform::Captured take() { return capture_.take(); }

 private:
  Platform& previous_;
  CapturingPlatform capture_;
};

}  // namespace parvela
