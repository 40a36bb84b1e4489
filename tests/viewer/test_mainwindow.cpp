// The main window's commands, keys, quitting and resizing, on fakes.
#include "layout/keypreview.h"
#include "logic/searchquery.h"
#include "search/frmsearch.h"
#include "support/readeronfakes.h"
#include "viewer/findbar.h"
#include "viewer/frmqx.h"
#include "viewer/pagearea.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

namespace {
const QString& kBase = kCourseBase;
}

class TestMainWindow : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir home;

  // A maximised reader on a 1280 x 1024 screen (class 4), showing an ordinary page.
  frmQX& startReader(const QString& configHome = {}) {
    ReaderOnFakes::startReader(home.path(), [&](FakePlatform& fake) {
      if (!configHome.isEmpty()) fake.env[QStringLiteral("XDG_CONFIG_HOME")] = configHome;
    });
    fake->browser->arrive(kBase + "qx040003.qx", {kBase + "secn", kBase + "prev", kBase + "next"});
    fake->browser->calls.clear();
    return *form;
  }
  QStringList calls() const { return fake->browser->calls; }
  static int press(frmQX& w, int key, int shift) {
    w.Form_KeyDown(key, shift);
    return key;
  }
  // Where a widget of the window is, in the window.
  static QRect inWindow(const QWidget& window, const QWidget* widget) {
    return {widget->mapTo(&window, QPoint(0, 0)), widget->size()};
  }

 private slots:
  void cleanup() { closeReader(); }

  void keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("keyAfter");  // 0: swallowed
    QTest::addColumn<bool>("asksToQuit");
    using namespace keys;
    const QStringList prev{"navigate " + kBase + "prev"}, next{"navigate " + kBase + "next"};
    QTest::newRow("Page Down") << kPageDown << 0 << next << 0 << false;
    QTest::newRow("Page Up") << kPageUp << 0 << prev << 0 << false;
    QTest::newRow("Alt+period") << kPeriod << kAlt << next << 0 << false;
    QTest::newRow("Alt+comma") << kComma << kAlt << prev << 0 << false;
    QTest::newRow("Alt+Shift+comma") << kComma << (kAlt | kShift) << prev << 0 << false;
    QTest::newRow("Ctrl+Alt+period") << kPeriod << (kAlt | kCtrl) << next << 0 << false;
    QTest::newRow("period alone") << kPeriod << 0 << QStringList{} << kPeriod << false;
    QTest::newRow("Alt+Q") << kQ << kAlt << QStringList{} << 0 << true;
    QTest::newRow("Ctrl+Alt+Q") << kQ << (kAlt | kCtrl) << QStringList{} << 0 << true;
    QTest::newRow("Q alone") << kQ << 0 << QStringList{} << kQ << false;
    QTest::newRow("Escape") << kEscape << 0 << QStringList{} << kEscape << false;
    QTest::newRow("Enter") << kEnter << 0 << QStringList{} << kEnter << false;
  }
  void keys() {
    QFETCH(int, key);
    QFETCH(int, shift);
    QFETCH(QStringList, calls);
    QFETCH(int, keyAfter);
    QFETCH(bool, asksToQuit);
    frmQX& w = startReader();
    w.cmdHelp_Click();
    QVERIFY(w.help()->isVisibleTo(&w));
    w.avi()->show();

    fake->messages.answers = {MessageBoxes::Answer::No};
    w.Form_KeyDown(key, shift);

    QCOMPARE(this->calls(), calls);
    QCOMPARE(key, keyAfter);
    QVERIFY(!w.help()->isVisibleTo(&w));  // any key closes the help picture
    QCOMPARE(fake->messages.asked.size(), size_t(asksToQuit ? 1 : 0));
    QCOMPARE(w.avi()->isVisibleTo(&w), key != keys::kEscape);  // Escape stops media
    QVERIFY(!fake->ended);
  }

  // Ctrl+F opens the find bar above the page; typing finds, Enter and Shift+Enter step,
  // Escape closes it and takes the highlights away. The pages' keys keep their work.
  void findBar() {
    using namespace keys;
    frmQX& w = startReader();
    QCOMPARE(w.pageArea().findBar(), nullptr);  // nothing made before it is first wanted
    QCOMPARE(press(w, kF, kCtrl), 0);
    FindBar* bar = w.pageArea().findBar();
    QVERIFY(bar && bar->isVisible() && bar->hasFocusWithin());
    const QRect barInWindow = inWindow(w, bar);
    QCOMPARE(barInWindow.y(), 24);  // below the command bar, where the page began
    QCOMPARE(inWindow(w, w.web1()->widget()),
             QRect(0, barInWindow.bottom() + 1, w.width(), w.height() - barInWindow.bottom() - 1));

    QTest::keyClicks(bar->input(), "ohm");
    QCOMPARE(calls(), (QStringList{"find o", "find oh", "find ohm"}));
    fake->browser->calls.clear();
    QCOMPARE(press(w, kEnter, 0), 0);
    QTest::keyClick(bar->input(), Qt::Key_Return, Qt::ShiftModifier);  // as the keyboard gives it
    QCOMPARE(calls(), (QStringList{"find ohm", "find ohm backward"}));
    emit fake->browser->found(3, 12);
    QCOMPARE(bar->matches()->text(), QStringLiteral("3 of 12"));
    emit fake->browser->found(0, 0);
    QCOMPARE(bar->matches()->text(), QStringLiteral("No matches"));
    fake->browser->calls.clear();
    QCOMPARE(press(w, kPageDown, 0), 0);  // still the next page, from the find bar too
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "next"});
    fake->browser->arrive(kBase + "next", {});
    QCOMPARE(bar->matches()->text(), QString());  // the new page is not searched yet

    fake->browser->calls.clear();
    QCOMPARE(press(w, kEscape, 0), 0);
    QVERIFY(bar->isHidden());
    QCOMPARE(calls(), QStringList{"find "});
    QCOMPARE(w.focusWidget(), w.web1()->widget());  // the keyboard goes back to the page
    // The page below the command bar, its end at the window's bottom edge.
    QCOMPARE(inWindow(w, w.web1()->widget()), QRect(0, 24, w.width(), w.height() - 24));
    // Closed, Escape is the media's and the help's again, and Enter nobody's.
    QCOMPARE(press(w, kEscape, 0), kEscape);
    QCOMPARE(press(w, kEnter, 0), kEnter);

    // Open, but with the keyboard in the page: Escape is not the bar's.
    press(w, kF, kCtrl);
    QCOMPARE(bar->input()->selectedText(), QStringLiteral("ohm"));
    w.web1()->widget()->setFocus();
    QCOMPARE(press(w, kEscape, 0), kEscape);
    QVERIFY(bar->isVisible());
  }

  void zoomKeysAndWheelStepAndTheChoiceIsKept() {
    using namespace keys;
    const QString config = home.path() + QStringLiteral("/config");
    frmQX* w = &startReader(config);
    const int screenClass = w->screenClass();
    const struct {
      int key, shift;
      double zoom;
    } steps[] = {{kPlus, kCtrl, 1.1}, {kPlus, kCtrl | kShift, 1.25}, {kMinus, kCtrl, 1.1},
                 {k0, kCtrl, 1.0},    {kMinus, kCtrl, 0.9},          {k0, kCtrl, 1.0},
                 {kPlus, 0, 1.0},     {kPlus, kAlt | kCtrl, 1.0}};
    for (const auto& step : steps) {
      const int left = press(*w, step.key, step.shift);
      QCOMPARE(left, step.shift & kCtrl && !(step.shift & kAlt) ? 0 : step.key);
      QCOMPARE(fake->browser->zoom, step.zoom);
    }
    // A wheel's notch is a step; a touchpad's smaller turns add up to one. Without Ctrl the
    // page scrolls as ever.
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
      QWidget* page = w->web1()->widget();
      QWheelEvent event(QPointF(10, 10), page->mapToGlobal(QPointF(10, 10)), {}, {0, delta}, Qt::NoButton, modifiers,
                        Qt::NoScrollPhase, false);
      return QApplication::sendEvent(page, &event) && event.isAccepted();
    };
    wheel(120, Qt::ControlModifier);
    QCOMPARE(fake->browser->zoom, 1.1);
    wheel(60, Qt::ControlModifier);
    QCOMPARE(fake->browser->zoom, 1.1);
    wheel(60, Qt::ControlModifier);
    QCOMPARE(fake->browser->zoom, 1.25);
    wheel(-120, Qt::NoModifier);
    QCOMPARE(fake->browser->zoom, 1.25);
    for (int i = 0; i < 20; ++i) wheel(120, Qt::ControlModifier);
    QCOMPARE(w->pageArea().zoomFactor(), 3.0);
    QCOMPARE(w->screenClass(), screenClass);  // the page is larger, the screen is not
    QCOMPARE(calls(), QStringList{});         // and nothing was loaded again

    // The next run starts at the zoom left.
    cleanup();
    w = &startReader(config);
    QCOMPARE(fake->browser->zoom, 3.0);
    QVERIFY(QFile::exists(config + QStringLiteral("/Vendrel/TavrinLab.conf")));
  }

  // The words the search found are marked on the page it opens (on the class page an entry
  // page leads on to), and on no page after it.
  void searchedWordsAreMarkedOnTheOpenedPageOnly() {
    frmQX& w = startReader();
    const QStringList links{kBase + "s", kBase + "p", kBase + "n"};
    w.markOnArrival({"OHM", "LAW"});
    fake->browser->arrive(kBase + "qx020003.qx", links);
    QCOMPARE(calls(), QStringList{"mark OHM LAW"});
    QCOMPARE(fake->browser->fold, (QStringList{search::caseFold().from, search::caseFold().to}));
    fake->browser->calls.clear();
    fake->browser->arrive(kBase + "qx020004.qx", links);
    QCOMPARE(calls(), QStringList{});

    w.markOnArrival({"OHM"});
    fake->browser->arrive(kBase + "qx010001.qx", links);
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "mod01d.qx"});
    fake->browser->arrive(kBase + "mod01d.qx", links);
    QCOMPARE(calls(), (QStringList{"navigate " + kBase + "mod01d.qx", "mark OHM"}));

    fake->browser->calls.clear();
    w.markOnArrival({"OHM"});
    fake->browser->fail(kBase + "qx020005.qx");
    fake->browser->arrive(kBase + "qx020004.qx", links);
    QCOMPARE(calls(), QStringList{});
  }

  void keysReachTheWindowBeforeThePageView() {
    frmQX& w = startReader();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    fake->browser->view->setFocusPolicy(Qt::StrongFocus);
    fake->browser->view->setFocus();
    QTest::keyClick(fake->browser->view, Qt::Key_PageDown);
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "next"});
    w.cmdHelp_Click();
    QTest::keyClick(fake->browser->view, Qt::Key_Escape);
    QVERIFY(!w.help()->isVisible());
  }

  void navigationButtons() {
    frmQX& w = startReader();
    w.commandBar().cmdSecn->click();
    w.commandBar().cmdPrev->click();
    w.commandBar().cmdNext->click();
    w.commandBar().cmdBack->click();
    QCOMPARE(calls(), (QStringList{"navigate " + kBase + "secn", "navigate " + kBase + "prev",
                                   "navigate " + kBase + "next", "back"}));
    QVERIFY(w.viewer().BackPressed);
  }

  void buttonsBeforeAnyLinksLoadNothing() {
    fake = std::make_unique<FakePlatform>(home.path());
    frmQX w(fake->platform, courseSetup(*fake));
    w.Form_Load();
    fake->browser->calls.clear();
    w.cmdPrev_Click();
    w.cmdNext_Click();
    w.cmdSecn_Click();
    QVERIFY(calls().isEmpty());
    QVERIFY(fake->messages.asked.empty());
  }

  void contentsAlternatesOnTheStartPageOfTheClass_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("target");
    QTest::newRow("start page of the class") << "qxd.qx"
                                             << "qxcrd.qx";
    QTest::newRow("contents page") << "qxcrd.qx"
                                   << "qxd.qx";
    QTest::newRow("start page of another class") << "qxa.qx"
                                                 << "qxd.qx";
    QTest::newRow("ordinary page") << "qx040003.qx"
                                   << "qxd.qx";
  }
  void contentsAlternatesOnTheStartPageOfTheClass() {
    QFETCH(QString, page);
    QFETCH(QString, target);
    frmQX& w = startReader();
    fake->browser->arrive(kBase + page, {kBase + "s", kBase + "p", kBase + "n"});
    fake->browser->calls.clear();
    w.cmdHelp_Click();
    w.commandBar().cmdCont->click();
    QCOMPARE(calls(), QStringList{"navigate " + kBase + target});
    QVERIFY(!w.help()->isVisibleTo(&w));
  }

  void helpToggles() {
    frmQX& w = startReader();
    w.commandBar().cmdHelp->click();
    QVERIFY(w.help()->isVisibleTo(&w));
    QCOMPARE(w.help()->pixmap().size(), QSize(820, 692));
    w.commandBar().cmdHelp->click();
    QVERIFY(!w.help()->isVisibleTo(&w));
    w.commandBar().cmdHelp->click();
    QTest::mouseClick(w.help(), Qt::LeftButton);
    QVERIFY(!w.help()->isVisibleTo(&w));
  }

  void searchAndHistoryHandOverThenLoadTheirTriggerPage_data() {
    QTest::addColumn<bool>("history");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("search, normal") << false << Qt::WindowNoState;
    QTest::newRow("search, maximised") << false << Qt::WindowMaximized;
    QTest::newRow("history, normal") << true << Qt::WindowNoState;
  }
  void searchAndHistoryHandOverThenLoadTheirTriggerPage() {
    QFETCH(bool, history);
    QFETCH(Qt::WindowState, state);
    frmQX& w = startReader();
    w.setWindowState(Qt::WindowNoState);
    w.move(230, 140);
    w.setWindowState(state);
    QTRY_COMPARE(w.windowState() & Qt::WindowMaximized, state & Qt::WindowMaximized);
    QWidget* side = w.sideWindows().window(history ? SideWindowKind::History : SideWindowKind::Search);
    side->move(600, 500);
    int roundsBefore = fake->eventRounds;
    (history ? w.commandBar().cmdHist : w.commandBar().cmdSlot3)->click();
    QVERIFY(fake->eventRounds > roundsBefore);  // the tick wait ran
    QCOMPARE(side->windowState() & Qt::WindowMaximized, state & Qt::WindowMaximized);
    QCOMPARE(side->pos(), state == Qt::WindowNoState ? w.pos() : QPoint(600, 500));
    QCOMPARE(calls(), QStringList{"navigate " + kBase + (history ? "hist.qx" : "search.qx")});
    QVERIFY(!side->isVisible());
  }

  void quit_data() {
    QTest::addColumn<MessageBoxes::Answer>("answer");
    QTest::addColumn<bool>("logExists");
    QTest::addColumn<bool>("canRemove");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("logAfter");
    QTest::addColumn<int>("boxes");
    QTest::newRow("no keeps everything") << MessageBoxes::Answer::No << true << true << false << true << 1;
    QTest::newRow("yes deletes the log") << MessageBoxes::Answer::Yes << true << true << true << false << 1;
    QTest::newRow("yes without a log") << MessageBoxes::Answer::Yes << false << true << true << false << 1;
    QTest::newRow("yes, log cannot go") << MessageBoxes::Answer::Yes << true << false << true << true << 2;
  }
  void quit() {
    QFETCH(MessageBoxes::Answer, answer);
    QFETCH(bool, logExists);
    QFETCH(bool, canRemove);
    QFETCH(bool, ends);
    QFETCH(bool, logAfter);
    QFETCH(int, boxes);
    frmQX& w = startReader();
    if (!logExists) QFile::remove(w.historyPath());
    QCOMPARE(QFile::exists(w.historyPath()), logExists);
    fake->files.canRemove = canRemove;
    fake->messages.answers = {answer};
    int key = keys::kQ, shift = keys::kAlt;
    w.Form_KeyDown(key, shift);

    const MessageBoxes::Message& question = fake->messages.asked.at(0);
    QCOMPARE(question.text, QStringLiteral("Do you want to quit?"));
    QCOMPARE(question.title, QStringLiteral("Quit Tavrin?"));
    QVERIFY(question.buttons == MessageBoxes::Buttons::YesNo);
    QVERIFY(question.icon == MessageBoxes::Icon::Question);
    QCOMPARE(question.owner, &w);
    QVERIFY(question.placement && !question.placement->toDesktop);  // 100 right of, 80 below its top-left
    QCOMPARE(question.placement->topLeft(QRect(230, 140, 968, 741), QSize(300, 120)), QPoint(330, 220));
    QCOMPARE(fake->ended.has_value(), ends);
    QCOMPARE(QFile::exists(w.historyPath()), logAfter);
    QCOMPARE(int(fake->messages.asked.size()), boxes);
  }

  void closeRequest_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("fromWithfile");
    QTest::addColumn<bool>("asks");
    QTest::newRow("plain reader asks") << "" << false << true;
    QTest::newRow("started with a command line") << "/x" << false << false;
    QTest::newRow("quit from the return window") << "" << true << false;
  }
  void closeRequest() {
    QFETCH(QString, commandLine);
    QFETCH(bool, fromWithfile);
    QFETCH(bool, asks);
    frmQX& w = startReader();
    fake->platform.commandLine = commandLine;
    w.setFromWithfile(fromWithfile);
    fake->messages.answers = {MessageBoxes::Answer::No};
    QCloseEvent close;
    QCoreApplication::sendEvent(&w, &close);
    QCOMPARE(close.isAccepted(), !asks);
    QCOMPARE(fake->messages.asked.size(), size_t(asks ? 1 : 0));
    QVERIFY(QFile::exists(w.historyPath()));  // a close never deletes the log by itself
    QVERIFY(!fake->ended);
  }

  void layoutOfTheMainWindow() {
    fake = std::make_unique<FakePlatform>();
    frmQX w(fake->platform, CourseSetup{});
    QCOMPARE(w.windowTitle(), QStringLiteral("   Tavrin"));
    const CommandBar& bar = w.commandBar();
    const QPushButton* order[] = {bar.cmdCont, bar.cmdPrint, bar.cmdSlot3, bar.cmdBack, bar.cmdPrev,
                                  bar.cmdNext, bar.cmdHist,  bar.cmdCalc,  bar.cmdHelp, bar.cmdSecn};
    const char* captions[] = {"&Contents", "&Print",   "&Search", "&Back", "&<<",
                              "&>>",       "His&tory", "C&alc",   "&Help", "Sectio&n"};
    for (int i = 0; i < 10; ++i) {
      QCOMPARE(order[i]->text(), QString::fromLatin1(captions[i]));
      // 975 x 280 twips, 990 twips apart from left 45, top 30; 15 twips to the pixel.
      QCOMPARE(order[i]->geometry(), QRect((45 + 990 * i) / 15, 30 / 15, 975 / 15, 280 / 15));
      if (i) QCOMPARE(order[i - 1]->nextInFocusChain(), order[i]);
      // The caption fits its button in the face chosen for it.
      QVERIFY(QFontMetrics(order[i]->font()).horizontalAdvance(order[i]->text().remove(u'&')) < 60);
    }
    QCOMPARE(inWindow(w, fake->browser->view), QRect(0, 360 / 15, 15360 / 15, 11520 / 15));
    QCOMPARE(w.help()->geometry(), QRect(600 / 15, 720 / 15, 12315 / 15, 10425 / 15));
    // What a screen reader says for the buttons whose captions are signs, and the help picture.
    QCOMPARE(bar.cmdPrev->accessibleName(), QStringLiteral("Previous page"));
    QCOMPARE(bar.cmdNext->accessibleName(), QStringLiteral("Next page"));
    QCOMPARE(w.help()->accessibleName(), QStringLiteral("Help"));
    QVERIFY(!w.avi()->isVisibleTo(&w));
  }

  void resizeReloadsThePageInTheVariantOfTheNewClass() {
    frmQX& w = startReader();
    w.setWindowState(Qt::WindowNoState);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(1280, 900);
    fake->browser->arrive(kBase + "mod05d.qx", {});
    QCOMPARE(w.screenClass(), 4);
    fake->browser->calls.clear();

    w.resize(1024, 700);  // 1024 wide, less than 768 high with the caption: class 1
    QTRY_COMPARE(calls(), QStringList{"navigate " + kBase + "mod05a.qx"});
    QCOMPARE(w.screenClass(), 1);
    QCOMPARE(w.screenMetrics().width(), 1024);
    QCOMPARE(fake->browser->view->size(), w.size() - QSize(0, 24));
    QCOMPARE(w.avi()->geometry(), QRect(QPoint(0, 0), w.screenMetrics()));

    // An ordinary page is reloaded as it is.
    fake->browser->arrive(kBase + "qx050002.qx", {});
    fake->browser->calls.clear();
    w.resize(1000, 800);
    QTRY_COMPARE(calls(), QStringList{"navigate " + kBase + "qx050002.qx"});
  }

  void maximisedWindowIsClassifiedByTheScreen() {
    frmQX& w = startReader();
    fake->browser->arrive(kBase + "qxa.qx", {});
    fake->browser->calls.clear();
    w.setWindowState(Qt::WindowNoState);
    w.resize(500, 400);
    QTRY_COMPARE(calls(), QStringList{"navigate " + kBase + "qxa.qx"});
    fake->browser->calls.clear();
    w.setWindowState(Qt::WindowMaximized);
    QCOMPARE(w.screenMetrics().width(), 1280);
    QCOMPARE(w.screenMetrics().height(), 1024);
    QCOMPARE(w.screenClass(), 4);
    QTRY_COMPARE(calls(), QStringList{"navigate " + kBase + "qxd.qx"});
  }

  void resizeBeforeTheFirstPageLoadsNothing() {
    fake = std::make_unique<FakePlatform>(home.path());
    frmQX w(fake->platform, courseSetup(*fake));
    w.Form_Load();
    fake->browser->calls.clear();
    w.show();
    w.resize(800, 600);
    QTest::qWait(400);
    QVERIFY(calls().isEmpty());
  }

  void windowDraggedOffToTheLeftJumpsBack() {
    frmQX& w = startReader();
    w.setWindowState(Qt::WindowNoState);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.move(-300, 50);
    w.resize(900, 700);
    QTRY_COMPARE(w.pos(), QPoint(100, 100));
  }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
