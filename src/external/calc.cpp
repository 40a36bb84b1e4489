#include "external/calc.h"

namespace calc {

void start(const std::function<bool()>& startCalculator, MessageBoxes& messages, QWidget* owner) {
  if (startCalculator && startCalculator()) return;
  messages.ask({QString::fromUtf8(kNoCalculator), QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok,
                MessageBoxes::Icon::Information, owner});
}

}  // namespace calc
