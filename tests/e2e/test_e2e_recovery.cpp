// The real reader when the page display, the course server or a page fails: a crashed page
// renderer is restarted on the same page, a page that cannot be had is shown as a page of
// the program's own and arrives by itself once the server answers, a page that puts up one
// message after another lets the reader go, and none of it is recorded in the history
// beyond what the user read. Where the system refuses the renderer its namespaces, the
// reader says so.
#include "e2e/harness.h"
#include "logic/pagenames.h"
#include "logic/pagerecovery.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <functional>

using namespace e2e;

namespace {

QByteArray record(const QString& page) { return '"' + page.toLatin1() + "\"\r\n"; }

// Waits by the clock (not by a count of steps, which a slow `done` stretches) until `done`
// holds or `ms` have passed; whether it holds.
bool waitUntil(const std::function<bool()>& done, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(50);
  }
  return true;
}

// A course server on loopback with pages of its own: `page(path)` is the body of each.
class PagesServer {
 public:
  explicit PagesServer(std::function<QByteArray(const QString& path)> page) : page_(std::move(page)) {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          QByteArray& head = heads_[socket];
          head += socket->readAll();
          if (!head.contains("\r\n\r\n")) return;
          const QString path = QString::fromLatin1(head.split(' ').value(1));
          heads_.remove(socket);
          requests << path;
          const QByteArray body = page_(path);
          socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body);
          socket->disconnectFromHost();
        });
      }
    });
  }
  QString base() const { return QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(server_.serverPort()); }
  QStringList requests;

 private:
  std::function<QByteArray(const QString&)> page_;
  QTcpServer server_;
  QHash<QTcpSocket*, QByteArray> heads_;
};

// In a child about to become the reader: new user namespaces are refused to it and to all
// it starts, as a container's seccomp profile or a sysctl refuses them.
void refuseUserNamespaces() {
  struct sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
      // clone3's flags are out of a filter's reach: refused as unknown, the C library falls
      // back to clone.
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone3, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_unshare, 1, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[0])),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_NEWUSER, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  struct sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
    ::_exit(126);
}

// Whether a normal user may make a user namespace here.
bool userNamespacesAllowed() {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(::unshare(CLONE_NEWUSER) == 0 ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A spot of the window's page, near its lower right corner, that no link of the course
// pages or of the program's own pages reaches.
QPoint blankSpot(const QString& window) {
  const QSize size = windowSize(window);
  return {size.width() - 40, size.height() - 40};
}

}  // namespace

class TestE2ERecovery : public CourseTest {
  Q_OBJECT
  QString startPage;

  // A reader on the start page of the screen's class.
  void startReader(Reader& reader) {
    reader.start();
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record(startPage), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!findWindow(QStringLiteral("^Tavrin$")).isEmpty(), 5000);
  }

 private slots:
  void initTestCase() {
    startCourse();
    if (QTest::currentTestFailed()) return;
    const QSize screen = screenPixels();
    startPage = pages::startPage(pages::classify(screen.width(), screen.height()));
  }

  void aCrashedRendererIsRestartedOnThePageUntilItCrashesThreeTimesInAMinute() {
    Reader reader(server->base());
    startReader(reader);
    const QString window = findWindow(QStringLiteral("^Tavrin$"));
    sendKeys(window, {QStringLiteral("Next")});  // module 1's entry page, sent on to its class page
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Tavrin - Module 1")), 20000);
    const QString classPage =
        QStringLiteral("mod01%1.qx")
            .arg(*pages::classLetter(pages::classify(screenPixels().width(), screenPixels().height())));
    const auto classPageServed = [&] { return server->requests().count(QStringLiteral("/qx_cbt/qx2/") + classPage); };
    QTRY_VERIFY_WITH_TIMEOUT(classPageServed() > 0, 10000);
    QTest::qWait(1000);
    const qsizetype served = classPageServed();
    const QByteArray history = reader.history();
    QCOMPARE(history, record(startPage) + record(QStringLiteral("qx010001.qx")));
    QVERIFY(pageText(window, blankSpot(window)).contains(QStringLiteral("Module 1 –")));

    // Killed twice: each time the same page comes back by itself, on a new renderer.
    for (int crash = 1; crash <= 2; ++crash) {
      const QList<qint64> renderers = pageRenderers(reader.process().processId());
      QCOMPARE(renderers.size(), 1);
      ::kill(static_cast<pid_t>(renderers.front()), SIGKILL);
      QTRY_COMPARE_WITH_TIMEOUT(classPageServed(), served + crash, 15000);
      QTRY_VERIFY_WITH_TIMEOUT(pageRenderers(reader.process().processId()).size() == 1 &&
                                   pageRenderers(reader.process().processId()) != renderers,
                               10000);
      QTRY_VERIFY_WITH_TIMEOUT(pageText(window, blankSpot(window)).contains(QStringLiteral("Module 1 –")), 10000);
    }
    // The third time within the minute it is left for the user to reload.
    ::kill(static_cast<pid_t>(pageRenderers(reader.process().processId()).value(0)), SIGKILL);
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT((text = pageText(window, blankSpot(window))).contains(QStringLiteral("stopped working")),
                             15000);
    QVERIFY2(text.contains(server->base() + classPage) && text.contains(QStringLiteral("Reload")), qPrintable(text));
    QTest::qWait(1500);
    QCOMPARE(classPageServed(), served + 2);  // not asked for again by itself
    QVERIFY(windowTitles().contains(QStringLiteral("Tavrin - Module 1")));

    // Its Reload link (the only link: Tab reaches it) brings the page back.
    sendKeys(window, {QStringLiteral("Tab"), QStringLiteral("Return")});
    QTRY_COMPARE_WITH_TIMEOUT(classPageServed(), served + 3, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(pageText(window, blankSpot(window)).contains(QStringLiteral("Module 1 –")), 10000);
    // Nothing of this was reading: the history is as it was, and >> leads on from the page.
    QTest::qWait(1000);
    QCOMPARE(reader.history(), history);
    sendKeys(window, {QStringLiteral("Next")});
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), history + record(QStringLiteral("qx010002.qx")), 15000);
  }

  // Kills a fraction of a second apart land at every step of the recovery: on a renderer
  // that is starting, on the reload, on the load that makes room for the stopped page.
  void rendererKilledInQuickSuccessionEndsOnTheStoppedPageWithItsReloadLink() {
    Reader reader(server->base());
    startReader(reader);
    const QString window = findWindow(QStringLiteral("^Tavrin$"));
    const qint64 pid = reader.process().processId();
    for (int kill = 0; kill < 10; ++kill) {
      for (const qint64 renderer : pageRenderers(pid)) ::kill(static_cast<pid_t>(renderer), SIGKILL);
      QTest::qWait(300);  // the pace of the kills, not a wait for anything
    }
    QString text;
    QVERIFY2(
        waitUntil([&] { return (text = pageText(window, blankSpot(window))).contains(u"stopped working"); }, 20000),
        qPrintable(text));
    QVERIFY2(text.contains(server->base() + startPage) && text.contains(QStringLiteral("Reload")), qPrintable(text));
    QCOMPARE(pageRenderers(pid).size(), 1);
    // Its Reload link brings the page back, and the reader goes on from it.
    sendKeys(window, {QStringLiteral("Tab"), QStringLiteral("Return")});
    QVERIFY(waitUntil([&] { return !pageText(window, blankSpot(window)).contains(u"stopped working"); }, 15000));
    QCOMPARE(reader.history(), record(startPage));
    sendKeys(window, {QStringLiteral("Next")});
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record(startPage) + record(QStringLiteral("qx010001.qx")), 15000);
  }

  // A page that puts up one message after another: the reader shows two, holds the rest
  // back and stops the page, and its own commands work.
  void aPageThatPutsUpMessageAfterMessageLetsTheReaderGo() {
    const QString contents = pages::contentsPage(pages::classify(screenPixels().width(), screenPixels().height()));
    // The start page leads on (>>, its third link) to the page with the messages, which
    // never finishes loading: it puts them up as it loads.
    PagesServer course([&](const QString& path) -> QByteArray {
      const QByteArray links =
          "<p><a href='a.qx'>a</a> <a href='b.qx'>b</a> <a href='trap.qx'>on</a> "
          "<a href='d.qx'>d</a> <a href='e.qx'>e</a> <a href='f.qx'>f</a></p>";
      if (path.endsWith(u"/trap.qx"))
        return "<html><head><title>Trap</title></head><body><p>A trap.</p>"
               "<script>for (var n = 1; ; ++n) alert('Message ' + n);</script>";
      return "<html><head><title>Page</title></head><body>" + links;
    });
    Reader reader(course.base());
    startReader(reader);
    const QString window = findWindow(QStringLiteral("^Tavrin$"));
    sendKeys(window, {QStringLiteral("Next")});
    QVERIFY2(waitUntil([&] { return !findWindow(QStringLiteral("Alert")).isEmpty(); }, 30000),
             qPrintable(windowTitles().join(u", ")));
    // Each message is put away as soon as it shows, as a user who wants out would.
    int putAway = 0;
    for (QString message;
         waitUntil([&] { return !(message = findWindow(QStringLiteral("Alert"))).isEmpty(); }, 5000);) {
      QVERIFY2(++putAway <= pagerecovery::DialogGate::kRepeats, "the messages keep coming");
      sendKeys(message, {QStringLiteral("Return")});
      QVERIFY(waitUntil([&] { return findWindow(QStringLiteral("Alert")) != message; }, 5000));
    }
    QCOMPARE(putAway, pagerecovery::DialogGate::kRepeats);
    QString text;
    QVERIFY2(waitUntil([&] { return (text = pageText(window, blankSpot(window))).contains(u"kept asking"); }, 15000),
             qPrintable(text));
    QVERIFY2(text.contains(course.base() + "trap.qx") && text.contains(QStringLiteral("Reload")), qPrintable(text));
    // The reader's own commands: the contents. The page that was stopped was never read.
    sendKeys(window, {QStringLiteral("alt+c")});
    QVERIFY(waitUntil([&] { return reader.history() == record(startPage) + record(contents); }, 15000));
  }

  // Where the system refuses user namespaces, the page renderer runs without the namespace
  // layer of its sandbox; the reader says so, once. (As root the sandbox is off on purpose,
  // so the reader runs as a normal user here.)
  void aRendererWithoutItsNamespacesIsNamedOnce() {
#if !defined(__x86_64__)
    QSKIP("the filter that refuses user namespaces is written for x86-64");
#endif
    const bool root = ::geteuid() == 0;
    for (const bool refused : {false, true}) {
      if (!refused && !userNamespacesAllowed()) continue;  // this system refuses them already
      Reader reader(server->base());
      QProcessEnvironment env = reader.environment();
      env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
      if (root) {
        // Its folders become the normal user's.
        const QString home = env.value(QStringLiteral("HOME"));
        QVERIFY(::chown(qPrintable(home), 65534, 65534) == 0);
        for (QDirIterator it(home, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
          QVERIFY(::chown(qPrintable(it.next()), 65534, 65534) == 0);
      }
      // Started here rather than by Reader::start, for the user and the filter.
      QProcess& tavrin = reader.process();
      tavrin.setProcessEnvironment(env);
      tavrin.setProcessChannelMode(QProcess::MergedChannels);
      tavrin.setChildProcessModifier([refused, root] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (refused) refuseUserNamespaces();
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
      });
      tavrin.start(buildDir() + QStringLiteral("/tavrin"));
      // The first page recorded: by then the reader has looked.
      QVERIFY(waitUntil([&] { return reader.history() == record(startPage); }, 30000));
      QTest::qWait(500);
      const QByteArray output = reader.output();
      const qsizetype said =
          output.count("tavrin.browser: the page renderer runs without the namespaces of its sandbox");
      QVERIFY2(said == (refused ? 1 : 0), output.constData());
    }
  }

  void aPageTheServerCannotGiveArrivesByItselfOnceItAnswers() {
    Reader reader(server->base());
    startReader(reader);
    const QString window = findWindow(QStringLiteral("^Tavrin$"));
    const quint16 port = server->port();
    server.reset();

    // The entry page of module 1 cannot be had: the program's own page says so.
    sendKeys(window, {QStringLiteral("Next")});
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT(
        (text = pageText(window, blankSpot(window))).contains(QStringLiteral("The course server does not answer")),
        15000);
    const QString base = QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(port);
    QVERIFY2(text.contains(base + QStringLiteral("qx010001.qx")) && text.contains(QStringLiteral("Retry")),
             qPrintable(text));
    // The user goes elsewhere (the contents page): what failed before is asked for no more.
    sendKeys(window, {QStringLiteral("alt+c")});
    QTRY_VERIFY_WITH_TIMEOUT(
        pageText(window, blankSpot(window))
            .contains(base + pages::contentsPage(pages::classify(screenPixels().width(), screenPixels().height()))),
        15000);
    QCOMPARE(reader.history(), record(startPage));
    QVERIFY(windowTitles().contains(QStringLiteral("Tavrin")));

    // The server comes back where it was: the page asked for last arrives by itself, once.
    server = std::make_unique<CourseServer>(port);
    QCOMPARE(server->base(), base);
    const QString contents = pages::contentsPage(pages::classify(screenPixels().width(), screenPixels().height()));
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record(startPage) + record(contents), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(pageText(window, blankSpot(window)).contains(QStringLiteral("Layout ")), 10000);
    QTest::qWait(6000);  // longer than the program waits between two tries
    QCOMPARE(reader.history(), record(startPage) + record(contents));
    QCOMPARE(server->requests().count(QStringLiteral("/qx_cbt/qx2/qx010001.qx")), 0);
    QCOMPARE(server->requests().count(QStringLiteral("/qx_cbt/qx2/") + contents), 1);
  }

  void aServerThatNeverAnswersCountsAsFailedAfterTheTimeLimit() {
    // It takes every connection and says nothing.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    connect(&silent, &QTcpServer::newConnection, [&] {
      while (QTcpSocket* socket = silent.nextPendingConnection()) held << socket;
    });
    const QString base = QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(silent.serverPort());
    Reader reader(base);
    reader.setEnvironment(QStringLiteral("TAVRIN_PAGE_TIME_LIMIT"), QStringLiteral("3"));
    reader.start();
    QString window;  // titled as at start: no page has arrived to title it
    QTRY_VERIFY_WITH_TIMEOUT(!(window = windowOf(reader.process().processId())).isEmpty(), 30000);
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT(
        (text = pageText(window, blankSpot(window))).contains(QStringLiteral("sent nothing within 3")), 20000);
    QVERIFY2(text.contains(base + startPage) && text.contains(QStringLiteral("Retry")), qPrintable(text));
    QCOMPARE(reader.history(), QByteArray());
    // It keeps asking, a few seconds apart, not in a busy loop.
    const qsizetype asked = held.size();
    QTRY_VERIFY_WITH_TIMEOUT(held.size() > asked, 20000);
    QVERIFY(held.size() < 20);
    qDeleteAll(held);
  }
};

QTEST_MAIN(TestE2ERecovery)
#include "test_e2e_recovery.moc"
