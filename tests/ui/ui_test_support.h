// Shared pieces of the window tests: a platform that records what the
// program shows and answers the file dialog as told, and a fixture with a
// started main window in a scratch directory.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/platform.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "ui/core/controls.h"
#include "ui/core/dialog_host.h"
#include "ui/core/model_dialog.h"
#include "ui/core/templates.h"

namespace parvela::test {

struct Message {
  std::string text, caption;
  IconKind icon;
};

class RecordingPlatform : public Platform {
 public:
  std::vector<Message> messages;
  std::vector<OpenFileRequest> requests;
  std::deque<std::optional<std::string>> answers;  // next file-dialog answers
  std::vector<std::string> viewed;
  struct Place {
    std::string path;
    std::size_t line, column;
    bool operator==(const Place&) const = default;
  };
  std::vector<Place> viewedAt;
  std::vector<Message> questions;
  bool answer = true;  // to every question
  std::string out;

  void messageBox(std::string_view text, std::string_view caption, IconKind icon) override {
    messages.push_back({std::string(text), std::string(caption), icon});
  }
  void standardOutput(std::string_view text) override { out += text; }
  bool question(std::string_view text, std::string_view caption) override {
    questions.push_back({std::string(text), std::string(caption), IconKind::None});
    return answer;
  }
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  void viewFile(const std::string& path) override { viewed.push_back(path); }
  void viewFileAt(const std::string& path, std::size_t line, std::size_t column) override {
    viewedAt.push_back({path, line, column});
  }
  // Only the current directory, so that the tests do not see the machine.
  std::optional<std::string> searchProgramPath(const std::string& name) override {
    std::error_code ec;
    if (std::filesystem::is_regular_file(name, ec)) return (std::filesystem::current_path() / name).string();
    return std::nullopt;
  }
};

inline std::string readBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

// A started main window: callbacks, defaults and controls as at start-up,
// the recording platform and a model dialog host, in a scratch directory.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    oldDir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("parvela_ui_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    setPlatform(&platform_);
    setDialogHost(&host_);
    InputDataFile().deselect();
    ProblemState& s = problem();
    s.dataFileName.clear();
    s.n = s.nb = 0;
    s.normIndex = 0;
    INITIALIZEDATA();
    dialog_ = ModelDialog::create(kMainDialog);
    registerMainCallbacks(*dialog_);
    dialog_->show();
    dialog_->DLG_SET_TITLE("Parvela");
    INITIALIZECONTROLS(*dialog_);
  }
  void TearDown() override {
    InputDataFile().deselect();
    setPlatform(nullptr);
    setDialogHost(nullptr);
    std::filesystem::current_path(oldDir_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  ModelDialog& d() { return *dialog_; }
  ProblemState& s() { return problem(); }

  RecordingPlatform platform_;
  ModelDialogHost host_;
  std::unique_ptr<ModelDialog> dialog_;
  std::filesystem::path dir_, oldDir_;
};

}  // namespace parvela::test
