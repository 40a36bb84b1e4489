#pragma once
// Logging categories of the platform. Debug lines are off unless switched on, e.g.
// QT_LOGGING_RULES="tavrin.*.debug=true"; warnings always show on stderr.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)   // tavrin.browser
Q_DECLARE_LOGGING_CATEGORY(lcInstance)  // tavrin.instance
Q_DECLARE_LOGGING_CATEGORY(lcBlocks)    // tavrin.blocks
Q_DECLARE_LOGGING_CATEGORY(lcWindows)   // tavrin.windows
Q_DECLARE_LOGGING_CATEGORY(lcMedia)     // tavrin.media
Q_DECLARE_LOGGING_CATEGORY(lcPrint)     // tavrin.print
