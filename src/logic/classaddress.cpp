#include "logic/classaddress.h"

QString classaddress::addressForClass(QString address, const QString& fileLocn, int screenSize) {
  const auto letter = pages::classLetter(screenSize);
  // Each test sees the address as the tests before it left it.
  for (const char* key : pages::kModuleClassPages) {  // "mod", "obj", "rev" + two-digit module
    const qsizetype at = address.indexOf(QLatin1String(key));
    if (at >= 0 && letter)
      address = fileLocn + QLatin1String(key) + address.mid(at + 3, 2) + *letter + QStringLiteral(".qx");
  }
  for (const char* key : pages::kCourseClassPages) {  // the lettered pages of every module
    if (address.contains(QLatin1String(key)) && letter)
      address = fileLocn + QLatin1String(key) + *letter + QStringLiteral(".qx");
  }
  for (const char* start : kStartPages) {  // the start pages
    if (address.contains(QLatin1String(start))) {
      address = fileLocn + pages::startPage(screenSize);
      break;
    }
  }
  return address;
}
