#include "logic/settingsfile.h"

#include <QList>

namespace settingsfile {

namespace {

// The group a line opens, if it is a "[group]" line.
std::optional<QString> groupOf(const QString& line) {
  const QString t = line.trimmed();
  if (t.size() < 2 || !t.startsWith(u'[') || !t.endsWith(u']')) return std::nullopt;
  return t.mid(1, t.size() - 2).trimmed();
}

// The key of a "key=value" line.
std::optional<QString> keyOf(const QString& line) {
  const qsizetype eq = line.indexOf(u'=');
  if (eq <= 0) return std::nullopt;
  return line.left(eq).trimmed();
}

QStringList linesOf(const QByteArray& text) {
  QStringList lines = QString::fromUtf8(text).split(u'\n');
  for (QString& line : lines)
    if (line.endsWith(u'\r')) line.chop(1);
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace

std::optional<QString> value(const QByteArray& text, const QString& group, const QString& key) {
  QString current;
  for (const QString& line : linesOf(text)) {
    if (const auto g = groupOf(line)) {
      current = *g;
    } else if (current == group) {
      if (keyOf(line) == key) return line.mid(line.indexOf(u'=') + 1).trimmed();
    }
  }
  return std::nullopt;
}

QByteArray withValue(const QByteArray& text, const QString& group, const QString& key, const QString& value) {
  QStringList lines = linesOf(text);
  const QString entry = key + u'=' + value;
  QString current;
  qsizetype endOfGroup = -1;  // where a new entry of the group goes
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (const auto g = groupOf(lines[i])) {
      current = *g;
      continue;
    }
    if (current != group) continue;
    if (keyOf(lines[i]) == key) {
      lines[i] = entry;
      return lines.join(u'\n').toUtf8() + '\n';
    }
    if (!lines[i].trimmed().isEmpty()) endOfGroup = i + 1;
  }
  if (endOfGroup < 0) {
    // The group's heading with nothing under it, or no such group yet.
    for (qsizetype i = 0; i < lines.size(); ++i)
      if (groupOf(lines[i]) == group) endOfGroup = i + 1;
  }
  if (endOfGroup >= 0) {
    lines.insert(endOfGroup, entry);
  } else {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
    lines << u'[' + group + u']' << entry;
  }
  return lines.join(u'\n').toUtf8() + '\n';
}

}  // namespace settingsfile
