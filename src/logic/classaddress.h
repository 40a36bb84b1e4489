#pragma once
// Fitting an address to another screen class when the window's size class changes.
#include "logic/pagenames.h"

#include <QString>

#include <array>

namespace classaddress {

inline constexpr std::array<const char*, 7> kStartPages = {"qxa.qx", "qxb.qx", "qxc.qx", "qxd.qx",
                                                           "qxe.qx", "qxf.qx", "qxg.qx"};

namespace detail {
template <size_t A, size_t B, size_t C>
constexpr std::array<const char*, A + B + C> joined(const std::array<const char*, A>& a,
                                                    const std::array<const char*, B>& b,
                                                    const std::array<const char*, C>& c) {
  std::array<const char*, A + B + C> out{};
  size_t i = 0;
  for (const char* s : a) out[i++] = s;
  for (const char* s : b) out[i++] = s;
  for (const char* s : c) out[i++] = s;
  return out;
}
}  // namespace detail

// Every fragment whose presence anywhere in an address makes the rewrite below change it.
// The course-base check refuses a base holding any of them, since every page address
// under that base would be rewritten.
inline constexpr auto kRewrittenFragments =
    detail::joined(pages::kModuleClassPages, pages::kCourseClassPages, kStartPages);

// The address of the same page in the variant of screen class `screenSize`: class pages
// ("mod", "obj", "rev" + module, "qxprac", "qxsumm", "qxtech", "qxtvid") and start pages
// are re-lettered; anything else comes back as it was.
QString addressForClass(QString address, const QString& fileLocn, int screenSize);

}  // namespace classaddress
