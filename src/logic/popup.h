#pragma once
// Where the picture popup goes: a window a little larger than the picture, at the mouse
// pointer, moved up and left where it would run off the screen.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace popup {

inline constexpr int kTwipsPerPixel = 15;

// The popup's outer rectangle in pixels for a picture of `width` x `height` pixels (0 for
// a size that did not convert), the pointer at `pointer` on a screen of `screen` pixels.
// Reckoned in twips: the picture plus 700 across and 300 down, its top-left at the
// pointer, and where that runs past the screen's right or bottom edge, 200 twips short of
// that edge (so a picture larger than the screen starts off its top or left).
QRect geometry(int width, int height, QPoint pointer, QSize screen);

}  // namespace popup
