#include "core/platform.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace parvela {

std::optional<std::string> searchAlongProgramPath(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> dirs;
  if (auto self = fs::read_symlink("/proc/self/exe", ec); !ec) dirs.push_back(self.parent_path());
  dirs.push_back(fs::current_path(ec));
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest(path);
    while (!rest.empty()) {
      auto colon = rest.find(':');
      auto part = rest.substr(0, colon);
      if (!part.empty()) dirs.emplace_back(std::string(part));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  for (const auto& d : dirs) {
    fs::path candidate = d / name;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  return std::nullopt;
}

namespace {

class ConsolePlatform final : public Platform {
 public:
  void messageBox(std::string_view text, std::string_view caption, IconKind) override {
    std::string joined(text);
    for (char& c : joined)
      if (c == '\n') c = ' ';
    std::cerr << caption << ": " << joined << std::endl;
  }
  // No one to ask: the answer is Yes, as the batch front end gives it.
  bool question(std::string_view text, std::string_view caption) override {
    messageBox(text, caption, IconKind::None);
    return true;
  }
  void standardOutput(std::string_view text) override {
    std::cout << text;
    std::cout.flush();
  }
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override { return std::nullopt; }
  void viewFile(const std::string&) override {}
  std::optional<std::string> searchProgramPath(const std::string& name) override {
    return searchAlongProgramPath(name);
  }
};

ConsolePlatform& consolePlatform() {
  static ConsolePlatform p;
  return p;
}

Platform* current = nullptr;

}  // namespace

Platform& platform() { return current ? *current : consolePlatform(); }
void setPlatform(Platform* p) { current = p; }

}  // namespace parvela
