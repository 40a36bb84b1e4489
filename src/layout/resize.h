#pragma once
#include <QString>

namespace layout {

// The address of the same page in the variant of screen class `screenSize`: class pages
// ("mod", "obj", "rev" + module, "qxprac", "qxsumm", "qxtech", "qxtvid") and start pages
// are re-lettered; anything else comes back as it was.
QString addressForClass(QString address, const QString& fileLocn, int screenSize);

}  // namespace layout
