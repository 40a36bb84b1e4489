#include "logic/zoom.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>

#include <algorithm>
#include <array>
#include <cmath>

namespace zoom {

namespace {

Q_LOGGING_CATEGORY(lcBrowser, "tavrin.browser", QtInfoMsg)

// The steps browsers use, so that the user's hands know them.
constexpr std::array kSteps{0.5, 0.67, 0.75, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
constexpr double kSame = 0.001;  // factors closer than this are one step
const QString kKey = QStringLiteral("view/zoom");

}  // namespace

double bounded(double factor) {
  if (!std::isfinite(factor)) return kNormal;
  return std::clamp(factor, kSmallest, kLargest);
}

double step(double factor, int direction) {
  factor = bounded(factor);
  if (direction > 0) {
    const auto next = std::find_if(kSteps.begin(), kSteps.end(), [&](double s) { return s > factor + kSame; });
    return next == kSteps.end() ? kLargest : *next;
  }
  if (direction < 0) {
    const auto next = std::find_if(kSteps.rbegin(), kSteps.rend(), [&](double s) { return s < factor - kSame; });
    return next == kSteps.rend() ? kSmallest : *next;
  }
  return factor;
}

double load(const QString& path) {
  if (path.isEmpty() || !QFileInfo::exists(path)) return kNormal;
  const QSettings settings(path, QSettings::IniFormat);
  bool ok = false;
  const double factor = settings.value(kKey).toDouble(&ok);
  if (!ok) {
    if (settings.contains(kKey)) qCWarning(lcBrowser) << "the zoom kept in" << path << "is not a number";
    return kNormal;
  }
  return bounded(factor);
}

bool save(const QString& path, double factor) {
  if (path.isEmpty()) return false;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    qCWarning(lcBrowser) << "the folder of" << path << "could not be made: the zoom is not kept";
    return false;
  }
  QSettings settings(path, QSettings::IniFormat);
  settings.setValue(kKey, bounded(factor));
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    qCWarning(lcBrowser) << "the zoom could not be kept in" << path;
    return false;
  }
  return true;
}

}  // namespace zoom
