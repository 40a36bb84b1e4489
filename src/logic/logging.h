#pragma once
// Logging categories of the logic. Debug lines are off unless switched on, e.g.
// QT_LOGGING_RULES="tavrin.*.debug=true"; warnings always show on stderr.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcStartup)   // tavrin.startup
Q_DECLARE_LOGGING_CATEGORY(lcHistory)   // tavrin.history
Q_DECLARE_LOGGING_CATEGORY(lcSearch)    // tavrin.search
Q_DECLARE_LOGGING_CATEGORY(lcLauncher)  // tavrin.launcher
