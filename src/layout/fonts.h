#pragma once
#include <QFont>
#include <QStringList>

// The design's sans-serif face, or the nearest one this system has, at `pixelSize`.
QFont designFont(int pixelSize, bool bold = false);
