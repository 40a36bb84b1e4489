#pragma once
// Whether the course pages are open to a screen reader. The page view of Qt WebEngine shows
// their contents (headings, paragraphs, links) to assistive technologies on Linux only when
// QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY is set before its first page view is made; the
// engine leaves it off by default for what it costs. The reader sets it itself when the
// desktop says a screen reader runs, and a setting of the user's own wins.
#include "platform/environment.h"

#include <QString>

#include <functional>
#include <optional>

namespace screenreader {

inline constexpr const char* kPagesVariable = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";

// What the desktop's accessibility bus says (org.a11y.Status on org.a11y.Bus): a screen
// reader runs, or assistive technologies in general are switched on.
struct BusStatus {
  bool screenReaderEnabled = false;
  bool isEnabled = false;
};

struct Choice {
  bool openPages = false;
  bool askedBus = false;  // the user had not decided, so the bus was asked
  QString reason;         // for the log
};

// The user's own value of the variable decides when there is one: "0" keeps the pages
// closed, any other value opens them (an empty value counts as none). Otherwise `askBus`
// is asked, and only then; it gives nothing when there is no session bus, no accessibility
// bus on it, or no answer in time, and then no screen reader runs.
Choice choose(const Environment& environment, const std::function<std::optional<BusStatus>()>& askBus);

}  // namespace screenreader
