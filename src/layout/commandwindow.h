#pragma once
// What the main window and the three side windows share: the row of command buttons along
// the top, a help picture over the window that a click, Escape or any other key puts away,
// the keys that work in all four (Alt+Q asks to quit, Alt+, and Alt+. step back and on), and
// the rescue of a window moved off the left edge of the screen.
#include "layout/commandbar.h"
#include "layout/helpimage.h"

#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <functional>

class CommandWindow : public QWidget {
  Q_OBJECT
 public:
  // The help picture covers `helpArea`; it is drawn the first time it is shown. To a screen
  // reader the window is a window (a frame), and the picture is described by its text.
  CommandWindow(CommandBar::Slot3 slot3, QRect helpArea, HelpPicture help);
  ~CommandWindow() override;

  const CommandBar& commandBar() const { return bar_; }
  QLabel* help() const { return picHelp; }

  void cmdHelp_Click();  // shows the help picture, or puts it away
  void picHelp_Click();

  // Keys, seen before the control that has the focus: each window first lets the shared
  // keys have theirs (takeSharedKeys), then handles its own.
  virtual void Form_KeyDown(int& keyCode, int& shift) = 0;
  void Form_KeyPress(int& character);  // Escape puts the help away, and goes no further

  virtual void cmdPrev_Click() = 0;
  virtual void cmdNext_Click() = 0;

 protected:
  // Any key puts the help away; Alt+Q, Alt+, and Alt+. do their work and are swallowed.
  void takeSharedKeys(int& keyCode, int shift);
  // The quit question, over this window.
  virtual void askToQuit() = 0;
  // A normal window whose left edge was moved off the screen jumps back into reach.
  void rescueIfOffscreen();

  CommandBar bar_;
  QLabel* picHelp;

 private:
  std::function<QPixmap()> drawHelp_;
};
