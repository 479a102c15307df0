// An in-memory dialog built from a template: every control keeps its
// state, enabled flag, text, list entries and selection, and radio groups
// stay exclusive. The batch front end and the tests drive it with the user
// actions below, which behave as the same action in the real window.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/dialog.h"
#include "ui/core/dialog_host.h"
#include "ui/core/templates.h"

namespace parvela {

class ModelDialog : public Dialog {
 public:
  // The dialog of a template; nullptr for an unknown template id.
  static std::unique_ptr<ModelDialog> create(int templateId);
  explicit ModelDialog(const DialogTemplateData& t);
  // The dialog of a template id; std::invalid_argument for an unknown id.
  explicit ModelDialog(int templateId);

  int templateId() const { return template_->id; }
  const DialogTemplateData& dialogTemplate() const { return *template_; }

  // Dialog services.
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

  // Showing and closing. show() raises the initialization event on the
  // dialog's own callback; closing raises the destruction event.
  void show();
  void closeDialog();

  // User actions. Each returns false, doing nothing, when the control does
  // not exist, is disabled, or the dialog is closed.
  //  click: a radio button is turned on (the rest of its group off), a
  //    check box toggles, then the callback runs; a push button runs its
  //    callback or, without one, closes the dialog.
  bool click(int id);
  //  select: selects entry `entry` (1-based; 0 clears) of a list box, then
  //    runs the callback. An entry beyond the list gives false.
  bool select(int listId, int entry);
  //  typeText: replaces the text of an (editable) edit box, then runs the
  //    callback.
  bool typeText(int id, std::string_view text);
  //  Esc or the close box: acts as a click on the hidden Cancel button (2)
  //    when the dialog has one, otherwise closes the dialog.
  bool pressEscape();
  //  Enter: a click on the default push button (false when there is none
  //    or it is disabled).
  bool pressEnter();

  // Queries. For buttons and labels text() and label() are the same; for
  // edit boxes they give the box's text.
  bool hasControl(int id) const;
  bool isEnabled(int id) const;
  bool isVisible(int id) const;
  bool state(int id) const { return DLG_GET_STATE(id); }
  std::string label(int id) const;
  std::string text(int id) const;
  std::vector<std::string> entries(int id) const;
  int selection(int id) const { return DLG_GET_SELECTION(id); }
  bool hasCallback(int id) const;
  const std::string& title() const { return title_; }
  bool shown() const { return shown_; }
  bool closed() const { return closed_; }

 private:
  struct Control {
    const ControlTemplate* tpl;
    std::string text;
    bool on = false;
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> entries;
    int selection = 0;
    DialogCallback callback;
    int group = -1;  // radio group index
  };

  Control* find(int id);
  const Control* find(int id) const;
  void fire(int id);
  void setRadioOn(Control& c);

  const DialogTemplateData* template_;
  std::string title_;
  std::vector<Control> controls_;  // in template order
  std::map<int, std::size_t> index_;
  std::vector<std::vector<int>> groups_;
  DialogCallback ownCallback_;
  bool shown_ = false;
  bool closed_ = false;
};

// The host used by the batch front end and the tests: it builds model
// dialogs, records each modal dialog when it is shown, lets the owner act
// on it (onShow) and closes it at once.
class ModelDialogHost : public DialogHost {
 public:
  struct Shown {
    int templateId;
    std::string title;
    std::map<int, std::string> texts;  // text of every control with an id
  };

  std::unique_ptr<Dialog> DLG_INIT(int templateId) override;
  void DLG_SHOW_MODAL(Dialog& dialog) override;

  // Runs while a modal dialog is shown (after it has been recorded).
  std::function<void(ModelDialog&)> onShow;
  const std::vector<Shown>& shownDialogs() const { return shown_; }
  void clear() { shown_.clear(); }

 private:
  std::vector<Shown> shown_;
};

}  // namespace parvela
