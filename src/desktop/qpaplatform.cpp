#include "desktop/qpaplatform.h"

#include "desktop/process.h"
#include "platform/logging.h"

#include <QLoggingCategory>

namespace {}  // namespace

QpaPlatformChoice chooseQpaPlatform(const Environment& environment) {
  const QString chosen = environment("QT_QPA_PLATFORM").trimmed();
  if (chosen.isEmpty()) {
    if (!environment("DISPLAY").isEmpty()) return {"xcb", {}};
    return {{},
            QStringLiteral("no X display (DISPLAY is not set): other programs' windows cannot be found, "
                           "placed or brought forward")};
  }
  // A list such as "wayland;xcb" is tried in order; the first that loads wins.
  const QString first = chosen.section(u';', 0, 0).section(u':', 0, 0).trimmed();
  if (first == u"xcb") return {};
  return {{},
          QStringLiteral("QT_QPA_PLATFORM is \"%1\", not xcb: other programs' windows cannot be found, "
                         "placed or brought forward")
              .arg(chosen)};
}

void applyQpaPlatformChoice() {
  const QpaPlatformChoice choice = chooseQpaPlatform(processEnvironment());
  if (!choice.set.isEmpty()) qputenv("QT_QPA_PLATFORM", choice.set);
  if (!choice.note.isEmpty()) qCInfo(lcStartup).noquote() << choice.note;
}
