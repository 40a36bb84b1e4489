#include "logic/logging.h"

Q_LOGGING_CATEGORY(lcStartup, "tavrin.startup", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHistory, "tavrin.history", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSearch, "tavrin.search", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLauncher, "tavrin.launcher", QtInfoMsg)
