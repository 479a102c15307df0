#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_text.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include "core/problem_state.h"

namespace parvela::qt {

namespace {

// A single-selection list box as the desktop's own: a click selects the
// entry under it, and once an entry is selected nothing the user does
// (a click below the entries, Ctrl+click) leaves the list without one.
// Only the program clears it.
class SingleChoiceList final : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override {
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
      return QItemSelectionModel::ClearAndSelect;
    return flags;
  }
};

// An edit box of a template. While the user types, the text scrolls with
// the cursor; once the box loses the focus, or when the program sets the
// text, an editable box shows the start of its text (the leading digits of
// a number). A text longer than the box is also its tooltip.
class TemplateEdit final : public QLineEdit {
 public:
  explicit TemplateEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { updateTip(); });
  }

  // The width the text needs fits the room inside the frame.
  bool showsWhole() const {
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this);
    const QMargins tm = textMargins();
    const int room = contents.width() - tm.left() - tm.right() - 2 * 2;  // the edit's own margin
    return fontMetrics().horizontalAdvance(text()) + 1 <= room;           // one pixel for the cursor
  }
  // After the program set the text (with the signals blocked).
  void textSet() {
    if (!isReadOnly() && !hasFocus()) setCursorPosition(0);
    updateTip();
  }

 protected:
  void focusOutEvent(QFocusEvent* e) override {
    QLineEdit::focusOutEvent(e);
    if (!isReadOnly()) setCursorPosition(0);
  }
  void resizeEvent(QResizeEvent* e) override {
    QLineEdit::resizeEvent(e);
    updateTip();
  }

 private:
  void updateTip() { setToolTip(showsWhole() ? QString() : text()); }
};

// Text for a label: the lines of a dialog text are separated by CR LF;
// trailing blanks are not shown (a centred label would look off-centre),
// nor empty lines at the end.
QString displayText(std::string_view text) {
  QString s = fromStd(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QStringList lines = s.split(QLatin1Char('\n'));
  for (QString& line : lines) {
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == QLatin1Char(' ')) --end;
    line.truncate(end);
  }
  while (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();  // a final line end shows nothing
  return lines.join(QLatin1Char('\n'));
}

// Breaks a button label into lines of at most `width` pixels, at blanks.
QString wrapWords(const QString& text, const QFontMetrics& fm, int width) {
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QStringList lines;
  QString line;
  for (const QString& w : words) {
    const QString candidate = line.isEmpty() ? w : line + QLatin1Char(' ') + w;
    if (!line.isEmpty() && fm.horizontalAdvance(candidate) > width) {
      lines << line;
      line = w;
    } else {
      line = candidate;
    }
  }
  if (!line.isEmpty()) lines << line;
  return lines.join(QLatin1Char('\n'));
}

// The narrowest width, at least `floor`, in which the words of `text` take
// no more than `lines` lines.
int wrapWidth(const QString& text, const QFontMetrics& fm, int lines) {
  int lo = 0;
  for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    lo = std::max(lo, fm.horizontalAdvance(w));
  int hi = std::max(lo, fm.horizontalAdvance(text));
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (wrapWords(text, fm, mid).count(QLatin1Char('\n')) + 1 <= lines)
      hi = mid;
    else
      lo = mid + 1;
  }
  return hi;
}

bool isTextKind(ControlKind k) {
  return k == ControlKind::RadioButton || k == ControlKind::CheckBox || k == ControlKind::Label;
}

}  // namespace

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/parvela/icons/parvela-%1.png").arg(size), QSize(size, size));
  return icon;
}

std::unique_ptr<QtDialog> QtDialog::create(int templateId, QWidget* owner) {
  const DialogTemplateData* t = findTemplate(templateId);
  if (!t) return nullptr;
  return std::make_unique<QtDialog>(*t, owner);
}

QtDialog::QtDialog(const DialogTemplateData& t, QWidget* owner) : QDialog(owner), template_(&t) {
  build();
}

QtDialog::~QtDialog() { closeGuard_ = nullptr; }

QRect QtDialog::toPixels(int x, int y, int width, int height) const {
  const double bx = base_.width() / 4, by = base_.height() / 8;
  return QRect(qRound(x * bx), qRound(y * by), qRound(width * bx), qRound(height * by));
}

void QtDialog::build() {
  const DialogTemplateData& t = *template_;
  // The template's font, or the desktop's closest sans-serif face at the
  // template's size where that family is not installed.
  QFont templateFont(fromStd(t.fontName));
  templateFont.setStyleHint(QFont::SansSerif);
  if (t.fontPointSize > 0) templateFont.setPointSize(t.fontPointSize);
  setFont(templateFont);

  // Dialog base units: the average width of the letters (rounded as the
  // platform does) and the height of the font actually used.
  const QFontMetrics fm(font());
  const int alphabet =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  fontBase_ = QSize((alphabet / 26 + 1) / 2, fm.height());
  base_ = QSizeF(fontBase_);

  Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint;
  flags |= t.minimizeBox ? (Qt::Window | Qt::WindowMinimizeButtonHint) : Qt::Dialog;
  setWindowFlags(flags);
  setWindowTitle(fromStd(t.caption));
  setWindowIcon(programIcon());

  controls_.reserve(t.controls.size());
  for (const ControlTemplate& c : t.controls) {
    Control ctl;
    ctl.tpl = &c;
    ctl.text = std::string(c.label);
    if (c.id != kNoId) index_.emplace(c.id, controls_.size());
    controls_.push_back(std::move(ctl));
  }
  for (Control& ctl : controls_) {
    const ControlTemplate& c = *ctl.tpl;
    ctl.widget = makeWidget(c);
    if (c.hidden) ctl.widget->hide();
  }
  placeControls();
  // Group boxes are frames drawn behind the controls they surround.
  for (Control& ctl : controls_)
    if (ctl.tpl->kind == ControlKind::GroupBox) ctl.widget->lower();

  for (const std::vector<int>& ids : radioGroups(t)) {
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int id : ids)
      if (auto* b = controlAs<QAbstractButton>(id)) group->addButton(b);
    groups_.push_back(group);
  }
}

QWidget* QtDialog::makeWidget(const ControlTemplate& c) {
  const int id = c.id;
  switch (c.kind) {
    case ControlKind::RadioButton: {
      auto* b = new QRadioButton(this);
      b->setAutoExclusive(false);  // the radio groups decide
      connect(b, &QAbstractButton::clicked, this, [this, id] { fire(id); });
      return b;
    }
    case ControlKind::CheckBox: {
      auto* b = new QCheckBox(this);
      connect(b, &QAbstractButton::clicked, this, [this, id] { fire(id); });
      return b;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
      auto* b = new QPushButton(this);
      b->setDefault(c.kind == ControlKind::DefaultPushButton);
      connect(b, &QAbstractButton::clicked, this, [this, id] { clickedPushButton(id); });
      return b;
    }
    case ControlKind::ListBox: {
      auto* list = new SingleChoiceList(this);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
      list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      list->setUniformItemSizes(true);
      connect(list, &QListWidget::itemSelectionChanged, this, [this, id] { fire(id); });
      return list;
    }
    case ControlKind::EditBox:
    case ControlKind::ReadOnlyEditBox: {
      auto* edit = new TemplateEdit(this);
      edit->setReadOnly(c.readOnly || c.kind == ControlKind::ReadOnlyEditBox);
      if (edit->isReadOnly()) edit->setBackgroundRole(QPalette::Window);
      // Typing, pasting and cutting (not text set by the program).
      connect(edit, &QLineEdit::textEdited, this, [this, id] { fire(id); });
      return edit;
    }
    case ControlKind::Label:
    case ControlKind::SunkenLabel:
    case ControlKind::CentredSunkenLabel: {
      auto* label = new QLabel(this);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      if (c.kind == ControlKind::CentredSunkenLabel) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(false);
      } else {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      }
      if (c.kind != ControlKind::Label) label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      return label;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(this);
    case ControlKind::Icon: {
      auto* label = new QLabel(this);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setPixmap(programIcon().pixmap(QSize(32, 32)));
      return label;
    }
  }
  return new QWidget(this);
}

QtDialog::Control* QtDialog::find(int id) {
  auto it = index_.find(id);
  return it == index_.end() ? nullptr : &controls_[it->second];
}

const QtDialog::Control* QtDialog::find(int id) const {
  auto it = index_.find(id);
  return it == index_.end() ? nullptr : &controls_[it->second];
}

QWidget* QtDialog::control(int id) const {
  const Control* c = find(id);
  return c ? c->widget : nullptr;
}

QWidget* QtDialog::widgetOf(const ControlTemplate& c) const {
  for (const Control& ctl : controls_)
    if (ctl.tpl == &c) return ctl.widget;
  return nullptr;
}

std::string QtDialog::label(int id) const {
  const Control* c = find(id);
  if (!c) return {};
  if (auto* edit = qobject_cast<QLineEdit*>(c->widget)) return edit->text().toStdString();
  return c->text;
}

// ---------------------------------------------------------------------------
// Events

void QtDialog::fire(int id) {
  const Control* c = find(id);
  if (!c || !c->callback) return;
  DialogCallback routine = c->callback;  // the callback may replace itself
  const QPointer<QtDialog> self(this);
  routine(*this, id, kEventChanged);
  if (self) emit controlFired(id);
}

void QtDialog::clickedPushButton(int id) {
  const Control* c = find(id);
  if (!c) return;
  if (c->callback)
    fire(id);
  else
    done(id);  // a push button without callback closes its dialog
}

void QtDialog::reject() {
  if (closed_) return;
  if (const Control* cancel = find(kIdCancel);
      cancel && (cancel->tpl->kind == ControlKind::PushButton ||
                 cancel->tpl->kind == ControlKind::DefaultPushButton)) {
    if (!cancel->widget->isEnabled()) return;
    clickedPushButton(kIdCancel);
    return;
  }
  done(QDialog::Rejected);
}

void QtDialog::done(int result) {
  if (closed_) return;
  if (closeGuard_ && !closeGuard_()) return;
  closed_ = true;
  QDialog::done(result);
  if (ownCallback_) {
    DialogCallback routine = ownCallback_;
    routine(*this, template_->id, kEventDestroy);
  }
}

bool QtDialog::DLG_SHOW_MODELESS() {
  if (closed_) return false;
  fitTexts();
  if (!initSent_) {
    initSent_ = true;
    if (ownCallback_) {
      DialogCallback routine = ownCallback_;
      routine(*this, template_->id, kEventInit);
    }
  }
  // The template position: from the owner's corner, or from the screen's.
  QPoint origin;
  if (QWidget* owner = parentWidget())
    origin = owner->mapToGlobal(QPoint(0, 0));
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    origin = screen->availableGeometry().topLeft();
  move(origin + toPixels(template_->x, template_->y, 0, 0).topLeft());
  show();
  return true;
}

void QtDialog::DLG_SHOW_MODAL() {
  setModal(true);
  if (!DLG_SHOW_MODELESS()) return;
  if (!closed_) exec();
}

// ---------------------------------------------------------------------------
// Services

void QtDialog::DLG_SET_CALLBACK(int controlId, DialogCallback routine) {
  if (controlId == template_->id) {
    ownCallback_ = std::move(routine);
    return;
  }
  if (Control* c = find(controlId)) c->callback = std::move(routine);
}

void QtDialog::DLG_SET_TITLE(std::string_view text) { setWindowTitle(fromStd(text)); }

void QtDialog::DLG_SET_STATE(int controlId, bool on) {
  Control* c = find(controlId);
  if (!c) return;
  auto* b = qobject_cast<QAbstractButton*>(c->widget);
  if (!b || !b->isCheckable()) return;
  const QSignalBlocker block(b);
  QButtonGroup* group = b->group();
  if (!on && group && group->exclusive() && b->isChecked()) {
    // An exclusive group keeps one button on; turning the last one off is
    // still allowed here.
    group->setExclusive(false);
    b->setChecked(false);
    group->setExclusive(true);
  } else {
    b->setChecked(on);  // turning one on turns the others of its group off
  }
}

void QtDialog::DLG_SET_ENABLED(int controlId, bool enabled) {
  if (Control* c = find(controlId)) c->widget->setEnabled(enabled);
}

void QtDialog::DLG_SET_TEXT(int controlId, std::string_view text) {
  Control* c = find(controlId);
  if (!c || c->tpl->kind == ControlKind::ListBox) return;
  c->text = std::string(text);
  showText(*c);
}

void QtDialog::DLG_SET_LABEL(int controlId, std::string_view text) { DLG_SET_TEXT(controlId, text); }

void QtDialog::DLG_ADD_ENTRY(int listId, std::string_view text) {
  Control* c = find(listId);
  if (auto* list = c ? qobject_cast<QListWidget*>(c->widget) : nullptr) {
    {
      const QSignalBlocker block(list);
      list->addItem(fromStd(text));
    }
    fitListBox(*c);
  }
}

void QtDialog::DLG_CLEAR_SELECTION(int listId) {
  Control* c = find(listId);
  if (auto* list = c ? qobject_cast<QListWidget*>(c->widget) : nullptr) {
    const QSignalBlocker block(list);
    list->clearSelection();
    list->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
  }
}

bool QtDialog::DLG_GET_STATE(int controlId) const {
  const Control* c = find(controlId);
  auto* b = c ? qobject_cast<QAbstractButton*>(c->widget) : nullptr;
  return b && b->isCheckable() && b->isChecked();
}

int QtDialog::DLG_GET_SELECTION(int listId) const {
  const Control* c = find(listId);
  auto* list = c ? qobject_cast<QListWidget*>(c->widget) : nullptr;
  if (!list) return 0;
  const QModelIndexList selected = list->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

std::string QtDialog::DLG_GET_TEXT(int controlId, std::size_t length) const {
  return fixedText(label(controlId), length);
}

// ---------------------------------------------------------------------------
// Display of texts

void QtDialog::showText(Control& ctl) {
  const ControlTemplate& c = *ctl.tpl;
  QWidget* w = ctl.widget;
  switch (c.kind) {
    case ControlKind::RadioButton:
    case ControlKind::CheckBox: {
      auto* b = static_cast<QAbstractButton*>(w);
      const QString text = displayText(ctl.text);
      // A label too long for one line is broken into lines when the
      // control is tall enough for them (or declared multi-line).
      const QFontMetrics fm(b->font());
      b->setText(text);
      const int need = b->sizeHint().width();
      const bool tall = b->height() >= 2 * fm.lineSpacing() - fm.leading();
      if (need > b->width() && (tall || c.multiLine))
        b->setText(wrapWords(text, fm, b->width() - (need - fm.horizontalAdvance(text))));
      break;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      static_cast<QPushButton*>(w)->setText(displayText(ctl.text));
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(w)->setTitle(displayText(ctl.text));
      break;
    case ControlKind::Label:
    case ControlKind::SunkenLabel:
    case ControlKind::CentredSunkenLabel:
      static_cast<QLabel*>(w)->setText(displayText(ctl.text));
      break;
    case ControlKind::EditBox:
    case ControlKind::ReadOnlyEditBox: {
      auto* edit = static_cast<QLineEdit*>(w);
      const QSignalBlocker block(edit);
      edit->setText(fromStd(ctl.text));
      if (edit->isReadOnly()) fitEditBox(ctl);
      static_cast<TemplateEdit*>(edit)->textSet();
      return;
    }
    case ControlKind::ListBox:
    case ControlKind::Icon:
      return;
  }
  // A text its control cannot show whole is its tooltip.
  const QString whole = displayText(ctl.text);
  w->setToolTip(showsWhole(ctl) ? QString() : whole);
}

// Whether a button, label or group box shows all of its text.
bool QtDialog::showsWhole(const Control& ctl) const {
  const ControlTemplate& c = *ctl.tpl;
  QWidget* w = ctl.widget;
  const QFontMetrics fm(w->font());
  switch (c.kind) {
    case ControlKind::RadioButton:
    case ControlKind::CheckBox: {
      auto* b = static_cast<QAbstractButton*>(w);
      const int lines = int(b->text().count(QLatin1Char('\n'))) + 1;
      return b->sizeHint().width() <= b->width() + 1 &&
             lines * fm.lineSpacing() <= b->height() + fm.leading();
    }
    case ControlKind::Label:
    case ControlKind::SunkenLabel:
    case ControlKind::CentredSunkenLabel: {
      auto* label = static_cast<QLabel*>(w);
      if (label->text().isEmpty()) return true;
      const QRect room = label->contentsRect();
      if (label->wordWrap()) return label->heightForWidth(label->width()) <= label->height();
      const QSize need = fm.size(0, label->text());
      return need.width() <= room.width() && need.height() <= room.height() + fm.leading();
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
      auto* b = static_cast<QPushButton*>(w);
      QStyleOptionButton opt;
      opt.initFrom(b);
      opt.rect = b->rect();
      const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
      return fm.horizontalAdvance(b->text()) <= room.width();
    }
    case ControlKind::GroupBox:
      return fm.horizontalAdvance(static_cast<QGroupBox*>(w)->title()) + 16 <= w->width();
    default:
      return true;
  }
}

// A read-only box whose text is longer than the box (n and nb of four
// digits and more, say) grows to the right to show all of it, as far as
// the free room beside it goes; with a shorter text it returns to its size.
void QtDialog::fitEditBox(Control& ctl) {
  auto* edit = static_cast<QLineEdit*>(ctl.widget);
  const ControlTemplate& c = *ctl.tpl;
  const QRect home = toPixels(c.x, c.y, c.width, c.height);
  const QFontMetrics fm(edit->font());
  const QMargins tm = edit->textMargins();
  QStyleOptionFrame opt;
  opt.initFrom(edit);
  opt.lineWidth = edit->hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken;
  opt.features = QStyleOptionFrame::None;
  const int textWidth = fm.horizontalAdvance(edit->text()) + 1;  // one pixel for the cursor
  const int needed =
      style()
          ->sizeFromContents(QStyle::CT_LineEdit, &opt,
                             QSize(textWidth + 2 * 2 + tm.left() + tm.right(), fm.height()), edit)
          .width();
  int width = home.width();
  if (needed > width && home.x() + needed <= toPixels(rightLimit(c), 0, 0, 0).x()) width = needed;
  edit->setGeometry(QRect(home.topLeft(), QSize(width, home.height())));
  edit->setCursorPosition(width == home.width() && needed > width ? int(edit->text().size()) : 0);
}

// A list box whose entries are wider than the box grows to the right, as
// far as the free room beside it goes.
void QtDialog::fitListBox(Control& ctl) {
  auto* list = static_cast<QListWidget*>(ctl.widget);
  const ControlTemplate& c = *ctl.tpl;
  const QRect home = toPixels(c.x, c.y, c.width, c.height);
  int needed = list->sizeHintForColumn(0) + 2 * list->frameWidth() + 2;
  const int rowHeight = list->count() > 0 ? list->sizeHintForRow(0) : 0;
  if (rowHeight * list->count() > home.height() - 2 * list->frameWidth())
    needed += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
  const int limit = toPixels(rightLimit(c), 0, 0, 0).x() - home.x();
  const int width = std::clamp(needed, home.width(), std::max(home.width(), limit));
  list->setGeometry(QRect(home.topLeft(), QSize(width, home.height())));
  // An entry still too wide for the box is its own tooltip.
  int room = width - 2 * list->frameWidth();
  if (rowHeight * list->count() > home.height() - 2 * list->frameWidth())
    room -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
  QStyleOptionViewItem opt;
  opt.initFrom(list);
  for (int row = 0; row < list->count(); ++row) {
    QListWidgetItem* item = list->item(row);
    const int need = list->itemDelegate()->sizeHint(opt, list->model()->index(row, 0)).width();
    item->setToolTip(need > room ? item->text() : QString());
  }
}

// The right edge, in dialog units, up to which a control may grow: the
// first control to its right on the same rows, or the frame of the group
// box around it, or the dialog's edge.
int QtDialog::rightLimit(const ControlTemplate& c) const {
  const int gap = 1;
  int limit = template_->width - gap;
  for (const Control& other : controls_) {
    const ControlTemplate& o = *other.tpl;
    if (&o == &c || o.hidden) continue;
    const bool sameRows = o.y < c.y + c.height && c.y < o.y + o.height;
    if (!sameRows) continue;
    if (o.kind == ControlKind::GroupBox && o.x <= c.x && c.x + c.width <= o.x + o.width)
      limit = std::min(limit, o.x + o.width - 2 * gap);
    else if (o.x >= c.x + c.width)
      limit = std::min(limit, o.x - gap);
  }
  return std::max(limit, c.x + c.width);
}

// The width in pixels a control needs to show its template text.
int QtDialog::requiredWidth(const Control& ctl) const {
  const ControlTemplate& c = *ctl.tpl;
  const QString text = displayText(c.label);
  if (text.isEmpty()) return 0;
  QWidget* w = ctl.widget;
  const QFontMetrics fm(w->font());
  const int height = toPixels(0, 0, 0, c.height).height();
  const int lines = std::max(1, (height + fm.leading()) / fm.lineSpacing());
  switch (c.kind) {
    case ControlKind::RadioButton:
    case ControlKind::CheckBox: {
      // The button's own measure, with the text as it will be broken.
      auto* b = static_cast<QAbstractButton*>(w);
      const QString saved = b->text();
      const int room = lines >= 2 ? wrapWidth(text, fm, lines) : fm.horizontalAdvance(text);
      b->setText(lines >= 2 ? wrapWords(text, fm, room) : text);
      const int need = b->sizeHint().width();
      b->setText(saved);
      return need;
    }
    case ControlKind::Label:
      // One pixel more: the advances of the letters have fractions the
      // rounded width leaves out.
      return (lines >= 2 ? wrapWidth(text, fm, lines) : fm.horizontalAdvance(text)) + 1;
    case ControlKind::SunkenLabel:
    case ControlKind::CentredSunkenLabel:
      return fm.horizontalAdvance(text) + 6;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      return fm.horizontalAdvance(text) + 6;
    case ControlKind::GroupBox:
      return fm.horizontalAdvance(text) + 16;
    default:
      return 0;
  }
}

// Places every control. The base units are those of the font, widened
// across when some text of the template would not fit in the room it has
// (its own width, or for a label, radio button or check box also the free
// room to its right). Labels, radio buttons and check boxes then take the
// width their text needs within that room.
void QtDialog::placeControls(double zoom) {
  double scale = 1.0;
  for (const Control& ctl : controls_) {
    const ControlTemplate& c = *ctl.tpl;
    if (c.hidden) continue;
    const int need = requiredWidth(ctl);
    if (need <= 0) continue;
    const int roomDlu = (isTextKind(c.kind) ? rightLimit(c) : c.x + c.width) - c.x;
    const double room = roomDlu * fontBase_.width() / 4.0;
    if (room > 0) scale = std::max(scale, need / room);
  }
  scale = std::min(scale, 1.5);
  base_ = QSizeF(fontBase_.width() * scale * zoom, fontBase_.height() * zoom);

  setFixedSize(toPixels(0, 0, template_->width, template_->height).size());
  for (Control& ctl : controls_) {
    const ControlTemplate& c = *ctl.tpl;
    QRect r = toPixels(c.x, c.y, c.width, c.height);
    if (isTextKind(c.kind)) {
      const int limit = toPixels(rightLimit(c), 0, 0, 0).x();
      r.setWidth(std::clamp(requiredWidth(ctl), r.width(), std::max(r.width(), limit - r.x())));
    }
    ctl.widget->setGeometry(r);
    showText(ctl);
    if (c.kind == ControlKind::ListBox) fitListBox(ctl);
  }
}

// Texts set while the dialog is built (the help boxes') may need more room
// than their boxes give with this font: the whole dialog is then enlarged,
// across and down alike, until every such text fits.
void QtDialog::fitTexts() {
  double zoom = 1.0;
  for (const Control& ctl : controls_) {
    const ControlTemplate& c = *ctl.tpl;
    if (c.hidden || (c.kind != ControlKind::Label && c.kind != ControlKind::SunkenLabel)) continue;
    auto* label = static_cast<QLabel*>(ctl.widget);
    if (label->text().isEmpty() || !label->wordWrap()) continue;
    const QRect r = toPixels(c.x, c.y, c.width, c.height);
    auto fits = [&](double z) { return label->heightForWidth(qRound(r.width() * z)) <= qRound(r.height() * z); };
    if (fits(zoom)) continue;
    double lo = zoom, hi = 2.0;
    if (!fits(hi)) {
      zoom = hi;
      continue;
    }
    while (hi - lo > 0.005) {
      const double mid = (lo + hi) / 2;
      (fits(mid) ? hi : lo) = mid;
    }
    zoom = hi;
  }
  if (zoom > 1.0) placeControls(zoom * base_.height() / fontBase_.height());
}
}  // namespace parvela::qt
