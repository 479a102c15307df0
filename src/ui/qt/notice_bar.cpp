#include "ui/qt/notice_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include "ui/qt/qt_text.h"

namespace parvela::qt {

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("noticeBar"));
  setStyleSheet(QStringLiteral("#noticeBar { background: #fff4c2; border: 1px solid #d8b600; border-radius: 3px; }"));
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(20, 20));
  text_ = new QLabel(this);
  text_->setWordWrap(true);
  text_->setTextFormat(Qt::PlainText);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(icon, 0, Qt::AlignTop);
  layout->addWidget(text_, 1);
  setAccessibleName(QStringLiteral("Atentionare"));
  hide();
}

void NoticeBar::setNotices(const std::vector<std::string>& notices) {
  notices_.clear();
  for (const std::string& n : notices) notices_ << fromStd(n);
  text_->setText(notices_.join(u'\n'));
  setVisible(!notices_.isEmpty());
}

}  // namespace parvela::qt
