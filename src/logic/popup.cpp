#include "logic/popup.h"

#include "logic/twips.h"

#include <algorithm>

QRect popup::geometry(int width, int height, QPoint pointer, QSize screen) {
  const qint64 screenWide = qint64(screen.width()) * twips::kPerPixel;
  const qint64 screenHigh = qint64(screen.height()) * twips::kPerPixel;
  // Sizes from a command line can be anything a 32-bit number holds. A window smaller than
  // that of a size that did not convert, or larger than the screen within its margins,
  // cannot be seen whole, yet it would stay up until a click: keep it on the screen.
  const auto within = [](qint64 length, qint64 least, qint64 screenTwips) {
    return std::clamp<qint64>(length, least, std::max(least, screenTwips - 2 * kEdgeTwips));
  };
  const qint64 wide = within(qint64(width) * twips::kPerPixel + 700, 700, screenWide);
  const qint64 high = within(qint64(height) * twips::kPerPixel + 300, 300, screenHigh);
  qint64 top = qint64(pointer.y()) * twips::kPerPixel;
  qint64 left = qint64(pointer.x()) * twips::kPerPixel;
  if (screenHigh < top + high) top = screenHigh - high - kEdgeTwips;
  if (screenWide < left + wide) left = screenWide - wide - kEdgeTwips;
  // A pointer or screen from the window system can be anything a 32-bit number holds: keep
  // the window's numbers within what a window system takes.
  const auto px = [](qint64 length) { return int(std::clamp<qint64>(length / twips::kPerPixel, -1000000, 1000000)); };
  return {px(left), px(top), px(wide), px(high)};
}
