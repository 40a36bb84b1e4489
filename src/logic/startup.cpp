#include "logic/startup.h"

#include "logic/classaddress.h"

#include <QUrl>

namespace startup {

Result<QString> courseBase(const Environment& env) {
  const QString mirror = env("TAVRIN_COURSE_BASE");
  if (mirror.isEmpty()) return QString::fromLatin1(kBuiltInCourseBase);

  const QUrl url(mirror, QUrl::StrictMode);
  const bool webAddress =
      url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
  const qsizetype qx2 = mirror.indexOf(u"qx2/");
  const bool endsAtQx2 = qx2 >= 0 && qx2 + 4 == mirror.size();
  // The resize handling rewrites any address holding these, host and path included.
  QString clash;
  for (const char* fragment : classaddress::kRewrittenFragments)
    if (mirror.contains(QLatin1String(fragment))) clash = QLatin1String(fragment);

  QString why;
  if (!webAddress)
    why = QStringLiteral("it is not an http or https address");
  else if (!endsAtQx2)
    why = QStringLiteral("it must end at its first \"qx2/\", like http://127.0.0.1:8642/qx_cbt/qx2/");
  else if (!clash.isEmpty())
    why = QStringLiteral("it contains \"%1\", which the program rewrites in page addresses").arg(clash);
  if (why.isEmpty()) return mirror;
  return Result<QString>::failed(
      QStringLiteral("The course location in TAVRIN_COURSE_BASE cannot be used:\n%1\n\n%2.").arg(mirror, why));
}

QString applicationDataFolder(const Environment& env) {
  if (QString appData = env("APPDATA"); !appData.isEmpty()) return appData;
  if (QString xdg = env("XDG_DATA_HOME"); !xdg.isEmpty()) return xdg;
  return env("HOME") + QStringLiteral("/.local/share");
}

QString programFilesFolder(const Environment& env) {
  QString folder = env("ProgramFiles(x86)");
  if (folder.isEmpty()) folder = env("ProgramFiles");
  if (folder.isEmpty()) folder = QStringLiteral("/opt");
  while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
  return folder;
}

QString userDir(const QString& applicationData) { return applicationData + QStringLiteral("/Vendrel/TavrinLab/"); }

QString settingsFile(const Environment& env) {
  QString config = env("XDG_CONFIG_HOME");
  if (!config.startsWith(u'/')) {  // a relative one is not to be used
    const QString home = env("HOME");
    if (home.isEmpty()) return {};
    config = home + QStringLiteral("/.config");
  }
  return config + QStringLiteral("/Vendrel/TavrinLab.conf");
}

}  // namespace startup
