#pragma once
// Lets a window see key presses before the control that has the focus, the page view
// included: the window's key-down handler gets the key code and shift state, its
// key-press handler the character, and either can swallow the key by setting it to 0.
#include <QObject>

#include <functional>

class QWidget;

namespace keys {
// Key codes and shift bits as the handlers compare them.
constexpr int kEnter = 13, kEscape = 27, kPageUp = 33, kPageDown = 34, kQ = 81, kR = 82, kComma = 188, kPeriod = 190;
constexpr int k0 = 48, kF = 70, kPlus = 187, kMinus = 189;  // the zoom keys and find
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
}  // namespace keys

class KeyPreview : public QObject {
 public:
  using KeyDown = std::function<void(int& keyCode, int& shift)>;
  using KeyPress = std::function<void(int& character)>;
  KeyPreview(QWidget* window, KeyDown keyDown, KeyPress keyPress);

  // Key code of a Qt key (the key's own code for letters and digits); -1 when unknown.
  static int keyCode(int qtKey);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  KeyDown keyDown_;
  KeyPress keyPress_;
};
