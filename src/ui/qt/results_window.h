// The results beside the main window: a companion window that follows it,
// with the notice, the outcome of the last run, the report view and the
// plots. The window tells it when a read or a run starts and ends; while a
// run works, its step events go through the recorder() and what it shows
// the user is kept by a capturing platform.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/notices.h"
#include "ui/core/report_index.h"
#include "ui/core/run_capture.h"
#include "ui/core/run_record.h"
#include "ui/core/run_trace.h"
#include "core/run_result.h"

class QMenu;
class QTabWidget;
class QToolButton;

namespace parvela::qt {

class AnalysisView;
class ConvergencePlot;
class NoticeBar;
class OutcomeLine;
class PivotPlot;
class PowerPlot;
class ReportView;
class StepView;

class ResultsWindow : public QWidget {
  Q_OBJECT
 public:
  // A window of its own, owned by `main` and kept beside it.
  explicit ResultsWindow(QWidget* main);
  ~ResultsWindow() override;

  // Before "REZOLVA !" does anything: starts capturing and recording.
  void beginRun();
  // The step listener to install on the thread that runs the work.
  TraceRecorder& recorder() { return recorder_; }
  // After the run, with what it did.
  void endRun(const RunResult& run);
  // After "Citeste" (ok: the data were read) and after "Selecteaza".
  void afterRead(bool ok);
  void afterSelect();
  // A choice of the main window changed: the notices are checked again.
  void choicesChanged();
  // "Citeste" or "REZOLVA !" began: an analysis still running stops.
  void stopAnalysis();
  // After the data grid wrote the file's data: the message, and the file
  // shown again.
  void afterSave(const std::string& message);

  // "Date" and "Problema noua" (whose menu holds the ways to start a new
  // problem; its first entry, the empty problem, is what a click does).
  QToolButton* dataButton() const { return dataButton_; }
  QToolButton* newProblemButton() const { return newButton_; }
  QMenu* newProblemMenu() const { return newMenu_; }
  // Off while a read or a run works.
  void setDataActionsEnabled(bool on);

  OutcomeLine* outcomeLine() const { return outcome_; }
  NoticeBar* noticeBar() const { return notice_; }
  ReportView* reportView() const { return report_; }
  ConvergencePlot* convergencePlot() const { return convergence_; }
  PowerPlot* powerPlot() const { return power_; }
  PivotPlot* pivotPlot() const { return pivots_; }
  StepView* stepView() const { return steps_; }
  AnalysisView* analysisView() const { return analysis_; }
  QTabWidget* tabs() const { return tabs_; }
  // Where the last run's report starts in the file (none when it wrote none).
  std::optional<std::uint64_t> lastReportStart() const { return lastReportStart_; }
  const std::vector<RunRecord>& sessionRuns() const { return runs_; }

  // Places the window beside its main window (right, or below when the
  // screen has no room on the right).
  void follow();
  // Shows the window beside the main window, which keeps the keyboard.
  void showBeside();

  // "Problema noua" > "Exercitiu...": the dialog that writes an exercise set.
  void openExercises();
  // The run of this session that wrote the report `entry` of the file shown.
  std::optional<RunRecord> runOf(const ReportEntry& entry) const;

 signals:
  void dataRequested();
  void newProblemRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showReport(std::optional<std::uint64_t> focus);
  // The tabs stop showing the last run; `why` takes its place in each.
  void clearRunViews(const QString& why);

  QWidget* main_;
  NoticeBar* notice_;
  OutcomeLine* outcome_;
  QTabWidget* tabs_;
  ReportView* report_;
  ConvergencePlot* convergence_;
  PowerPlot* power_;
  PivotPlot* pivots_;
  StepView* steps_;
  AnalysisView* analysis_;
  QToolButton* dataButton_;
  QToolButton* newButton_;
  QMenu* newMenu_;

  NoticeRules rules_;
  TraceRecorder recorder_;
  std::unique_ptr<CapturingPlatform> capture_;  // installed for the window's life
  Platform* previous_ = nullptr;
  std::vector<RunRecord> runs_;
  // Where each run of runs_ wrote its report: the file and the offset.
  struct Written {
    std::string path;
    std::uint64_t start = 0;
  };
  std::vector<Written> written_;
  std::int32_t runCount_ = 0;
  bool firstSinceRead_ = false;
  // The file whose read and runs the outcome line and the tabs show, and
  // whether a run is shown in the tabs.
  std::string viewsPath_;
  bool runShown_ = false;
  std::uint64_t sizeBefore_ = 0;
  std::optional<std::uint64_t> lastReportStart_;
};

// The companion of the running main window (nullptr before start-up).
ResultsWindow* Results();
void setResults(ResultsWindow* w);

}  // namespace parvela::qt
