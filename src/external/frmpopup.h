#pragma once
// The picture popup of a launcher copy: one course picture near the mouse pointer, in
// front of everything, until the next click or key press ends the copy.
#include <QWidget>

#include <functional>

class Browser;
class QTimer;
struct Platform;

class frmPopup : public QWidget {
  Q_OBJECT
 public:
  frmPopup(Platform& platform, std::function<void()> endQX);
  ~frmPopup() override;

  // Loads the picture at `address` and shows the window for a picture of `width` x
  // `height` pixels (0 for a size that did not convert).
  void showPicture(const QString& address, int width, int height);
  void TimerPop_Timer();

  Browser* web2() const { return Web2; }
  QTimer* timerPop() const { return TimerPop; }

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kBorder = 1;  // the single fixed border, in pixels
  void end();

  Platform& platform_;
  std::function<void()> endQX_;
  Browser* Web2;
  QTimer* TimerPop;
  QString address_;
};
