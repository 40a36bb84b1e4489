#include "logic/placement.h"

#include <algorithm>
#include <limits>

namespace placement {

std::optional<Axis> parseAxis(QStringView text) {
  if (text.compare(u"Center", Qt::CaseInsensitive) == 0) return Axis::centred();
  bool ok = false;
  const int pixels = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return Axis::at(pixels);
}

int position(Axis axis, int start, int length, int boxLength) {
  // An offset read from text can be any int: the sum is taken in 64 bits and held within an int.
  const qint64 place = axis.centre ? start + (qint64(length) - boxLength) / 2 : qint64(start) + axis.offset;
  return int(std::clamp<qint64>(place, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
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
