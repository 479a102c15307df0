#include "ui/qt/data_grid_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

#include "core/platform.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "ui/core/file_selection.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/results_window.h"

namespace parvela::qt {

namespace {

constexpr const char* kRefusedBackground = "#ffd0d0";
constexpr const char* kMirrorBackground = "#eeeeee";
constexpr const char* kZeroColor = "#9a9a9a";

int index(GridPart p) { return static_cast<int>(p); }

QString valueText(float v) { return QString::number(static_cast<double>(v), 'g', 9); }

}  // namespace

// ---------------------------------------------------------------------------
// Model

GridPartModel::GridPartModel(DataGrid& grid, GridPart part, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), part_(part) {}

int GridPartModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : grid_.rows(part_); }
int GridPartModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.columns(part_);
}

QVariant GridPartModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int r = index.row(), c = index.column();
  const std::string& text = grid_.text(part_, r, c);
  const bool mirror = !grid_.editable(part_, r, c);
  switch (role) {
    case Qt::DisplayRole:
      // An empty cell reads as 0 and is shown so, greyed.
      return text.empty() ? QStringLiteral("0") : fromStd(text);
    case Qt::EditRole:
      return fromStd(text);
    case Qt::ForegroundRole:
      if (text.empty() || mirror) return QColor(QLatin1String(kZeroColor));
      return {};
    case Qt::BackgroundRole:
      if (mirror) return QColor(QLatin1String(kMirrorBackground));
      if (!grid_.check(part_, r, c).ok) return QColor(QLatin1String(kRefusedBackground));
      return {};
    case Qt::ToolTipRole: {
      const QString name = fromStd(DataGrid::cellName(part_, mirror ? c : r, mirror ? r : c));
      const CellCheck k = grid_.check(part_, r, c);
      if (!k.ok) return name + QStringLiteral(": ") + fromStd(k.why);
      return name + QStringLiteral(" = ") + valueText(k.value) +
             (mirror ? QStringLiteral(" (din triunghiul superior)") : QString());
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return {};
  }
}

bool GridPartModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  if (!grid_.setText(part_, index.row(), index.column(), value.toString().trimmed().toStdString())) return false;
  emit dataChanged(index, index);
  if (part_ == GridPart::Matrix && index.row() != index.column()) {
    const QModelIndex mirror = this->index(index.column(), index.row());
    emit dataChanged(mirror, mirror);
  }
  emit edited();
  return true;
}

Qt::ItemFlags GridPartModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (grid_.editable(part_, index.row(), index.column())) f |= Qt::ItemIsEditable;
  return f;
}

QVariant GridPartModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  const QString k = QString::number(section + 1);
  if (orientation == Qt::Vertical) return part_ == GridPart::Constants ? QStringLiteral("c") : k;
  switch (part_) {
    case GridPart::Matrix: return k;
    case GridPart::Rhs: return QStringLiteral("b") + k;
    case GridPart::Constants: return QStringLiteral("c") + k;
  }
  return k;
}

void GridPartModel::refresh() {
  beginResetModel();
  endResetModel();
}

// ---------------------------------------------------------------------------
// View and editor

GridView::GridView(QWidget* parent) : QTableView(parent) {
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setTabKeyNavigation(true);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance(QStringLiteral("-0.000000000")) + 8);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
}

void GridView::moveDown() {
  const QModelIndex at = currentIndex();
  if (!at.isValid()) return;
  const QModelIndex next = model()->index(at.row() + 1, at.column());
  if (next.isValid()) setCurrentIndex(next);
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Enter in a cell, as in a spreadsheet: the value is kept and the cell
  // below becomes current.
  if (hint == QAbstractItemDelegate::SubmitModelCache) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    moveDown();
    return;
  }
  QTableView::closeEditor(editor, hint);
}

void GridView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    emit pasteRequested(currentIndex());
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    const QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty()) return;
    int top = cells[0].row(), bottom = top, left = cells[0].column(), right = left;
    for (const QModelIndex& i : cells) {
      top = std::min(top, i.row()), bottom = std::max(bottom, i.row());
      left = std::min(left, i.column()), right = std::max(right, i.column());
    }
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
      QStringList fields;
      for (int c = left; c <= right; ++c) fields << model()->index(r, c).data(Qt::DisplayRole).toString();
      lines << fields.join(u'\t');
    }
    QApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
    return;
  }
  if (state() != QAbstractItemView::EditingState) {
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
      for (const QModelIndex& i : selectionModel()->selectedIndexes())
        if (i.flags() & Qt::ItemIsEditable) model()->setData(i, QString(), Qt::EditRole);
      emit cellsCleared();
      return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      moveDown();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  auto* edit = new QLineEdit(parent);
  edit->setFrame(false);
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(edit, &QLineEdit::textChanged, edit, [this, edit](const QString& text) {
    const CellCheck k = checkCell(text.toStdString());
    edit->setStyleSheet(k.ok ? QString()
                             : QStringLiteral("QLineEdit { background: %1; }").arg(QLatin1String(kRefusedBackground)));
    emit checked(k.ok ? QString() : fromStd(k.why));
  });
  return edit;
}

// ---------------------------------------------------------------------------
// Window

DataGridWindow::DataGridWindow(GridSession& session, std::int32_t generatorIndex, bool invertElements,
                               QtPlatform& platform, QWidget* parent)
    : QDialog(parent), session_(session), generatorIndex_(generatorIndex), invertElements_(invertElements),
      platform_(platform) {
  setModal(true);
  setSizeGripEnabled(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setWindowTitle(QStringLiteral("Date - ") + QFileInfo(fromStd(session.path())).fileName() + QStringLiteral("[*]"));
  DataGrid& grid = session_.grid();
  const DataLayout layout = grid.layout();
  const bool generated = layout.matrix == DataLayout::Matrix::Generated;

  title_ = new QLineEdit(fromStd(grid.title()), this);
  title_->setAccessibleName(QStringLiteral("Titlu"));
  connect(title_, &QLineEdit::textEdited, this, [this](const QString& t) {
    session_.grid().setTitle(t.toStdString());
    markModified();
  });
  const auto spin = [this](int low, int high, int value) {
    auto* box = new QSpinBox(this);
    box->setRange(low, high);
    box->setValue(value);
    connect(box, &QSpinBox::valueChanged, this, [this] { sizesChanged(); });
    return box;
  };
  order_ = spin(1, DataGrid::kMaxOrder, grid.order());
  rhs_ = spin(1, layout.rhs ? DataGrid::kMaxRhs : std::max(DataGrid::kMaxRhs, grid.rhsCount()), grid.rhsCount());
  constants_ = spin(0, DataGrid::kMaxConstants, grid.constantCount());

  QString kind;
  switch (layout.matrix) {
    case DataLayout::Matrix::General: kind = QStringLiteral("Matrice generala: n randuri de cate n valori."); break;
    case DataLayout::Matrix::UpperTriangle:
      kind = QStringLiteral("Simetrica: se scrie triunghiul superior (randul i: A(i,i) ... A(i,n)); "
                            "sub diagonala, oglinda lui.");
      break;
    case DataLayout::Matrix::Generated:
      kind = QStringLiteral("Generata: ") +
             (generatorName(generatorIndex).empty() ? QStringLiteral("(alegeti matricea in lista Generare)")
                                                    : fromStd(std::string(generatorName(generatorIndex)))) +
             QStringLiteral(", din nc constante.");
      break;
  }
  if (!layout.rhs) kind += QStringLiteral(" Fara termeni liberi (nb se scrie in fisier).");

  auto* sizes = new QHBoxLayout;
  sizes->addWidget(new QLabel(QStringLiteral("n"), this));
  sizes->addWidget(order_);
  sizes->addSpacing(12);
  sizes->addWidget(new QLabel(QStringLiteral("nb"), this));
  sizes->addWidget(rhs_);
  auto* ncLabel = new QLabel(QStringLiteral("nc"), this);
  sizes->addSpacing(12);
  sizes->addWidget(ncLabel);
  sizes->addWidget(constants_);
  ncLabel->setVisible(generated);
  constants_->setVisible(generated);
  auto* kindLabel = new QLabel(kind, this);
  kindLabel->setWordWrap(true);
  sizes->addSpacing(12);
  sizes->addWidget(kindLabel, 1);

  const auto part = [&](GridPart p, const QString& caption) {
    auto* box = new QWidget(this);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(new QLabel(caption, box));
    auto* v = new GridView(box);
    auto* m = new GridPartModel(session_.grid(), p, v);
    v->setModel(m);
    // One editor's delegate per view: a shared one would send each view
    // the other views' editors.
    auto* delegate = new CellDelegate(v);
    connect(delegate, &CellDelegate::checked, this, [this](const QString& why) {
      if (why.isEmpty())
        setStatus(QString());
      else
        setStatus(why, kRefusedBackground);
    });
    v->setItemDelegate(delegate);
    v->setAccessibleName(caption);
    l->addWidget(v);
    views_[index(p)] = v;
    models_[index(p)] = m;
    connect(m, &GridPartModel::edited, this, [this] { markModified(); });
    connect(v, &GridView::pasteRequested, this, [this, p](const QModelIndex& at) {
      pasteAt(p, at, QApplication::clipboard()->text());
    });
    connect(v->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, p](const QModelIndex& now) { showCell(p, now); });
    return box;
  };
  auto* splitter = new QSplitter(this);
  QWidget* matrix = part(GridPart::Matrix, QStringLiteral("Matricea A"));
  QWidget* rhs = part(GridPart::Rhs, QStringLiteral("Termenii liberi (coloanele b1 ... bnb)"));
  QWidget* constants = part(GridPart::Constants, QStringLiteral("Constantele generatorului c1 ... cnc"));
  splitter->addWidget(matrix);
  splitter->addWidget(rhs);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  matrix->setVisible(!generated);
  rhs->setVisible(layout.rhs);
  constants->setVisible(generated);
  views_[index(GridPart::Constants)]->setMaximumHeight(views_[index(GridPart::Constants)]->fontMetrics().height() * 5);

  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setTextFormat(Qt::PlainText);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setAccessibleName(QStringLiteral("Starea grilei"));

  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton(QStringLiteral("Salveaza"), QDialogButtonBox::AcceptRole);
  QPushButton* close = buttons->addButton(QStringLiteral("Inchide"), QDialogButtonBox::RejectRole);
  save_->setAutoDefault(false);
  close->setAutoDefault(false);
  save_->setEnabled(!session_.readOnly());
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
  connect(close, &QPushButton::clicked, this, &DataGridWindow::reject);

  auto* layoutBox = new QVBoxLayout(this);
  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(new QLabel(QStringLiteral("Titlu"), this));
  titleRow->addWidget(title_, 1);
  layoutBox->addLayout(titleRow);
  layoutBox->addLayout(sizes);
  layoutBox->addWidget(splitter, 1);
  layoutBox->addWidget(constants);
  layoutBox->addWidget(status_);
  layoutBox->addWidget(buttons);
  resize(860, 540);

  showNotes();
  GridView* first = generated ? views_[index(GridPart::Constants)] : views_[index(GridPart::Matrix)];
  if (first->model()->rowCount() > 0 && first->model()->columnCount() > 0)
    first->setCurrentIndex(first->model()->index(0, 0));
  first->setFocus();
}

GridView* DataGridWindow::view(GridPart part) const { return views_[index(part)]; }
GridPartModel* DataGridWindow::model(GridPart part) const { return models_[index(part)]; }
QString DataGridWindow::statusText() const { return status_->text(); }

void DataGridWindow::setStatus(const QString& text, const char* color) {
  status_->setText(text);
  status_->setStyleSheet(color ? QStringLiteral("QLabel { background: %1; padding: 2px; }").arg(QLatin1String(color))
                               : QString());
}

void DataGridWindow::showNotes() {
  QStringList notes;
  for (const std::string& n : session_.notes()) notes << fromStd(n);
  if (const auto g = generatorNote(generatorIndex_, session_.grid())) notes << fromStd(*g);
  if (invertElements_ && session_.grid().layout().matrix != DataLayout::Matrix::Generated)
    notes << QStringLiteral("\"Inversare Coeficienti\": grila arata si salveaza valorile din fisier; "
                            "\"Citeste\" le inverseaza.");
  setStatus(notes.join(u'\n'));
}

void DataGridWindow::markModified() { setWindowModified(session_.modified()); }

void DataGridWindow::refreshAll() {
  for (GridPartModel* m : models_) m->refresh();
  markModified();
}

void DataGridWindow::sizesChanged() {
  if (updating_) return;
  DataGrid& g = session_.grid();
  g.setOrder(order_->value());
  g.setRhsCount(rhs_->value());
  g.setConstantCount(constants_->value());
  refreshAll();
  if (const auto note = generatorNote(generatorIndex_, g)) setStatus(fromStd(*note));
}

void DataGridWindow::showCell(GridPart part, const QModelIndex& at) {
  if (!at.isValid()) return;
  const DataGrid& g = session_.grid();
  const CellCheck k = g.check(part, at.row(), at.column());
  const QString name = fromStd(DataGrid::cellName(part, at.row(), at.column()));
  if (!k.ok)
    setStatus(name + QStringLiteral(": ") + fromStd(k.why), kRefusedBackground);
  else if (!g.text(part, at.row(), at.column()).empty())
    setStatus(name + QStringLiteral(" se citeste ca ") + valueText(k.value));
}

void DataGridWindow::pasteAt(GridPart part, const QModelIndex& at, const QString& text) {
  const int row = at.isValid() ? at.row() : 0, column = at.isValid() ? at.column() : 0;
  const DataGrid::PasteResult r = session_.grid().paste(part, row, column, text.toStdString());
  updating_ = true;
  order_->setValue(session_.grid().order());
  rhs_->setValue(session_.grid().rhsCount());
  constants_->setValue(session_.grid().constantCount());
  updating_ = false;
  refreshAll();
  QString said = QStringLiteral("Lipite: %1 valori").arg(r.filled);
  if (r.grew) said += QStringLiteral("; grila s-a marit");
  if (r.skipped > 0) said += QStringLiteral("; %1 valori nu au intrat (in afara grilei sau sub diagonala)").arg(r.skipped);
  if (const auto bad = session_.grid().firstBadCell())
    setStatus(said + QStringLiteral(". ") + fromStd(DataGrid::cellName(bad->part, bad->row, bad->column)) +
                  QStringLiteral(": ") + fromStd(bad->why),
              kRefusedBackground);
  else
    setStatus(said + u'.');
}

bool DataGridWindow::save() {
  // A value still being typed counts: leaving the cell commits it.
  save_->setFocus(Qt::OtherFocusReason);
  std::string message;
  switch (session_.save(message)) {
    case GridSession::SaveResult::Saved:
      savedMessage_ = message;
      setStatus(fromStd(message));
      markModified();
      return true;
    case GridSession::SaveResult::Unchanged:
      setStatus(fromStd(message));
      return false;
    case GridSession::SaveResult::BadCell:
      if (const auto bad = session_.grid().firstBadCell()) {
        GridView* v = views_[index(bad->part)];
        v->setCurrentIndex(v->model()->index(bad->row, bad->column));
        v->setFocus(Qt::OtherFocusReason);
      }
      setStatus(fromStd(message), kRefusedBackground);
      return false;
    case GridSession::SaveResult::Changed:
    case GridSession::SaveResult::IoError:
      setStatus(fromStd(message), kRefusedBackground);
      platform_.messageBox(message, "Error", IconKind::Error);
      return false;
  }
  return false;
}

void DataGridWindow::reject() {
  save_->setFocus(Qt::OtherFocusReason);
  if (session_.modified() && !session_.readOnly() &&
      !platform_.mayClose(QFileInfo(fromStd(session_.path())).fileName(), [this] { return save(); }))
    return;
  QDialog::reject();
}

// ---------------------------------------------------------------------------

void openDataGrid(QtDialog& main, bool newProblem) {
  ResultsWindow* results = Results();
  if (newProblem) {
    const std::string before = InputDataFile().path();
    const bool chosen = selectNewProblemFile(main);
    if (results && (chosen || InputDataFile().path() != before)) results->afterSelect();
    if (!chosen) return;
  } else if (!InputDataFile().selected()) {
    platform().messageBox("Nu a fost selectat niciun fisier de date.", "Error", IconKind::Error);
    return;
  }
  auto* desktop = dynamic_cast<QtPlatform*>(&platform().forwardsTo());
  if (!desktop) return;
  const ProblemState& s = problem();
  GridSession session = GridSession::open(InputDataFile().path(), DataLayout::of(s), s.n, s.nb, s.nc);
  DataGridWindow window(session, s.generatorIndex, s.invertElements, *desktop, &main);
  desktop->showDataGrid(window);
  if (results && !window.savedMessage().empty()) results->afterSave(window.savedMessage());
}

}  // namespace parvela::qt
