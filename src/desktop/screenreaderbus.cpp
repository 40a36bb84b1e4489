#include "desktop/screenreaderbus.h"

#include "desktop/process.h"
#include "platform/logging.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QVariantMap>

namespace {

// The session bus is there when its address is given, or at its usual place.
bool sessionBusKnown(const Environment& environment) {
  if (!environment("DBUS_SESSION_BUS_ADDRESS").isEmpty()) return true;
  const QString runtime = environment("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool flag(const QVariantMap& properties, const char* name) {
  QVariant value = properties.value(QString::fromLatin1(name));
  if (value.canConvert<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
  return value.toBool();
}

}  // namespace

std::optional<screenreader::BusStatus> readAccessibilityStatus(const Environment& environment, int timeoutMs) {
  if (!sessionBusKnown(environment)) return std::nullopt;
  // A connection of its own, closed again: the application's bus connection comes later,
  // with the application.
  const QString name = QStringLiteral("tavrin-accessibility-status");
  std::optional<screenreader::BusStatus> status;
  {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    if (bus.isConnected()) {
      QDBusMessage ask =
          QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                         QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
      ask << QStringLiteral("org.a11y.Status");
      // Where no accessibility bus runs, none is started for the asking.
      ask.setAutoStartService(false);
      const QDBusMessage answer = bus.call(ask, QDBus::Block, timeoutMs);
      if (answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()) {
        const auto properties = qdbus_cast<QVariantMap>(answer.arguments().constFirst());
        status = screenreader::BusStatus{flag(properties, "ScreenReaderEnabled"), flag(properties, "IsEnabled")};
      } else if (answer.errorName() != u"org.freedesktop.DBus.Error.NameHasNoOwner" &&
                 answer.errorName() != u"org.freedesktop.DBus.Error.ServiceUnknown") {
        qCWarning(lcStartup) << "the accessibility bus did not say whether a screen reader runs:" << answer.errorName()
                             << answer.errorMessage();
      }
    }
  }
  QDBusConnection::disconnectFromBus(name);
  return status;
}

void applyScreenReaderChoice() {
  const Environment environment = processEnvironment();
  const screenreader::Choice choice =
      screenreader::choose(environment, [&environment] { return readAccessibilityStatus(environment); });
  // This engine opens the pages whenever the variable is set, whatever its value, so a
  // user's "0" is carried out by removing it.
  if (choice.openPages)
    qputenv(screenreader::kPagesVariable, "1");
  else
    qunsetenv(screenreader::kPagesVariable);
  qCDebug(lcStartup).noquote() << choice.reason;
}
