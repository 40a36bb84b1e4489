// A run of word entries put back into the word file's order.
#include "logic/fileorder.h"

#include <QTest>

#include <vector>

using search::kCapacity;

namespace {

std::vector<int> visited(const search::FileOrder& order) {
  std::vector<int> out;
  order.forEach([&out](int k) { out.push_back(k); });
  return out;
}

}  // namespace

class TestFileOrder : public QObject {
  Q_OBJECT
 private slots:
  void reorders_data() {
    QTest::addColumn<std::vector<int>>("run");
    QTest::addColumn<std::vector<int>>("ordered");
    QTest::newRow("two swapped") << std::vector<int>{5, 3} << std::vector<int>{3, 5};
    // Either side of the bitmap's 64-bit words, and the first and last entry.
    QTest::newRow("word edges") << std::vector<int>{kCapacity, 64, 1, 65, 63, 128, 127}
                                << std::vector<int>{1, 63, 64, 65, 127, 128, kCapacity};
    QTest::newRow("one out of place") << std::vector<int>{2, 4, 6, 8, 7} << std::vector<int>{2, 4, 6, 7, 8};
  }
  void reorders() {
    QFETCH(std::vector<int>, run);
    QFETCH(std::vector<int>, ordered);
    search::FileOrder order;
    QVERIFY(order.take(std::span<const int>(run)));
    QCOMPARE(visited(order), ordered);
  }

  // An ordered run is left to be used as it is, whatever type its entries have.
  void inOrderIsLeft() {
    search::FileOrder order;
    const std::vector<std::uint16_t> run{1, 2, 700, kCapacity};
    QVERIFY(!order.take(std::span<const std::uint16_t>(run)));
    QVERIFY(!order.take(std::span<const int>()));
  }

  // A second run replaces the first: nothing of the earlier one is listed again.
  void secondRunReplaces() {
    search::FileOrder order;
    const std::vector<int> first{900, 10, 500};
    const std::vector<int> second{70, 8};
    QVERIFY(order.take(std::span<const int>(first)));
    QVERIFY(order.take(std::span<const int>(second)));
    QCOMPARE(visited(order), (std::vector<int>{8, 70}));
  }
};

QTEST_GUILESS_MAIN(TestFileOrder)
#include "test_fileorder.moc"
