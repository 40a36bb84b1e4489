#include "logic/pagenames.h"

#include <QTest>

using pages::Arrival;
Q_DECLARE_METATYPE(Arrival)

class TestPageNames : public QObject {
  Q_OBJECT
 private slots:
  void classify_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("cls");
    const struct {
      int w, h, cls;
    } cases[] = {
        {1920, 1080, 6},
        {1920, 1200, 6},
        {1930, 1200, 7},
        {2560, 1440, 7},
        {1930, 1199, 6},
        {2000, 1079, 5},
        {2000, 1049, 4},
        {2000, 1023, 3},
        {2000, 799, 2},
        {1930, 767, 1},
        {1680, 1050, 5},
        {1600, 900, 5},
        {1440, 900, 5},
        {1400, 1050, 5},
        {1400, 899, 3},
        {1700, 999, 3},
        {1699, 900, 5},
        {1700, 1000, 6},
        {1366, 768, 2},
        {1366, 1024, 2},
        {1366, 767, 1},
        {1365, 1024, 4},
        {1280, 1024, 4},
        {1280, 960, 4},
        {1280, 800, 3},
        {920, 849, 3},
        {1024, 768, 2},
        {1280, 720, 1},
        {920, 767, 1},
        {919, 1200, 1},
        {800, 600, 1},
        {0, 0, 1},
        // 16-bit metrics: 40000 wraps to a negative width, which is the narrowest band.
        {40000, 1200, 1},
    };
    for (const auto& c : cases) QTest::addRow("%dx%d", c.w, c.h) << c.w << c.h << c.cls;
  }
  void classify() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, cls);
    QCOMPARE(pages::classify(w, h), cls);
  }

  void classPagesAndDefaults() {
    QCOMPARE(pages::startPage(3), QStringLiteral("qxc.qx"));
    QCOMPARE(pages::contentsPage(7), QStringLiteral("qxcrg.qx"));
    for (int outside : {0, 8, -1}) {
      QCOMPARE(pages::startPage(outside), QStringLiteral("qxa.qx"));
      QCOMPARE(pages::contentsPage(outside), QStringLiteral("qxcra.qx"));
      QVERIFY(!pages::classLetter(outside));
    }
    QCOMPARE(*pages::classLetter(1), QChar('a'));
    QCOMPARE(*pages::classLetter(7), QChar('g'));
  }

  void dispatch_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Arrival>("arrival");
    QTest::addColumn<QString>("key");  // module-table key, when there is one
    const struct {
      const char* name;
      Arrival a;
      const char* key;
    } cases[] = {
        {"fig0312.qx", Arrival::Video, ""},
        {"title.qx", Arrival::Video, ""},
        {"ttv07.qx", Arrival::Video, ""},
        {"title2.qx", Arrival::Ordinary, ""},
        {"v0101.qx", Arrival::Narration, ""},
        {"vsearch.qx", Arrival::Narration, ""},
        {"mod07c.qx", Arrival::ClassPage, ""},
        {"obj24g.qx", Arrival::ClassPage, ""},
        {"rev01a.qx", Arrival::ClassPage, ""},
        {"search.qx", Arrival::SearchTrigger, ""},
        {"Search.qx", Arrival::Ordinary, ""},
        {"index.qx", Arrival::IndexTrigger, ""},
        {"hist.qx", Arrival::HistTrigger, ""},
        {"qxa.qx", Arrival::StartPage, ""},
        {"qxg.qx", Arrival::StartPage, ""},
        {"qxh.qx", Arrival::Ordinary, ""},
        {"qxcrc.qx", Arrival::ContentsPage, ""},
        {"qxcrh.qx", Arrival::Ordinary, ""},
        {"qx070001.qx", Arrival::ModuleTable, "mod07"},
        {"qx070119.qx", Arrival::ModuleTable, "obj07"},
        {"qx070120.qx", Arrival::ModuleTable, "rev07"},
        {"qx010196.qx", Arrival::ModuleTable, "obj01"},
        {"qx240025.qx", Arrival::ModuleTable, "obj24"},
        {"qx240326.qx", Arrival::ModuleTable, "rev24"},
        {"qx240026.qx", Arrival::Ordinary, ""},
        {"qx230326.qx", Arrival::ModuleTable, "rev23"},
        {"qx250001.qx", Arrival::Ordinary, ""},
        {"qx000001.qx", Arrival::Ordinary, ""},
        {"qx070012.qx", Arrival::Ordinary, ""},
        {"qx070001.qx#top", Arrival::Ordinary, ""},
        {"qxpraca.qx", Arrival::Ordinary, ""},
        {"", Arrival::Ordinary, ""},
    };
    for (const auto& c : cases)
      QTest::addRow("%s", c.name) << QString::fromLatin1(c.name) << c.a << QString::fromLatin1(c.key);
  }
  void dispatch() {
    QFETCH(QString, name);
    QFETCH(Arrival, arrival);
    QFETCH(QString, key);
    QCOMPARE(pages::dispatch(name), arrival);
    QCOMPARE(pages::moduleTableKey(name).value_or(QString()), key);
  }

  void moduleOf_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("module");  // -1: none
    QTest::newRow("module page") << "qx070012.qx" << 7;
    QTest::newRow("class page") << "mod07c.qx" << 7;
    QTest::newRow("objectives class page") << "obj24g.qx" << 24;
    QTest::newRow("start page") << "qxa.qx" << -1;
    QTest::newRow("contents page") << "qxcra.qx" << -1;
    QTest::newRow("further class page") << "qxpraca.qx" << -1;
    QTest::newRow("blank and digit") << "qx 7.qx" << -1;
    QTest::newRow("trigger") << "search.qx" << -1;
    QTest::newRow("module zero") << "qx000001.qx" << 0;
  }
  void moduleOf() {
    QFETCH(QString, name);
    QFETCH(int, module);
    QCOMPARE(pages::moduleOf(name).value_or(-1), module);
  }

  void mediaAddresses() {
    const QString base = QStringLiteral("http://h/qx_cbt/qx2/");
    QCOMPARE(*pages::videoAddress(base, u"title.qx"), base + "/qx/title.avi");
    QCOMPARE(*pages::videoAddress(base, u"ttv07.qx"), base + "/techtips/tt07.avi");
    QCOMPARE(*pages::videoAddress(base, u"ttv07"), base + "/techtips/tt07.avi");
    QCOMPARE(*pages::videoAddress(base, u"fig0312.qx"), base + "c03/fig0312.avi");
    QVERIFY(!pages::videoAddress(base, u"fig0312"));
    QCOMPARE(*pages::narrationAddress(base, u"v0101.qx"), base + "c01/v0101.wav");
    QCOMPARE(*pages::narrationAddress(base, u"v0312b.qx.qx"), base + "c03/v0312b.wav");
    QVERIFY(!pages::narrationAddress(base, u"v0101"));
    // Asked for through the shared block: the request text is the base name.
    QCOMPARE(pages::requestedNarrationAddress(base, u"v0312"), base + "c03/v0312.wav");
    QCOMPARE(pages::requestedNarrationAddress(base, u"v"), base + "c/v.wav");
  }
};

QTEST_APPLESS_MAIN(TestPageNames)
#include "test_pagenames.moc"
