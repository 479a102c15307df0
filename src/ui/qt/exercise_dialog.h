// "Exercitii": a set of exercise files with their answer key, as
// parvela-batch --exercises writes it: the kind, the order, how many, the
// seed (and the wanted condition for the ill-conditioned kind) and the folder.
#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

#include "analysis/exercises.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace parvela::qt {

class ExerciseDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ExerciseDialog(QWidget* parent = nullptr);

  ExerciseRequest request() const;
  void setRequest(const ExerciseRequest& r);
  QString folder() const;
  void setFolder(const QString& folder);

  // Writes the set into the folder, asking before files of that name are
  // replaced; says how it went in a message box. True when written.
  bool writeSet();
  // The files of the last set written (the key last).
  const std::vector<std::string>& written() const { return written_; }

  QComboBox* kindBox() const { return kind_; }
  QSpinBox* logCondBox() const { return logCond_; }
  QPushButton* writeButton() const { return write_; }

 private:
  void kindChanged();

  QComboBox* kind_;
  QSpinBox* order_;
  QSpinBox* count_;
  QLineEdit* seed_;
  QSpinBox* logCond_;
  QLabel* logCondLabel_;
  QLineEdit* folder_;
  QPushButton* write_;
  std::vector<std::string> written_;
};

}  // namespace parvela::qt
