// The main window's start-up and its handling of every page that arrives, on fakes.
#include "external/withfile.h"
#include "logic/blocks.h"
#include "media/blockpoll.h"
#include "support/files.h"
#include "support/readeronfakes.h"
#include "viewer/frmqx.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QString& kBase = kCourseBase;
}  // namespace

class TestArrival : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir home;

  // A reader that has started on a 1280 x 1024 screen (class 4, letter d), maximised.
  frmQX& startReader() { return ReaderOnFakes::startReader(home.path() + QStringLiteral("/appdata")); }
  QByteArray history() const { return readFile(form->historyPath()); }

 private slots:
  void cleanup() {
    closeReader();
    QDir(home.path()).removeRecursively();
    QDir().mkpath(home.path());
  }

  void startUpLoadsTheStartPageOfTheScreenClass_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("page");
    QTest::newRow("800x600") << QSize(800, 600) << "qxa.qx";
    QTest::newRow("1280x1024") << QSize(1280, 1024) << "qxd.qx";
    QTest::newRow("1920x1080") << QSize(1920, 1080) << "qxf.qx";
    QTest::newRow("2560x1440") << QSize(2560, 1440) << "qxg.qx";
  }
  void startUpLoadsTheStartPageOfTheScreenClass() {
    QFETCH(QSize, screen);
    QFETCH(QString, page);
    FakePlatform fp(home.path());
    fp.screen = screen;
    frmQX w(fp.platform, courseSetup(fp));
    w.Form_Load();
    QCOMPARE(fp.browser->calls, QStringList{"navigate " + kBase + page});
    QCOMPARE(w.fileLocn(), kBase);
    QCOMPARE(w.windowTitle(), QStringLiteral("   Tavrin"));
    // The video backdrop covers the classification metrics.
    QCOMPARE(w.avi()->geometry(), QRect(QPoint(0, 0), screen));
    QVERIFY(!fp.ended);
  }

  void startUpCreatesTheWholeUserFolder() {
    // Neither the maker's folder nor the application-data folder itself exists yet.
    frmQX& w = startReader();
    QCOMPARE(w.userDir(), home.path() + QStringLiteral("/appdata/Vendrel/TavrinLab/"));
    QVERIFY(QFileInfo(w.userDir()).isDir());
    QVERIFY(fake->messages.asked.empty());
  }

  void userFolderThatCannotBeMadeIsReportedAndTheReaderGoesOn() {
    QFile blocker(home.path() + QStringLiteral("/appdata"));  // a file where a folder must go
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    frmQX& w = startReader();
    QCOMPARE(fake->messages.asked.size(), size_t(1));
    QVERIFY(fake->messages.asked[0].text.contains(w.userDir()));
    QVERIFY(!fake->ended);
    fake->browser->arrive(kBase + "qx010002.qx", {kBase + "s", kBase + "p", kBase + "n"});
    QCOMPARE(w.viewer().NextLink, kBase + "n");  // works on, without history
  }

  void refusedCourseBaseEndsWithAMessage_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("not a web address") << "/srv/course/qx2/";
    QTest::newRow("ftp") << "ftp://127.0.0.1/qx_cbt/qx2/";
    QTest::newRow("no trailing slash") << "http://127.0.0.1:8642/qx_cbt/qx2";
    QTest::newRow("more after qx2/") << "http://127.0.0.1/qx_cbt/qx2/x/";
    QTest::newRow("qx2/ twice") << "http://127.0.0.1/qx2/qx_cbt/qx2/";
    QTest::newRow("rewritten fragment") << "http://models.example/qx_cbt/qx2/";
    QTest::newRow("start page name") << "http://127.0.0.1/qxa.qx/qx2/";
  }
  void refusedCourseBaseEndsWithAMessage() {
    QFETCH(QString, value);
    FakePlatform fp(home.path());
    fp.env[QStringLiteral("TAVRIN_COURSE_BASE")] = value;
    QVERIFY(!startEveryCopy(fp.platform));
    QCOMPARE(fp.ended, std::optional<int>(1));
    QCOMPARE(fp.messages.asked.size(), size_t(1));
    QVERIFY(fp.messages.asked[0].text.contains(u"TAVRIN_COURSE_BASE"));
    QVERIFY(!fp.browser);  // nothing was built
  }

  void builtInCourseBaseWithoutMirror() {
    FakePlatform fp(home.path());
    fp.env.remove(QStringLiteral("TAVRIN_COURSE_BASE"));
    frmQX w(fp.platform, courseSetup(fp));
    w.Form_Load();
    QVERIFY(w.fileLocn().startsWith(u"https://"));
    QVERIFY(w.fileLocn().endsWith(u"/qx_cbt/qx2/"));
  }

  // One arrival after the reader has shown the start page with links s0, p0, n0.
  void arrival_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("page");  // CurrentPage afterwards
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("module");
    QTest::addColumn<QStringList>("targets");  // Section, <<, >> afterwards
    QTest::addColumn<QStringList>("calls");    // what the browser was asked to do
    QTest::addColumn<bool>("recorded");

    const QStringList three{kBase + "s1", kBase + "p1", kBase + "n1"};
    const QStringList before{kBase + "s0", kBase + "p0", kBase + "n0"};
    const QString start = kBase + "qxd.qx";
    auto row = [&](const char* tag, QString location, QStringList links, QString page, QString title, int module,
                   QStringList targets, QStringList calls, bool recorded) {
      QTest::newRow(tag) << location << links << page << title << module << targets << calls << recorded;
    };
    row("module page", kBase + "qx070012.qx", three, "qx070012.qx", "Tavrin - Module 7", 7, three, {}, true);
    row("class page", kBase + "mod07c.qx", three, "mod07c.qx", "Tavrin - Module 7", 7, three, {}, false);
    row("objectives class page", kBase + "obj24g.qx", three, "obj24g.qx", "Tavrin - Module 24", 24, three, {}, false);
    row("start page of another class", kBase + "qxc.qx", three, "qxc.qx", "Tavrin", 3, three, {}, true);
    row("contents page", kBase + "qxcra.qx", three, "qxcra.qx", "Tavrin", 3, {start, start, start}, {}, true);
    row("module entry page", kBase + "qx070001.qx", three, "qx070001.qx", "Tavrin - Module 7", 7, three,
        {"navigate " + kBase + "mod07d.qx"}, true);
    row("module 24 review page", kBase + "qx240326.qx", three, "qx240326.qx", "Tavrin - Module 24", 24, three,
        {"navigate " + kBase + "rev24d.qx"}, true);
    row("not module 24's review page", kBase + "qx240026.qx", three, "qx240026.qx", "Tavrin - Module 24", 24, three, {},
        true);
    row("search trigger", kBase + "search.qx", three, "search.qx", "Tavrin", 3, before, {}, false);
    row("capital Search is an ordinary page", kBase + "Search.qx", three, "Search.qx", "Tavrin", 3, three, {}, true);
    row("narration", kBase + "v0101.qx", three, "v0101.qx", "Tavrin", 3, before, {"back"}, false);
    row("any v name is narration", kBase + "vsearch.qx", three, "vsearch.qx", "Tavrin", 3, before, {"back"}, false);
    row("figure video", kBase + "fig0312.qx", three, "fig0312.qx", "Tavrin", 3, before, {"back"}, false);
    row("title video", kBase + "title.qx", three, "title.qx", "Tavrin", 3, before, {"back"}, false);
    row("single link", kBase + "qx010002.qx", {kBase + "only"}, "qx010002.qx", "Tavrin - Module 1", 1,
        {kBase + "only", before[1], before[2]}, {}, true);
    row("qx2/ twice", kBase + "sub/qx2/qx010002.qx", three, "sub/qx2/qx010002.qx", "Tavrin", 3, three, {}, true);
    row("blank page", "about:blank", three, "about:blank", "Tavrin", 3, before, {}, false);
    row("foreign page", "http://127.0.0.1:1/other/page.html", three, "http://127.0.0.1:1/other/page.html", "Tavrin", 3,
        before, {}, false);
    row("empty location", "", three, "", "Tavrin", 3, before, {}, false);
    row("blank http", "http:///", three, "http:///", "Tavrin", 3, before, {}, false);
    row("blank file, upper case", "FILE:///", three, "FILE:///", "Tavrin", 3, before, {}, false);
  }
  void arrival() {
    QFETCH(QString, location);
    QFETCH(QStringList, links);
    QFETCH(QString, page);
    QFETCH(QString, title);
    QFETCH(int, module);
    QFETCH(QStringList, targets);
    QFETCH(QStringList, calls);
    QFETCH(bool, recorded);

    frmQX& w = startReader();
    fake->browser->arrive(kBase + "qx030002.qx", {kBase + "s0", kBase + "p0", kBase + "n0"});
    fake->browser->arrive(kBase + "qxd.qx", {kBase + "s0", kBase + "p0", kBase + "n0"});
    const QByteArray logBefore = history();
    QCOMPARE(logBefore, QByteArray("\"qx030002.qx\"\r\n\"qxd.qx\"\r\n"));

    fake->browser->arrive(location, links);

    const ViewerState& v = w.viewer();
    QCOMPARE(v.CurrentPage, page);
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(int(v.CurrentModule), module);
    QCOMPARE((QStringList{v.SecnLink, v.PrevLink, v.NextLink}), targets);
    QCOMPARE(fake->browser->calls, calls);
    const QByteArray record = '"' + page.toLatin1() + "\"\r\n";
    QCOMPARE(history(), recorded ? logBefore + record : logBefore);
    QCOMPARE(QRect(fake->browser->view->mapTo(&w, QPoint()), fake->browser->view->size()),
             QRect(0, 24, w.width(), w.height() - 24));  // down to the bottom edge
  }

  void contentsPageRewritesItsSixthLinkToTheStartPageOfTheClass() {
    startReader();
    QStringList links;
    for (int i = 0; i < 8; ++i) links << kBase + QStringLiteral("link%1").arg(i);
    fake->browser->arrive(kBase + "qxcrg.qx", links);
    QCOMPARE(fake->browser->links[5], kBase + "qxd.qx");
    QCOMPARE(fake->browser->links[4], kBase + "link4");
    QCOMPARE(fake->browser->links[6], kBase + "link6");
  }

  void backOverAModuleTablePageStepsBackOnceMore() {
    frmQX& w = startReader();
    fake->browser->arrive(kBase + "qx060005.qx", {kBase + "s0", kBase + "p0", kBase + "n0"});
    const QByteArray logBefore = history();
    w.cmdBack_Click();
    QVERIFY(w.viewer().BackPressed);
    fake->browser->arrive(kBase + "qx070001.qx", {kBase + "s1", kBase + "p1", kBase + "n1"});
    QCOMPARE(fake->browser->calls, (QStringList{"back", "back"}));
    QCOMPARE(w.viewer().NextLink, kBase + "n0");  // links not taken
    QCOMPARE(history(), logBefore);               // not recorded, not sent on
    QVERIFY(!w.viewer().BackPressed);

    // Back onto an ordinary page is a plain step back, and the flag lives one arrival only.
    w.cmdBack_Click();
    fake->browser->arrive(kBase + "qx060004.qx", {kBase + "s2", kBase + "p2", kBase + "n2"});
    QVERIFY(!w.viewer().BackPressed);
    QCOMPARE(history(), logBefore + "\"qx060004.qx\"\r\n");
    fake->browser->arrive(kBase + "qx070001.qx", {kBase + "s3", kBase + "p3", kBase + "n3"});
    QCOMPARE(fake->browser->calls.last(), "navigate " + kBase + "mod07d.qx");
  }

  void mediaTriggerPagesPlay_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("media");
    QTest::addColumn<bool>("backdrop");
    QTest::newRow("figure video") << "fig0312.qx"
                                  << "c03/fig0312.avi" << true;
    QTest::newRow("narration") << "v0101.qx"
                               << "c01/v0101.wav" << false;
  }
  void mediaTriggerPagesPlay() {
    QFETCH(QString, page);
    QFETCH(QString, media);
    QFETCH(bool, backdrop);
    frmQX& w = startReader();
    fake->browser->arrive(kBase + page);
    QCOMPARE(fake->browser->calls, QStringList{"back"});
    QCOMPARE(fake->player->address, kBase + media);
    QVERIFY(fake->player->playing);
    QCOMPARE(w.avi()->isVisibleTo(&w), backdrop);
    int escape = 27, shift = 0;
    w.Form_KeyDown(escape, shift);
    QVERIFY(!fake->player->playing);
    QVERIFY(!w.avi()->isVisibleTo(&w));
  }

  void backWithNothingToGoBackToLeavesNoMark() {
    frmQX& w = startReader();
    fake->browser->arrive(kBase + "qxd.qx", {kBase + "s", kBase + "p", kBase + "qx070001.qx"});
    fake->browser->backwards = false;  // the first page
    w.cmdBack_Click();
    QVERIFY(!w.viewer().BackPressed);
    QVERIFY(fake->browser->calls.isEmpty());
    // >> to a module's entry page then goes on to its class page, not back.
    w.cmdNext_Click();
    fake->browser->arrive(kBase + "qx070001.qx", {kBase + "s1", kBase + "p1", kBase + "n1"});
    QCOMPARE(fake->browser->calls.last(), "navigate " + kBase + "mod07d.qx");
  }

  void failedLoadIsNotAVisitAndKeepsTheLastPagesCommands_data() {
    QTest::addColumn<QString>("page");
    QTest::newRow("ordinary page") << "qx070003.qx";
    QTest::newRow("module entry page") << "qx070001.qx";
    QTest::newRow("start page") << "qxa.qx";
  }
  void failedLoadIsNotAVisitAndKeepsTheLastPagesCommands() {
    QFETCH(QString, page);
    frmQX& w = startReader();
    fake->browser->arrive(kBase + "qx060005.qx", {kBase + "s0", kBase + "p0", kBase + "n0"});
    const QByteArray logBefore = history();
    const ViewerState before = w.viewer();
    w.hide();  // as when a side window sent the browser on
    fake->browser->calls.clear();
    fake->browser->fail(kBase + page);
    fake->browser->fail(kBase + page);  // and its retry
    QVERIFY(w.isVisible());
    QCOMPARE(history(), logBefore);
    QVERIFY(fake->browser->calls.isEmpty());  // not sent on to a class page either
    QCOMPARE(w.viewer().CurrentPage, before.CurrentPage);
    QCOMPARE(w.viewer().SecnLink, kBase + "s0");
    QCOMPARE(w.viewer().NextLink, kBase + "n0");
    w.cmdSecn_Click();
    QCOMPARE(fake->browser->calls.last(), "navigate " + kBase + "s0");
  }

  void triggerPageWhoseLoadFailedStillOpensItsWindow() {
    QTemporaryDir program;
    frmQX& w = startReader();
    fake->platform.programFolder = program.path();  // no data files: an empty search
    fake->browser->fail(kBase + "search.qx");
    QVERIFY(w.sideWindows().loaded(SideWindowKind::Search));
    QVERIFY(w.sideWindows().window(SideWindowKind::Search)->isVisible());
    QCOMPARE(w.viewer().CurrentPage, QStringLiteral("search.qx"));
  }

  // The first page waits for neither: the player comes with the first narration or video,
  // the return window with the first exercise, and both then work as if made up front.
  void playerAndReturnWindowAreMadeWhenFirstNeeded() {
    const auto returnWindows = [] {
      const QWidgetList tops = QApplication::topLevelWidgets();
      return std::count_if(tops.cbegin(), tops.cend(), [](QWidget* top) { return qobject_cast<withfile*>(top); });
    };
    frmQX& w = startReader();
    QVERIFY(!fake->player);
    QCOMPARE(returnWindows(), 0);
    w.StopMedia();  // Escape before anything played
    QVERIFY(!fake->player);

    fake->blocks.write(blocks::Block::QXwav, blocks::encodeRequest(u"v0312"));
    auto* poll = w.findChild<BlockPoll*>();
    QVERIFY(poll && poll->running());
    poll->TimerEnd_Timer();
    QVERIFY(fake->player);
    QCOMPARE(fake->player->address, kBase + "c03/v0312.wav");
    QVERIFY(fake->player->playing);

    blocks::writeExercise(fake->blocks, u"/x/lab3.ckt", blocks::kKindAmpvale);
    poll->TimerEnd_Timer();
    QCOMPARE(returnWindows(), 1);
    poll->TimerEnd_Timer();
    QCOMPARE(returnWindows(), 1);  // made once
  }

  // A page arriving while a side window is up brings the main window back; the side
  // windows go then, even where it does not become active (no window manager, or one that
  // prevents focus stealing).
  void comingBackWithoutActivationHidesTheSideWindows() {
    QTemporaryDir program;
    frmQX& w = startReader();
    fake->platform.programFolder = program.path();  // no data files: an empty search
    fake->browser->arrive(kBase + "search.qx");
    QWidget* search = w.sideWindows().window(SideWindowKind::Search);
    QVERIFY(search->isVisible());
    w.hide();  // as when the side window sent the browser on
    w.setAttribute(Qt::WA_ShowWithoutActivating);
    fake->browser->arrive(kBase + "qxd.qx");
    QVERIFY(w.isVisible());
    QVERIFY(!w.isActiveWindow());
    QVERIFY(!search->isVisible());
  }

  void courseArrivalShowsAHiddenWindowButABlankPageDoesNot() {
    frmQX& w = startReader();
    QVERIFY(w.isVisible());  // the reader's window is up before its first page
    w.hide();
    fake->browser->arrive("about:blank");
    QVERIFY(!w.isVisible());
    fake->browser->arrive(kBase + "qxd.qx");
    QVERIFY(w.isVisible());
  }
};

QTEST_MAIN(TestArrival)
#include "test_arrival.moc"
