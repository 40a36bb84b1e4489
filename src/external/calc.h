#pragma once
// Calc: the system calculator, started on its own; where none can be started, the user is
// told so rather than left with a button that does nothing.
#include "platform/messageboxes.h"

#include <functional>

class QWidget;

namespace calc {

inline constexpr const char* kNoCalculator =
    "Tavrin could not start a calculator.\n\n"
    "Install one of the desktop's calculators (for example GNOME Calculator, KCalc or xcalc), "
    "then press Calc again.";

// `startCalculator` starts it and says whether it did; the box, titled "Tavrin", is placed
// over `owner`.
void start(const std::function<bool()>& startCalculator, MessageBoxes& messages, QWidget* owner);

}  // namespace calc
