#include "ui/core/deferred_dialog.h"

#include "core/problem_state.h"

namespace parvela {

DeferredDialog::DeferredDialog(const Dialog& window, const DialogTemplateData& t) {
  for (const ControlTemplate& c : t.controls) {
    if (c.id == kNoId) continue;
    Shown s;
    s.state = window.DLG_GET_STATE(c.id);
    s.selection = c.kind == ControlKind::ListBox ? window.DLG_GET_SELECTION(c.id) : 0;
    s.text = window.DLG_GET_TEXT(c.id, kTextCopy);
    shown_[c.id] = std::move(s);
  }
}

void DeferredDialog::DLG_SET_CALLBACK(int controlId, DialogCallback routine) {
  changes_.push_back([controlId, routine = std::move(routine)](Dialog& d) { d.DLG_SET_CALLBACK(controlId, routine); });
}

void DeferredDialog::DLG_SET_TITLE(std::string_view text) {
  changes_.push_back([t = std::string(text)](Dialog& d) { d.DLG_SET_TITLE(t); });
}

void DeferredDialog::DLG_SET_STATE(int controlId, bool on) {
  if (auto it = shown_.find(controlId); it != shown_.end()) it->second.state = on;
  changes_.push_back([controlId, on](Dialog& d) { d.DLG_SET_STATE(controlId, on); });
}

void DeferredDialog::DLG_SET_ENABLED(int controlId, bool enabled) {
  changes_.push_back([controlId, enabled](Dialog& d) { d.DLG_SET_ENABLED(controlId, enabled); });
}

void DeferredDialog::DLG_SET_TEXT(int controlId, std::string_view text) {
  if (auto it = shown_.find(controlId); it != shown_.end()) it->second.text = fixedText(text, kTextCopy);
  changes_.push_back([controlId, t = std::string(text)](Dialog& d) { d.DLG_SET_TEXT(controlId, t); });
}

void DeferredDialog::DLG_SET_LABEL(int controlId, std::string_view text) {
  if (auto it = shown_.find(controlId); it != shown_.end()) it->second.text = fixedText(text, kTextCopy);
  changes_.push_back([controlId, t = std::string(text)](Dialog& d) { d.DLG_SET_LABEL(controlId, t); });
}

void DeferredDialog::DLG_ADD_ENTRY(int listId, std::string_view text) {
  changes_.push_back([listId, t = std::string(text)](Dialog& d) { d.DLG_ADD_ENTRY(listId, t); });
}

void DeferredDialog::DLG_CLEAR_SELECTION(int listId) {
  if (auto it = shown_.find(listId); it != shown_.end()) it->second.selection = 0;
  changes_.push_back([listId](Dialog& d) { d.DLG_CLEAR_SELECTION(listId); });
}

bool DeferredDialog::DLG_GET_STATE(int controlId) const {
  auto it = shown_.find(controlId);
  return it != shown_.end() && it->second.state;
}

int DeferredDialog::DLG_GET_SELECTION(int listId) const {
  auto it = shown_.find(listId);
  return it == shown_.end() ? 0 : it->second.selection;
}

std::string DeferredDialog::DLG_GET_TEXT(int controlId, std::size_t length) const {
  auto it = shown_.find(controlId);
  return fixedText(it == shown_.end() ? std::string_view{} : std::string_view(it->second.text), length);
}

void DeferredDialog::applyTo(Dialog& window) {
  std::vector<std::function<void(Dialog&)>> changes;
  changes.swap(changes_);
  for (auto& change : changes) change(window);
}

}  // namespace parvela
