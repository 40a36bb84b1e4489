// Whether the course pages are opened to screen readers: the user's own setting first, then
// what the accessibility bus says, which is asked only when the user has not decided.
#include "logic/screenreader.h"

#include <QTest>

using screenreader::BusStatus;

Q_DECLARE_METATYPE(std::optional<BusStatus>)

class TestScreenReader : public QObject {
  Q_OBJECT
 private slots:
  void choose_data() {
    QTest::addColumn<QString>("own");  // the user's value of the variable, "" for none
    QTest::addColumn<std::optional<BusStatus>>("bus");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("askedBus");
    const std::optional<BusStatus> none;
    const std::optional<BusStatus> quiet = BusStatus{false, false};
    const std::optional<BusStatus> reader = BusStatus{true, false};
    const std::optional<BusStatus> enabled = BusStatus{false, true};
    QTest::newRow("no session bus") << "" << none << false << true;
    QTest::newRow("a bus, no screen reader") << "" << quiet << false << true;
    QTest::newRow("a screen reader runs") << "" << reader << true << true;
    QTest::newRow("assistive technologies on") << "" << enabled << true << true;
    QTest::newRow("blank is no setting") << "  " << reader << true << true;
    QTest::newRow("user's 0 wins over a screen reader") << "0" << reader << false << false;
    QTest::newRow("user's 0 with spaces") << " 0 " << reader << false << false;
    QTest::newRow("user's 1 without a bus") << "1" << none << true << false;
    QTest::newRow("any other value opens") << "yes" << quiet << true << false;
  }
  void choose() {
    QFETCH(QString, own);
    QFETCH(std::optional<BusStatus>, bus);
    QFETCH(bool, open);
    QFETCH(bool, askedBus);
    int asked = 0;
    const screenreader::Choice choice = screenreader::choose(
        [&](const char* name) { return QByteArray(name) == screenreader::kPagesVariable ? own : QString(); },
        [&] {
          ++asked;
          return bus;
        });
    QCOMPARE(choice.openPages, open);
    QCOMPARE(choice.askedBus, askedBus);
    QCOMPARE(asked, askedBus ? 1 : 0);
    QVERIFY(!choice.reason.isEmpty());
  }
};

QTEST_APPLESS_MAIN(TestScreenReader)
#include "test_screenreader.moc"
