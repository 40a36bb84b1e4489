#pragma once
// The Qt platform the reader runs on. The reader finds, places and raises other programs'
// windows (a second copy brings the reader forward, the return window sits on top at the
// top right, the popup opens at the pointer) through X11; a Wayland desktop lets no client
// do any of that. Under Wayland the reader therefore runs as an X11 client of Xwayland,
// which every desktop session provides, unless the user chose a platform.
#include "platform/environment.h"

#include <QByteArray>
#include <QString>

struct QpaPlatformChoice {
  QByteArray set;  // the value to give QT_QPA_PLATFORM, or empty to leave it alone
  QString note;    // why window finding may not work, or empty when it will
};

// The choice for an environment: xcb when QT_QPA_PLATFORM is unset and an X display is there.
QpaPlatformChoice chooseQpaPlatform(const Environment& environment);

// Makes the choice for this process, before the application object exists; launcher copies
// go through it too, since simulators start them from their own command lines.
void applyQpaPlatformChoice();
