#include "e2e/harness.h"

#include "support/files.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSize>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

#include <sys/prctl.h>
#include <unistd.h>
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

// What ImageMagick's import takes with `args`, as an image.
QImage importImage(QStringList args) {
  QProcess p;
  p.start(QStringLiteral("import"), args << QStringLiteral("png:-"));
  if (!p.waitForFinished(10000)) return {};
  return QImage::fromData(p.readAllStandardOutput(), "PNG");
}
}  // namespace

namespace {
// The readers whose output a timed-out wait shows.
QList<Reader*>& liveReaders() {
  static QList<Reader*> readers;
  return readers;
}
}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    if (condition()) return true;
    if (clock.elapsed() >= timeout.count()) break;
    QTest::qWait(50);
  }
  // What the screen showed then, for the one who reads the failure.
  static int shots = 0;
  const QString shot = QDir::temp().filePath(
      QStringLiteral("tavrin-e2e-%1-%2.png").arg(QCoreApplication::applicationPid()).arg(++shots));
  if (screenshot().save(shot)) std::fprintf(stderr, "the screen when a wait timed out: %s\n", qPrintable(shot));
  Reader::showAllOutputs("when a wait timed out");
  return false;
}

QString buildDir() { return QString::fromLocal8Bit(TAVRIN_BUILD_DIR); }

QString blockPrefix() { return QStringLiteral("e2e%1-").arg(QCoreApplication::applicationPid()); }

namespace {
// The readers of a test leave their blocks and lock files behind, as every copy does; the test
// takes them away when it ends.
struct BlocksRemovedAtTheEnd {
  ~BlocksRemovedAtTheEnd() {
    const QDir shm(QStringLiteral("/dev/shm"));
    for (const QString& name : shm.entryList({blockPrefix() + u'*'}, QDir::Files | QDir::System))
      QFile::remove(shm.filePath(name));
  }
} blocksRemovedAtTheEnd;
}  // namespace

QString activeWindowTitle() {
  // Without a window manager nobody keeps the active window; the window with the keyboard
  // stands for it.
  const QString active =
      run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}).trimmed();
  if (!active.isEmpty()) return active;
  return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus"), QStringLiteral("getwindowname")}).trimmed();
}

QString activeWindow() {
  const QString active = run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed();
  return active.isEmpty() ? run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).trimmed() : active;
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

QString pageText(const QString& window, QPoint at) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  click(window, at);
  sendKeys(window, {QStringLiteral("ctrl+a"), QStringLiteral("ctrl+c")});
  QString text;
  for (int i = 0; i < 40 && (text = clipboard->text()).isEmpty(); ++i) QTest::qWait(50);
  click(window, at);  // leaves nothing selected
  return text;
}

QList<qint64> pageRenderers(qint64 pid) {
  // Parent of every process, from /proc/N/stat ("N (name) S PPID ..."; the name may hold spaces).
  QMultiHash<qint64, qint64> children;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 child = entry.toLongLong(&number);
    if (!number) continue;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (rest.size() > 1) children.insert(rest[1].toLongLong(), child);
  }
  QList<qint64> renderers;
  for (const qint64 helper : children.values(pid)) {
    QFile command(QStringLiteral("/proc/%1/cmdline").arg(helper));
    if (command.open(QIODevice::ReadOnly) && command.readAll().contains("--type=zygote"))
      renderers += children.values(helper);
  }
  return renderers;
}

void CourseTest::startCourse() {
  server = std::make_unique<CourseServer>();
  QVERIFY2(!server->base().isEmpty(), "the course server did not start");
}

CourseServer::CourseServer(quint16 port) {
  endWithParent(process_);
  if (qEnvironmentVariable("TAVRIN_E2E_SERVER") == u"nginx") {
    if (!startNginx(port)) base_.clear();
    return;
  }
  process_.start(QStringLiteral("python3"),
                 {QString::fromLocal8Bit(TAVRIN_SOURCE_DIR) + QStringLiteral("/course/serve.py"),
                  QStringLiteral("--root"), buildDir() + QStringLiteral("/course"), QStringLiteral("--port"),
                  QString::number(port), QStringLiteral("--verbose")});
  if (process_.waitForStarted(5000)) {
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i) process_.waitForReadyRead(100);
    base_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
}

bool CourseServer::startNginx(quint16 port) {
  // A free port: the system picks one, which is let go just before nginx takes it.
  QTcpServer probe;
  if (port == 0) {
    if (!probe.listen(QHostAddress::LocalHost)) return false;
    port = probe.serverPort();
    probe.close();
  }
  const QString dir = nginxDir_.path();
  QDir().mkpath(dir + QStringLiteral("/logs"));
  // As root, nginx would hand its workers to "nobody", who may not read the build folder.
  const QString user = ::geteuid() == 0 ? QStringLiteral("user root root;\n") : QString();
  const QString conf =
      QStringLiteral(
          "%1daemon off;\npid %2/nginx.pid;\nerror_log %2/logs/error.log;\nevents {}\n"
          "http {\n  access_log %2/logs/access.log;\n  client_body_temp_path %2/body;\n"
          "  proxy_temp_path %2/proxy;\n  fastcgi_temp_path %2/fastcgi;\n  uwsgi_temp_path %2/uwsgi;\n"
          "  scgi_temp_path %2/scgi;\n  server {\n    listen 127.0.0.1:%3;\n    root %4;\n"
          "    include %5;\n  }\n}\n")
          .arg(user, dir)
          .arg(port)
          .arg(buildDir() + QStringLiteral("/course"),
               QString::fromLocal8Bit(TAVRIN_SOURCE_DIR) + QStringLiteral("/dist/web/nginx-tavrin.conf"));
  QFile file(dir + QStringLiteral("/nginx.conf"));
  if (!file.open(QIODevice::WriteOnly) || file.write(conf.toUtf8()) < 0) return false;
  file.close();
  process_.setProcessChannelMode(QProcess::ForwardedChannels);
  process_.start(QStringLiteral("/usr/sbin/nginx"), {QStringLiteral("-p"), dir, QStringLiteral("-c"), file.fileName()});
  if (!process_.waitForStarted(5000)) return false;
  for (int i = 0; i < 100; ++i) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (socket.waitForConnected(100)) {
      base_ = QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(port);
      accessLog_ = dir + QStringLiteral("/logs/access.log");
      return true;
    }
    if (process_.state() == QProcess::NotRunning) return false;
    QTest::qWait(100);
  }
  return false;
}
quint16 CourseServer::port() const { return static_cast<quint16>(QUrl(base_).port()); }

QStringList CourseServer::requests() {
  static const QRegularExpression request(QStringLiteral("\"(?:GET|HEAD) (\\S+) HTTP"));
  // Only whole lines: a line the server is still writing is read the next time.
  if (!accessLog_.isEmpty()) {
    QFile log(accessLog_);
    requests_.clear();
    if (log.open(QIODevice::ReadOnly))
      for (auto it = request.globalMatch(QString::fromUtf8(log.readAll())); it.hasNext();)
        requests_ << it.next().captured(1);
    return requests_;
  }
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
  // Settings of its own too, never those of the person running the tests.
  env_.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
  if (!env_.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
    env_.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
  env_.remove(QStringLiteral("QT_QPA_PLATFORM"));  // real X11 windows
  // Blocks of their own, apart from any reader of the person running the tests.
  env_.insert(QStringLiteral("TAVRIN_BLOCK_PREFIX"), blockPrefix());
  QObject::connect(&process_, &QProcess::readyRead, [this] { output_ += process_.readAll(); });
  liveReaders() << this;
}

Reader::~Reader() {
  liveReaders().removeOne(this);
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(5000);
  }
  // What the reader said is only worth reading when the test it served failed.
  output_ += process_.readAll();
  if (QTest::currentTestFailed()) show("at its end");
}

void Reader::show(const char* why) {
  if (output_.size() <= shown_) return;
  std::fprintf(stderr, "---- output of the reader (pid %lld), %s ----\n%s\n---- end of the reader's output ----\n",
               process_.processId(), why, output_.constData() + shown_);
  shown_ = output_.size();
}

void Reader::showOutputIfFailed() {
  output();
  if (QTest::currentTestFailed()) show("after the failure");
}

void Reader::showAllOutputs(const char* why) {
  for (Reader* reader : liveReaders()) {
    reader->output();
    reader->show(why);
  }
}

void Reader::start(const QStringList& arguments) {
  endWithParent(process_);
  process_.setProcessEnvironment(env_);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(buildDir() + QStringLiteral("/tavrin"), arguments);
  process_.waitForStarted(5000);
}

QString Reader::configDir() const { return home_.path() + QStringLiteral("/config"); }

QString Reader::settingsFile() const { return configDir() + QStringLiteral("/Vendrel/TavrinLab.conf"); }

bool Reader::writeSettings(const QByteArray& ini) {
  return QDir().mkpath(QFileInfo(settingsFile()).path()) && writeFile(settingsFile(), ini);
}

QByteArray Reader::output() {
  output_ += process_.readAll();
  return output_;
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

QString waitForWindow(const QString& titleRegex, std::chrono::milliseconds timeout) {
  QString found;
  (void)waitUntil([&] { return !(found = findWindow(titleRegex)).isEmpty(); }, timeout);
  return found;
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

QImage windowImage(const QString& window) { return importImage({QStringLiteral("-window"), window}); }

double pixelsThatDiffer(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 1.0;
  qint64 differ = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
  return double(differ) / (double(a.width()) * a.height());
}

bool drawnIn(const QString& window, const QRect& area) {
  const QImage image = windowImage(window);
  const QRect inside = area & image.rect();
  if (inside.isEmpty()) return false;
  const QRgb first = image.pixel(inside.topLeft());
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x)
      if (image.pixel(x, y) != first) return true;
  return false;
}

QImage screenshot(const QRect& area) {
  QStringList args{QStringLiteral("-window"), QStringLiteral("root")};
  if (!area.isNull())
    args << QStringLiteral("-crop")
         << QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
  return importImage(args);
}

QSize windowSize(const QString& window) {
  const QString shape =
      run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
  const auto w = QRegularExpression(QStringLiteral("WIDTH=(\\d+)")).match(shape);
  const auto h = QRegularExpression(QStringLiteral("HEIGHT=(\\d+)")).match(shape);
  return w.hasMatch() && h.hasMatch() ? QSize(w.captured(1).toInt(), h.captured(1).toInt()) : QSize();
}

QSize screenPixels() {
  const QString info = run(QStringLiteral("xdpyinfo"), {});
  const auto m = QRegularExpression(QStringLiteral("dimensions:\\s+(\\d+)x(\\d+)")).match(info);
  return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

}  // namespace e2e
