#include "logic/popup.h"

#include <algorithm>

QRect popup::geometry(int width, int height, QPoint pointer, QSize screen) {
  const qint64 wide = qint64(width) * kTwipsPerPixel + 700;
  const qint64 high = qint64(height) * kTwipsPerPixel + 300;
  const qint64 screenWide = qint64(screen.width()) * kTwipsPerPixel;
  const qint64 screenHigh = qint64(screen.height()) * kTwipsPerPixel;
  qint64 top = qint64(pointer.y()) * kTwipsPerPixel;
  qint64 left = qint64(pointer.x()) * kTwipsPerPixel;
  if (screenHigh < top + high) top = screenHigh - high - 200;
  if (screenWide < left + wide) left = screenWide - wide - 200;
  // Sizes from a command line can be anything a 32-bit number holds: keep the window's
  // numbers within what a window system takes.
  const auto px = [](qint64 twips) { return int(std::clamp<qint64>(twips / kTwipsPerPixel, -1000000, 1000000)); };
  return {px(left), px(top), px(wide), px(high)};
}
