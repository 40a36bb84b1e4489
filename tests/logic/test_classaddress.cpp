#include "logic/classaddress.h"

#include <QTest>

class TestClassAddress : public QObject {
  Q_OBJECT
 private slots:
  void addressForClass_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("cls");
    QTest::addColumn<QString>("expected");
    const QString b = QStringLiteral("http://127.0.0.1:1/qx_cbt/qx2/");
    QTest::newRow("module class page") << b + "mod05d.qx" << 2 << b + "mod05b.qx";
    QTest::newRow("objectives class page") << b + "obj24g.qx" << 1 << b + "obj24a.qx";
    QTest::newRow("review class page") << b + "rev01a.qx" << 7 << b + "rev01g.qx";
    QTest::newRow("practice page") << b + "qxpracc.qx" << 5 << b + "qxprace.qx";
    QTest::newRow("summary page") << b + "qxsumma.qx" << 3 << b + "qxsummc.qx";
    QTest::newRow("tech page") << b + "qxtechf.qx" << 4 << b + "qxtechd.qx";
    QTest::newRow("video list page") << b + "qxtvidb.qx" << 6 << b + "qxtvidf.qx";
    QTest::newRow("start page") << b + "qxc.qx" << 6 << b + "qxf.qx";
    QTest::newRow("start page, class outside 1-7") << b + "qxc.qx" << 0 << b + "qxa.qx";
    QTest::newRow("class page, class outside 1-7") << b + "mod05d.qx" << 9 << b + "mod05d.qx";
    QTest::newRow("ordinary page reloads as it is") << b + "qx050003.qx" << 2 << b + "qx050003.qx";
    QTest::newRow("contents page is not re-lettered") << b + "qxcrd.qx" << 2 << b + "qxcrd.qx";
    QTest::newRow("pattern anywhere in the address") << b + "x/mod07c.qx?y" << 2 << b + "mod07b.qx";
    QTest::newRow("blank page") << "about:blank" << 2 << "about:blank";
  }
  void addressForClass() {
    QFETCH(QString, address);
    QFETCH(int, cls);
    QFETCH(QString, expected);
    QCOMPARE(classaddress::addressForClass(address, QStringLiteral("http://127.0.0.1:1/qx_cbt/qx2/"), cls), expected);
  }
};

QTEST_APPLESS_MAIN(TestClassAddress)
#include "test_classaddress.moc"
