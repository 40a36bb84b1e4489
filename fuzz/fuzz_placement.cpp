// The place of a message box relative to the window that asks. The input is the X text, a
// NUL, the Y text (both UTF-8), a NUL, then little-endian 32-bit numbers: an offset for
// each axis (used where its text is no place), a reference start, length and box length,
// and a reference rectangle (left, top, right, bottom) with a box width and height.
//
// The reading of "Center" and of offsets must be the plain one, and every place must be
// the exact sum or halving worked out in 64 bits, held within what an int holds; no
// number may overflow on the way.
#include "fuzzing.h"

#include "logic/placement.h"

#include <QString>

#include <algorithm>
#include <limits>
#include <optional>

using placement::Axis;

namespace {

// "Center" in any case; otherwise white space, an optional sign and decimal digits
// whose value an int holds.
std::optional<Axis> expectedAxis(const QString& text) {
  if (text.size() == 6) {
    bool centre = true;
    for (qsizetype i = 0; i < 6; ++i) {
      const char16_t c = text[i].unicode();
      const char16_t lower = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
      centre = centre && lower == u"center"[i];
    }
    if (centre) return Axis::centred();
  }
  qsizetype first = 0, last = text.size();
  while (first < last && text[first].isSpace()) ++first;
  while (last > first && text[last - 1].isSpace()) --last;
  qsizetype i = first;
  const bool negative = i < last && text[i] == u'-';
  if (i < last && (text[i] == u'-' || text[i] == u'+')) ++i;
  if (i == last) return std::nullopt;
  long long value = 0;
  for (; i < last; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i].unicode() - u'0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return Axis::at(int(value));
}

QString shown(const std::optional<Axis>& axis) {
  if (!axis) return QStringLiteral("nothing");
  return axis->centre ? QStringLiteral("centred") : QString::number(axis->offset);
}

int expectedPosition(Axis axis, long long start, long long length, long long boxLength) {
  // Halving truncates toward zero, as C++ division does.
  const long long exact = axis.centre ? start + (length - boxLength) / 2 : start + axis.offset;
  return int(std::clamp<long long>(exact, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<QByteArrayView> parts = fuzzing::split(fuzzing::bytes(data, size), 3);
  const QString xText = QString::fromUtf8(parts[0]);
  const QString yText = parts.size() > 1 ? QString::fromUtf8(parts[1]) : QString();
  const QByteArrayView numbers = parts.size() > 2 ? parts[2] : QByteArrayView();
  const auto number = [&](int i) { return fuzzing::int32At(numbers, i); };

  const std::optional<Axis> x = placement::parseAxis(xText);
  fuzzing::same("parseAxis X", shown(x), shown(expectedAxis(xText)), " of ", xText);
  const std::optional<Axis> y = placement::parseAxis(yText);
  fuzzing::same("parseAxis Y", shown(y), shown(expectedAxis(yText)), " of ", yText);
  const Axis across = x.value_or(Axis::at(number(0)));
  const Axis down = y.value_or(Axis::at(number(1)));

  const int start = number(2), length = number(3), box = number(4);
  for (const Axis axis : {across, down, Axis::centred(), Axis::at(number(0))})
    fuzzing::same("position", placement::position(axis, start, length, box), expectedPosition(axis, start, length, box),
                  " centre ", axis.centre, " offset ", axis.offset, " start ", start, " length ", length, " box ", box);

  // A rectangle whose width and height an int holds, also before QRect adds its 1: QRect
  // cannot give any other.
  const long long left = number(5), top = number(6), right = number(7), bottom = number(8);
  const long long width = right - left + 1, height = bottom - top + 1;
  const auto fits = [](long long v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
  };
  if (!fits(right - left) || !fits(width) || !fits(bottom - top) || !fits(height)) return 0;
  const QRect reference{QPoint(int(left), int(top)), QPoint(int(right), int(bottom))};
  const QSize boxSize(number(9), number(10));
  const QPoint expected(expectedPosition(across, left, width, boxSize.width()),
                        expectedPosition(down, top, height, boxSize.height()));
  fuzzing::same("topLeft", placement::topLeft(across, down, reference, boxSize), expected, " of ", reference, " ",
                boxSize);
  fuzzing::same("placed topLeft", placement::at(across, down).topLeft(reference, boxSize), expected);
  return 0;
}
