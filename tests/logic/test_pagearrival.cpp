// What the main browser's pages set off, without any window: the effects each arrival asks
// for, in order, and the link commands. (The window tests hold the titles, links and
// records of every row against the real main window.)
#include "logic/pagearrival.h"
#include "posix/posixfilesystem.h"
#include "support/fakebrowser.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kBase = QStringLiteral("http://127.0.0.1:1/qx_cbt/qx2/");
}

class TestPageArrival : public QObject {
  Q_OBJECT

  QTemporaryDir home;
  PosixFileSystem files;
  FakeBrowser browser;
  QStringList effects;  // what the arrivals asked of the window, the media and the side windows
  int screenClass = 4;
  std::unique_ptr<PageArrival> pages;

  PageArrival::Effects record() {
    return {
        .showWindow = [this] { effects << "show"; },
        .setTitle = [this](const QString& title) { effects << "title " + title; },
        .screenClass = [this] { return screenClass; },
        .classifyScreen =
            [this] {
              effects << "classify";
              return screenClass;
            },
        .playVideo = [this](const std::optional<QString>& a) { effects << "video " + a.value_or("(none)"); },
        .playNarration = [this](const QString& a) { effects << "narration " + a; },
        .openSideWindow = [this](pages::Arrival a) { effects << "side " + pages::triggerPage(a); },
        .pageShown = [this](const QString& name) { effects << "shown " + name; },
    };
  }

 private slots:
  void init() {
    QFile::remove(HistoryLog::pathIn(home.path() + u'/'));
    effects.clear();
    browser.calls.clear();
    pages = std::make_unique<PageArrival>(browser, files, kBase, home.path() + u'/', record());
  }

  void effectsOfEachArrival_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QStringList>("effects");
    QTest::addColumn<QStringList>("browserCalls");
    QTest::newRow("ordinary") << "qx070012.qx" << true
                              << QStringList{"show", "title Tavrin - Module 7", "shown qx070012.qx"} << QStringList{};
    QTest::newRow("contents page: fitted to the class of now")
        << "qxcra.qx" << true << QStringList{"show", "title Tavrin", "classify", "shown qxcra.qx"} << QStringList{};
    QTest::newRow("entry page: on to the class page, not shown")
        << "qx070001.qx" << true << QStringList{"show", "title Tavrin - Module 7"}
        << QStringList{"navigate " + kBase + "mod07d.qx"};
    QTest::newRow("trigger page") << "hist.qx" << true << QStringList{"show", "title Tavrin", "side hist.qx"}
                                  << QStringList{};
    QTest::newRow("trigger page that did not load")
        << "index.qx" << false << QStringList{"show", "title Tavrin", "side index.qx"} << QStringList{};
    QTest::newRow("video") << "title.qx" << true
                           << QStringList{"show", "title Tavrin", "video " + kBase + "/qx/title.avi"}
                           << QStringList{"back"};
    QTest::newRow("figure video without a name to take")
        << "fig" << true << QStringList{"show", "title Tavrin", "video (none)"} << QStringList{"back"};
    QTest::newRow("a page that failed: the window back, nothing else")
        << "qx070012.qx" << false << QStringList{"show"} << QStringList{};
  }
  void effectsOfEachArrival() {
    QFETCH(QString, page);
    QFETCH(bool, loaded);
    QFETCH(QStringList, effects);
    QFETCH(QStringList, browserCalls);
    if (loaded)
      browser.arrive(kBase + page, {kBase + "s", kBase + "p", kBase + "n"});
    else
      browser.fail(kBase + page);
    QCOMPARE(this->effects, effects);
    QCOMPARE(browser.calls, browserCalls);
  }

  // A foreign page is no course page: nothing is shown, titled or recorded.
  void aForeignPageSetsOffNothing() {
    browser.arrive(QStringLiteral("about:blank"));
    QCOMPARE(effects, QStringList{});
    QCOMPARE(pages->state().CurrentPage, QStringLiteral("about:blank"));
    QCOMPARE(readFile(pages->history().path()), QByteArray());
  }

  void commands() {
    browser.arrive(kBase + "qxd.qx", {kBase + "s", kBase + "p", kBase + "n"});
    browser.calls.clear();
    pages->contents();  // on the start page: the contents page
    pages->previous();
    pages->next();
    pages->section();
    browser.backwards = false;
    pages->back();  // nowhere to go back to: nothing, and no mark left standing
    QVERIFY(!pages->state().BackPressed);
    browser.backwards = true;
    pages->back();
    QVERIFY(pages->state().BackPressed);
    pages->navigate(QString());  // an empty target is no page
    QCOMPARE(browser.calls, (QStringList{"navigate " + kBase + "qxcrd.qx", "navigate " + kBase + "p",
                                         "navigate " + kBase + "n", "navigate " + kBase + "s", "back"}));
    QCOMPARE(readFile(pages->history().path()), QByteArray("\"qxd.qx\"\r\n"));
  }
};

QTEST_GUILESS_MAIN(TestPageArrival)
#include "test_pagearrival.moc"
