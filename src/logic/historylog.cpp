#include "logic/historylog.h"

#include "logic/codepage.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFile>

Q_LOGGING_CATEGORY(lcHistory, "tavrin.history", QtInfoMsg)

bool historylog::makeFolder(const QString& path) {
  if (!QDir().mkpath(path)) return false;
  // What someone read is theirs alone.
  if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
    qCWarning(lcHistory) << "cannot make" << path << "private";
  return true;
}

bool historylog::append(FileSystem& files, const QString& path, const QString& page) {
  using Outcome = FileSystem::Appended::Outcome;
  const FileSystem::Appended appended = files.append(path, '"' + cp1252::encode(page) + "\"\r\n");
  // A pipe or a device in the log's place is said once, not at every page.
  static QString lastRefused;
  if (appended.outcome == Outcome::NotRegular) {
    if (lastRefused != path) qCWarning(lcHistory) << "nothing is recorded in" << path << ": it is not a regular file";
    lastRefused = path;
    return false;
  }
  if (appended.outcome == Outcome::NotOpened) {
    qCWarning(lcHistory) << "cannot open" << path << ":" << appended.why;
    return false;
  }
  if (!appended.leftOver.isEmpty())
    qCWarning(lcHistory) << "cannot take back a partial record from" << path << ":" << appended.leftOver;
  if (!appended) qCWarning(lcHistory) << "cannot record" << page << "in" << path << ":" << appended.why;
  return bool(appended);
}
