#include "platform/logging.h"

// Warnings and information show unless the user's rules say otherwise; debug lines are off.
Q_LOGGING_CATEGORY(lcBench, "tavrin.bench", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBlocks, "tavrin.blocks", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBrowser, "tavrin.browser", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHistory, "tavrin.history", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstance, "tavrin.instance", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLauncher, "tavrin.launcher", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMedia, "tavrin.media", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPrint, "tavrin.print", QtInfoMsg)
Q_LOGGING_CATEGORY(lcReading, "tavrin.reading", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSearch, "tavrin.search", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStartup, "tavrin.startup", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWindows, "tavrin.windows", QtInfoMsg)
