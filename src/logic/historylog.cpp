#include "logic/historylog.h"

#include "logic/codepage.h"
#include "platform/filesystem.h"
#include "platform/logging.h"

bool HistoryLog::append(const QString& page) {
  using Stage = AppendFailure::Stage;
  const auto appended = files_.append(path_, '"' + cp1252::encode(page) + "\"\r\n");
  if (appended) return true;
  const AppendFailure& failure = appended.error();
  switch (failure.stage) {
    case Stage::NotRegular:
      if (!std::exchange(saidNotRegular_, true))
        qCWarning(lcHistory) << "nothing is recorded in" << path_ << ": it is not a regular file";
      break;
    case Stage::NotOpened: qCWarning(lcHistory) << "cannot open" << path_ << ":" << failure.why; break;
    case Stage::NotWritten:
      if (!failure.leftOver.isEmpty())
        qCWarning(lcHistory) << "cannot take back a partial record from" << path_ << ":" << failure.leftOver;
      qCWarning(lcHistory) << "cannot record" << page << "in" << path_ << ":" << failure.why;
      break;
  }
  return false;
}
