// When a crashed page renderer is restarted by itself, and what the stand-in pages say.
#include "logic/pagerecovery.h"

#include <QTest>

using namespace std::chrono_literals;
using pagerecovery::CrashWindow;
using pagerecovery::Trouble;

class TestPageRecovery : public QObject {
  Q_OBJECT
 private slots:
  void crashWindow_data() {
    QTest::addColumn<QList<int>>("seconds");  // of each crash, on a steady clock
    QTest::addColumn<QList<bool>>("restored");
    QTest::newRow("one") << QList<int>{5} << QList<bool>{true};
    QTest::newRow("third within a minute") << QList<int>{0, 20, 59} << QList<bool>{true, true, false};
    QTest::newRow("third a minute after the first") << QList<int>{0, 20, 60} << QList<bool>{true, true, true};
    QTest::newRow("fourth right after the third") << QList<int>{0, 1, 2, 3} << QList<bool>{true, true, false, false};
    QTest::newRow("spread out") << QList<int>{0, 40, 80, 120, 160} << QList<bool>{true, true, true, true, true};
    QTest::newRow("old crashes forgotten")
        << QList<int>{0, 1, 100, 101, 102} << QList<bool>{true, true, true, true, false};
  }
  void crashWindow() {
    QFETCH(QList<int>, seconds);
    QFETCH(QList<bool>, restored);
    CrashWindow window;
    QList<bool> got;
    for (int s : seconds) got << window.restoreAfterCrash(std::chrono::seconds(s) + 123456ms);
    QCOMPARE(got, restored);
  }

  void aReloadAskedForGivesThreeMoreTries() {
    CrashWindow window;
    QVERIFY(window.restoreAfterCrash(0ms));
    QVERIFY(window.restoreAfterCrash(1000ms));
    QVERIFY(!window.restoreAfterCrash(2000ms));
    window.reset();
    QVERIFY(window.restoreAfterCrash(3000ms));
    QVERIFY(window.restoreAfterCrash(4000ms));
    QVERIFY(!window.restoreAfterCrash(5000ms));
  }

  void standInPagesSayWhatFailedAndOfferItAgain_data() {
    QTest::addColumn<Trouble>("trouble");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QString>("link");  // "" when asking again is not offered as a link
    const QString page = QStringLiteral("http://127.0.0.1:8080/qx_cbt/qx2/qx010001.qx");
    QTest::newRow("no answer") << Trouble::NoAnswer
                               << QStringList{"does not answer", "(net::ERR_CONNECTION_REFUSED)", "every 5 seconds"}
                               << QStringLiteral("Retry");
    QTest::newRow("timed out") << Trouble::TimedOut << QStringList{"sent nothing within 30 seconds", "every 5 seconds"}
                               << QStringLiteral("Retry");
    QTest::newRow("refused") << Trouble::Refused << QStringList{"could not be loaded", "(net::ERR_CONNECTION_REFUSED)"}
                             << QStringLiteral("Retry");
    QTest::newRow("crashed") << Trouble::Crashed << QStringList{"stopped 3 times within a minute"}
                             << QStringLiteral("Reload");
  }
  void standInPagesSayWhatFailedAndOfferItAgain() {
    QFETCH(Trouble, trouble);
    QFETCH(QStringList, says);
    QFETCH(QString, link);
    const QString address = QStringLiteral("http://127.0.0.1:8080/qx_cbt/qx2/qx010001.qx");
    const QString html = pagerecovery::standInPage(trouble, address, QStringLiteral("net::ERR_CONNECTION_REFUSED"));
    for (const QString& text : says) QVERIFY2(html.contains(text), qPrintable(text));
    QVERIFY(html.contains(QStringLiteral("<p class=\"address\">") + address + QStringLiteral("</p>")));
    QVERIFY(html.contains(QStringLiteral("<a id=\"again\" href=\"%1\">%2</a>").arg(address, link)));
    QCOMPARE(html.count(QStringLiteral("<a ")), 1);
  }

  void anAddressIsShownAsTextNeverAsMarkup() {
    // Quotes, angle brackets and the placeholders of the page's own template.
    const QString address = QStringLiteral("http://127.0.0.1/qx2/a%1%20\"><script>x()</script>&amp;.qx");
    const QString html = pagerecovery::standInPage(Trouble::NoAnswer, address, QStringLiteral("<b>%2</b>"));
    QVERIFY(!html.contains(QStringLiteral("<script>")));
    QVERIFY(!html.contains(QStringLiteral("<b>")));
    const QString escaped = address.toHtmlEscaped();
    QVERIFY(html.contains(QStringLiteral("<p class=\"address\">") + escaped + QStringLiteral("</p>")));
    QVERIFY(html.contains(QStringLiteral("href=\"") + escaped + u'"'));
    QVERIFY(html.contains(QStringLiteral("(&lt;b&gt;%2&lt;/b&gt;)")));
    // Only addresses the reader could load are links.
    const QString script = pagerecovery::standInPage(Trouble::Refused, QStringLiteral("javascript:alert(1)"), {});
    QVERIFY(!script.contains(QStringLiteral("<a ")));
    QVERIFY(script.contains(QStringLiteral("Retry")));
  }

  void theTimeLimitInForceIsTheOneNamed() {
    QVERIFY(pagerecovery::standInPage(Trouble::TimedOut, QStringLiteral("http://h/qx2/a.qx"), {}, 3s)
                .contains(QStringLiteral("sent nothing within 3 seconds")));
  }
};

QTEST_GUILESS_MAIN(TestPageRecovery)
#include "test_pagerecovery.moc"
