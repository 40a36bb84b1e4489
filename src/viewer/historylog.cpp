#include "viewer/historylog.h"

#include "shell/codepage.h"

#include <QFile>

bool historylog::append(const QString& path, const QString& page) {
  QFile log(path);
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const QByteArray record = '"' + cp1252::encode(page) + "\"\r\n";
  return log.write(record) == record.size();
}
