// "Date" and "Problema noua": the problem's data in a grid. Title, n, nb
// (nc), the matrix, the right-hand sides and the generator's constants in
// the layout the current choices read; arrow keys, Tab, Enter, Home/End,
// paste from a spreadsheet or a text; each cell checked with the reader's
// rules as it is typed, a refused one marked with why. "Salveaza" writes
// the data part of the file and keeps the rest.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QStyledItemDelegate>
#include <QTableView>

#include <cstdint>
#include <string>

#include "ui/core/data_grid.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace parvela::qt {

class QtDialog;
class QtPlatform;

// One part of the grid (matrix, right-hand sides, constants) for a view.
class GridPartModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  GridPartModel(DataGrid& grid, GridPart part, QObject* parent = nullptr);

  GridPart part() const { return part_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // After the grid changed as a whole (sizes, paste).
  void refresh();

 signals:
  void edited();

 private:
  DataGrid& grid_;
  GridPart part_;
};

// A view with a spreadsheet's keys: Enter moves down (also after typing),
// Delete empties the selected cells, Ctrl+V pastes from the cell under the
// cursor, Ctrl+C copies the selection as tab-separated text.
class GridView : public QTableView {
  Q_OBJECT
 public:
  explicit GridView(QWidget* parent = nullptr);

 signals:
  void pasteRequested(const QModelIndex& at);
  void cellsCleared();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  void moveDown();
};

// The cell editor: marks a value the reader would refuse as it is typed.
class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 signals:
  void checked(const QString& why) const;
};

class DataGridWindow : public QDialog {
  Q_OBJECT
 public:
  // `generatorIndex` and `invertElements`: the current choices, for what
  // the window tells about them.
  DataGridWindow(GridSession& session, std::int32_t generatorIndex, bool invertElements, QtPlatform& platform,
                 QWidget* parent = nullptr);

  GridSession& session() { return session_; }
  GridView* view(GridPart part) const;
  GridPartModel* model(GridPart part) const;
  QLineEdit* titleEdit() const { return title_; }
  QSpinBox* orderBox() const { return order_; }
  QSpinBox* rhsBox() const { return rhs_; }
  QSpinBox* constantsBox() const { return constants_; }
  QPushButton* saveButton() const { return save_; }
  QString statusText() const;

  // "Salveaza": true when the file now holds the grid's data.
  bool save();
  // The message of the last save that wrote the file (empty when none did).
  const std::string& savedMessage() const { return savedMessage_; }
  // Pastes `text` at the current cell of `part`'s view.
  void pasteAt(GridPart part, const QModelIndex& at, const QString& text);

  // Closes after asking, when the grid has unsaved changes, whether to save.
  void reject() override;

 private:
  void sizesChanged();
  void refreshAll();
  void showCell(GridPart part, const QModelIndex& index);
  void setStatus(const QString& text, const char* color = nullptr);
  void showNotes();
  void markModified();

  GridSession& session_;
  std::int32_t generatorIndex_;
  bool invertElements_;
  QtPlatform& platform_;
  QLineEdit* title_ = nullptr;
  QSpinBox* order_ = nullptr;
  QSpinBox* rhs_ = nullptr;
  QSpinBox* constants_ = nullptr;
  GridView* views_[3] = {};
  GridPartModel* models_[3] = {};
  QLabel* status_ = nullptr;
  QPushButton* save_ = nullptr;
  std::string savedMessage_;
  bool updating_ = false;
};

// "Date" (newProblem false: the selected file's data, as the reader reads
// them with the current choices) or "Problema noua" (a file chosen with
// the dialog of "Selecteaza", its data or an empty problem): the grid,
// modal over the main window. The results window is told of a save.
void openDataGrid(QtDialog& main, bool newProblem);

}  // namespace parvela::qt
