// The progress panel of the main window: what the work is doing, a bar when
// the amount of work is known, the elapsed time and the "Opreste" button.
// It sits below the template's controls; the window grows to make room for
// it while it is shown.
#pragma once

#include <QWidget>

#include <optional>

#include "core/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace parvela::qt {

class ProgressPanel : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressPanel(QWidget* window);

  // Shows the panel (growing the window) with the latest progress.
  void showProgress(const std::optional<Progress>& p, double seconds);
  // A last word after the work (a stop, say); the panel stays until hide().
  void showOutcome(const QString& text);
  // Hides the panel and gives the window its own size back.
  void hidePanel();
  bool shown() const { return shown_; }

  QLabel* stageLabel() const { return stage_; }
  QProgressBar* bar() const { return bar_; }
  QLabel* elapsedLabel() const { return elapsed_; }
  QPushButton* stopButton() const { return stop_; }

 signals:
  void stopClicked();

 private:
  void place();

  QLabel* stage_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QPushButton* stop_ = nullptr;
  QSize windowSize_;
  bool shown_ = false;
};

}  // namespace parvela::qt
