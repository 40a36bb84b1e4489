#pragma once
// Modal message boxes, the only way the program speaks to the user about a problem.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

class MessageBoxes {
 public:
  enum class Buttons { Ok, OkCancel, YesNo };
  enum class Icon { None, Warning, Question, Information, Critical };
  enum class Answer { Ok, Cancel, Yes, No };

  // Where a box goes on screen instead of where the system would put it: decided when the
  // box is laid out and about to show, from the screen rectangle of the reference window
  // (its frame included) and the box's size.
  struct Placement {
    bool toDesktop = false;  // the reference is the whole desktop rather than the owner
    std::function<QPoint(const QRect& reference, const QSize& box)> topLeft;
  };

  struct Message {
    QString text;
    QString title = QStringLiteral("Tavrin");
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QWidget* owner = nullptr;                           // the box is placed over its owner when given
    std::optional<Placement> placement = std::nullopt;  // heeded only with an owner
  };

  virtual ~MessageBoxes() = default;
  virtual Answer ask(const Message& message) = 0;
};
