#pragma once
#include <QString>

// The history log "history.qx": one record per recorded page arrival, oldest first,
// each the page name in double quotes followed by CR LF, in Windows-1252. Only ever
// appended to; deleted as a whole when the reader quits.
namespace historylog {

inline QString pathIn(const QString& userDir) { return userDir + QStringLiteral("history.qx"); }

// Appends one record; false when the log cannot be opened or written.
bool append(const QString& path, const QString& page);

}  // namespace historylog
