#pragma once
// The real program against the sample course: a loopback course server, reader
// processes with their own folders, and the X windows they show.
#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>
#include <memory>

namespace e2e {

// Looks at `condition` until it holds or `timeout` has gone by on the clock, however long
// each look takes (a screenshot takes a third of a second), handling events meanwhile.
// True when it held. On a timeout the screen is saved (the path is printed) and the output
// of every reader still running is shown.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Folder of the built program (holds tavrin, files.qx, words.qx and course/).
QString buildDir();

// The sample course on loopback: served by course/serve.py, or by the Debian nginx with the
// shipped dist/web/nginx-tavrin.conf when TAVRIN_E2E_SERVER is "nginx".
class CourseServer {
 public:
  // On a free port, or on `port` (a server started again where the last one was).
  explicit CourseServer(quint16 port = 0);
  ~CourseServer();
  QString base() const { return base_; }  // ends in "qx2/"
  quint16 port() const;
  // Paths of the requests served so far, oldest first ("/qx_cbt/qx2/qxa.qx").
  QStringList requests();

 private:
  bool startNginx(quint16 port);

  QProcess process_;
  QString base_;
  QTemporaryDir nginxDir_;  // its configuration and logs
  QString accessLog_;       // where nginx logs the requests
  QStringList requests_;
  QByteArray pendingLog_;
};

// A test class whose tests run over the sample course: one server for all of them, started
// before the first and stopped after the last. A class with more to set up declares its own
// initTestCase and calls startCourse() first.
class CourseTest : public QObject {
  Q_OBJECT
 protected:
  std::unique_ptr<CourseServer> server;
  void startCourse();

 private slots:
  void initTestCase() { startCourse(); }
  void cleanupTestCase() { server.reset(); }
};

class Reader {
 public:
  explicit Reader(const QString& courseBase);
  ~Reader();

  // Starts a copy of the program sharing this reader's folders.
  void start(const QStringList& arguments = {});
  QProcess& process() { return process_; }
  QString userDir() const;
  QString configDir() const;   // XDG_CONFIG_HOME of its copies
  QString settingsFile() const;  // the settings its copies keep (the zoom)
  // Puts the settings file in place before a copy starts; false when it cannot be written.
  bool writeSettings(const QByteArray& ini);
  QByteArray history() const;  // the bytes of history.qx ("" when there is none)
  QProcessEnvironment environment() const { return env_; }
  // For copies started afterwards.
  void setEnvironment(const QString& name, const QString& value) { env_.insert(name, value); }
  // What the running copy has written to stdout and stderr so far.
  QByteArray output();
  // Shows what the copy wrote since it was last shown, when the running test has failed:
  // for a test's cleanup(), so that a failure comes with the reader's side of it.
  void showOutputIfFailed();
  // Shows what every reader still running wrote since it was last shown.
  static void showAllOutputs(const char* why);

 private:
  QTemporaryDir home_;
  QProcessEnvironment env_;
  QProcess process_;
  QByteArray output_;    // stdout and stderr of the copy, shown when the test fails
  qsizetype shown_ = 0;  // how much of it has been shown
  void show(const char* why);
};

// The name prefix of the shared blocks of the readers this test starts.
QString blockPrefix();

// X window id of the window that has the keyboard (the active one under a window manager).
QString activeWindow();
// Titles of the visible top-level windows of the display.
QStringList windowTitles();
// X window id of the first visible window whose title matches the pattern.
QString findWindow(const QString& titleRegex);
// The same, waited for by the clock; "" when none came. The reader's window takes its title
// "Tavrin" as its first page arrives, and the title reaches the X server a moment after the
// page is in the history log: after waiting for the log, wait for the window too.
QString waitForWindow(const QString& titleRegex, std::chrono::milliseconds timeout = std::chrono::seconds(20));
// Whether the window manager shows that window maximised both ways.
bool isMaximised(const QString& window);
// Sends keys (xdotool names, e.g. "Next", "alt+period") to that window after focusing it.
void sendKeys(const QString& window, const QStringList& keys);
// The screen's size in pixels.
QSize screenPixels();
// Size of the window's client area.
QSize windowSize(const QString& window);
QString activeWindowTitle();
// X window id of the first visible window of process `pid`.
QString windowOf(qint64 pid);
// Clicks the left button `times` times at `at` in the window.
void click(const QString& window, QPoint at, int times = 1);
// True once the process has ended, waiting at most `ms` for it (whether or not it had
// ended before the call).
bool ended(QProcess& process, int ms);
// Moves the mouse pointer to `at` on the screen.
void movePointer(QPoint at);
// The window's name (WM_NAME) and its outer rectangle on the screen, frame included.
QString windowName(const QString& window);
QRect outerRect(const QString& window);
// What the window shows, as the screen has it.
QImage windowImage(const QString& window);
// Whether the window shows more than one flat colour in `area` (of its own coordinates):
// text or a picture has been drawn there.
bool drawnIn(const QString& window, const QRect& area);
// The share of pixels in which two pictures of the same size differ; 1 for pictures of other
// sizes or none.
double pixelsThatDiffer(const QImage& a, const QImage& b);
// Types text into whatever has the keyboard.
void type(const QString& text);
// The screen, or the part of it in `area`; a null image when it could not be taken.
QImage screenshot(const QRect& area = {});
// The text of the page on show in the window's browser, as a user would copy it: a click
// at `at` (a spot of the page without a link), select all, copy.
QString pageText(const QString& window, QPoint at);
// Process ids of the page renderers of the program with process id `pid`: the children of
// its browser engine's zygote processes.
QList<qint64> pageRenderers(qint64 pid);

}  // namespace e2e

// QTRY_VERIFY_WITH_TIMEOUT and QTRY_COMPARE_WITH_TIMEOUT by the clock: Qt 6.4's count the
// steps of their loop, so a slow look makes them wait many times longer than they say
// (past QtTest's watchdog, which then ends the test without a word of the reader's).
#define E2E_TRY_VERIFY(expr, ms)                                                              \
  QVERIFY2(::e2e::waitUntil([&]() -> bool { return (expr); }, std::chrono::milliseconds(ms)), \
           "not so within " #ms " ms: " #expr)
#define E2E_TRY_COMPARE(actual, expected, ms)                                                               \
  do {                                                                                                      \
    if (!::e2e::waitUntil([&]() -> bool { return (actual) == (expected); }, std::chrono::milliseconds(ms))) \
      QCOMPARE(actual, expected);                                                                           \
  } while (false)
