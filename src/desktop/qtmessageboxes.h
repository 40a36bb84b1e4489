#pragma once
#include "platform/messageboxes.h"

// The real boxes: QMessageBox, modal, brought to the front.
class QtMessageBoxes : public MessageBoxes {
 public:
  Answer ask(const Message& message) override;
};
