#pragma once
// The row of ten command buttons along the top of the main window and of the three side
// windows. Slot 3 is Search, or Index in the search window.
#include <QPushButton>

class QWidget;

struct CommandBar {
  enum class Slot3 { Search, Index };
  CommandBar(QWidget* window, Slot3 slot3);

  QPushButton* cmdCont;
  QPushButton* cmdPrint;
  QPushButton* cmdSlot3;  // cmdSearch or cmdIndex
  QPushButton* cmdBack;
  QPushButton* cmdPrev;
  QPushButton* cmdNext;
  QPushButton* cmdHist;
  QPushButton* cmdCalc;
  QPushButton* cmdHelp;
  QPushButton* cmdSecn;
};

// The design's small bold sans-serif face, or the nearest this system has, at a size
// that fits the widest caption into a button.
QFont commandBarFont();

// Connects the ten buttons to the window's handlers of the same names (cmdCont_Click …),
// slot 3 to `slot3`.
template <typename Window>
void connectCommandBar(const CommandBar& bar, Window* window, void (Window::*slot3)()) {
  const auto on = [window](QPushButton* button, void (Window::*handler)()) {
    QObject::connect(button, &QPushButton::clicked, window, handler);
  };
  on(bar.cmdCont, &Window::cmdCont_Click);
  on(bar.cmdPrint, &Window::cmdPrint_Click);
  on(bar.cmdSlot3, slot3);
  on(bar.cmdBack, &Window::cmdBack_Click);
  on(bar.cmdPrev, &Window::cmdPrev_Click);
  on(bar.cmdNext, &Window::cmdNext_Click);
  on(bar.cmdHist, &Window::cmdHist_Click);
  on(bar.cmdCalc, &Window::cmdCalc_Click);
  on(bar.cmdHelp, &Window::cmdHelp_Click);
  on(bar.cmdSecn, &Window::cmdSecn_Click);
}
