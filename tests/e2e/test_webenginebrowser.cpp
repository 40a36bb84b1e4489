// The browser wrapper on real WebEngine against the served course: a page is reported
// complete with its links readable, a link's target can be changed in the live page,
// and every load, step back and failed load is reported once.
#include "e2e/harness.h"
#include "logic/searchquery.h"
#include "webengine/webenginebrowser.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWidget>

using namespace e2e;

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
    browser = new WebEngineBrowser(window.get());
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

  void aMissingPageOrServerIsReportedAsFailed() {
    const QString base = server->base();
    loadAndWait([&] { browser->navigate(base + "qxa.qx"); });
    QVERIFY(browser->loadSucceeded());
    loadAndWait([&] { browser->navigate(base + "nosuchpage.qx"); });
    QCOMPARE(browser->locationUrl(), base + "nosuchpage.qx");
    QVERIFY(!browser->loadSucceeded());

    // A port that was just free on loopback: nothing listens, the connection is refused.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/qxa.qx").arg(probe.serverPort());
    probe.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("loading .* failed"));
    loadAndWait([&] { browser->navigate(refused); });
    QCOMPARE(browser->locationUrl(), refused);
    QVERIFY(!browser->loadSucceeded());
    QCOMPARE(browser->linkHref(0), std::nullopt);  // the error page's own links are not the course's
    QVERIFY(browser->canGoBack());
    loadAndWait([&] { browser->goBack(); });
    QCOMPARE(browser->locationUrl(), base + "nosuchpage.qx");
  }
};

QTEST_MAIN(TestWebEngineBrowser)
#include "test_webenginebrowser.moc"
