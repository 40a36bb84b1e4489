#pragma once
// Fitting an address to another screen class when the window's size class changes.
#include <QString>

#include <array>

namespace classaddress {

// Every fragment whose presence anywhere in an address makes the rewrite below change it.
// The course-base check refuses a base holding any of them, since every page address
// under that base would be rewritten.
inline constexpr std::array<const char*, 14> kRewrittenFragments = {"mod",    "obj",    "rev",    "qxprac", "qxsumm",
                                                                    "qxtech", "qxtvid", "qxa.qx", "qxb.qx", "qxc.qx",
                                                                    "qxd.qx", "qxe.qx", "qxf.qx", "qxg.qx"};

// The address of the same page in the variant of screen class `screenSize`: class pages
// ("mod", "obj", "rev" + module, "qxprac", "qxsumm", "qxtech", "qxtvid") and start pages
// are re-lettered; anything else comes back as it was.
QString addressForClass(QString address, const QString& fileLocn, int screenSize);

}  // namespace classaddress
