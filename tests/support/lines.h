#pragma once
#include <QByteArray>
#include <QList>

// Data-file text from its lines, each ended with CR LF as the course's files are.
inline QByteArray crlf(const QList<QByteArray>& lines) {
  QByteArray out;
  for (const QByteArray& line : lines) out += line + "\r\n";
  return out;
}
