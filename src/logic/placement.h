#pragma once
// Message boxes placed relative to the window that asks (MsgBoxAt): the quit questions
// appear at a fixed offset from the window's top-left corner, or centred on it, along each
// axis on its own.
#include "platform/messageboxes.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringView>

#include <optional>

namespace placement {

// One axis of a place: centred on the reference, or an offset in pixels from its start.
struct Axis {
  bool centre = false;
  int offset = 0;

  static Axis centred() { return {true, 0}; }
  static Axis at(int pixels) { return {false, pixels}; }
  bool operator==(const Axis&) const = default;
};

// Where the program's questions go, relative to the window that asks.
struct Place {
  Axis x, y;
};
// The quit question of the main and side windows: 100 pixels right of and 80 below the
// window's top-left corner.
inline constexpr Place kQuitQuestion{Axis{false, 100}, Axis{false, 80}};
// The return window's: 150 pixels left of it, since the window sits at the screen's right.
inline constexpr Place kReturnWindowQuestion{Axis{false, -150}, Axis{false, 80}};

// "Center" in any case, or a whole number of pixels; nothing for anything else.
std::optional<Axis> parseAxis(QStringView text);

// Where a box of `boxLength` starts along an axis of a reference that starts at `start`
// and is `length` long. Centred, the halving truncates toward zero, so a box larger than
// its reference starts before it. Nothing keeps a box on the screen; a place beyond what an
// int holds stops at its limit.
int position(Axis axis, int start, int length, int boxLength);
QPoint topLeft(Axis x, Axis y, const QRect& reference, const QSize& box);

MessageBoxes::Placement at(Axis x, Axis y, bool toDesktop = false);

// MsgBoxAt: asks `message`, placed relative to its owner (or to the desktop) when it has an
// owner; without one it is an ordinary box.
MessageBoxes::Answer msgBoxAt(MessageBoxes& boxes, MessageBoxes::Message message, Axis x, Axis y,
                              bool toDesktop = false);
inline MessageBoxes::Answer msgBoxAt(MessageBoxes& boxes, MessageBoxes::Message message, Place place) {
  return msgBoxAt(boxes, std::move(message), place.x, place.y);
}

}  // namespace placement
