#include "ui/qt/gui_thread_platform.h"

#include <QMetaObject>
#include <QThread>

#include <memory>

namespace parvela::qt {

GuiThreadPlatform::GuiThreadPlatform(QObject* parent) : QObject(parent) {}

void GuiThreadPlatform::abandon() {
  std::lock_guard lock(mutex_);
  abandoned_ = true;
  done_.notify_all();
}

void GuiThreadPlatform::resume() {
  std::lock_guard lock(mutex_);
  abandoned_ = false;
}

std::string GuiThreadPlatform::takeStandardOutput() {
  std::lock_guard lock(mutex_);
  std::string s;
  s.swap(output_);
  return s;
}

void GuiThreadPlatform::onWindowThread(const std::function<void()>& call) {
  if (QThread::currentThread() == thread()) {
    call();
    return;
  }
  // The state is shared with the queued call, which may run after an
  // abandoned wait has returned.
  struct Pending {
    bool finished = false;
  };
  auto pending = std::make_shared<Pending>();
  {
    std::lock_guard lock(mutex_);
    if (abandoned_) return;
  }
  QMetaObject::invokeMethod(
      this,
      [this, call, pending] {
        {
          std::lock_guard lock(mutex_);
          if (abandoned_) return;
        }
        call();
        std::lock_guard lock(mutex_);
        pending->finished = true;
        done_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return pending->finished || abandoned_; });
}

void GuiThreadPlatform::askUser(const std::function<void()>& call) {
  onWindowThread([&] {
    emit userWaitStarted();
    call();
    emit userWaitEnded();
  });
}

void GuiThreadPlatform::messageBox(std::string_view text, std::string_view caption, IconKind icon) {
  const std::string t(text), c(caption);
  askUser([&] { target_->messageBox(t, c, icon); });
}

void GuiThreadPlatform::standardOutput(std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    output_ += text;
  }
  const std::string t(text);
  onWindowThread([&] { target_->standardOutput(t); });
}

std::optional<std::string> GuiThreadPlatform::openFileDialog(const OpenFileRequest& request) {
  auto answer = std::make_shared<std::optional<std::string>>();
  askUser([&, answer] { *answer = target_->openFileDialog(request); });
  return *answer;
}

void GuiThreadPlatform::viewFile(const std::string& path) {
  askUser([&] { target_->viewFile(path); });
}

std::optional<std::string> GuiThreadPlatform::searchProgramPath(const std::string& name) {
  return target_->searchProgramPath(name);  // no window involved
}

}  // namespace parvela::qt
