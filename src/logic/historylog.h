#pragma once
// The history log "history.qx": one record per recorded page arrival, oldest first,
// each the page name in double quotes followed by CR LF, in Windows-1252. Only ever
// appended to; deleted as a whole when the reader quits.
#include <QString>

class FileSystem;

class HistoryLog {
 public:
  static QString pathIn(const QString& userDir) { return userDir + QStringLiteral("history.qx"); }

  HistoryLog(FileSystem& files, QString path) : files_(files), path_(std::move(path)) {}
  const QString& path() const { return path_; }

  // Appends one record, creating the log open to its owner only; false when the log cannot
  // be opened or written, or is not a regular file (a pipe, a device: never waited for).
  // A log that is not a regular file is said once, not at every page.
  bool append(const QString& page);

 private:
  FileSystem& files_;
  const QString path_;
  bool saidNotRegular_ = false;
};
