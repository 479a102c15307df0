// A stand-in for a window while its work runs on another thread. It is
// made on the window's thread from what the window's controls show, answers
// the work's questions (states, selections, texts) from that copy, and keeps
// every change the work asks for; back on the window's thread the changes
// are applied to the window, in the order they were made. Nothing in it
// touches the real window, so the work may use it from any thread.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/dialog.h"
#include "ui/core/templates.h"

namespace parvela {

class DeferredDialog : public Dialog {
 public:
  // Copies what every control of the template shows in `window`.
  DeferredDialog(const Dialog& window, const DialogTemplateData& t);

  void DLG_SET_CALLBACK(int controlId, DialogCallback routine) override;
  void DLG_SET_TITLE(std::string_view text) override;
  void DLG_SET_STATE(int controlId, bool on) override;
  void DLG_SET_ENABLED(int controlId, bool enabled) override;
  void DLG_SET_TEXT(int controlId, std::string_view text) override;
  void DLG_SET_LABEL(int controlId, std::string_view text) override;
  void DLG_ADD_ENTRY(int listId, std::string_view text) override;
  void DLG_CLEAR_SELECTION(int listId) override;
  bool DLG_GET_STATE(int controlId) const override;
  int DLG_GET_SELECTION(int listId) const override;
  std::string DLG_GET_TEXT(int controlId, std::size_t length) const override;

  // Applies the changes kept so far to `window` (on the window's thread)
  // and forgets them.
  void applyTo(Dialog& window);
  std::size_t pendingChanges() const { return changes_.size(); }

 private:
  struct Shown {
    bool state = false;
    int selection = 0;
    std::string text;
  };
  static constexpr std::size_t kTextCopy = 1024;

  std::map<int, Shown> shown_;
  std::vector<std::function<void(Dialog&)>> changes_;
};

}  // namespace parvela
