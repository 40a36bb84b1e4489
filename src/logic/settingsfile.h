#pragma once
// The program's settings file: INI text ("[group]" lines, then "key=value" lines), as
// desktop programs keep theirs. Entries this program does not know are kept as they are.
#include <QByteArray>
#include <QString>

#include <optional>

namespace settingsfile {

// The largest settings file read; a larger one is not the program's.
inline constexpr qint64 kLargest = 1024 * 1024;

// The value of `key` in `group`, trimmed; nothing when the text has no such entry.
std::optional<QString> value(const QByteArray& text, const QString& group, const QString& key);
// The text with `key` in `group` set to `value`: the entry replaced where it is, else added
// at the end of its group, else in a new group at the end.
QByteArray withValue(const QByteArray& text, const QString& group, const QString& key, const QString& value);

}  // namespace settingsfile
