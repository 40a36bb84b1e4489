#include "logic/zoom.h"

#include "logic/settingsfile.h"
#include "platform/filesystem.h"
#include "platform/logging.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>

namespace zoom {

namespace {

// The steps browsers use, so that the user's hands know them.
constexpr std::array kSteps{0.5, 0.67, 0.75, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
constexpr double kSame = 0.001;  // factors closer than this are one step
const QString kGroup = QStringLiteral("view");
const QString kKey = QStringLiteral("zoom");

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

double load(FileSystem& files, const QString& path) {
  if (path.isEmpty()) return kNormal;
  const Result<FileState> state = files.state(path);
  if (state && *state == FileState::Missing) return kNormal;
  const Result<QByteArray> text = files.readWhole(path, settingsfile::kLargest);
  if (!text) {
    qCWarning(lcBrowser) << "the zoom cannot be read from" << path << ":" << text.error();
    return kNormal;
  }
  const std::optional<QString> kept = settingsfile::value(*text, kGroup, kKey);
  if (!kept) return kNormal;
  bool ok = false;
  const double factor = kept->toDouble(&ok);
  if (!ok) {
    qCWarning(lcBrowser) << "the zoom kept in" << path << "is not a number";
    return kNormal;
  }
  return bounded(factor);
}

bool save(FileSystem& files, const QString& path, double factor) {
  if (path.isEmpty()) return false;
  const QString folder = QFileInfo(path).absolutePath();
  if (const Result<FileState> state = files.state(folder); !state || *state != FileState::Folder) {
    if (const Done made = files.makePrivateFolder(folder); !made) {
      qCWarning(lcBrowser) << "the folder of" << path << "could not be made: the zoom is not kept:" << made.error();
      return false;
    }
  }
  // What else the file holds is kept; a file that cannot be read is not written over.
  QByteArray text;
  if (const Result<FileState> state = files.state(path); !state || *state != FileState::Missing) {
    Result<QByteArray> old = files.readWhole(path, settingsfile::kLargest);
    if (!old) {
      qCWarning(lcBrowser) << "the zoom is not kept in" << path << ":" << old.error();
      return false;
    }
    text = *old;
  }
  const QString value = QString::number(bounded(factor));
  if (const Done written = files.writeWhole(path, settingsfile::withValue(text, kGroup, kKey, value)); !written) {
    qCWarning(lcBrowser) << "the zoom could not be kept in" << path << ":" << written.error();
    return false;
  }
  return true;
}

}  // namespace zoom
