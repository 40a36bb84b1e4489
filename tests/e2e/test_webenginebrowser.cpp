// The browser wrapper on real WebEngine against the served course: a page is reported
// complete with its links readable, a link's target can be changed in the live page,
// and every load, step back and failed load is reported once. Against a server that
// misbehaves: each load has the whole time limit, a page without end is stopped, and the
// reader stays on the course's own origin.
#include "e2e/harness.h"
#include "logic/pagerecovery.h"
#include "logic/searchquery.h"
#include "webengine/webenginebrowser.h"

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWidget>

#include <unistd.h>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

// Waits by the clock until `done` holds or `ms` have passed; whether it holds.
bool waitUntil(const std::function<bool()>& done, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(20);
  }
  return true;
}

// A course server on loopback that misbehaves on purpose. Under /qx_cbt/qx2/:
//   page.qx, next.qx  small pages; page.qx links to another host and to the program's resources
//   silent.qx         takes the request and says nothing
//   late.qx           answers after two seconds
//   trickle.qx        sends the start of a page and then nothing more
//   huge.qx           a page of 2 GiB, as fast as it is taken
//   endless.qx        a page in chunks without end
//   away.qx           redirects to another host (another port of loopback is another origin)
//   tofile.qx         redirects to file:
//   toresources.qx    redirects to the program's resources (qrc:)
// Any other path is answered by 404. The other host answers everything with a small page.
class RogueServer : public QObject {
 public:
  RogueServer() {
    for (QTcpServer* server : {&course_, &other_}) {
      server->listen(QHostAddress::LocalHost);
      connect(server, &QTcpServer::newConnection, this, [this, server] {
        while (QTcpSocket* socket = server->nextPendingConnection()) {
          connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
          connect(socket, &QTcpSocket::readyRead, this, [this, socket, server] { read(socket, server == &other_); });
        }
      });
    }
  }
  QString base() const { return QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(course_.serverPort()); }
  QString elsewhere() const { return QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(other_.serverPort()); }
  QStringList requests;       // paths asked of the course, in order
  QStringList otherRequests;  // of the other host
  qint64 sent = 0;            // bytes of the huge and endless pages sent so far

 private:
  void read(QTcpSocket* socket, bool other) {
    QByteArray& head = heads_[socket];
    head += socket->readAll();
    if (!head.contains("\r\n\r\n")) return;
    const QString path = QString::fromLatin1(head.split(' ').value(1));
    head.clear();
    (other ? otherRequests : requests) << path;
    if (other) return answer(socket, "200 OK", "<p>another site</p>");
    const QString name = path.section(u'/', -1);
    if (name == u"page.qx")
      answer(socket, "200 OK",
             "<html><head><title>Page</title></head><body><p>A page of the course.</p>"
             "<p><a id='away' href='" +
                 elsewhere().toLatin1() +
                 "elsewhere.qx'>Elsewhere</a></p>"
                 "<p><a href='qrc:/qt-project.org/qmessagebox/images/qtlogo-64.png'>Resources</a></p>"
                 "<p><a href='next.qx'>Next</a></p></body></html>");
    else if (name == u"next.qx" || name == u"late.qx")
      QTimer::singleShot(name == u"late.qx" ? 2000 : 0, socket,
                         [this, socket] { answer(socket, "200 OK", "<p>Another page of the course.</p>"); });
    else if (name == u"trickle.qx")
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n<p>The start");
    else if (name == u"huge.qx" || name == u"endless.qx")
      sendWithoutEnd(socket, name == u"endless.qx");
    else if (name == u"away.qx")
      redirect(socket, elsewhere().toLatin1() + "landing.qx");
    else if (name == u"tofile.qx")
      redirect(socket, "file:///etc/passwd");
    else if (name == u"toresources.qx")
      redirect(socket, "qrc:/qt-project.org/qmessagebox/images/qtlogo-64.png");
    else if (name != u"silent.qx")
      answer(socket, "404 Not Found", "<p>No such page.</p>");
  }
  static void answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& body) {
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
  }
  static void redirect(QTcpSocket* socket, const QByteArray& to) {
    socket->write("HTTP/1.1 302 Found\r\nLocation: " + to + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
  }
  // Text as fast as the browser takes it: 2 GiB announced, or chunks without end.
  void sendWithoutEnd(QTcpSocket* socket, bool chunked) {
    socket->write(chunked ? "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n"
                          : "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2147483648\r\n\r\n");
    QByteArray text;
    while (text.size() < 60000) text += "<p>Resistors in series add up; in parallel their conductances do.</p>\n";
    const QByteArray piece = chunked ? QByteArray::number(text.size(), 16) + "\r\n" + text + "\r\n" : text;
    const auto topUp = [this, socket, piece] {
      while (socket->bytesToWrite() < 4 * piece.size()) {
        socket->write(piece);
        sent += piece.size();
      }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
    topUp();
  }

  QTcpServer course_, other_;
  QHash<QTcpSocket*, QByteArray> heads_;
};

// Stands in for the desktop's browser: the addresses it was asked to open.
class DesktopBrowser : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

// A browser of its own in a window of its own, on the rogue server's course.
struct RogueBrowser {
  explicit RogueBrowser(const QString& base, std::chrono::milliseconds limit = pagerecovery::kPageTimeLimit) {
    window.resize(1024, 768);
    browser = new WebEngineBrowser(&window, QUrl(base), limit);
    browser->widget()->resize(1024, 768);
    window.show();
  }
  // The text of the page on show ("" when it cannot be had).
  QString text() {
    QString got;
    bool done = false;
    browser->view()->page()->toPlainText([&](const QString& t) {
      got = t;
      done = true;
    });
    waitUntil([&] { return done; }, 5000);
    return got;
  }
  // The page renderer's size in memory.
  qint64 rendererBytes() const {
    QFile statm(QStringLiteral("/proc/%1/statm").arg(browser->view()->page()->renderProcessPid()));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    return statm.readLine().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
  }
  QWidget window;
  WebEngineBrowser* browser;
};

}  // namespace

class TestWebEngineBrowser : public QObject {
  Q_OBJECT
  std::unique_ptr<CourseServer> server;
  std::unique_ptr<QWidget> window;
  WebEngineBrowser* browser = nullptr;

  void loadAndWait(const std::function<void()>& start) {
    QSignalSpy complete(browser, &Browser::documentComplete);
    start();
    QVERIFY(complete.wait(20000));
    QTest::qWait(200);
    QCOMPARE(complete.count(), 1);
  }

 private slots:
  void initTestCase() {
    server = std::make_unique<CourseServer>();
    QVERIFY(!server->base().isEmpty());
    window = std::make_unique<QWidget>();
    window->resize(1024, 768);
    browser = new WebEngineBrowser(window.get(), QUrl(server->base()));
    browser->widget()->resize(1024, 768);
    window->show();
  }
  void cleanupTestCase() {
    window.reset();
    server.reset();
  }

  void linksAreReadInDocumentOrderAsResolvedAddresses() {
    const QString base = server->base();
    QCOMPARE(browser->locationUrl(), QString());
    loadAndWait([&] { browser->navigate(base + "qxa.qx"); });
    QCOMPARE(browser->locationUrl(), base + "qxa.qx");
    QVERIFY(!browser->canGoBack());  // the first page of a browser has nothing behind it
    QCOMPARE(browser->linkHref(0), std::optional<QString>(base + "qxcra.qx"));
    QCOMPARE(browser->linkHref(1), std::optional<QString>(base + "qxa.qx"));
    QCOMPARE(browser->linkHref(2), std::optional<QString>(base + "qx010001.qx"));
    QCOMPARE(browser->linkHref(500), std::nullopt);
  }

  void aRewrittenLinkLeadsToItsNewTarget() {
    const QString base = server->base();
    loadAndWait([&] { browser->navigate(base + "qxcra.qx"); });
    QVERIFY(browser->setLinkHref(5, base + "qxd.qx"));
    QVERIFY(!browser->setLinkHref(500, base + "qxd.qx"));
    loadAndWait([&] { browser->view()->page()->runJavaScript(QStringLiteral("document.links[5].click()")); });
    QCOMPARE(browser->locationUrl(), base + "qxd.qx");

    loadAndWait([&] { browser->navigate(base + "qx010002.qx"); });
    loadAndWait([&] { browser->goBack(); });
    QCOMPARE(browser->locationUrl(), base + "qxd.qx");
  }

  // Whole words only, folded as the search folds them (case, not accents), in the text of
  // the page but not in its scripts, and not across the elements a word is split over.
  void markedWordsAreTheSearchedWordsOfThePage() {
    loadAndWait([&] {
      browser->view()->setHtml(QString::fromUtf8(
          "<body><p>Widerst\u00e4nde, WIDERST\u00c4NDE; Widerstande widerst\u00e4ndes <b>wider</b>st\u00e4nde</p>"
          "<script>var s = 'widerst\u00e4nde';</script><p>\u00e9t\u00e9 \u00c9T\u00c9 ete</p></body>"));
    });
    const search::CaseFold& fold = search::caseFold();
    browser->markWords({QString::fromUtf8("WIDERST\u00c4NDE"), QString::fromUtf8("\u00c9T\u00c9")}, fold.from, fold.to);
    QStringList marked;
    bool done = false;
    browser->view()->page()->runJavaScript(
        QStringLiteral("Array.from(document.querySelectorAll('mark'), function (m) { return m.textContent; })"),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
          marked = v.toStringList();
          done = true;
        });
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QCOMPARE(marked, QString::fromUtf8("Widerst\u00e4nde WIDERST\u00c4NDE \u00e9t\u00e9 \u00c9T\u00c9").split(u' '));
  }

  // A page asked for while another is on its way (a command 25 s into a slow load) has all
  // of the time limit, and the limit says whether anything of the page came.
  void eachLoadHasTheWholeTimeLimit() {
    RogueServer rogue;
    RogueBrowser view(rogue.base(), 3s);
    QSignalSpy complete(view.browser, &Browser::documentComplete);
    view.browser->navigate(rogue.base() + "silent.qx");
    QTest::qWait(2000);                                // two thirds of the limit into the load
    view.browser->navigate(rogue.base() + "late.qx");  // two seconds more to come
    QVERIFY(complete.wait(10000));
    QCOMPARE(view.browser->locationUrl(), rogue.base() + "late.qx");
    QVERIFY(view.browser->loadSucceeded());
    QCOMPARE(complete.count(), 1);

    view.browser->navigate(rogue.base() + "trickle.qx");
    QVERIFY(complete.wait(10000));
    QCOMPARE(view.browser->locationUrl(), rogue.base() + "trickle.qx");
    QVERIFY(!view.browser->loadSucceeded());
    QString text;
    QVERIFY2(waitUntil([&] { return (text = view.text()).contains(u"began to send this page"); }, 10000),
             qPrintable(text));
    QVERIFY(!text.contains(u"sent nothing"));
  }

  // A page of 2 GiB, or one without end, is stopped long before the time limit, is said to
  // be too large, and is not asked for again.
  void aPageWithoutEndIsStoppedAndNotAskedForAgain_data() {
    QTest::addColumn<QString>("page");
    QTest::newRow("2 GiB") << QStringLiteral("huge.qx");
    QTest::newRow("chunks without end") << QStringLiteral("endless.qx");
  }
  void aPageWithoutEndIsStoppedAndNotAskedForAgain() {
    QFETCH(QString, page);
    RogueServer rogue;
    RogueBrowser view(rogue.base());
    QSignalSpy complete(view.browser, &Browser::documentComplete);
    view.browser->navigate(rogue.base() + page);
    QVERIFY(complete.wait(25000));  // the time limit is 30 s
    QCOMPARE(view.browser->locationUrl(), rogue.base() + page);
    QVERIFY(!view.browser->loadSucceeded());
    QString text;
    QVERIFY2(waitUntil([&] { return (text = view.text()).contains(u"too large"); }, 10000), qPrintable(text));
    QVERIFY2(rogue.sent < 1024LL * 1024 * 1024, qPrintable(QString::number(rogue.sent)));
    QVERIFY(view.rendererBytes() < 1024LL * 1024 * 1024);
    QTest::qWait(6000);  // longer than the browser waits between two tries
    QCOMPARE(rogue.requests.count(QStringLiteral("/qx_cbt/qx2/") + page), 1);
    QCOMPARE(complete.count(), 1);
  }

  // Links, redirects and scripts that lead off the course's origin show nothing in the
  // reader; a link the user clicks opens in the desktop's browser.
  void theReaderStaysOnTheCourseOrigin() {
    RogueServer rogue;
    RogueBrowser view(rogue.base());
    DesktopBrowser desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &desktop, "open");
    QSignalSpy complete(view.browser, &Browser::documentComplete);
    const QString page = rogue.base() + "page.qx";
    view.browser->navigate(page);
    QVERIFY(complete.wait(10000));
    complete.clear();
    // What is asked for comes to nothing: the page of the course asked for next is the next
    // thing the browser shows, and the only one.
    const auto nothingComesOf = [&](const std::function<void()>& ask) {
      ask();
      QTest::qWait(500);  // time for whatever was asked for to begin
      view.browser->navigate(rogue.base() + "next.qx");
      const bool next = complete.wait(10000);
      QTest::qWait(300);
      const bool nextOnly = next && complete.count() == 1 && view.browser->locationUrl() == rogue.base() + "next.qx";
      complete.clear();
      view.browser->navigate(page);  // back for the next case
      const bool back = complete.wait(10000);
      complete.clear();
      return nextOnly && back;
    };
    const auto runScript = [&](const QString& script) {
      bool ran = false;
      view.browser->view()->page()->runJavaScript(script, [&](const QVariant&) { ran = true; });
      waitUntil([&] { return ran; }, 5000);
    };

    // The user clicks the link to the other host.
    bool done = false;
    QRect link;
    view.browser->view()->page()->runJavaScript(
        QStringLiteral("(function () { var r = document.getElementById('away').getBoundingClientRect();"
                       " return [r.left, r.top, r.width, r.height]; })()"),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& r) {
          const QVariantList box = r.toList();
          link = QRect(box.value(0).toInt(), box.value(1).toInt(), box.value(2).toInt(), box.value(3).toInt());
          done = true;
        });
    QVERIFY(waitUntil([&] { return done; }, 5000));
    QVERIFY(!link.isEmpty());
    QTest::mouseClick(view.browser->view()->focusProxy(), Qt::LeftButton, {}, link.center());
    QVERIFY(waitUntil([&] { return !desktop.opened.isEmpty(); }, 10000));
    QCOMPARE(desktop.opened, QList<QUrl>{QUrl(rogue.elsewhere() + "elsewhere.qx")});
    QCOMPARE(view.browser->locationUrl(), page);

    // The page's script follows the same link, sends the page elsewhere, or to the program's
    // resources; the program itself is asked for another host.
    QVERIFY(nothingComesOf([&] { runScript(QStringLiteral("document.links[0].click()")); }));
    QVERIFY(nothingComesOf([&] { runScript("location.href = '" + rogue.elsewhere() + "script.qx'"); }));
    QVERIFY(nothingComesOf([&] { runScript(QStringLiteral("document.links[1].click()")); }));
    QVERIFY(nothingComesOf([&] { view.browser->navigate(rogue.elsewhere() + "typed.qx"); }));
    QCOMPARE(rogue.otherRequests, QStringList());
    QCOMPARE(desktop.opened.size(), 1);

    // A page of the course that redirects to another host, or to a file, has failed, and is
    // not asked for again.
    view.browser->navigate(rogue.base() + "away.qx");
    QVERIFY(complete.wait(10000));
    QCOMPARE(view.browser->locationUrl(), rogue.base() + "away.qx");
    QVERIFY(!view.browser->loadSucceeded());
    QString text;
    QVERIFY2(waitUntil([&] { return (text = view.text()).contains(u"leads off the course"); }, 10000),
             qPrintable(text));
    for (const char* page : {"tofile.qx", "toresources.qx"}) {
      view.browser->navigate(rogue.base() + page);
      QVERIFY(complete.wait(10000));
      QCOMPARE(view.browser->locationUrl(), rogue.base() + page);
      QVERIFY(!view.browser->loadSucceeded());
    }
    QTest::qWait(6000);  // longer than the browser waits between two tries
    for (const char* page : {"away.qx", "tofile.qx", "toresources.qx"})
      QCOMPARE(rogue.requests.count(QStringLiteral("/qx_cbt/qx2/") + page), 1);
    QCOMPARE(rogue.otherRequests, QStringList());
    QCOMPARE(desktop.opened.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  }

  void aMissingPageOrServerIsReportedAsFailed() {
    const QString base = server->base();
    loadAndWait([&] { browser->navigate(base + "qxa.qx"); });
    QVERIFY(browser->loadSucceeded());
    loadAndWait([&] { browser->navigate(base + "nosuchpage.qx"); });
    QCOMPARE(browser->locationUrl(), base + "nosuchpage.qx");
    QVERIFY(!browser->loadSucceeded());

    // The server stops: nothing listens on its port, the connection is refused. (The course's
    // own origin: the browser shows no other.)
    const quint16 port = server->port();
    server.reset();
    const QString refused = base + "qx010003.qx";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("loading .* failed"));
    loadAndWait([&] { browser->navigate(refused); });
    QCOMPARE(browser->locationUrl(), refused);
    QVERIFY(!browser->loadSucceeded());
    QCOMPARE(browser->linkHref(0), std::nullopt);  // the error page's own links are not the course's
    QVERIFY(browser->canGoBack());
    server = std::make_unique<CourseServer>(port);
    QCOMPARE(server->base(), base);
    loadAndWait([&] { browser->goBack(); });
    QCOMPARE(browser->locationUrl(), base + "nosuchpage.qx");
  }
};

QTEST_MAIN(TestWebEngineBrowser)
#include "test_webenginebrowser.moc"
