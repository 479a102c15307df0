// The dialog services the window is built on. Controls are addressed by
// their template identifiers; the Qt window and the in-memory model used by
// the batch front end and the tests both implement this interface.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace parvela {

class Dialog;

// Every callback receives the dialog, the identifier of the control that
// raised the event and an event code.
using DialogCallback = std::function<void(Dialog& dialog, int controlId, int eventCode)>;

// Event codes.
enum DialogEvent : int {
  kEventChanged = 1,     // click, selection change, text change
  kEventInit = 2,        // dialog's own callback: initialization
  kEventDestroy = 3,     // dialog's own callback: destruction
};

// Dialog templates.
enum DialogTemplate : int {
  kMainDialog = 101,
  kStructureHelpDialog = 103,
  kAboutDialog = 104,
  kIterationHelpDialog = 105,
};

class Dialog {
 public:
  virtual ~Dialog() = default;

  // Registers the routine for the control's usual event (on the dialog's own
  // template id: initialization and destruction).
  virtual void DLG_SET_CALLBACK(int controlId, DialogCallback routine) = 0;
  virtual void DLG_SET_TITLE(std::string_view text) = 0;
  // Checks or unchecks a check box or radio button; checking a radio button
  // unchecks the others of its group.
  virtual void DLG_SET_STATE(int controlId, bool on) = 0;
  virtual void DLG_SET_ENABLED(int controlId, bool enabled) = 0;
  // Text of an edit box or static text; an empty text clears it.
  virtual void DLG_SET_TEXT(int controlId, std::string_view text) = 0;
  // Label of a button (push button, check box, radio button) or label.
  virtual void DLG_SET_LABEL(int controlId, std::string_view text) = 0;
  virtual void DLG_ADD_ENTRY(int listId, std::string_view text) = 0;
  virtual void DLG_CLEAR_SELECTION(int listId) = 0;
  virtual bool DLG_GET_STATE(int controlId) const = 0;
  // 1-based number of the selected entry, 0 when none.
  virtual int DLG_GET_SELECTION(int listId) const = 0;
  // Current text of an edit box, cut to `length` and blank-padded.
  virtual std::string DLG_GET_TEXT(int controlId, std::size_t length) const = 0;
};

}  // namespace parvela
