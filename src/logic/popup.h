#pragma once
// Where the picture popup goes: a window a little larger than the picture, at the mouse
// pointer, moved up and left where it would run off the screen.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace popup {

inline constexpr int kEdgeTwips = 200;  // kept free at the screen's edges

// The popup's outer rectangle in pixels for a picture of `width` x `height` pixels (0 for
// a size that did not convert), the pointer at `pointer` on a screen of `screen` pixels.
// Reckoned in twips: the picture plus 700 across and 300 down, its top-left at the
// pointer, and where that runs past the screen's right or bottom edge, 200 twips short of
// that edge. The window is never smaller than for a picture of size 0 nor larger than the
// screen less 200 twips at each edge, so all of it is on the screen.
QRect geometry(int width, int height, QPoint pointer, QSize screen);

}  // namespace popup
