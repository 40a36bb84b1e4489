#pragma once
// The return window: a small button-like window on top of every other one, in the top right
// corner of the screen, while an exercise is open in a simulator. A left click brings the
// reader back; a right click offers to quit the whole course.
#include "platform/messageboxes.h"
#include "platform/sharedblocks.h"

#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <functional>

class withfile : public QWidget {
  Q_OBJECT
 public:
  // What the window needs of the reader.
  struct Host {
    blocks::SharedBlocks* blocks = nullptr;
    MessageBoxes* messages = nullptr;
    std::function<int()> screenWidth;       // pixels
    std::function<void()> activateReader;   // brings the window titled "Tavrin" forward
    std::function<void()> setFromWithfile;  // the main window then closes without asking
    std::function<void()> endQX;
  };

  static constexpr QSize kSize{178, 65};
  static constexpr int kRightMargin = 322;          // from the screen's right edge to the window's left
  static constexpr QRect kPressed{-3, 3, 182, 69};  // picRuv29

  explicit withfile(Host host);

  // Loading puts the window on screen at its place, unpressed; loading it again while it is
  // loaded does nothing, and so does unloading it while it is not.
  void Load();
  void Unload();
  bool loaded() const { return loaded_; }
  // What a left click does: the reader comes forward and the window goes for good.
  void returnToText();
  // What a right click does: asks whether to quit the course (No is the answer Enter gives).
  void askToQuitCourse() { mouseDown(Qt::RightButton, false); }
  // Its keys, from the reader's windows: Ctrl+R returns to the text, Ctrl+Shift+R asks
  // whether to quit the course. True when the key was one of them.
  bool takeKey(int keyCode, int shift);

  void Form_MouseDown(Qt::MouseButton button) { mouseDown(button, false); }
  void Form_MouseUp(Qt::MouseButton button) { mouseUp(button); }
  void picRuv29_MouseDown(Qt::MouseButton button) { mouseDown(button, true); }
  void picRuv29_MouseUp(Qt::MouseButton button) { mouseUp(button); }

  // The window's picture, and the darker one of the button held down.
  static QPixmap picture(bool pressed);

  QLabel* const picRuv29;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Reached with the keyboard (the window list, Alt+Tab): Enter or Space returns to the
  // text, the menu key or Shift+F10 asks whether to quit, as the right click's menu would.
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void mouseDown(Qt::MouseButton button, bool onPressedPicture);
  void mouseUp(Qt::MouseButton button);

  Host host_;
  QPixmap background_;
  bool loaded_ = false;
};
