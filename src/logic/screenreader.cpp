#include "logic/screenreader.h"

namespace screenreader {

Choice choose(const Environment& environment, const std::function<std::optional<BusStatus>()>& askBus) {
  const QString own = environment(kPagesVariable).trimmed();
  if (!own.isEmpty()) {
    const bool open = own != u"0";
    return {open, false,
            QStringLiteral("%1=%2 is set: the course pages are %3 to screen readers")
                .arg(QLatin1String(kPagesVariable), own, open ? u"open" : u"closed")};
  }
  const std::optional<BusStatus> bus = askBus ? askBus() : std::nullopt;
  if (!bus)
    return {false, true, QStringLiteral("no accessibility bus: the course pages are not opened to screen readers")};
  if (bus->screenReaderEnabled)
    return {true, true, QStringLiteral("a screen reader runs: the course pages are opened to it")};
  if (bus->isEnabled)
    return {true, true, QStringLiteral("assistive technologies are switched on: the course pages are opened to them")};
  return {false, true, QStringLiteral("no screen reader runs: the course pages are not opened to screen readers")};
}

}  // namespace screenreader
