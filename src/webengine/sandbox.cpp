#include "webengine/sandbox.h"

#include "platform/logging.h"

#include <QFile>

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace sandbox {

namespace {

// What the child ends with: 0 when all went well, else the step that failed plus its errno
// (errno values are small; a larger one is cut to kErrnoCut - 1).
constexpr int kErrnoCut = 85;
constexpr int kUserStep = 0;                 // a user namespace of its own
constexpr int kMapStep = kErrnoCut;          // its user and group mapped into it
constexpr int kProcessStep = 2 * kErrnoCut;  // process and network namespaces inside it

bool writeAll(const char* path, const char* text) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const size_t size = std::strlen(text);
  const bool written = ::write(fd, text, size) == static_cast<ssize_t>(size);
  return ::close(fd) == 0 && written;
}

[[noreturn]] void endChild(int step) { ::_exit(step + (errno > 0 && errno < kErrnoCut ? errno : kErrnoCut - 1)); }

// A system setting that refuses the namespaces, named for the message.
QString refusingSetting() {
  const auto value = [](const char* path) {
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
  };
  if (value("/proc/sys/kernel/unprivileged_userns_clone") == "0")
    return QStringLiteral("kernel.unprivileged_userns_clone = 0");
  if (value("/proc/sys/user/max_user_namespaces") == "0") return QStringLiteral("user.max_user_namespaces = 0");
  if (value("/proc/sys/kernel/apparmor_restrict_unprivileged_userns") == "1")
    return QStringLiteral("kernel.apparmor_restrict_unprivileged_userns = 1");
  return {};
}

}  // namespace

std::optional<QString> namespacesRefused() {
  if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ||
      qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QLatin1String("--no-sandbox")))
    return std::nullopt;
  // What the engine's zygote does, in a child of this process: a user namespace, the user
  // mapped into it, and process and network namespaces inside it. Everything the child needs
  // is made before the fork; it makes only system calls.
  char uidMap[48], gidMap[48];
  std::snprintf(uidMap, sizeof uidMap, "%u %u 1\n", ::getuid(), ::getuid());
  std::snprintf(gidMap, sizeof gidMap, "%u %u 1\n", ::getgid(), ::getgid());
  const pid_t child = ::fork();
  if (child < 0) {
    qCWarning(lcBrowser) << "cannot tell whether the page renderer has its sandbox: fork:" << std::strerror(errno);
    return std::nullopt;
  }
  if (child == 0) {
    if (::unshare(CLONE_NEWUSER) != 0) endChild(kUserStep);
    if (!writeAll("/proc/self/setgroups", "deny") || !writeAll("/proc/self/uid_map", uidMap) ||
        !writeAll("/proc/self/gid_map", gidMap))
      endChild(kMapStep);
    if (::unshare(CLONE_NEWPID | CLONE_NEWNET) != 0) endChild(kProcessStep);
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 0) return std::nullopt;
  const int code = WEXITSTATUS(status);
  const char* step = code >= kProcessStep ? "no process or network namespace can be made in a user namespace"
                     : code >= kMapStep   ? "a user namespace cannot be given its user"
                                          : "no user namespace can be made";
  QString reason =
      QStringLiteral("%1 (%2)").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(code % kErrnoCut)));
  if (const QString setting = refusingSetting(); !setting.isEmpty()) reason += QStringLiteral(", ") + setting;
  return reason;
}

void noteMissingNamespaces() {
  static bool noted = false;
  if (std::exchange(noted, true)) return;
  if (const std::optional<QString> reason = namespacesRefused())
    qCWarning(lcBrowser).noquote() << "the page renderer runs without the namespaces of its sandbox:" << *reason;
}

}  // namespace sandbox
