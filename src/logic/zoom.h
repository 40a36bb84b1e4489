#pragma once
// How large the course pages are drawn: the steps that the zoom keys and the wheel move
// through, the bounds, and how the choice is kept from one run to the next.
#include <QString>

class FileSystem;

namespace zoom {

inline constexpr double kSmallest = 0.5;
inline constexpr double kLargest = 3.0;
inline constexpr double kNormal = 1.0;

// The step after `factor` towards larger pages (`direction` > 0) or smaller ones (< 0),
// never past the bounds. A factor between two steps goes to the nearer one that way.
double step(double factor, int direction);
// `factor` within the bounds; kNormal for what is not a number.
double bounded(double factor);

// The factor kept in the settings file `path`; kNormal when there is none (an empty path,
// no file, no or a broken entry).
double load(FileSystem& files, const QString& path);
// Keeps `factor` in the settings file `path`, made with its folder when missing; false
// when it could not be written. An empty path keeps nothing.
bool save(FileSystem& files, const QString& path, double factor);

}  // namespace zoom
