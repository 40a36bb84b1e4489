#include "platform/logging.h"

Q_LOGGING_CATEGORY(lcBrowser, "tavrin.browser", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstance, "tavrin.instance", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBlocks, "tavrin.blocks", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWindows, "tavrin.windows", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMedia, "tavrin.media", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPrint, "tavrin.print", QtInfoMsg)
