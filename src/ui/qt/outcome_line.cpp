#include "ui/qt/outcome_line.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/qt/report_view.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {

struct Look {
  const char* word;
  const char* color;
};

Look lookOf(Outcome::Kind k) {
  switch (k) {
    case Outcome::Kind::Done: return {"Gata", "#1b7f3b"};
    case Outcome::Kind::Breakdown: return {"Esec numeric", "#b06000"};
    case Outcome::Kind::Refused: return {"Nerulat", "#b00020"};
    case Outcome::Kind::Cancelled: return {"Oprit", "#555555"};
  }
  return {"", "#000000"};
}

}  // namespace

OutcomeLine::OutcomeLine(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  badge_ = new QLabel(this);
  badge_->setMinimumWidth(90);
  badge_->setAlignment(Qt::AlignCenter);
  summary_ = new QLabel(this);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lines_ = new QLabel(this);
  lines_->setTextFormat(Qt::PlainText);
  lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lines_->setFont(reportFont());
  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(summary_);
  right->addWidget(lines_);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(badge_, 0, Qt::AlignTop);
  layout->addLayout(right, 1);
  setAccessibleName(QStringLiteral("Rezultatul rularii"));
  clear();
}

void OutcomeLine::clear() {
  badge_->clear();
  badge_->setStyleSheet(QString());
  summary_->setText(QStringLiteral("Nicio rulare inca: alegeti fisierul, Citeste, apoi REZOLVA !"));
  lines_->clear();
  lines_->hide();
}

void OutcomeLine::setBusy(const QString& text) {
  badge_->setText(QStringLiteral("..."));
  badge_->setStyleSheet(QString());
  summary_->setText(text);
}

void OutcomeLine::setOutcome(const Outcome& outcome, const QString& runTitle) {
  kind_ = outcome.kind;
  const Look look = lookOf(outcome.kind);
  badge_->setText(QString::fromLatin1(look.word));
  badge_->setStyleSheet(QStringLiteral("QLabel { color: white; background: %1; border-radius: 3px; padding: 2px 6px; }")
                            .arg(QLatin1String(look.color)));
  summary_->setText(runTitle.isEmpty() ? fromStd(outcome.summary) : runTitle + QStringLiteral(" - ") + fromStd(outcome.summary));
  QStringList l;
  for (const std::string& s : outcome.lines) l << fromStd(s);
  lines_->setText(l.join(u'\n'));
  lines_->setVisible(!l.isEmpty());
}

QStringList OutcomeLine::lines() const {
  if (lines_->text().isEmpty()) return {};
  return lines_->text().split(u'\n');
}

QString OutcomeLine::summary() const { return summary_->text(); }

}  // namespace parvela::qt
