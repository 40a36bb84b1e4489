// The reader's entry: wires the real platform into the main window and runs it.
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/webenginebrowser.h"
#include "shell/instancelock.h"
#include "viewer/frmqx.h"

#include <QApplication>
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
  Platform platform;
  platform.createBrowser = [](QWidget* parent) -> Browser* { return new WebEngineBrowser(parent); };
  platform.messages = &messages;
  platform.environment = startup::processEnvironment();
  platform.anotherCopyRuns = [&instance] { return instance.anotherCopyRuns(); };
  platform.screenSize = [] { return QGuiApplication::primaryScreen()->size(); };
  platform.endProcess = [](int code) {
    std::fflush(nullptr);
    ::_exit(code);
  };
  platform.programFolder = QCoreApplication::applicationDirPath();

  frmQX reader(platform);
  if (!reader.Form_Load()) return 0;
  reader.show();
  return app.exec();
}
