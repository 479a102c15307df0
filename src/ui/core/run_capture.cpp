#include "ui/core/run_capture.h"

#include <utility>

namespace parvela {

void CapturingPlatform::messageBox(std::string_view text, std::string_view caption, IconKind icon) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    captured_.boxes.push_back({std::string(text), std::string(caption)});
  }
  inner_.messageBox(text, caption, icon);
}

void CapturingPlatform::standardOutput(std::string_view text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    captured_.standardOutput += text;
  }
  inner_.standardOutput(text);
}

CapturingPlatform::Captured CapturingPlatform::take() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(captured_, Captured{});
}

}  // namespace parvela
