#pragma once
#include "logic/tickwait.h"

class QWidget;

// The window that takes over from another takes its window state and, when that state
// is normal, its position, so the program's windows appear in one place, one at a time.
void handOver(QWidget& from, QWidget& to, const TickWait& wait);
