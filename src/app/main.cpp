// The reader's entry: wires the real platform into the main window and runs it.
#include "platform/clock.h"
#include "platform/instancelock.h"
#include "platform/platform.h"
#include "platform/qtmessageboxes.h"
#include "platform/webenginebrowser.h"
#include "viewer/frmqx.h"

#include <QApplication>
#include <QFile>
#include <QScreen>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
  // Chromium refuses to run as root inside its sandbox (containers, CI); the reader
  // only ever shows the course's own pages.
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavrin"));

  QtMessageBoxes messages;
  InstanceLock instance;
  SteadyClock clock;
  Platform platform;
  platform.createBrowser = [](QWidget* parent) -> Browser* { return new WebEngineBrowser(parent); };
  platform.messages = &messages;
  platform.environment = processEnvironment();
  platform.anotherCopyRuns = [&instance] { return instance.anotherCopyRuns(); };
  platform.screenSize = [] { return QGuiApplication::primaryScreen()->size(); };
  platform.endProcess = [](int code) {
    std::fflush(nullptr);
    ::_exit(code);
  };
  platform.removeFile = [](const QString& path) { return QFile::remove(path); };
  platform.clock = &clock;
  platform.processEvents = processPendingEvents;
  platform.commandLine = QCoreApplication::arguments().mid(1).join(u' ');
  platform.programFolder = QCoreApplication::applicationDirPath();

  frmQX reader(platform);
  if (!reader.Form_Load()) return 0;
  return app.exec();
}
