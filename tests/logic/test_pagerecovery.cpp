// When a crashed page renderer is restarted by itself, which addresses are the course's, when
// a page's messages are held back, and what the stand-in pages say.
#include "logic/pagerecovery.h"

#include <QTest>
#include <QUrl>

using namespace std::chrono_literals;
using pagerecovery::CrashWindow;
using pagerecovery::DialogGate;
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

  void onlyTheCourseOriginIsTheCourse_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("onCourse");
    const QString base = QStringLiteral("http://127.0.0.1:8642/qx_cbt/qx2/");
    QTest::newRow("a page") << base << "http://127.0.0.1:8642/qx_cbt/qx2/qxa.qx" << true;
    QTest::newRow("elsewhere on the server") << base << "http://127.0.0.1:8642/other/x.html" << true;
    QTest::newRow("host in capitals") << "http://Course.Example/qx2/"
                                      << "http://course.example/qx2/a.qx" << true;
    QTest::newRow("default port named") << "http://course.example/qx2/"
                                        << "http://course.example:80/a.qx" << true;
    QTest::newRow("https default port") << "https://course.example:443/qx2/"
                                        << "https://course.example/a.qx" << true;
    QTest::newRow("another port") << base << "http://127.0.0.1:8643/qx_cbt/qx2/qxa.qx" << false;
    QTest::newRow("another host") << base << "http://localhost:8642/qx_cbt/qx2/qxa.qx" << false;
    QTest::newRow("https for http") << base << "https://127.0.0.1:8642/qx_cbt/qx2/qxa.qx" << false;
    QTest::newRow("a file") << base << "file:///etc/passwd" << false;
    QTest::newRow("the program's resources") << base << "qrc:/qt-project.org/qmessagebox/images/qtlogo-64.png" << false;
    QTest::newRow("data") << base << "data:text/html,<p>x" << false;
    QTest::newRow("no base") << QString() << "http://127.0.0.1:8642/qx_cbt/qx2/qxa.qx" << false;
  }
  void onlyTheCourseOriginIsTheCourse() {
    QFETCH(QString, base);
    QFETCH(QString, page);
    QFETCH(bool, onCourse);
    QCOMPARE(pagerecovery::onCourse(QUrl(page), QUrl(base)), onCourse);
  }

  void dialogGate_data() {
    // Each step: a message asked for after `wait` ms, and how long it stays up when shown.
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<QList<int>>("shownFor");
    QTest::addColumn<QString>("answers");  // S shown, H held back, X stop the page
    QTest::newRow("one") << QList<int>{0} << QList<int>{500} << "S";
    QTest::newRow("a loop: two shown, then held back, then stopped")
        << QList<int>(22, 0) << QList<int>(22, 800) << "SSHHHHHHHHHHHHHHHHHHHX";
    QTest::newRow("a slow reader is let out as fast") << QList<int>{0, 0, 0} << QList<int>{9000, 9000, 9000} << "SSH";
    QTest::newRow("one now and then") << QList<int>{0, 5000, 5000, 5000} << QList<int>(4, 1000) << "SSSS";
    QTest::newRow("a pause ends the repeats") << QList<int>{0, 0, 3000, 0, 0} << QList<int>(5, 100) << "SSSSH";
  }
  void dialogGate() {
    QFETCH(QList<int>, waits);
    QFETCH(QList<int>, shownFor);
    QFETCH(QString, answers);
    DialogGate gate;
    std::chrono::milliseconds now = 123456ms;
    QString got;
    for (qsizetype i = 0; i < waits.size(); ++i) {
      now += std::chrono::milliseconds(waits[i]);
      switch (gate.ask(now)) {
        case DialogGate::Answer::Show:
          got += u'S';
          now += std::chrono::milliseconds(shownFor[i]);
          gate.closed(now);
          break;
        case DialogGate::Answer::HoldBack: got += u'H'; break;
        case DialogGate::Answer::StopPage: got += u'X'; break;
      }
    }
    QCOMPARE(got, answers);
  }

  void anotherPageShowsMessagesAgain() {
    DialogGate gate;
    QCOMPARE(gate.ask(0ms), DialogGate::Answer::Show);
    gate.closed(100ms);
    QCOMPARE(gate.ask(100ms), DialogGate::Answer::Show);
    gate.closed(200ms);
    QCOMPARE(gate.ask(200ms), DialogGate::Answer::HoldBack);
    QCOMPARE(gate.ask(60000ms), DialogGate::Answer::HoldBack);  // held back however long it waits
    gate.reset();
    QCOMPARE(gate.ask(60001ms), DialogGate::Answer::Show);
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
    QTest::newRow("unfinished") << Trouble::Unfinished
                                << QStringList{"began to send this page but did not finish it within 30 seconds",
                                               "every 5 seconds"}
                                << QStringLiteral("Retry");
    QTest::newRow("too large") << Trouble::TooLarge << QStringList{"grew past 256 MB", "does not ask for it again"}
                               << QStringLiteral("Retry");
    QTest::newRow("stopped") << Trouble::Stopped << QStringList{"kept asking to show messages"}
                             << QStringLiteral("Reload");
    QTest::newRow("refused") << Trouble::Refused << QStringList{"could not be loaded", "(net::ERR_CONNECTION_REFUSED)"}
                             << QStringLiteral("Retry");
    QTest::newRow("crashed") << Trouble::Crashed << QStringList{"stopped 3 times within a minute"}
                             << QStringLiteral("Reload");
  }
  void standInPagesSayWhatFailedAndOfferItAgain() {
    QFETCH(Trouble, trouble);
    QFETCH(QStringList, says);
    QFETCH(QString, link);
    // Only what may mend by itself is asked for again by itself, and only that page says so.
    const bool byItself =
        trouble == Trouble::NoAnswer || trouble == Trouble::TimedOut || trouble == Trouble::Unfinished;
    QCOMPARE(pagerecovery::askedForAgain(trouble), byItself);
    const QString address = QStringLiteral("http://127.0.0.1:8080/qx_cbt/qx2/qx010001.qx");
    const QString html = pagerecovery::standInPage(trouble, address, QStringLiteral("net::ERR_CONNECTION_REFUSED"));
    for (const QString& text : says) QVERIFY2(html.contains(text), qPrintable(text));
    QCOMPARE(html.contains(QStringLiteral("asks for it again every")), byItself);
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
