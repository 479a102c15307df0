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

Look lookOf(ReadOutcome::Kind k) {
  switch (k) {
    case ReadOutcome::Kind::Read: return {"Citit", "#1b7f3b"};
    case ReadOutcome::Kind::Warnings: return {"Atentie", "#b06000"};
    case ReadOutcome::Kind::Failed: return {"Necitit", "#b00020"};
    case ReadOutcome::Kind::Saved: return {"Salvat", "#1f5fa8"};
    case ReadOutcome::Kind::Selected: return {"Selectat", "#5a6b7d"};
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
  summary_->setWordWrap(true);
  lines_ = new QLabel(this);
  lines_->setTextFormat(Qt::PlainText);
  lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lines_->setFont(reportFont());
  lines_->setWordWrap(true);  // a read's warnings are long: wrapped, they leave the window's width alone
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

void OutcomeLine::display(const char* word, const char* color, const QString& summary,
                       const std::vector<std::string>& lines) {
  badge_->setText(QString::fromLatin1(word));
  badge_->setStyleSheet(QStringLiteral("QLabel { color: white; background: %1; border-radius: 3px; padding: 2px 6px; }")
                            .arg(QLatin1String(color)));
  summary_->setText(summary);
  QStringList l;
  for (const std::string& s : lines) l << fromStd(s);
  lines_->setText(l.join(u'\n'));
  lines_->setVisible(!l.isEmpty());
}

void OutcomeLine::setOutcome(const Outcome& outcome, const QString& runTitle) {
  kind_ = outcome.kind;
  const Look look = lookOf(outcome.kind);
  display(look.word, look.color,
       runTitle.isEmpty() ? fromStd(outcome.summary) : runTitle + QStringLiteral(" - ") + fromStd(outcome.summary),
       outcome.lines);
}

void OutcomeLine::setReadOutcome(const ReadOutcome& outcome) {
  const Look look = lookOf(outcome.kind);
  display(look.word, look.color, fromStd(outcome.summary), outcome.lines);
}

QStringList OutcomeLine::lines() const {
  if (lines_->text().isEmpty()) return {};
  return lines_->text().split(u'\n');
}

QString OutcomeLine::summary() const { return summary_->text(); }
QString OutcomeLine::badge() const { return badge_->text(); }

}  // namespace parvela::qt
