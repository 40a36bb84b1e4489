#include "logic/placement.h"

namespace placement {

std::optional<Axis> parseAxis(QStringView text) {
  if (text.compare(u"Center", Qt::CaseInsensitive) == 0) return Axis::centred();
  bool ok = false;
  const int pixels = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return Axis::at(pixels);
}

int position(Axis axis, int start, int length, int boxLength) {
  return axis.centre ? start + (length - boxLength) / 2 : start + axis.offset;
}

QPoint topLeft(Axis x, Axis y, const QRect& reference, const QSize& box) {
  return {position(x, reference.left(), reference.width(), box.width()),
          position(y, reference.top(), reference.height(), box.height())};
}

MessageBoxes::Placement at(Axis x, Axis y, bool toDesktop) {
  return {toDesktop, [x, y](const QRect& reference, const QSize& box) { return topLeft(x, y, reference, box); }};
}

MessageBoxes::Answer msgBoxAt(MessageBoxes& boxes, MessageBoxes::Message message, Axis x, Axis y, bool toDesktop) {
  if (message.owner) message.placement = at(x, y, toDesktop);
  return boxes.ask(message);
}

}  // namespace placement
