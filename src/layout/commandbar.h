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
