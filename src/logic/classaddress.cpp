#include "logic/classaddress.h"

#include "logic/pagenames.h"

#include <span>

QString classaddress::addressForClass(QString address, const QString& fileLocn, int screenSize) {
  const auto letter = pages::classLetter(screenSize);
  const std::span<const char* const> fragments(kRewrittenFragments);
  // Each test sees the address as the tests before it left it.
  for (const char* key : fragments.first(3)) {  // "mod", "obj", "rev" + two-digit module
    const qsizetype at = address.indexOf(QLatin1String(key));
    if (at >= 0 && letter)
      address = fileLocn + QLatin1String(key) + address.mid(at + 3, 2) + *letter + QStringLiteral(".qx");
  }
  for (const char* key : fragments.subspan(3, 4)) {  // the lettered pages of every module
    if (address.contains(QLatin1String(key)) && letter)
      address = fileLocn + QLatin1String(key) + *letter + QStringLiteral(".qx");
  }
  for (const char* start : fragments.subspan(7)) {  // the start pages
    if (address.contains(QLatin1String(start))) {
      address = fileLocn + pages::startPage(screenSize);
      break;
    }
  }
  return address;
}
