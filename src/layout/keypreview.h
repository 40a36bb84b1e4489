#pragma once
// Lets a window see key presses before the control that has the focus, the page view
// included: the window's key-down handler gets the key code and shift state, its
// key-press handler the character, and either can swallow the key by setting it to 0.
// One filter on the application serves every window of the process.
#include <QHash>
#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace keys {
// Key codes and shift bits as the handlers compare them.
constexpr int kEnter = 13, kEscape = 27, kPageUp = 33, kPageDown = 34, kQ = 81, kR = 82, kComma = 188, kPeriod = 190;
constexpr int k0 = 48, kB = 66, kD = 68, kF = 70, kPlus = 187, kMinus = 189;
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
}  // namespace keys

class KeyPreview : public QObject {
 public:
  using KeyDown = std::function<void(int& keyCode, int& shift)>;
  using KeyPress = std::function<void(int& character)>;
  // From now on `window` sees its keys first, for as long as it lives.
  static void attach(QWidget* window, KeyDown keyDown, KeyPress keyPress);

  // Key code and shift state of a key as the handlers see them. The desktop's own keys for
  // zooming and finding (QKeySequence::ZoomIn, ZoomOut, Find) come as Ctrl with +, - and F,
  // whatever keys they are here. The code is -1 for a key the handlers do not know.
  static std::pair<int, int> codeOf(const QKeyEvent& key);
  // Key code of a Qt key (the key's own code for letters and digits); -1 when unknown.
  static int keyCode(int qtKey);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Handlers {
    KeyDown keyDown;
    KeyPress keyPress;
  };
  QHash<const QWidget*, Handlers> windows_;
};
