#include "ui/qt/analysis_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/methods.h"
#include "run/dispatcher.h"
#include "ui/core/templates.h"
#include "ui/qt/analysis_work.h"
#include "ui/qt/experiment_plot.h"
#include "ui/qt/omega_plot.h"
#include "ui/qt/plane_plot.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {

QTextBrowser* makeText(QWidget* parent) {
  auto* t = new QTextBrowser(parent);
  t->setOpenLinks(false);
  t->setMinimumHeight(80);
  return t;
}

// A page: a row of controls above two views split vertically; the view at
// `grows` (0 or 1) takes the room.
void layOutPage(QWidget* page, QHBoxLayout* controls, QWidget* first, QWidget* second, int grows) {
  controls->addStretch(1);
  auto* split = new QSplitter(Qt::Vertical, page);
  split->addWidget(first);
  split->addWidget(second);
  split->setStretchFactor(grows, 1);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(controls);
  layout->addWidget(split, 1);
}

QString cell(const std::string& s, const char* tag, bool left) {
  return QStringLiteral("<%1 align=\"%2\">%3</%1>")
      .arg(QString::fromLatin1(tag), left ? QStringLiteral("left") : QStringLiteral("right"), fromStd(s).toHtmlEscaped());
}

}  // namespace

QString tablesHtml(const std::vector<TextTable>& tables) {
  QString h;
  for (const TextTable& t : tables) {
    h += QStringLiteral("<h3>%1</h3>").arg(fromStd(t.title).toHtmlEscaped());
    if (!t.header.empty()) {
      const bool named = t.header.size() == 2;  // a name and its value
      h += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>");
      for (std::size_t c = 0; c < t.header.size(); ++c) h += cell(t.header[c], "th", named);
      h += QStringLiteral("</tr>");
      for (const auto& row : t.rows) {
        h += QStringLiteral("<tr>");
        for (std::size_t c = 0; c < row.size(); ++c) h += cell(row[c], "td", named);
        h += QStringLiteral("</tr>");
      }
      h += QStringLiteral("</table>");
    }
    for (const std::string& note : t.notes) h += QStringLiteral("<p>%1</p>").arg(fromStd(note).toHtmlEscaped());
  }
  return h;
}

std::function<bool(const QString&)> omegaBoxOf(QWidget* mainWindow) {
  return [mainWindow](const QString& text) {
    auto* dialog = qobject_cast<QtDialog*>(mainWindow);
    QLineEdit* box = dialog ? dialog->controlAs<QLineEdit>(kIdOmega) : nullptr;
    if (!box || !box->isEnabled()) return false;
    box->setText(text);
    emit box->textEdited(text);
    return true;
  };
}

AnalysisView::AnalysisView(QWidget* parent) : QWidget(parent) {
  work_ = new AnalysisWork(this);
  status_ = new QLabel(QStringLiteral("Analiza apare dupa o rulare."), this);
  status_->setWordWrap(true);
  bar_ = new QProgressBar(this);
  bar_->setMaximumWidth(160);
  bar_->setTextVisible(false);
  bar_->hide();
  stop_ = new QPushButton(QStringLiteral("Opreste"), this);
  stop_->setEnabled(false);
  analyse_ = new QPushButton(QStringLiteral("Analizeaza"), this);
  analyse_->setToolTip(QStringLiteral("Analiza rularii (pentru n mare nu porneste singura)"));
  analyse_->hide();
  auto* top = new QHBoxLayout;
  top->addWidget(status_, 1);
  top->addWidget(bar_);
  top->addWidget(analyse_);
  top->addWidget(stop_);

  pages_ = new QTabWidget(this);
  errors_ = makeText(this);
  pages_->addTab(errors_, QStringLiteral("Erori"));

  auto* conv = new QWidget(this);
  convergence_ = makeText(conv);
  scan_ = new QPushButton(QStringLiteral("Cauta omega"), conv);
  scan_->setToolTip(QStringLiteral("Raza spectrala pe o grila de omega si rulari SOR reale"));
  useOmega_ = new QPushButton(QStringLiteral("Foloseste \u03c9*"), conv);
  useOmega_->setToolTip(QStringLiteral("Scrie \u03c9* in caseta Omega a ferestrei principale"));
  omegaPlot_ = new OmegaPlot(conv);
  auto* convButtons = new QHBoxLayout;
  convButtons->addWidget(scan_);
  convButtons->addWidget(useOmega_);
  layOutPage(conv, convButtons, convergence_, omegaPlot_, 1);
  pages_->addTab(conv, QStringLiteral("Convergenta"));

  auto* exp = new QWidget(this);
  limit_ = new QSpinBox(exp);
  limit_->setRange(2, kExperimentMaxLimit);
  limit_->setValue(kExperimentDefaultLimit);
  experiment_ = new QPushButton(QStringLiteral("Experiment"), exp);
  experiment_->setToolTip(QStringLiteral("Generatorul si metoda alese, pentru n = 2 ... limita"));
  experimentPlot_ = new ExperimentPlot(exp);
  experimentText_ = makeText(exp);
  auto* expButtons = new QHBoxLayout;
  expButtons->addWidget(new QLabel(QStringLiteral("n de la 2 pana la"), exp));
  expButtons->addWidget(limit_);
  expButtons->addWidget(experiment_);
  layOutPage(exp, expButtons, experimentPlot_, experimentText_, 0);
  pages_->addTab(exp, QStringLiteral("Experiment"));

  plane_ = new PlanePlot(this);
  pages_->addTab(plane_, QStringLiteral("Plan 2 x 2"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(pages_, 1);

  connect(stop_, &QPushButton::clicked, this, [this] { work_->cancel(); });
  connect(analyse_, &QPushButton::clicked, this, &AnalysisView::analyse);
  connect(scan_, &QPushButton::clicked, this, &AnalysisView::scanOmega);
  connect(useOmega_, &QPushButton::clicked, this, &AnalysisView::useOmega);
  connect(experiment_, &QPushButton::clicked, this, &AnalysisView::runExperiment);
  connect(work_, &AnalysisWork::started, this, [this](const QString& title) {
    status_->setText(title + QStringLiteral("..."));
    bar_->setRange(0, 0);
    bar_->show();
    updateButtons();
  });
  connect(work_, &AnalysisWork::progressed, this, [this](const QString& what, int done, int total) {
    status_->setText(work_->title() + QStringLiteral(": ") + what);
    if (total > 0) {
      bar_->setRange(0, total);
      bar_->setValue(done);
    }
  });
  connect(work_, &AnalysisWork::finished, this, [this](bool completed) {
    bar_->hide();
    if (!completed && number_ > 0)  // not after the view was cleared: its words stay
      status_->setText(work_->failure().isEmpty() ? work_->title() + QStringLiteral(": oprita.") : work_->failure());
    updateButtons();
  });
  updateButtons();
}

AnalysisView::~AnalysisView() = default;

template <class Result, class Compute, class Show>
void AnalysisView::launch(const QString& title, Compute compute, Show show) {
  if (!start_) return;
  auto result = std::make_shared<Result>();
  const std::shared_ptr<const ProblemState> start = start_;
  const int serial = serial_;
  work_->start(
      title, [start, result, compute](const AnalysisProgress& progress) { *result = compute(*start, progress); },
      [this, serial, result, show](bool completed) {
        if (completed && serial == serial_) show(std::move(*result));
      });
}

void AnalysisView::showRun(const RunResult& run, int number) {
  // The starting state is copied only when the analysis will start now.
  const bool now = run.n <= kAutomaticAnalysisLimit;
  showRun(run, number, now ? lastRunStartingState() : std::nullopt);
}

void AnalysisView::showRun(const RunResult& run, int number, std::optional<ProblemState> start) {
  ++serial_;
  run_ = run;
  number_ = number;
  start_ = start ? std::make_shared<const ProblemState>(std::move(*start)) : nullptr;
  dropResults();
  const bool iterative = run.problemKind != ProblemKind::ConditionNumber && isIterativeMethod(run.methodIndex);
  pages_->setTabEnabled(kConvergencePage, iterative);
  pages_->setTabEnabled(kPlanePage, run.n == 2 && run.problemKind != ProblemKind::ConditionNumber);
  if (run.n <= kAutomaticAnalysisLimit && start_) {
    analyse();
  } else {
    status_->setText(QStringLiteral("Rularea %1 (n = %2): analiza porneste la \"Analizeaza\".").arg(number).arg(run.n));
    updateButtons();
  }
}

void AnalysisView::stop() { work_->cancel(); }

void AnalysisView::dropResults() {
  analysis_.reset();
  omegaScan_.reset();
  experimentResult_.reset();
  errors_->clear();
  convergence_->clear();
  experimentText_->clear();
  omegaPlot_->clear();
  experimentPlot_->clear();
  plane_->clear();
}

void AnalysisView::clear(const QString& why) {
  ++serial_;
  work_->cancel();
  run_ = RunResult{};
  number_ = 0;
  start_ = nullptr;
  dropResults();
  bar_->hide();
  status_->setText(why + QStringLiteral(" Analiza apare dupa o rulare."));
  updateButtons();
}

bool AnalysisView::startable() const { return start_ != nullptr; }

void AnalysisView::analyse() {
  if (!start_) {
    // A large run: its starting state is copied now, if no run began since.
    std::optional<ProblemState> start = lastRunStartingState();
    if (!start || start->n != run_.n) {
      status_->setText(QStringLiteral("Starea de la inceputul rularii nu mai este disponibila."));
      return;
    }
    start_ = std::make_shared<const ProblemState>(std::move(*start));
  }
  launch<RunAnalysis>(
      QStringLiteral("Analiza rularii %1").arg(number_),
      [](const ProblemState& start, const AnalysisProgress& progress) { return analyseRun(start, progress); },
      [this](RunAnalysis result) {
        analysis_ = std::move(result);
        showAnalysis();
      });
}

void AnalysisView::showAnalysis() {
  const RunAnalysis& a = *analysis_;
  const bool inverse = run_.problemKind == ProblemKind::Inverse;
  std::vector<TextTable> errors;
  if (a.errors) errors = describeErrors(*a.errors, inverse, kGreekSymbols);
  if (a.condition) errors = describeCondition(*a.condition, kGreekSymbols);
  errors_->setHtml(tablesHtml(errors));
  if (a.convergence) convergence_->setHtml(tablesHtml(describeConvergence(*a.convergence, kGreekSymbols)));
  if (a.plane) plane_->showPicture(*a.plane);
  status_->setText(QStringLiteral("Analiza rularii %1 (%2, n = %3).")
                       .arg(number_)
                       .arg(fromStd(run_.methodLabel()))
                       .arg(run_.n));
  updateButtons();
}

void AnalysisView::scanOmega() {
  launch<OmegaScan>(
      QStringLiteral("Cautarea lui omega"),
      [](const ProblemState& start, const AnalysisProgress& progress) { return parvela::scanOmega(start, progress); },
      [this](OmegaScan result) {
        omegaScan_ = std::move(result);
        omegaPlot_->showScan(*omegaScan_);
        std::vector<TextTable> tables;
        if (analysis_ && analysis_->convergence) tables = describeConvergence(*analysis_->convergence, kGreekSymbols);
        std::vector<TextTable> scan = describeOmegaScan(*omegaScan_, kGreekSymbols);
        // The radii are on the plot (and in its CSV file); the runs as a table.
        scan.front().header.clear();
        scan.front().rows.clear();
        tables.insert(tables.end(), scan.begin(), scan.end());
        convergence_->setHtml(tablesHtml(tables));
        status_->setText(omegaScan_->available ? QStringLiteral("\u03c9* = %1").arg(fromStd(omegaScan_->bestText))
                                               : QStringLiteral("Cautarea lui omega nu se poate face."));
        updateButtons();
      });
}

void AnalysisView::useOmega() {
  if (!omegaScan_ || omegaScan_->bestText.empty()) return;
  const QString text = fromStd(omegaScan_->bestText);
  if (omegaSink_ && omegaSink_(text))
    status_->setText(QStringLiteral("Omega = %1 in fereastra principala.").arg(text));
  else
    status_->setText(QStringLiteral("Caseta Omega este activa doar pentru metoda SOR."));
}

void AnalysisView::runExperiment() {
  const int limit = limit_->value();
  launch<Experiment>(
      QStringLiteral("Experimentul pe n"),
      [limit](const ProblemState& start, const AnalysisProgress& progress) { return sweepOverN(start, limit, progress); },
      [this](Experiment result) {
        experimentResult_ = std::move(result);
        experimentPlot_->showExperiment(*experimentResult_);
        experimentText_->setHtml(tablesHtml(describeExperiment(*experimentResult_, kGreekSymbols)));
        status_->setText(QStringLiteral("Experimentul pe n: %1 ordine.").arg(experimentResult_->points.size()));
        updateButtons();
      });
}

void AnalysisView::updateButtons() {
  const bool busy = work_->busy();
  stop_->setEnabled(busy);
  analyse_->setVisible(!analysis_ && run_.n > kAutomaticAnalysisLimit && number_ > 0);
  analyse_->setEnabled(!busy);
  const bool iterative = run_.problemKind != ProblemKind::ConditionNumber && isIterativeMethod(run_.methodIndex);
  const bool reordered = !(analysis_ && analysis_->convergence && analysis_->convergence->reorderFailure);
  scan_->setEnabled(!busy && startable() && iterative && reordered && run_.n <= kRadiusOrderLimit);
  useOmega_->setEnabled(omegaScan_ && !omegaScan_->bestText.empty());
  const bool generated = start_ && !chosenGenerator(*start_).empty();
  experiment_->setEnabled(!busy && generated);
  experiment_->setToolTip(generated ? QStringLiteral("Generatorul si metoda alese, pentru n = 2 ... limita")
                                    : QStringLiteral("Experimentul cere o matrice generata (\"Generata\")"));
}

}  // namespace parvela::qt
