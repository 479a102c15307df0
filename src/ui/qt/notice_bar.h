// A notice in the window, without a message box: the data in memory are no
// longer the file's data. Hidden when there is nothing to say.
#pragma once

#include <QFrame>
#include <QStringList>

#include <string>
#include <vector>

class QLabel;

namespace parvela::qt {

class NoticeBar : public QFrame {
  Q_OBJECT
 public:
  explicit NoticeBar(QWidget* parent = nullptr);
  void setNotices(const std::vector<std::string>& notices);
  QStringList notices() const { return notices_; }

 private:
  QLabel* text_;
  QStringList notices_;
};

}  // namespace parvela::qt
