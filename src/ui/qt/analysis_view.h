// The "Analiza" tab of the results window: why the last run worked or
// failed. "Erori": the forward and backward errors beside the condition
// number, iterative refinement, the condition number checked.
// "Convergenta": the diagnosis of Gauss-Seidel and SOR and the search for
// the best omega. "Experiment": the chosen generator and method over n.
// "Plan 2 x 2": the two lines and the iterates. Everything is computed in
// the background on a copy of the run's starting state, with progress and
// "Opreste"; nothing of it enters the data file.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "analysis/analysis_run.h"
#include "analysis/experiment_over_n.h"
#include "analysis/omega_scan.h"
#include "core/problem_state.h"
#include "core/run_result.h"
#include "ui/core/analysis_text.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTextBrowser;

namespace parvela::qt {

class AnalysisWork;
class ExperimentPlot;
class OmegaPlot;
class PlanePlot;

class AnalysisView : public QWidget {
  Q_OBJECT
 public:
  explicit AnalysisView(QWidget* parent = nullptr);
  ~AnalysisView() override;

  // After a written run (`number` in the session): its analysis starts by
  // itself up to order kAutomaticAnalysisLimit, above that on "Analizeaza".
  // The starting state is the run room's copy of it.
  void showRun(const RunResult& run, int number);
  // The same with the starting state given (tests, tools).
  void showRun(const RunResult& run, int number, std::optional<ProblemState> start);
  // "Citeste" or "REZOLVA !" began: what runs stops.
  void stop();
  // Drops the run shown and what was computed for it; `why` says so.
  void clear(const QString& why);
  // Where "Foloseste omega*" types the value: false when it cannot (the
  // Omega box is disabled for the method chosen).
  void setOmegaSink(std::function<bool(const QString&)> sink) { omegaSink_ = std::move(sink); }

  AnalysisWork& work() const { return *work_; }
  QTabWidget* pages() const { return pages_; }
  QTextBrowser* errorsText() const { return errors_; }
  QTextBrowser* convergenceText() const { return convergence_; }
  QTextBrowser* experimentText() const { return experimentText_; }
  OmegaPlot* omegaPlot() const { return omegaPlot_; }
  ExperimentPlot* experimentPlot() const { return experimentPlot_; }
  PlanePlot* planePlot() const { return plane_; }
  QPushButton* analyseButton() const { return analyse_; }
  QPushButton* scanButton() const { return scan_; }
  QPushButton* useOmegaButton() const { return useOmega_; }
  QPushButton* experimentButton() const { return experiment_; }
  QPushButton* stopButton() const { return stop_; }
  QSpinBox* limitBox() const { return limit_; }
  QLabel* statusLabel() const { return status_; }
  const std::optional<RunAnalysis>& analysis() const { return analysis_; }
  const std::optional<OmegaScan>& scan() const { return omegaScan_; }
  const std::optional<Experiment>& experiment() const { return experimentResult_; }

  // The pages' indices.
  static constexpr int kErrorsPage = 0;
  static constexpr int kConvergencePage = 1;
  static constexpr int kExperimentPage = 2;
  static constexpr int kPlanePage = 3;

 private:
  // Runs compute(start, progress) in the background for the run shown;
  // show(result) once it has completed, if the run shown is still the same.
  template <class Result, class Compute, class Show>
  void launch(const QString& title, Compute compute, Show show);
  void analyse();
  void scanOmega();
  void runExperiment();
  void useOmega();
  void showAnalysis();
  void updateButtons();
  bool startable() const;
  // What was computed for the run shown, and its pages, gone.
  void dropResults();

  AnalysisWork* work_;
  QLabel* status_;
  QProgressBar* bar_;
  QPushButton* stop_;
  QPushButton* analyse_;
  QTabWidget* pages_;
  QTextBrowser* errors_;
  QTextBrowser* convergence_;
  QPushButton* scan_;
  QPushButton* useOmega_;
  OmegaPlot* omegaPlot_;
  QSpinBox* limit_;
  QPushButton* experiment_;
  ExperimentPlot* experimentPlot_;
  QTextBrowser* experimentText_;
  PlanePlot* plane_;

  std::function<bool(const QString&)> omegaSink_;
  std::shared_ptr<const ProblemState> start_;
  RunResult run_;
  int number_ = 0;
  int serial_ = 0;  // the run shown; results of an older one are dropped
  std::optional<RunAnalysis> analysis_;
  std::optional<OmegaScan> omegaScan_;
  std::optional<Experiment> experimentResult_;
};

// The tables as the view shows them (HTML, symbols as Greek letters).
QString tablesHtml(const std::vector<TextTable>& tables);

// Types a value into the Omega box of the main window, as the user would;
// false when the box is disabled.
std::function<bool(const QString&)> omegaBoxOf(QWidget* mainWindow);

}  // namespace parvela::qt
