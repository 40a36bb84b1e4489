#pragma once
#include <QLoggingCategory>
#include <QString>

class FileSystem;

// tavrin.history: what the history log and the history window cannot read or write.
Q_DECLARE_LOGGING_CATEGORY(lcHistory)

// The history log "history.qx": one record per recorded page arrival, oldest first,
// each the page name in double quotes followed by CR LF, in Windows-1252. Only ever
// appended to; deleted as a whole when the reader quits.
namespace historylog {

inline QString pathIn(const QString& userDir) { return userDir + QStringLiteral("history.qx"); }

// Creates the folder of the log, with its parents, the folder itself open to its owner
// only; false when it cannot be created.
bool makeFolder(const QString& path);

// Appends one record through `files`, creating the log open to its owner only; false when
// the log cannot be opened or written, or is not a regular file (a pipe, a device: never
// waited for).
bool append(FileSystem& files, const QString& path, const QString& page);

}  // namespace historylog
