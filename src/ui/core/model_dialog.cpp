#include "ui/core/model_dialog.h"

#include <stdexcept>

#include "core/problem_state.h"

namespace parvela {

std::unique_ptr<ModelDialog> ModelDialog::create(int templateId) {
  const DialogTemplateData* t = findTemplate(templateId);
  if (!t) return nullptr;
  return std::make_unique<ModelDialog>(*t);
}

ModelDialog::ModelDialog(const DialogTemplateData& t)
    : template_(&t), title_(t.caption), groups_(radioGroups(t)) {
  controls_.reserve(t.controls.size());
  for (const auto& c : t.controls) {
    Control ctl;
    ctl.tpl = &c;
    ctl.text = std::string(c.label);
    ctl.visible = !c.hidden;
    if (c.id != kNoId) index_.emplace(c.id, controls_.size());
    controls_.push_back(std::move(ctl));
  }
  for (std::size_t g = 0; g < groups_.size(); ++g)
    for (int id : groups_[g]) find(id)->group = static_cast<int>(g);
}

namespace {
const DialogTemplateData& templateOf(int templateId) {
  const DialogTemplateData* t = findTemplate(templateId);
  if (!t) throw std::invalid_argument("no dialog template " + std::to_string(templateId));
  return *t;
}
}  // namespace

ModelDialog::ModelDialog(int templateId) : ModelDialog(templateOf(templateId)) {}

ModelDialog::Control* ModelDialog::find(int id) {
  auto it = index_.find(id);
  return it == index_.end() ? nullptr : &controls_[it->second];
}

const ModelDialog::Control* ModelDialog::find(int id) const {
  auto it = index_.find(id);
  return it == index_.end() ? nullptr : &controls_[it->second];
}

void ModelDialog::setRadioOn(Control& c) {
  if (c.group >= 0)
    for (int other : groups_[static_cast<std::size_t>(c.group)]) find(other)->on = false;
  c.on = true;
}

void ModelDialog::fire(int id) {
  const Control* c = find(id);
  if (!c || !c->callback) return;
  DialogCallback routine = c->callback;  // the callback may replace itself
  routine(*this, id, kEventChanged);
}

void ModelDialog::DLG_SET_CALLBACK(int controlId, DialogCallback routine) {
  if (controlId == template_->id) {
    ownCallback_ = std::move(routine);
    return;
  }
  if (Control* c = find(controlId)) c->callback = std::move(routine);
}

void ModelDialog::DLG_SET_TITLE(std::string_view text) { title_ = std::string(text); }

void ModelDialog::DLG_SET_STATE(int controlId, bool on) {
  Control* c = find(controlId);
  if (!c) return;
  if (c->tpl->kind == ControlKind::RadioButton) {
    if (on)
      setRadioOn(*c);
    else
      c->on = false;
  } else if (c->tpl->kind == ControlKind::CheckBox) {
    c->on = on;
  }
}

void ModelDialog::DLG_SET_ENABLED(int controlId, bool enabled) {
  if (Control* c = find(controlId)) c->enabled = enabled;
}

void ModelDialog::DLG_SET_TEXT(int controlId, std::string_view text) {
  Control* c = find(controlId);
  if (c && c->tpl->kind != ControlKind::ListBox) c->text = std::string(text);
}

void ModelDialog::DLG_SET_LABEL(int controlId, std::string_view text) { DLG_SET_TEXT(controlId, text); }

void ModelDialog::DLG_ADD_ENTRY(int listId, std::string_view text) {
  Control* c = find(listId);
  if (c && c->tpl->kind == ControlKind::ListBox) c->entries.emplace_back(text);
}

void ModelDialog::DLG_CLEAR_SELECTION(int listId) {
  if (Control* c = find(listId)) c->selection = 0;
}

bool ModelDialog::DLG_GET_STATE(int controlId) const {
  const Control* c = find(controlId);
  return c && c->on;
}

int ModelDialog::DLG_GET_SELECTION(int listId) const {
  const Control* c = find(listId);
  return c ? c->selection : 0;
}

std::string ModelDialog::DLG_GET_TEXT(int controlId, std::size_t length) const {
  const Control* c = find(controlId);
  return fixedText(c ? std::string_view(c->text) : std::string_view{}, length);
}

void ModelDialog::show() {
  if (shown_ || closed_) return;
  shown_ = true;
  if (ownCallback_) {
    DialogCallback routine = ownCallback_;
    routine(*this, template_->id, kEventInit);
  }
}

void ModelDialog::closeDialog() {
  if (closed_) return;
  closed_ = true;
  if (ownCallback_) {
    DialogCallback routine = ownCallback_;
    routine(*this, template_->id, kEventDestroy);
  }
}

bool ModelDialog::click(int id) {
  Control* c = find(id);
  if (closed_ || !c || !c->enabled) return false;
  switch (c->tpl->kind) {
    case ControlKind::RadioButton:
      setRadioOn(*c);
      fire(id);
      return true;
    case ControlKind::CheckBox:
      c->on = !c->on;
      fire(id);
      return true;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      if (c->callback)
        fire(id);
      else
        closeDialog();
      return true;
    default:
      return false;
  }
}

bool ModelDialog::select(int listId, int entry) {
  Control* c = find(listId);
  if (closed_ || !c || !c->enabled || c->tpl->kind != ControlKind::ListBox) return false;
  if (entry < 0 || entry > static_cast<int>(c->entries.size())) return false;
  c->selection = entry;
  fire(listId);
  return true;
}

bool ModelDialog::typeText(int id, std::string_view text) {
  Control* c = find(id);
  if (closed_ || !c || !c->enabled || c->tpl->kind != ControlKind::EditBox || c->tpl->readOnly)
    return false;
  c->text = std::string(text);
  fire(id);
  return true;
}

bool ModelDialog::pressEscape() {
  if (closed_) return false;
  const Control* cancel = find(kIdCancel);
  if (cancel && cancel->tpl->kind == ControlKind::PushButton) {
    if (!cancel->enabled) return false;
    if (cancel->callback)
      fire(kIdCancel);
    else
      closeDialog();
    return true;
  }
  closeDialog();
  return true;
}

bool ModelDialog::pressEnter() {
  for (const auto& c : controls_)
    if (c.tpl->kind == ControlKind::DefaultPushButton) return click(c.tpl->id);
  return false;
}

bool ModelDialog::hasControl(int id) const { return find(id) != nullptr; }

bool ModelDialog::isEnabled(int id) const {
  const Control* c = find(id);
  return c && c->enabled;
}

bool ModelDialog::isVisible(int id) const {
  const Control* c = find(id);
  return c && c->visible;
}

std::string ModelDialog::label(int id) const {
  const Control* c = find(id);
  return c ? c->text : std::string();
}

std::string ModelDialog::text(int id) const { return label(id); }

std::vector<std::string> ModelDialog::entries(int id) const {
  const Control* c = find(id);
  return c ? c->entries : std::vector<std::string>{};
}

bool ModelDialog::hasCallback(int id) const {
  if (id == template_->id) return static_cast<bool>(ownCallback_);
  const Control* c = find(id);
  return c && c->callback;
}

// ---------------------------------------------------------------------------

std::unique_ptr<Dialog> ModelDialogHost::DLG_INIT(int templateId) { return ModelDialog::create(templateId); }

void ModelDialogHost::DLG_SHOW_MODAL(Dialog& dialog) {
  auto* model = dynamic_cast<ModelDialog*>(&dialog);
  if (!model) return;
  model->show();
  Shown record{model->templateId(), model->title(), {}};
  for (const auto& c : model->dialogTemplate().controls)
    if (c.id != kNoId) record.texts[c.id] = model->text(c.id);
  shown_.push_back(std::move(record));
  if (onShow) onShow(*model);
  model->closeDialog();
}

namespace {
DialogHost* currentHost = nullptr;
}

DialogHost& dialogHost() {
  static ModelDialogHost fallback;
  return currentHost ? *currentHost : fallback;
}

void setDialogHost(DialogHost* host) { currentHost = host; }

}  // namespace parvela
