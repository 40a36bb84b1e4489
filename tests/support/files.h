#pragma once
// Whole files in and out, for tests that set up data files and read what was written.
#include <QByteArray>
#include <QFile>
#include <QString>

inline bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The bytes of the file, "" when there is none.
inline QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
