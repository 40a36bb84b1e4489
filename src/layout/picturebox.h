#pragma once
#include <QLabel>

#include <functional>

// A picture box that answers a click, as the help pictures do.
class PictureBox : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick;

 protected:
  void mousePressEvent(QMouseEvent*) override {
    if (onClick) onClick();
  }
};
