#include "ui/qt/results_window.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <system_error>

#include "core/problem_state.h"
#include "run/saved_state.h"
#include "io/data_file.h"
#include "ui/qt/analysis_view.h"
#include "io/read_diagnosis.h"
#include "ui/core/parameter_notes.h"
#include "ui/core/read_outcome.h"
#include "ui/qt/convergence_plot.h"
#include "ui/qt/exercise_dialog.h"
#include "ui/qt/notice_bar.h"
#include "ui/qt/outcome_line.h"
#include "ui/qt/pivot_plot.h"
#include "ui/qt/power_plot.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/report_view.h"
#include "ui/qt/step_view.h"

namespace parvela::qt {

namespace {

ResultsWindow*& current() {
  static ResultsWindow* w = nullptr;
  return w;
}

std::uint64_t sizeOf(const std::string& path) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(path, ec);
  return ec ? 0 : n;
}

constexpr int kGap = 8;

}  // namespace

ResultsWindow* Results() { return current(); }
void setResults(ResultsWindow* w) { current() = w; }

ResultsWindow::ResultsWindow(QWidget* main) : QWidget(main, Qt::Window), main_(main) {
  setWindowTitle(QStringLiteral("Parvela - Rezultate"));
  // The keyboard stays with the main window; this one takes it when clicked.
  setAttribute(Qt::WA_ShowWithoutActivating);
  notice_ = new NoticeBar(this);
  outcome_ = new OutcomeLine(this);
  report_ = new ReportView(this);
  convergence_ = new ConvergencePlot(this);
  power_ = new PowerPlot(this);
  pivots_ = new PivotPlot(this);
  steps_ = new StepView(this);
  recorder_.setNext(steps_->listener());
  tabs_ = new QTabWidget(this);
  tabs_->addTab(report_, QStringLiteral("Raport"));
  tabs_->addTab(convergence_, QStringLiteral("Convergenta"));
  tabs_->addTab(power_, QStringLiteral("Metoda puterii"));
  tabs_->addTab(pivots_, QStringLiteral("Pivoti"));
  tabs_->addTab(steps_, QStringLiteral("Pas cu pas"));
  report_->setRunLookup([this](const ReportEntry& e) { return runOf(e); });
  analysis_ = new AnalysisView(this);
  analysis_->setOmegaSink(omegaBoxOf(main));
  tabs_->addTab(analysis_, QStringLiteral("Analiza"));
  // The data: the selected file's in a grid, or a new problem.
  dataButton_ = new QToolButton(this);
  dataButton_->setText(QStringLiteral("Date..."));
  dataButton_->setToolTip(QStringLiteral("Datele fisierului selectat intr-o grila, citite cu alegerile de acum"));
  connect(dataButton_, &QToolButton::clicked, this, &ResultsWindow::dataRequested);
  newMenu_ = new QMenu(this);
  QAction* empty = newMenu_->addAction(QStringLiteral("Problema goala..."));
  connect(empty, &QAction::triggered, this, &ResultsWindow::newProblemRequested);
  QAction* exercise = newMenu_->addAction(QStringLiteral("Exercitiu..."));
  exercise->setToolTip(QStringLiteral("Scrie un set de exercitii cu solutiile lor"));
  connect(exercise, &QAction::triggered, this, &ResultsWindow::openExercises);
  newButton_ = new QToolButton(this);
  newButton_->setText(QStringLiteral("Problema noua"));
  newButton_->setToolTip(QStringLiteral("Alegeti fisierul unei probleme noi si completati datele in grila"));
  newButton_->setMenu(newMenu_);
  newButton_->setPopupMode(QToolButton::MenuButtonPopup);
  connect(newButton_, &QToolButton::clicked, this, &ResultsWindow::newProblemRequested);
  auto* actions = new QHBoxLayout;
  actions->setContentsMargins(0, 0, 0, 0);
  actions->addWidget(dataButton_);
  actions->addWidget(newButton_);
  actions->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(actions);
  layout->addWidget(notice_);
  layout->addWidget(outcome_);
  layout->addWidget(tabs_, 1);
  resize(760, main ? std::max(main->height(), 560) : 600);
  if (main) main->installEventFilter(this);
  // What the program shows the user passes through here, from whichever
  // thread; the worker's own platform forwards to this one.
  previous_ = &platform();
  capture_ = std::make_unique<CapturingPlatform>(*previous_);
  setPlatform(capture_.get());
}

ResultsWindow::~ResultsWindow() {
  if (&platform() == capture_.get()) setPlatform(previous_);
  if (Results() == this) setResults(nullptr);
}

void ResultsWindow::follow() {
  if (!main_) return;
  const QRect frame = main_->frameGeometry();
  QPoint at = frame.topRight() + QPoint(kGap, 0);
  if (const QScreen* screen = main_->screen()) {
    const QRect room = screen->availableGeometry();
    if (at.x() + width() > room.right() && frame.bottom() + kGap + 200 < room.bottom())
      at = frame.bottomLeft() + QPoint(0, kGap);
  }
  move(at);
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == main_) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
        follow();
        break;
      case QEvent::Show:
        follow();
        showBeside();
        break;
      case QEvent::Hide:
        hide();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ResultsWindow::beginRun() {
  stopAnalysis();
  capture_->take();  // what came before the run
  sizeBefore_ = sizeOf(InputDataFile().path());
  outcome_->setBusy(QStringLiteral("Rulare in curs..."));
  steps_->beginRun();
}

void ResultsWindow::endRun(const RunResult& run) {
  const CapturingPlatform::Captured got = capture_->take();
  const ProblemState& s = problem();
  const bool written = run.written();
  Outcome outcome = makeOutcome(run, got.standardOutput, got.boxes);
  // A run on data read differently from what the file's lines suggest
  // keeps the read's warnings in sight: its answer may look right.
  const ReadReport& read = lastReadReport();
  if (written && s.dataRead && read.path == InputDataFile().path())
    for (const std::string& w : read.warnings) outcome.lines.push_back("Atentie (citire): " + w);
  // Which of Eps, Nlim, Omega stopped the run, or was read as it does not look.
  const ParameterNotes params = describeParameters(s);
  if (run.refusal == Refusal::MissingParameters)
    outcome.lines.insert(outcome.lines.end(), params.problems.begin(), params.problems.end());
  else if (written)
    outcome.lines.insert(outcome.lines.end(), params.warnings.begin(), params.warnings.end());

  RunRecord record = makeRunRecord(run, recorder_.take());
  QString title;
  if (written) {
    record.number = ++runCount_;
    title = QStringLiteral("Rularea %1: %2").arg(record.number).arg(fromStd(record.label()));
    lastReportStart_ = firstSinceRead_ ? std::uint64_t(InputDataFile().dataEnd()) : sizeBefore_;
    firstSinceRead_ = false;
    viewsPath_ = InputDataFile().path();
    runShown_ = true;
    rules_.afterRun(s);
    runs_.push_back(record);
    written_.push_back({InputDataFile().path(), *lastReportStart_});
    convergence_->addRun(record);
    power_->showRun(record);
    pivots_->showRun(record);
    steps_->endRun(run, record.number, std::filesystem::path(InputDataFile().path()).filename().string());
    showReport(lastReportStart_);
    if (!record.trace.sweeps.empty())
      tabs_->setCurrentWidget(convergence_);
    else
      tabs_->setCurrentWidget(report_);
  } else {
    lastReportStart_.reset();
    steps_->endRun(run, 0, {});
  }
  outcome_->setOutcome(outcome, title);
  notice_->setNotices(rules_.notices(s));
  if (main_ && main_->isVisible()) showBeside();
  if (written) analysis_->showRun(run, record.number);  // in the background, after the outcome
}

void ResultsWindow::showBeside() {
  if (isVisible()) return;
  QWidget* active = QApplication::activeWindow();
  show();
  // Platforms that activate every window they show (and window managers
  // that ignore the request not to) get the main window activated again.
  if (main_ && main_->isVisible() && (!active || active == main_)) main_->activateWindow();
}

void ResultsWindow::stopAnalysis() { analysis_->stop(); }

void ResultsWindow::afterRead(bool ok) {
  stopAnalysis();
  ReadOutcome read = makeReadOutcome(lastReadReport(), ok, problem().n, problem().nb);
  // The last run's plots and steps stay only beside data that were read.
  if (!ok && runShown_) {
    clearRunViews(QStringLiteral("Datele nu au fost citite: rularea anterioara nu se mai arata."));
    read.lines.push_back(kRunClearedAfterFailedRead);
  }
  viewsPath_ = InputDataFile().path();
  outcome_->setReadOutcome(read);
  rules_.afterRead(problem(), ok);
  steps_->afterRead(ok);
  firstSinceRead_ = ok;
  notice_->setNotices(rules_.notices(problem()));
  showReport(std::nullopt);
}

void ResultsWindow::afterSelect() {
  firstSinceRead_ = false;
  const std::string path = InputDataFile().selected() ? InputDataFile().path() : std::string();
  if (!path.empty() && path != viewsPath_) {
    // Another file: what the window showed was about the one before.
    std::string cleared;
    if (runShown_) {
      cleared = std::filesystem::path(viewsPath_).filename().string();
      clearRunViews(QStringLiteral("Alt fisier selectat: rularea anterioara nu se mai arata."));
    }
    outcome_->setReadOutcome(selectedOutcome(std::filesystem::path(path).filename().string(), cleared));
    viewsPath_ = path;
  }
  notice_->setNotices(rules_.notices(problem()));
  showReport(std::nullopt);
}

void ResultsWindow::clearRunViews(const QString& why) {
  stopAnalysis();
  convergence_->clear(why);
  power_->clear(why);
  pivots_->clear(why);
  steps_->clear(why);
  analysis_->clear(why);
  lastReportStart_.reset();
  runShown_ = false;
  tabs_->setCurrentWidget(report_);
}

void ResultsWindow::openExercises() {
  ExerciseDialog dialog(this);
  dialog.exec();
}

std::optional<RunRecord> ResultsWindow::runOf(const ReportEntry& entry) const {
  // A report starts where the run began writing, or a line end later; a
  // read since then may have put a later run's report in the same place.
  const std::string& path = report_->file().path();
  for (std::size_t k = runs_.size(); k-- > 0;) {
    const Written& w = written_[k];
    if (w.path == path && entry.offset >= w.start && entry.offset <= w.start + 2) return runs_[k];
  }
  return std::nullopt;
}

void ResultsWindow::choicesChanged() { notice_->setNotices(rules_.notices(problem())); }

void ResultsWindow::afterSave(const std::string& message) {
  outcome_->setReadOutcome(savedOutcome(message));
  showReport(std::nullopt);
}

void ResultsWindow::setDataActionsEnabled(bool on) {
  dataButton_->setEnabled(on);
  newButton_->setEnabled(on);
}

void ResultsWindow::showReport(std::optional<std::uint64_t> focus) {
  const DataFile& f = InputDataFile();
  if (!f.selected()) {
    report_->clear();
    return;
  }
  report_->showFile(fromStd(f.path()), f.hasDataEnd() ? f.dataEnd() : 0, focus);
}

}  // namespace parvela::qt
