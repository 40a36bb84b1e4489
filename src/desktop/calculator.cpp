#include "desktop/calculator.h"

#include "platform/logging.h"

#include <QLoggingCategory>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {}  // namespace

namespace calculator {

const QStringList& programs() {
  static const QStringList names{QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                 QStringLiteral("mate-calc"),        QStringLiteral("galculator"),
                                 QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
  return names;
}

std::optional<QString> find(const QString& searchPath) {
  const QStringList folders = searchPath.split(QDir::listSeparator(), Qt::SkipEmptyParts);
  if (folders.isEmpty()) return std::nullopt;
  for (const QString& name : programs()) {
    const QString path = QStandardPaths::findExecutable(name, folders);
    if (!path.isEmpty()) return path;
  }
  return std::nullopt;
}

bool start(const QString& searchPath) {
  const auto program = find(searchPath);
  if (!program) {
    qCWarning(lcWindows) << "no calculator on the search path; looked for" << programs().join(u' ');
    return false;
  }
  if (!QProcess::startDetached(*program, {})) {
    qCWarning(lcWindows) << "cannot start" << *program;
    return false;
  }
  return true;
}

bool start() { return start(qEnvironmentVariable("PATH")); }

}  // namespace calculator
