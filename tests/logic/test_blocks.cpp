// Byte layouts of the shared blocks and the writes made into them.
#include "logic/blocks.h"
#include "support/fakeblocks.h"

#include <QTest>

using blocks::Block;

namespace {

QByteArray utf16le(QStringView text) {
  QByteArray bytes;
  for (QChar c : text) {
    bytes.append(char(c.unicode() & 0xFF));
    bytes.append(char(c.unicode() >> 8));
  }
  return bytes;
}

// A "QXwav" block as some writer left it: `text`, then `rest` up to 255 bytes.
QByteArray requestBlock(QStringView text, QByteArray rest) {
  QByteArray bytes = utf16le(text) + rest;
  bytes.resize(255, '\0');
  return bytes;
}

}  // namespace

class TestBlocks : public QObject {
  Q_OBJECT
 private slots:
  void blocksKeepTheirNamesAndSizes() {
    QStringList table;
    for (Block b : blocks::kAll) table << QStringLiteral("%1 %2").arg(blocks::name(b)).arg(blocks::size(b));
    QCOMPARE(table, QStringList({"QXwav 255", "AmpvalePrev 1", "AmpvaleEnd 1", "AmpvaleName 255"}));
  }

  void exerciseName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("expected");  // empty: refused
    auto padded = [](QByteArray b) {
      b.resize(255, '\0');
      return b;
    };
    QTest::newRow("short path, zeros after it")
        << QStringLiteral("/data/Vendrel/Ampvale/QX_CKTS/e1.ckt") << padded("/data/Vendrel/Ampvale/QX_CKTS/e1.ckt");
    QTest::newRow("254 bytes keep one terminator") << QString(254, u'p') << padded(QByteArray(254, 'p'));
    QTest::newRow("255 bytes refused") << QString(255, u'p') << QByteArray();
    QTest::newRow("300 characters refused") << QStringLiteral("/home/u/") + QString(292, u'x') << QByteArray();
    QTest::newRow("letters beyond ASCII in UTF-8, no zero inside")
        << QStringLiteral("/home/\u0141ukasz/R\u00E9sum\u00E9 \u4E2D.ckt")
        << padded("/home/\xC5\x81ukasz/R\xC3\xA9sum\xC3\xA9 \xE4\xB8\xAD.ckt");
    // 127 two-byte letters are 254 bytes; one more ASCII byte no longer fits.
    QTest::newRow("254 bytes of two-byte letters")
        << QString(127, u'\u0141') << padded(QString(127, u'\u0141').toUtf8());
    QTest::newRow("255 bytes of mixed letters refused") << QString(127, u'\u0141') + u'a' << QByteArray();
  }
  void exerciseName() {
    QFETCH(QString, path);
    QFETCH(QByteArray, expected);
    const auto bytes = blocks::encodeName(path);
    if (expected.isEmpty()) {
      QCOMPARE(bytes, std::nullopt);
      FakeSharedBlocks fake;
      QVERIFY(!blocks::writeExercise(fake, path, blocks::kKindAmpvale));
      QVERIFY(fake.log.isEmpty());  // nothing written, not even the kind
      return;
    }
    QVERIFY(bytes);
    QCOMPARE(*bytes, expected);
    QCOMPARE(blocks::nameStands(*bytes), true);
    QCOMPARE(blocks::decodeName(*bytes), path);  // what a peer reads back
  }

  void requestText_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("text");
    QTest::newRow("blank padded") << requestBlock(u"v0000", utf16le(QString(122, u' '))) << true << "v0000";
    QTest::newRow("NUL padded") << requestBlock(u"v0000", {}) << true << "v0000";
    QTest::newRow("NUL ends it before old text")
        << requestBlock(u"v0312", QByteArray(2, '\0') + utf16le(u"v1999")) << true << "v0312";
    QTest::newRow("blanks at both ends") << requestBlock(u"  v0312  ", {}) << true << "v0312";
    QTest::newRow("only inner blanks stay") << requestBlock(u" v03 12 ", utf16le(u"   ")) << true << "v03 12";
    QTest::newRow("tab is not a blank") << requestBlock(u"\tv0312", {}) << true << "\tv0312";
    QByteArray full = utf16le(QString(126, u'n') + u'z');
    full.append('\x7F');  // the odd last byte belongs to no character
    QTest::newRow("127 characters, odd byte dropped") << full << true << QString(126, u'n') + u'z';
    QTest::newRow("first byte zero: nothing pending") << QByteArray(255, '\0') << false << "";
    QTest::newRow("acknowledged: old text behind a zero first byte")
        << QByteArray(1, '\0') + requestBlock(u"v0312", {}).mid(1) << false << "";
  }
  void requestText() {
    QFETCH(QByteArray, block);
    QFETCH(bool, pending);
    QFETCH(QString, text);
    QCOMPARE(blocks::requestPending(block), pending);
    if (pending) QCOMPARE(blocks::decodeRequest(block), text);
  }

  // A request becomes part of an address: only a narration's shape is heard.
  void onlyNarrationRequestsAreHeard_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("heard");
    QTest::newRow("narration") << "v0312" << true;
    QTest::newRow("stop") << "v0000" << true;
    QTest::newRow("a path") << "v/../../etc/passwd" << false;
    QTest::newRow("three digits") << "v031" << false;
    QTest::newRow("five digits") << "v03120" << false;
    QTest::newRow("upper case V") << "V0312" << false;
    QTest::newRow("a letter among the digits") << "v03a2" << false;
    QTest::newRow("other digits than ASCII") << QString::fromUtf16(u"v\u0663\u0663\u0663\u0663") << false;
    QTest::newRow("empty") << "" << false;
  }
  void onlyNarrationRequestsAreHeard() {
    QFETCH(QString, text);
    QTEST(blocks::isMediaRequest(text), "heard");
  }

  void requestWrittenByAPeer() {
    const QByteArray blank = blocks::encodeRequest(u"v0312");
    QCOMPARE(blank.size(), 255);
    QCOMPARE(blank.first(12), QByteArray("v\0"
                                         "0\0"
                                         "3\0"
                                         "1\0"
                                         "2\0"
                                         " \0",
                                         12));
    QCOMPARE(blank.at(252), ' ');
    QCOMPARE(blank.at(254), '\0');
    QCOMPARE(blocks::encodeRequest(u"v0312", u'\0').mid(10), QByteArray(245, '\0'));
    QCOMPARE(blocks::decodeRequest(blocks::encodeRequest(QString(200, u'k'))), QString(127, u'k'));
  }

  void writesGoWholeAndFlushedInOrder_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QByteArray>("end");
    QTest::addColumn<QByteArray>("prev");
    QTest::addColumn<QByteArray>("name");
    const QByteArray before = QByteArray(255, 'o');
    QTest::newRow("start-up") << "resetCourseEnded" << QStringList{"write AmpvaleEnd 1", "flush AmpvaleEnd 1"}
                              << QByteArray(1, 0) << QByteArray(1, 9) << before;
    QTest::newRow("quit from the return window")
        << "shutOffQX" << QStringList{"write AmpvaleEnd 1", "flush AmpvaleEnd 1"} << QByteArray(1, 1)
        << QByteArray(1, 9) << before;
    QTest::newRow("return window clicked: all 255 bytes zero")
        << "shutOffWithfile" << QStringList{"write AmpvaleName 255", "flush AmpvaleName 255"} << QByteArray(1, 7)
        << QByteArray(1, 9) << QByteArray(255, '\0');
    QTest::newRow("exercise: name first, then kind")
        << "writeExercise 3"
        << QStringList{"write AmpvaleName 255", "flush AmpvaleName 255", "write AmpvalePrev 1", "flush AmpvalePrev 1"}
        << QByteArray(1, 7) << QByteArray(1, 3) << *blocks::encodeName(u"/x/qx0000.ckt");
    QTest::newRow("qx0000: the kind keeps its value")
        << "writeExercise" << QStringList{"write AmpvaleName 255", "flush AmpvaleName 255"} << QByteArray(1, 7)
        << QByteArray(1, 9) << *blocks::encodeName(u"/x/qx0000.ckt");
  }
  void writesGoWholeAndFlushedInOrder() {
    QFETCH(QString, operation);
    QFETCH(QStringList, log);
    FakeSharedBlocks fake;
    fake.content[Block::AmpvaleEnd] = QByteArray(1, 7);
    fake.content[Block::AmpvalePrev] = QByteArray(1, 9);
    fake.content[Block::AmpvaleName] = QByteArray(255, 'o');
    const QByteArray request = fake.content[Block::QXwav] = blocks::encodeRequest(u"v0312");
    if (operation == u"resetCourseEnded") blocks::resetCourseEnded(fake);
    if (operation == u"shutOffQX") blocks::shutOffQX(fake);
    if (operation == u"shutOffWithfile") blocks::shutOffWithfile(fake);
    if (operation == u"writeExercise 3") blocks::writeExercise(fake, u"/x/qx0000.ckt", blocks::kKindAmpvale);
    if (operation == u"writeExercise") blocks::writeExercise(fake, u"/x/qx0000.ckt", std::nullopt);
    QCOMPARE(fake.log, log);
    QTEST(fake.content[Block::AmpvaleEnd], "end");
    QTEST(fake.content[Block::AmpvalePrev], "prev");
    QTEST(fake.content[Block::AmpvaleName], "name");
    QCOMPARE(fake.content[Block::QXwav], request);
  }

  void pollTakesARequestAndClearsOnlyItsFirstByte() {
    FakeSharedBlocks fake;
    const QByteArray request = fake.content[Block::QXwav] = blocks::encodeRequest(u"v0312");
    fake.content[Block::AmpvaleName] = *blocks::encodeName(u"/x/e1.ckt");
    const blocks::Poll found = blocks::poll(fake);
    QCOMPARE(found.request, std::optional<QString>(QStringLiteral("v0312")));
    QVERIFY(found.exerciseOpen);
    QCOMPARE(fake.log, QStringList({"read QXwav", "write QXwav 1", "flush QXwav 1", "read AmpvaleName"}));
    QCOMPARE(fake.content[Block::QXwav].at(0), '\0');
    QCOMPARE(fake.content[Block::QXwav].mid(1), request.mid(1));

    // Acknowledged: the next poll hears nothing, and a cleared name closes the exercise.
    fake.log.clear();
    blocks::shutOffWithfile(fake);
    const blocks::Poll next = blocks::poll(fake);
    QCOMPARE(next.request, std::nullopt);
    QVERIFY(!next.exerciseOpen);
    QVERIFY(!fake.log.contains("write QXwav 1"));
  }

  void copyWithoutViewsGoesOn() {
    FakeSharedBlocks fake;
    for (Block b : blocks::kAll) fake.dropView(b);
    blocks::resetCourseEnded(fake);
    blocks::shutOffQX(fake);
    blocks::shutOffWithfile(fake);
    blocks::writeExercise(fake, u"/x/e1.cir", blocks::kKindTrivex);
    const blocks::Poll found = blocks::poll(fake);
    QCOMPARE(found.request, std::nullopt);
    QVERIFY(!found.exerciseOpen);
    QVERIFY(fake.log.isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestBlocks)
#include "test_blocks.moc"
