// The platform layer as the work on the worker thread sees it: every call
// (message boxes, standard-output text, file dialogs, the viewer) is carried
// out by the platform it wraps on the window's thread, and the worker waits
// for the answer. Calls made on the window's thread go straight through.
// While a call waits for the user (a message box, a file dialog, the
// viewer), the platform says so, so that the time spent there is not
// counted as the work's.
#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "core/platform.h"

namespace parvela::qt {

class GuiThreadPlatform final : public QObject, public Platform {
  Q_OBJECT
 public:
  // Lives on the thread that makes it (the window's).
  explicit GuiThreadPlatform(QObject* parent = nullptr);

  // The platform that does the work; set before a worker starts.
  void setTarget(Platform* target) { target_ = target; }
  Platform* target() const { return target_; }

  // From now on calls from other threads return at once with a neutral
  // answer instead of waiting for the window (the window is going away).
  void abandon();
  void resume();

  // Standard-output text passed on since the last take.
  std::string takeStandardOutput();

  void messageBox(std::string_view text, std::string_view caption, IconKind icon) override;
  void standardOutput(std::string_view text) override;
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
  void viewFile(const std::string& path) override;
  std::optional<std::string> searchProgramPath(const std::string& name) override;

 signals:
  // On the window's thread, around every call that waits for the user.
  void userWaitStarted();
  void userWaitEnded();

 private:
  // Runs `call` on the window's thread and waits for it (or for abandon()).
  void onWindowThread(const std::function<void()>& call);
  // The same for a call that waits for the user.
  void askUser(const std::function<void()>& call);

  Platform* target_ = nullptr;
  std::mutex mutex_;
  std::condition_variable done_;
  bool abandoned_ = false;
  std::string output_;
};

}  // namespace parvela::qt
