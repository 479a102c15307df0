// The dialog services on Qt Widgets: a dialog built from a template, every
// control placed at its template position. Dialog units are converted to
// pixels with the metrics of the font the dialog actually uses (a quarter
// of its average character width across, an eighth of its height down), so
// the window keeps its proportions on any desktop.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QRect>
#include <QSizeF>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/dialog.h"
#include "ui/core/templates.h"

class QButtonGroup;

namespace parvela::qt {

// The program's icon (icon resource 102), at every size drawn.
QIcon programIcon();

class QtDialog : public QDialog, public parvela::Dialog {
  Q_OBJECT
 public:
  // DLG_INIT: the dialog of a template; nullptr for an unknown template.
  static std::unique_ptr<QtDialog> create(int templateId, QWidget* owner = nullptr);
  explicit QtDialog(const DialogTemplateData& t, QWidget* owner = nullptr);
  ~QtDialog() override;

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

  // Shows the window and returns at once; the dialog's own callback gets
  // the initialization event first.
  bool DLG_SHOW_MODELESS();
  // Shows the window modally and returns when it has been closed.
  void DLG_SHOW_MODAL();

  // Closing (a push button without callback, Esc, the close box): the
  // window disappears and the dialog's own callback gets the destruction
  // event, once.
  void done(int result) override;
  // Esc and the close box act as the hidden Cancel button (2).
  void reject() override;
  bool isClosed() const { return closed_; }
  // Asked before every closing; returning false keeps the window open (the
  // main window asks so while work runs).
  void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

  // The widget of a control (nullptr when the template has no such id).
  QWidget* control(int id) const;
  template <class W>
  W* controlAs(int id) const {
    return qobject_cast<W*>(control(id));
  }
  // The widget of an entry of the template (also of one without an id).
  QWidget* widgetOf(const ControlTemplate& c) const;
  // Text or label as last set (not wrapped, trailing blanks kept).
  std::string label(int id) const;

  // Dialog base units of the dialog's font, in pixels (x: average
  // character width, y: character height).
  QSize fontBaseUnits() const { return fontBase_; }
  // The base units in use: the font's, widened when the texts of the
  // template need more room across than the font's average width gives
  // (fonts differ in how wide their letters are against that average).
  QSizeF baseUnits() const { return base_; }
  // A rectangle in dialog units in pixels.
  QRect toPixels(int x, int y, int width, int height) const;

 signals:
  // A control's callback has run (the user changed or pressed it).
  void controlFired(int id);

 private:
  struct Control {
    const ControlTemplate* tpl = nullptr;
    QWidget* widget = nullptr;
    std::string text;  // label or text as set
    DialogCallback callback;
  };

  Control* find(int id);
  const Control* find(int id) const;
  void build();
  QWidget* makeWidget(const ControlTemplate& c);
  void fire(int id);
  void clickedPushButton(int id);
  void showText(Control& ctl);
  bool showsWhole(const Control& ctl) const;
  void fitEditBox(Control& ctl);
  void fitListBox(Control& ctl);
  void placeControls(double zoom = 1.0);
  void fitTexts();
  int requiredWidth(const Control& ctl) const;
  int rightLimit(const ControlTemplate& c) const;

  const DialogTemplateData* template_;
  QSize fontBase_;
  QSizeF base_;
  std::vector<Control> controls_;  // template order
  std::map<int, std::size_t> index_;
  std::vector<QButtonGroup*> groups_;
  DialogCallback ownCallback_;
  std::function<bool()> closeGuard_;
  bool initSent_ = false;
  bool closed_ = false;
};

}  // namespace parvela::qt
