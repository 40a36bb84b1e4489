#include "e2e/harness.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSize>
#include <QTest>

#include <sys/prctl.h>
#include <csignal>
#include <cstdio>

namespace e2e {

namespace {
// A child that outlives a crashed test would hold its port or window for the next one.
void endWithParent(QProcess& process) {
  process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(10000)) {
    p.kill();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}
}  // namespace

QString buildDir() { return QString::fromLocal8Bit(TAVRIN_BUILD_DIR); }

QString blockPrefix() { return QStringLiteral("e2e%1-").arg(QCoreApplication::applicationPid()); }

QString activeWindowTitle() {
  // Without a window manager nobody keeps the active window; the window with the keyboard
  // stands for it.
  const QString active =
      run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}).trimmed();
  if (!active.isEmpty()) return active;
  return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus"), QStringLiteral("getwindowname")}).trimmed();
}

QString windowOf(qint64 pid) {
  return run(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)})
      .section(u'\n', 0, 0)
      .trimmed();
}

void click(const QString& window, QPoint at, int times) {
  run(QStringLiteral("xdotool"),
      {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
       QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

bool ended(QProcess& process, int ms) { return process.state() == QProcess::NotRunning || process.waitForFinished(ms); }

void type(const QString& text) { run(QStringLiteral("xdotool"), {QStringLiteral("type"), text}); }

CourseServer::CourseServer() {
  endWithParent(process_);
  process_.start(QStringLiteral("python3"),
                 {QString::fromLocal8Bit(TAVRIN_SOURCE_DIR) + QStringLiteral("/course/serve.py"),
                  QStringLiteral("--root"), buildDir() + QStringLiteral("/course"), QStringLiteral("--port"),
                  QStringLiteral("0"), QStringLiteral("--verbose")});
  if (process_.waitForStarted(5000)) {
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i) process_.waitForReadyRead(100);
    base_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
}

QStringList CourseServer::requests() {
  static const QRegularExpression request(QStringLiteral("\"(?:GET|HEAD) (\\S+) HTTP"));
  // Only whole lines: a line the server is still writing is read the next time.
  pendingLog_ += process_.readAllStandardError();
  const qsizetype end = pendingLog_.lastIndexOf('\n') + 1;
  const QString log = QString::fromUtf8(pendingLog_.left(end));
  pendingLog_.remove(0, end);
  for (auto it = request.globalMatch(log); it.hasNext();) requests_ << it.next().captured(1);
  return requests_;
}

CourseServer::~CourseServer() {
  process_.terminate();
  if (!process_.waitForFinished(3000)) process_.kill();
}

Reader::Reader(const QString& courseBase) : env_(QProcessEnvironment::systemEnvironment()) {
  env_.insert(QStringLiteral("TAVRIN_COURSE_BASE"), courseBase);
  env_.insert(QStringLiteral("APPDATA"), home_.path() + QStringLiteral("/appdata"));
  QDir().mkpath(home_.path() + QStringLiteral("/run"));
  QFile::setPermissions(home_.path() + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path() + QStringLiteral("/run"));
  env_.insert(QStringLiteral("HOME"), home_.path());
  if (!env_.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
    env_.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
  env_.remove(QStringLiteral("QT_QPA_PLATFORM"));  // real X11 windows
  // Blocks of their own, apart from any reader of the person running the tests.
  env_.insert(QStringLiteral("TAVRIN_BLOCK_PREFIX"), blockPrefix());
  QObject::connect(&process_, &QProcess::readyRead, [this] { output_ += process_.readAll(); });
}

Reader::~Reader() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(5000);
  }
  // What the reader said is only worth reading when the test it served failed.
  output_ += process_.readAll();
  if (QTest::currentTestFailed() && !output_.isEmpty())
    std::fprintf(stderr, "---- output of the reader ----\n%s\n---- end of the reader's output ----\n",
                 output_.constData());
}

void Reader::start(const QStringList& arguments) {
  endWithParent(process_);
  process_.setProcessEnvironment(env_);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(buildDir() + QStringLiteral("/tavrin"), arguments);
  process_.waitForStarted(5000);
}

QString Reader::userDir() const { return home_.path() + QStringLiteral("/appdata/Vendrel/TavrinLab/"); }

QByteArray Reader::history() const {
  QFile f(userDir() + QStringLiteral("history.qx"));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList windowTitles() {
  const QStringList ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                          QStringLiteral("--name"), QStringLiteral(".*")})
                              .split(u'\n', Qt::SkipEmptyParts);
  QStringList titles;
  for (const QString& id : ids)
    titles << run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}).trimmed();
  return titles;
}

QString findWindow(const QString& titleRegex) {
  return run(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titleRegex})
      .section(u'\n', 0, 0)
      .trimmed();
}

bool isMaximised(const QString& window) {
  const QString state = run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")});
  return state.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")) &&
         state.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

void sendKeys(const QString& window, const QStringList& keys) {
  run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
  run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
  for (const QString& key : keys) {
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
    QTest::qWait(50);
  }
}

void movePointer(QPoint at) {
  run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
}

QString windowName(const QString& window) {
  return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window}).trimmed();
}

QRect outerRect(const QString& window) {
  const auto number = [](const QString& text, const char* label) {
    const auto m = QRegularExpression(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)")).match(text);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
  };
  const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
  const QRect client(number(info, "Absolute upper-left X"), number(info, "Absolute upper-left Y"),
                     number(info, "Width"), number(info, "Height"));
  // The window manager says how wide its frame is on each side: left, right, top, bottom.
  const QString extents =
      run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")});
  const auto m = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
  if (!m.hasMatch()) return client;  // no frame
  return client.adjusted(-m.captured(1).toInt(), -m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt());
}

QImage windowImage(const QString& window) {
  QProcess p;
  p.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
  if (!p.waitForFinished(10000)) return {};
  return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

QSize screenSize() {
  const QString info = run(QStringLiteral("xdpyinfo"), {});
  const auto m = QRegularExpression(QStringLiteral("dimensions:\\s+(\\d+)x(\\d+)")).match(info);
  return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

}  // namespace e2e
