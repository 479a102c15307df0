// The status area of the window: the outcome of the last run, as the run
// wrote it to standard output (verdicts, iteration counts, the condition
// number, breakdowns), or why it did not run.
#pragma once

#include <QFrame>
#include <QStringList>

#include "ui/core/outcome.h"
#include "ui/core/read_outcome.h"

class QLabel;

namespace parvela::qt {

class OutcomeLine : public QFrame {
  Q_OBJECT
 public:
  explicit OutcomeLine(QWidget* parent = nullptr);

  void setOutcome(const Outcome& outcome, const QString& runTitle);
  // After "Citeste" or a save from the data grid (kind() stays the last
  // run's).
  void setReadOutcome(const ReadOutcome& outcome);
  void setBusy(const QString& text);
  void clear();

  Outcome::Kind kind() const { return kind_; }
  // The lines shown, one per standard-output line.
  QStringList lines() const;
  QString summary() const;
  QString badge() const;

 private:
  void display(const char* word, const char* color, const QString& summary, const std::vector<std::string>& lines);

  QLabel* badge_;
  QLabel* summary_;
  QLabel* lines_;
  Outcome::Kind kind_ = Outcome::Kind::Done;
};

}  // namespace parvela::qt
