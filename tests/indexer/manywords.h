#pragma once
#include <QString>

// n different words, "zqaaa zqaab ...", none of them a common word that is left out.
inline QString differentWords(int n) {
  QString text;
  for (int w = 0; w < n; ++w) {
    const QChar letters[3] = {QChar(u'a' + w / 676 % 26), QChar(u'a' + w / 26 % 26), QChar(u'a' + w % 26)};
    text += QStringLiteral("zq") + QString(letters, 3) + u' ';
  }
  return text;
}
