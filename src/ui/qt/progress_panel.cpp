#include "ui/qt/progress_panel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/core/progress_text.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

ProgressPanel::ProgressPanel(QWidget* window) : QWidget(window) {
  setObjectName(QStringLiteral("progressPanel"));
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  stage_ = new QLabel(this);
  stage_->setTextFormat(Qt::PlainText);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(true);
  elapsed_ = new QLabel(this);
  elapsed_->setTextFormat(Qt::PlainText);
  elapsed_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  stop_ = new QPushButton(QStringLiteral("Opreste"), this);
  stop_->setAutoDefault(false);
  connect(stop_, &QPushButton::clicked, this, &ProgressPanel::stopClicked);

  auto* top = new QHBoxLayout;
  top->addWidget(stage_, 1);
  top->addWidget(elapsed_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(bar_, 1);
  bottom->addWidget(stop_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 2, 8, 6);
  layout->setSpacing(4);
  layout->addWidget(line);
  layout->addLayout(top);
  layout->addLayout(bottom);
  hide();
}

void ProgressPanel::place() {
  QWidget* window = parentWidget();
  if (!shown_) {
    windowSize_ = window->size();
    shown_ = true;
  }
  const int height = sizeHint().height();
  window->setFixedSize(windowSize_.width(), windowSize_.height() + height);
  setGeometry(0, windowSize_.height(), windowSize_.width(), height);
  show();
  raise();
}

void ProgressPanel::showProgress(const std::optional<Progress>& p, double seconds) {
  if (!shown_) place();
  stop_->setEnabled(true);
  stop_->show();
  stage_->setText(p ? fromStd(progressText(*p)) : QStringLiteral("Pregatire"));
  const double fraction = p ? progressFraction(*p) : -1.0;
  if (fraction < 0) {
    bar_->setRange(0, 0);  // busy, amount not known
  } else {
    bar_->setRange(0, 1000);
    bar_->setValue(static_cast<int>(fraction * 1000.0 + 0.5));
  }
  elapsed_->setText(fromStd(elapsedText(seconds)));
}

void ProgressPanel::showOutcome(const QString& text) {
  if (!shown_) place();
  stage_->setText(text);
  bar_->setRange(0, 1000);
  bar_->setValue(0);
  stop_->setEnabled(false);
}

void ProgressPanel::hidePanel() {
  if (!shown_) return;
  hide();
  shown_ = false;
  parentWidget()->setFixedSize(windowSize_);
}

}  // namespace parvela::qt
