#include "ui/qt/step_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <sstream>

#include "core/platform.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "ui/core/step_export.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/step_grid.h"

namespace parvela::qt {

namespace {
const QString kEmptyText = QStringLiteral("Pasii metodei apar aici dupa o rulare.");
}  // namespace

namespace {

QString joinLines(const std::vector<std::string>& lines) {
  QStringList l;
  for (const std::string& s : lines) l << fromStd(s);
  return l.join(QLatin1Char('\n'));
}

QToolButton* navButton(const QString& text, const QString& tip, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setText(text);
  b->setToolTip(tip);
  b->setAutoRaise(false);
  return b;
}

}  // namespace

StepView::StepView(QWidget* parent) : QWidget(parent) {
  title_ = new QLabel(this);
  title_->setTextFormat(Qt::PlainText);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  exactBox_ = new QCheckBox(QStringLiteral("Exact alaturi"), this);
  exactBox_->setToolTip(QStringLiteral("Aceleasi operatii in aritmetica exacta, langa valorile rularii"));
  export_ = new QPushButton(QStringLiteral("Exporta..."), this);
  export_->setToolTip(QStringLiteral("Pasii ca LaTeX, text sau JSON Lines"));
  auto* top = new QHBoxLayout;
  top->addWidget(title_, 1);
  top->addWidget(exactBox_);
  top->addWidget(export_);

  empty_ = new QLabel(kEmptyText, this);
  empty_->setAlignment(Qt::AlignCenter);

  model_ = new QStringListModel(this);
  list_ = new QListView(this);
  list_->setModel(model_);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setUniformItemSizes(true);
  list_->setFixedWidth(150);

  words_ = new QLabel(this);
  words_->setWordWrap(true);
  words_->setTextFormat(Qt::PlainText);
  words_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  words_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  caption_ = new QLabel(this);
  caption_->setTextFormat(Qt::PlainText);
  caption_->setStyleSheet(QStringLiteral("color: #555555"));
  grid_ = new StepGridView;
  area_ = new QScrollArea(this);
  area_->setWidget(grid_);
  area_->setWidgetResizable(false);
  area_->setFrameShape(QFrame::NoFrame);
  area_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  exactWords_ = new QLabel(this);
  exactWords_->setWordWrap(true);
  exactWords_->setTextFormat(Qt::PlainText);
  exactWords_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  exactWords_->setStyleSheet(QStringLiteral("color: #1b6e20"));
  exactWords_->hide();

  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(words_);
  right->addWidget(caption_);
  right->addWidget(area_, 1);
  right->addWidget(exactWords_);
  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->addWidget(list_);
  body->addLayout(right, 1);

  first_ = navButton(QStringLiteral("|<"), QStringLiteral("Primul pas (Home)"), this);
  previous_ = navButton(QStringLiteral("<"), QStringLiteral("Pasul anterior (sageata stanga)"), this);
  next_ = navButton(QStringLiteral(">"), QStringLiteral("Pasul urmator (sageata dreapta)"), this);
  last_ = navButton(QStringLiteral(">|"), QStringLiteral("Ultimul pas (End)"), this);
  slider_ = new QSlider(Qt::Horizontal, this);
  position_ = new QLabel(this);
  auto* nav = new QHBoxLayout;
  nav->addWidget(first_);
  nav->addWidget(previous_);
  nav->addWidget(slider_, 1);
  nav->addWidget(next_);
  nav->addWidget(last_);
  nav->addWidget(position_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(empty_, 1);
  layout->addLayout(body, 1);
  layout->addLayout(nav);

  connect(first_, &QToolButton::clicked, this, [this] { setPage(0); });
  connect(previous_, &QToolButton::clicked, this, [this] {
    if (page_ > 0) setPage(page_ - 1);
  });
  connect(next_, &QToolButton::clicked, this, [this] { setPage(page_ + 1); });
  connect(last_, &QToolButton::clicked, this, [this] {
    if (pageCount()) setPage(pageCount() - 1);
  });
  connect(slider_, &QSlider::valueChanged, this, [this](int v) { setPage(static_cast<std::size_t>(v)); });
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& i) {
            if (i.isValid()) setPage(static_cast<std::size_t>(i.row()));
          });
  connect(exactBox_, &QCheckBox::toggled, this, [this](bool on) { setExact(on); });
  connect(export_, &QPushButton::clicked, this, [this] { exportSteps(); });

  // The keys move through the steps wherever the focus is in the tab:
  // every control hands them here before its own handling.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  setFocusPolicy(Qt::StrongFocus);
  showSession();
}

bool StepView::stepKey(int key) {
  if (pageCount() == 0) return false;
  switch (key) {
    case Qt::Key_Left:
      if (page_ > 0) setPage(page_ - 1);
      return true;
    case Qt::Key_Right:
      setPage(page_ + 1);
      return true;
    case Qt::Key_Home:
      setPage(0);
      return true;
    case Qt::Key_End:
      setPage(pageCount() - 1);
      return true;
    default:
      return false;
  }
}

bool StepView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier && stepKey(key->key())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void StepView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() != Qt::NoModifier || !stepKey(event->key())) QWidget::keyPressEvent(event);
}

std::size_t StepView::pageCount() const { return parvela::pageCount(session_); }

void StepView::afterRead(bool ok) {
  read_ = ok ? snapshotRead(problem(), InputDataFile().contents()) : ReadSnapshot{};
}

void StepView::beginRun() { recorder_.begin(problem()); }

void StepView::endRun(const RunResult& run, std::int32_t number, const std::string& file) {
  if (!recorder_.active()) return;
  StepRun steps = recorder_.finish(run);
  if (!run.written() || steps.steps.empty()) return;  // refused or stopped: the last run's steps stay
  std::optional<ExactInput> input = exactInputFor(steps.start, &read_);
  session_ = StepSession(std::move(steps), std::move(input), file, number);
  page_ = 0;
  showSession();
}

void StepView::clear(const QString& why) {
  session_ = StepSession{};
  page_ = 0;
  empty_->setText(why.isEmpty() ? kEmptyText : why + QLatin1Char('\n') + kEmptyText);
  showSession();
}

void StepView::showSession() {
  const bool any = pageCount() > 0;
  empty_->setVisible(!any);
  for (QWidget* w : std::initializer_list<QWidget*>{list_, words_, caption_, area_, first_, previous_, next_, last_,
                                                    slider_, position_})
    w->setVisible(any);
  exactWords_->setVisible(any && exact_);
  export_->setEnabled(any);
  exactBox_->setEnabled(any && session_.exactPossible());
  if (!any) {
    title_->setText(QStringLiteral("Pas cu pas"));
    model_->setStringList({});
    return;
  }
  title_->setText(QStringLiteral("Rularea %1: %2, n = %3")
                      .arg(session_.number())
                      .arg(fromStd(session_.methodLabel()))
                      .arg(session_.run().start.n));
  QStringList titles;
  titles.reserve(static_cast<qsizetype>(pageCount()));
  for (std::size_t p = 0; p < pageCount(); ++p) titles << fromStd(pageTitle(session_, p));
  model_->setStringList(titles);
  {
    const QSignalBlocker block(slider_);
    slider_->setRange(0, static_cast<int>(pageCount()) - 1);
  }
  showPage();
}

void StepView::setPage(std::size_t page) {
  if (pageCount() == 0) return;
  page = std::min(page, pageCount() - 1);
  if (page == page_ && slider_->value() == static_cast<int>(page) &&
      list_->currentIndex().row() == static_cast<int>(page))
    return;
  page_ = page;
  showPage();
}

void StepView::setExact(bool on) {
  exact_ = on && session_.exactPossible();
  {
    const QSignalBlocker block(exactBox_);
    exactBox_->setChecked(exact_);
  }
  if (exact_ && !session_.exact()) exact_ = false;
  exactWords_->setVisible(exact_ && pageCount() > 0);
  if (pageCount() > 0) showPage();
}

void StepView::showPage() {
  if (pageCount() == 0) return;
  if (exact_) QApplication::setOverrideCursor(Qt::WaitCursor);
  StepPage p = makePage(session_, page_, exact_);
  if (exact_) QApplication::restoreOverrideCursor();
  words_->setText(joinLines(p.lines));
  exactWords_->setText(joinLines(p.exactLines));
  caption_->setText(fromStd(p.grid.caption));
  caption_->setVisible(!p.grid.caption.empty());
  grid_->setGrid(std::move(p.grid), exact_);
  fitGrid();
  {
    const QSignalBlocker a(slider_), b(list_->selectionModel());
    slider_->setValue(static_cast<int>(page_));
    const QModelIndex i = model_->index(static_cast<int>(page_));
    list_->setCurrentIndex(i);
    list_->scrollTo(i);
  }
  position_->setText(QStringLiteral("%1 / %2").arg(page_ + 1).arg(pageCount()));
  first_->setEnabled(page_ > 0);
  previous_->setEnabled(page_ > 0);
  next_->setEnabled(page_ + 1 < pageCount());
  last_->setEnabled(page_ + 1 < pageCount());
}

void StepView::fitGrid() {
  grid_->fitWidth(area_->viewport()->width() - 2);
  const QRect current = grid_->currentRowRect();
  if (current.isValid()) area_->ensureVisible(0, current.center().y(), 0, current.height());
}

void StepView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (pageCount() > 0) fitGrid();
}

bool StepView::exportTo(const QString& path) const {
  if (pageCount() == 0) return false;
  std::ostringstream out;
  if (path.endsWith(QLatin1String(".tex"), Qt::CaseInsensitive)) {
    writeLatexBegin(out);
    writeStepsLatex(out, session_, exact_);
    writeLatexEnd(out);
  } else if (path.endsWith(QLatin1String(".jsonl"), Qt::CaseInsensitive) ||
             path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
    writeStepsJson(out, session_);
  } else {
    writeStepsText(out, session_, exact_);
  }
  return writeFileAtomically(path.toStdString(), out.str());
}

void StepView::exportSteps() {
  QString filter;
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Exporta pasii"), QStringLiteral("pasi.tex"),
      QStringLiteral("LaTeX (*.tex);;Text (*.txt);;JSON Lines (*.jsonl)"), &filter);
  if (path.isEmpty()) return;
  if (!exportTo(path))
    platform().messageBox("Fisierul " + path.toStdString() + " nu poate fi scris.", "Error", IconKind::Error);
}

}  // namespace parvela::qt
