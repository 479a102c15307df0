// The "Pas cu pas" tab: the steps of the last run, one page at a time. A
// step list, first / previous / next / last, a slider and the keys (arrows,
// Home, End) move through them; each page says what the step did in words
// and shows the arrays after it (or a table of iterations). The exact
// toggle puts the exact values beside the run's; one button exports the
// steps as LaTeX, plain text or JSON Lines.
#pragma once

#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/exact_input.h"
#include "analysis/step_record.h"
#include "ui/core/step_pages.h"

class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QScrollArea;
class QSlider;
class QStringListModel;
class QToolButton;

namespace parvela::qt {

class StepGridView;

class StepView : public QWidget {
  Q_OBJECT
 public:
  explicit StepView(QWidget* parent = nullptr);

  // The listener to chain behind the results window's recorder.
  StepListener* listener() { return &recorder_; }
  // After a read (ok: the data were read), before and after a run.
  void afterRead(bool ok);
  void beginRun();
  // After a run: its steps are shown when it wrote its report.
  void endRun(const RunResult& run, std::int32_t number, const std::string& file);
  // Drops the run shown; `why` says so where its steps were.
  void clear(const QString& why);

  const StepSession& session() const { return session_; }
  std::size_t pageCount() const;
  std::size_t page() const { return page_; }
  void setPage(std::size_t page);
  void setExact(bool on);
  bool exact() const { return exact_; }

  // Writes the steps shown: LaTeX for *.tex, JSON Lines for *.jsonl,
  // plain text otherwise. False when the file could not be written.
  bool exportTo(const QString& path) const;

  StepGridView* gridView() const { return grid_; }
  QScrollArea* gridArea() const { return area_; }
  QLabel* wordsLabel() const { return words_; }
  QLabel* exactLabel() const { return exactWords_; }
  QListView* stepList() const { return list_; }
  QSlider* slider() const { return slider_; }
  QCheckBox* exactToggle() const { return exactBox_; }
  QPushButton* exportButton() const { return export_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showSession();
  void showPage();
  void fitGrid();
  void exportSteps();
  // Left, Right, Home, End: true when the key moved (or would move) the page.
  bool stepKey(int key);

  StepRecorder recorder_;
  ReadSnapshot read_;
  StepSession session_;
  std::size_t page_ = 0;
  bool exact_ = false;

  QLabel* title_;
  QLabel* empty_;
  QListView* list_;
  QStringListModel* model_;
  QLabel* words_;
  QLabel* exactWords_;
  QScrollArea* area_;
  StepGridView* grid_;
  QLabel* caption_;
  QToolButton* first_;
  QToolButton* previous_;
  QToolButton* next_;
  QToolButton* last_;
  QSlider* slider_;
  QLabel* position_;
  QCheckBox* exactBox_;
  QPushButton* export_;
};

}  // namespace parvela::qt
