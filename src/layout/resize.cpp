#include "layout/resize.h"

#include "viewer/pagenames.h"

QString layout::addressForClass(QString address, const QString& fileLocn, int screenSize) {
  const auto letter = pages::classLetter(screenSize);
  // Each test sees the address as the tests before it left it.
  for (const char* key : {"mod", "obj", "rev"}) {
    const qsizetype at = address.indexOf(QLatin1String(key));
    if (at >= 0 && letter)
      address = fileLocn + QLatin1String(key) + address.mid(at + 3, 2) + *letter + QStringLiteral(".qx");
  }
  for (const char* key : {"qxprac", "qxsumm", "qxtech", "qxtvid"}) {
    if (address.contains(QLatin1String(key)) && letter)
      address = fileLocn + QLatin1String(key) + *letter + QStringLiteral(".qx");
  }
  for (char l = 'a'; l <= 'g'; ++l) {
    if (address.contains(QStringLiteral("qx%1.qx").arg(QChar(l)))) {
      address = fileLocn + pages::startPage(screenSize);
      break;
    }
  }
  return address;
}
