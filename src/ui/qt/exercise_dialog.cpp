#include "ui/qt/exercise_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/platform.h"
#include "io/data_file.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

ExerciseDialog::ExerciseDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Exercitii"));
  kind_ = new QComboBox(this);
  for (ExerciseKind k : kExerciseKinds) kind_->addItem(fromStd(exerciseKindLabel(k)), int(k));
  order_ = new QSpinBox(this);
  order_->setRange(kMinExerciseOrder, kMaxExerciseOrder);
  count_ = new QSpinBox(this);
  count_->setRange(1, kMaxExerciseCount);
  seed_ = new QLineEdit(this);
  seed_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,19}")), seed_));
  seed_->setToolTip(QStringLiteral("Aceeasi samanta da aceleasi fisiere, pe orice calculator"));
  auto* newSeed = new QPushButton(QStringLiteral("Alta"), this);
  logCond_ = new QSpinBox(this);
  logCond_->setRange(kMinLogCond, kMaxLogCond);
  logCond_->setPrefix(QStringLiteral("10^"));
  folder_ = new QLineEdit(this);
  auto* browse = new QPushButton(QStringLiteral("Alege..."), this);

  auto* seedRow = new QHBoxLayout;
  seedRow->addWidget(seed_, 1);
  seedRow->addWidget(newSeed);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Tipul:"), kind_);
  form->addRow(QStringLiteral("Ordinul n:"), order_);
  form->addRow(QStringLiteral("Numar de fisiere:"), count_);
  form->addRow(QStringLiteral("Samanta:"), seedRow);
  logCondLabel_ = new QLabel(QStringLiteral("Numar de conditie:"), this);
  form->addRow(logCondLabel_, logCond_);
  form->addRow(QStringLiteral("Dosarul:"), folderRow);

  auto* note = new QLabel(QStringLiteral("Se scriu ex01.dat, ex02.dat, ... si cheia solutii.txt."), this);
  auto* buttons = new QDialogButtonBox(this);
  write_ = buttons->addButton(QStringLiteral("Scrie"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Renunta"), QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addWidget(buttons);

  connect(kind_, &QComboBox::currentIndexChanged, this, &ExerciseDialog::kindChanged);
  connect(newSeed, &QPushButton::clicked, this,
          [this] { seed_->setText(QString::number(QRandomGenerator::global()->bounded(1, 1000000))); });
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Dosarul exercitiilor"), folder());
    if (!dir.isEmpty()) setFolder(dir);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (writeSet()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  setRequest(ExerciseRequest{});
  // Beside the selected data file, else in the current folder.
  const DataFile& f = InputDataFile();
  const QString base = f.selected() ? QFileInfo(fromStd(f.path())).absolutePath() : QDir::currentPath();
  setFolder(QDir(base).filePath(QStringLiteral("exercitii")));
}

void ExerciseDialog::kindChanged() {
  const bool ill = ExerciseKind(kind_->currentData().toInt()) == ExerciseKind::Ill;
  logCond_->setEnabled(ill);
  logCondLabel_->setEnabled(ill);
}

ExerciseRequest ExerciseDialog::request() const {
  ExerciseRequest r;
  r.kind = ExerciseKind(kind_->currentData().toInt());
  r.order = order_->value();
  r.count = count_->value();
  r.seed = seed_->text().toULongLong();  // 0 for an empty or too large text
  r.logCond = logCond_->value();
  return r;
}

void ExerciseDialog::setRequest(const ExerciseRequest& r) {
  kind_->setCurrentIndex(kind_->findData(int(r.kind)));
  order_->setValue(r.order);
  count_->setValue(r.count);
  seed_->setText(QString::number(r.seed));
  logCond_->setValue(r.logCond);
  kindChanged();
}

QString ExerciseDialog::folder() const { return folder_->text(); }
void ExerciseDialog::setFolder(const QString& folder) { folder_->setText(folder); }

bool ExerciseDialog::writeSet() {
  const ExerciseRequest r = request();
  const std::string dir = folder().trimmed().toStdString();
  if (dir.empty()) {
    platform().messageBox("Alege dosarul in care se scriu exercitiile.", "Eroare", IconKind::Error);
    return false;
  }
  const std::vector<std::string> there = existingSetFiles(r, dir);
  if (!there.empty()) {
    auto* desktop = dynamic_cast<QtPlatform*>(&platform().forwardsTo());
    const QString text = QStringLiteral("In dosar exista deja %1 din fisierele setului (%2). Le inlocuiesti?")
                             .arg(there.size())
                             .arg(QFileInfo(fromStd(there.front())).fileName());
    if (!desktop || !desktop->question(text, QStringLiteral("Exercitii"))) return false;
  }
  const ExerciseSetResult result = writeExerciseSet(r, dir, true);
  if (!result.ok) {
    platform().messageBox(result.error, "Error", IconKind::Error);
    return false;
  }
  written_ = result.written;
  platform().messageBox((r.count == 1 ? "A fost scris " : "Au fost scrise ") + exerciseCount(r.count) + " in " + dir +
                            ".\nSolutiile sunt in " + result.written.back() + ".",
                        "Info", IconKind::Information);
  return true;
}

}  // namespace parvela::qt
