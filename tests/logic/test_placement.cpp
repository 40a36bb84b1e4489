// Message boxes placed relative to the window that asks: the arithmetic of the place and the
// reading of "Center" and offsets.
#include "logic/placement.h"

#include <QTest>

#include <limits>

using placement::Axis;

class TestPlacement : public QObject {
  Q_OBJECT
 private slots:
  void parseAxis_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("centre");
    QTest::addColumn<int>("offset");
    QTest::newRow("Center") << "Center" << true << true << 0;
    QTest::newRow("lower case") << "center" << true << true << 0;
    QTest::newRow("upper case") << "CENTER" << true << true << 0;
    QTest::newRow("right") << "100" << true << false << 100;
    QTest::newRow("left") << "-150" << true << false << -150;
    QTest::newRow("zero") << "0" << true << false << 0;
    QTest::newRow("British spelling") << "Centre" << false << false << 0;
    QTest::newRow("fraction") << "1.5" << false << false << 0;
    QTest::newRow("empty") << "" << false << false << 0;
  }
  void parseAxis() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto axis = placement::parseAxis(text);
    QCOMPARE(axis.has_value(), valid);
    if (!valid) return;
    QFETCH(bool, centre);
    QFETCH(int, offset);
    QCOMPARE(*axis, (Axis{centre, offset}));
  }

  void topLeft_data() {
    QTest::addColumn<Axis>("x");
    QTest::addColumn<Axis>("y");
    QTest::addColumn<QRect>("reference");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QPoint>("expected");
    const QRect main(160, 130, 984, 780);
    QTest::newRow("main window's quit question")
        << Axis::at(100) << Axis::at(80) << main << QSize(260, 120) << QPoint(260, 210);
    // The return window at the top right of a 1280 pixel screen.
    QTest::newRow("return window's quit question")
        << Axis::at(-150) << Axis::at(80) << QRect(1280 - 322, 0, 178, 65) << QSize(300, 130) << QPoint(808, 80);
    QTest::newRow("centred both ways") << Axis::centred() << Axis::centred() << QRect(100, 50, 400, 300)
                                       << QSize(200, 100) << QPoint(200, 150);
    QTest::newRow("centred across, offset down")
        << Axis::centred() << Axis::at(10) << QRect(100, 50, 400, 300) << QSize(200, 100) << QPoint(200, 60);
    QTest::newRow("odd difference halves toward the start")
        << Axis::centred() << Axis::centred() << QRect(0, 0, 401, 301) << QSize(200, 100) << QPoint(100, 100);
    // A box larger than its reference starts before it; halving truncates toward zero,
    // (100 - 301) / 2 = -100, not -101.
    QTest::newRow("box larger than the reference")
        << Axis::centred() << Axis::centred() << QRect(500, 400, 100, 50) << QSize(301, 151) << QPoint(400, 350);
    QTest::newRow("offsets may leave the screen")
        << Axis::at(-150) << Axis::at(-80) << QRect(20, 10, 178, 65) << QSize(300, 130) << QPoint(-130, -70);
    constexpr int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
    QTest::newRow("offsets past what an int holds stop at its limits")
        << Axis::at(most) << Axis::at(least) << QRect(100, -5, 10, 10) << QSize(300, 130) << QPoint(most, least);
    QTest::newRow("centred far before a reference near the least int stops there")
        << Axis::centred() << Axis::centred() << QRect(least + 10, 0, 1, 1) << QSize(most, 1) << QPoint(least, 0);
  }
  void topLeft() {
    QFETCH(Axis, x);
    QFETCH(Axis, y);
    QFETCH(QRect, reference);
    QFETCH(QSize, box);
    QFETCH(QPoint, expected);
    QCOMPARE(placement::topLeft(x, y, reference, box), expected);
    const auto placed = placement::at(x, y);
    QVERIFY(!placed.toDesktop);
    QCOMPARE(placed.topLeft(reference, box), expected);
  }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
