// The small text rules every reader shares: the space trim, the whole number, the
// Windows-1252 upper case and the hash, each the same whether read from bytes or from text.
#include "logic/codepage.h"
#include "logic/textrules.h"

#include <QTest>

class TestTextRules : public QObject {
  Q_OBJECT
 private slots:
  void trimSpaces_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("trimmed");
    QTest::newRow("both ends") << QByteArray("  a b  ") << QByteArray("a b");
    QTest::newRow("nothing to trim") << QByteArray("ab") << QByteArray("ab");
    QTest::newRow("spaces only") << QByteArray("   ") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("a TAB is no space") << QByteArray("\tab ") << QByteArray("\tab");
    QTest::newRow("no-break space stays") << QByteArray(
                                                 "\xA0"
                                                 "ab")
                                          << QByteArray(
                                                 "\xA0"
                                                 "ab");
  }
  void trimSpaces() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, trimmed);
    QCOMPARE(textrules::trimSpaces(QByteArrayView(text)).toByteArray(), trimmed);
    const QString wide = cp1252::decode(text);
    QCOMPARE(textrules::trimSpaces(QStringView(wide)).toString(), cp1252::decode(trimmed));
  }

  void wholeNumber_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << QByteArray("42") << true << qint64(42);
    QTest::newRow("spaces and plus") << QByteArray("  +7 ") << true << qint64(7);
    QTest::newRow("minus") << QByteArray("-2147483648") << true << qint64(-2147483648LL);
    QTest::newRow("leading zeros") << QByteArray("0009") << true << qint64(9);
    QTest::newRow("empty") << QByteArray() << false << qint64(0);
    QTest::newRow("sign alone") << QByteArray(" - ") << false << qint64(0);
    QTest::newRow("space after sign") << QByteArray("- 5") << false << qint64(0);
    QTest::newRow("inner space") << QByteArray("1 2") << false << qint64(0);
    QTest::newRow("TAB around") << QByteArray("\t5") << false << qint64(0);
    QTest::newRow("two signs") << QByteArray("+-5") << false << qint64(0);
    QTest::newRow("fraction") << QByteArray("1.5") << false << qint64(0);
    QTest::newRow("hex") << QByteArray("0x10") << false << qint64(0);
    QTest::newRow("superscript two is no digit") << QByteArray("\xB2") << false << qint64(0);
  }
  void wholeNumber() {
    QFETCH(QByteArray, text);
    QFETCH(bool, converts);
    QFETCH(qint64, value);
    const QString wide = cp1252::decode(text);
    for (const auto got : {textrules::wholeNumber(QByteArrayView(text)), textrules::wholeNumber(QStringView(wide))}) {
      QCOMPARE(got.has_value(), converts);
      if (converts) QCOMPARE(*got, value);
    }
  }
  // However many digits, the value stays beyond every range and never wraps into one.
  void wholeNumberSaturates() {
    for (const char* digits : {"99999999999999999999999999", "18446744073709551617", "4294967297"}) {
      const auto v = textrules::wholeNumber(QByteArrayView(digits));
      QVERIFY(v && *v > 4294967296LL);
      const auto minus = textrules::wholeNumber(QByteArray("-") + digits);
      QVERIFY(minus && *minus < -4294967296LL);
    }
  }

  void upper_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("upper");
    QTest::newRow("ASCII") << QByteArray("az AZ 09 {}") << QByteArray("AZ AZ 09 {}");
    QTest::newRow("accented Latin-1") << QByteArray("\xE0\xE9\xF6\xFE") << QByteArray("\xC0\xC9\xD6\xDE");
    QTest::newRow("s z oe y with marks") << QByteArray("\x9A\x9C\x9E\xFF") << QByteArray("\x8A\x8C\x8E\x9F");
    QTest::newRow("sharp s, micro, division stay") << QByteArray("\xDF\xB5\xF7") << QByteArray("\xDF\xB5\xF7");
    QTest::newRow("upper case stays") << QByteArray("\xC0\x8A\x9F") << QByteArray("\xC0\x8A\x9F");
  }
  void upper() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, upper);
    const QByteArray shared = bytes;  // upper-casing in place must not reach a copy
    QByteArray inPlace = bytes;
    cp1252::upperInPlace(inPlace);
    QCOMPARE(inPlace, upper);
    QCOMPARE(bytes, shared);
    QByteArray copied(bytes.size(), '\0');
    cp1252::upper(bytes, copied.data());
    QCOMPARE(copied, upper);
  }

  // FNV-1a's published values: the tables' hash must stay the same function.
  void hash() {
    QCOMPARE(textrules::hash(""), 0x811C9DC5u);
    QCOMPARE(textrules::hash("a"), 0xE40C292Cu);
    QCOMPARE(textrules::hash("foobar"), 0xBF9CF968u);
  }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "test_textrules.moc"
