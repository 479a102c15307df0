// A platform for tests: records message boxes and standard output, has no
// dialogs or viewer. Installs itself for its lifetime.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/platform.h"

namespace parvela::testing {

struct MessageRecord {
  std::string text;
  std::string caption;
  IconKind icon;
};

class RecordingPlatform final : public Platform {
 public:
  RecordingPlatform() { setPlatform(this); }
  ~RecordingPlatform() override { setPlatform(nullptr); }

  void messageBox(std::string_view text, std::string_view caption, IconKind icon) override {
    messages.push_back({std::string(text), std::string(caption), icon});
  }
  void standardOutput(std::string_view text) override { out += text; }
  bool question(std::string_view text, std::string_view caption) override {
    questions.push_back({std::string(text), std::string(caption), IconKind::None});
    return answer;
  }
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override { return std::nullopt; }
  void viewFile(const std::string&) override {}
  std::optional<std::string> searchProgramPath(const std::string&) override { return std::nullopt; }

  std::vector<MessageRecord> messages;
  std::vector<MessageRecord> questions;
  bool answer = true;  // to every question
  std::string out;
};

// A fresh directory under the system's temporary folder, removed at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& tag) {
    namespace fs = std::filesystem;
    path_ = fs::temp_directory_path() / ("parvela-" + tag + "-" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
}

inline std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace parvela::testing
