#include "layout/fonts.h"

QFont designFont(int pixelSize, bool bold) {
  QFont f;
  // The design face first, then faces of similar width that Linux systems carry.
  f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                 QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}
