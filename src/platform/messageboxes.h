#pragma once
// Modal message boxes, the only way the program speaks to the user about a problem.
#include <QString>

class QWidget;

class MessageBoxes {
 public:
  enum class Buttons { Ok, OkCancel, YesNo };
  enum class Icon { None, Warning, Question, Information, Critical };
  enum class Answer { Ok, Cancel, Yes, No };

  struct Message {
    QString text;
    QString title = QStringLiteral("Tavrin");
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QWidget* owner = nullptr;  // the box is placed over its owner when given
  };

  virtual ~MessageBoxes() = default;
  virtual Answer ask(const Message& message) = 0;
};
