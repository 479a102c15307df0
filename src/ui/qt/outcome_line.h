// The status area of the window: the outcome of the last run, as the run
// wrote it to standard output (verdicts, iteration counts, the condition
// number, breakdowns), or why it did not run.
#pragma once

#include <QFrame>
#include <QStringList>

#include "ui/core/outcome.h"

class QLabel;

namespace parvela::qt {

class OutcomeLine : public QFrame {
  Q_OBJECT
 public:
  explicit OutcomeLine(QWidget* parent = nullptr);

  void setOutcome(const Outcome& outcome, const QString& runTitle);
  void setBusy(const QString& text);
  void clear();

  Outcome::Kind kind() const { return kind_; }
  // The lines shown, one per standard-output line.
  QStringList lines() const;
  QString summary() const;

 private:
  QLabel* badge_;
  QLabel* summary_;
  QLabel* lines_;
  Outcome::Kind kind_ = Outcome::Kind::Done;
};

}  // namespace parvela::qt
