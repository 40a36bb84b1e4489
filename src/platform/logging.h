#pragma once
// The logging categories of the program, one per component, each defined once (logging.cpp).
// Every failure the user does not see writes one line to its component's category; the
// README and tavrin(1) list them, and a test holds those lists to this one.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcBench)     // tavrin.bench: marks the benchmarks time the program by (debug)
Q_DECLARE_LOGGING_CATEGORY(lcBlocks)    // tavrin.blocks: the shared blocks
Q_DECLARE_LOGGING_CATEGORY(lcBrowser)   // tavrin.browser: pages that fail, the renderer, zoom
Q_DECLARE_LOGGING_CATEGORY(lcHistory)   // tavrin.history: the history log and window
Q_DECLARE_LOGGING_CATEGORY(lcInstance)  // tavrin.instance: the lock that tells whether a reader runs
Q_DECLARE_LOGGING_CATEGORY(lcLauncher)  // tavrin.launcher: launcher copies and the programs they start
Q_DECLARE_LOGGING_CATEGORY(lcMedia)     // tavrin.media: videos and narration
Q_DECLARE_LOGGING_CATEGORY(lcPrint)     // tavrin.print: printing
Q_DECLARE_LOGGING_CATEGORY(lcReading)   // tavrin.reading: the place kept in the course, bookmarks, progress
Q_DECLARE_LOGGING_CATEGORY(lcSearch)    // tavrin.search: the search data files
Q_DECLARE_LOGGING_CATEGORY(lcStartup)   // tavrin.startup: what goes wrong while a copy starts
Q_DECLARE_LOGGING_CATEGORY(lcWindows)   // tavrin.windows: the program's and other programs' windows
