// The three side windows on fakes: the command bar and keys they share, the one window on
// screen at a time, the index handing a word to the search, and the history list.
#include "external/withfile.h"
#include "history/frmhist.h"
#include "layout/keypreview.h"
#include "logic/blocks.h"
#include "media/blockpoll.h"
#include "search/frmindex.h"
#include "search/frmsearch.h"
#include "support/files.h"
#include "support/readeronfakes.h"
#include "viewer/frmqx.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString& kBase = kCourseBase;

const QByteArray kFiles =
    "1\tqx010005.qx\tModule 1 \x96 Current\r\n"
    "2\tqx010006.qx\tModule 1 \x96 Voltage\r\n"
    "3\tqx070012.qx\tModule 7 \x96 Capacitors\r\n";
const QByteArray kWords =
    "CAPACITOR\t3\t\r\n"
    "CURRENT\t1\t\r\n"
    "RESISTOR\t1\t2\t\r\n"
    "RESONANCE\t3\t\r\n";

QStringList rows(QListView* list) {
  QStringList out;
  for (int r = 0; r < list->model()->rowCount(); ++r) out << list->model()->index(r, 0).data().toString();
  return out;
}
void select(QListView* list, int row) { list->setCurrentIndex(list->model()->index(row, 0)); }
}  // namespace

class TestSideWindows : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir dir;

  frmQX& startReader() {
    return startOnData(dir.path(), kFiles, kWords, QStringLiteral("qx010005.qx"));
  }
  template <typename Window>
  Window& open(SideWindowKind kind, const char* trigger) {
    fake->browser->arrive(kBase + trigger);
    fake->browser->calls.clear();
    SideWindow& window = *form->sideWindows().window(kind);
    form->sideWindows().activated(window);  // as the window system tells it when it comes up
    return static_cast<Window&>(window);
  }
  QStringList calls() const { return fake->browser->calls; }
  static constexpr const char* kTriggers[] = {"search.qx", "index.qx", "hist.qx"};
  static void kinds() {
    QTest::addColumn<int>("kind");
    QTest::newRow("search") << int(SideWindowKind::Search);
    QTest::newRow("index") << int(SideWindowKind::Index);
    QTest::newRow("history") << int(SideWindowKind::History);
  }
  // The key as the window sees it first; what is left of it.
  static int press(SideWindow& window, int key, int shift = 0) {
    window.Form_KeyDown(key, shift);
    return key;
  }

 private slots:
  void cleanup() {
    closeReader();
    QDir(dir.filePath("appdata")).removeRecursively();
  }

  // What each button of the bar does, in each side window.
  void commandBar_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("navigation");
    QTest::addColumn<bool>("helpAfter");  // the help picture was showing before the click
    const int search = int(SideWindowKind::Search), index = int(SideWindowKind::Index),
              history = int(SideWindowKind::History);
    for (int kind : {search, index, history}) {
      const QString name = kind == search ? "search" : kind == index ? "index" : "history";
      QTest::addRow("%s: Contents", qPrintable(name))
          << kind << "cmdCont" << QStringList{"navigate " + kBase + "qxd.qx"} << false;
      for (const char* back : {"cmdBack", "cmdPrev", "cmdNext"})
        QTest::addRow("%s: %s", qPrintable(name), back) << kind << back << QStringList{"back"} << false;
      QTest::addRow("%s: Help", qPrintable(name)) << kind << "cmdHelp" << QStringList{} << false;
      QTest::addRow("%s: Section", qPrintable(name)) << kind << "cmdSecn" << QStringList{} << false;
      QTest::addRow("%s: History", qPrintable(name))
          << kind << "cmdHist" << (kind == history ? QStringList{} : QStringList{"navigate " + kBase + "hist.qx"})
          << false;
    }
    QTest::newRow("search: Index") << search << "cmdIndex" << QStringList{"navigate " + kBase + "index.qx"} << false;
    QTest::newRow("index: Search") << index << "cmdSearch" << QStringList{"navigate " + kBase + "search.qx"} << false;
    QTest::newRow("history: Search") << history << "cmdSearch" << QStringList{"navigate " + kBase + "search.qx"}
                                     << false;
  }
  void commandBar() {
    QFETCH(int, kind);
    QFETCH(QString, button);
    QFETCH(QStringList, navigation);
    QFETCH(bool, helpAfter);
    frmQX& w = startReader();
    const char* trigger[] = {"search.qx", "index.qx", "hist.qx"};
    SideWindow& side = open<SideWindow>(SideWindowKind(kind), trigger[kind]);
    side.help()->show();
    side.findChild<QPushButton*>(button)->click();
    QCOMPARE(calls(), navigation);
    QCOMPARE(w.viewer().BackPressed, false);  // a side window's Back is not marked
    // Help and Section toggle the picture (so does History in the history window); every
    // other command hides it.
    const bool toggles =
        button == u"cmdHelp" || button == u"cmdSecn" || (button == u"cmdHist" && kind == int(SideWindowKind::History));
    QCOMPARE(side.help()->isVisibleTo(&side), toggles ? false : helpAfter);
    if (toggles) {
      side.findChild<QPushButton*>(button)->click();
      QVERIFY(side.help()->isVisibleTo(&side));
    }
  }

  void contentsGoesToTheStartPageOfTheScreenClass_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("page");
    QTest::newRow("class 6") << QSize(1920, 1080) << "qxf.qx";
    QTest::newRow("class 1") << QSize(800, 600) << "qxa.qx";
  }
  void contentsGoesToTheStartPageOfTheScreenClass() {
    QFETCH(QSize, screen);
    QFETCH(QString, page);
    ReaderOnFakes::startReader(dir.filePath("appdata"), [&](FakePlatform& fake) {
      dataFilesIn(dir.path(), kFiles, kWords)(fake);
      fake.screen = screen;
    });
    frmHist& h = open<frmHist>(SideWindowKind::History, "hist.qx");
    h.commandBar().cmdCont->click();
    QCOMPARE(calls(), QStringList{"navigate " + kBase + page});
  }

  // A maximised side window hands its state to the main window and to the next window; a
  // normal one its position too.
  void goingToAnotherSideWindowHandsOverTwice_data() {
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("maximised") << Qt::WindowMaximized;
    QTest::newRow("normal") << Qt::WindowNoState;
  }
  void goingToAnotherSideWindowHandsOverTwice() {
    QFETCH(Qt::WindowState, state);
    frmQX& w = startReader();
    frmIndex& index = open<frmIndex>(SideWindowKind::Index, "index.qx");
    SideWindow& history = *w.sideWindows().window(SideWindowKind::History);
    w.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!(w.windowState() & Qt::WindowMaximized));
    w.move(10, 10);
    history.move(20, 20);
    if (state == Qt::WindowNoState) index.move(133, 100);
    index.setWindowState(state);
    QTRY_COMPARE(index.windowState() & Qt::WindowMaximized, state & Qt::WindowMaximized);
    const int rounds = fake->eventRounds;
    index.commandBar().cmdHist->click();
    QVERIFY(fake->eventRounds > rounds);
    for (QWidget* to : {static_cast<QWidget*>(&w), static_cast<QWidget*>(&history)}) {
      QTRY_COMPARE(to->windowState() & Qt::WindowMaximized, state & Qt::WindowMaximized);
      if (state == Qt::WindowNoState) QCOMPARE(to->pos(), QPoint(133, 100));
    }
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "hist.qx"});
  }

  void keys() {
    frmQX& w = startReader();
    frmHist& h = open<frmHist>(SideWindowKind::History, "hist.qx");
    h.help()->show();
    int key = keys::kComma, shift = keys::kAlt;
    h.Form_KeyDown(key, shift);
    QCOMPARE(key, 0);
    QCOMPARE(calls(), QStringList{"back"});
    QVERIFY(!h.help()->isVisibleTo(&h));
    key = keys::kPeriod;
    h.Form_KeyDown(key, shift);
    QCOMPARE(calls(), (QStringList{"back", "back"}));
    h.help()->show();
    int escape = keys::kEscape;
    h.Form_KeyPress(escape);
    QCOMPARE(escape, 0);
    QVERIFY(!h.help()->isVisibleTo(&h));
    // Enter with nothing selected, the keyboard on a button, opens nothing.
    h.commandBar().cmdCont->setFocus();
    key = keys::kEnter, shift = 0;
    h.Form_KeyDown(key, shift);
    QCOMPARE(calls().size(), 2);
    // Alt+Q asks with the side window as the reference; No leaves everything as it was.
    fake->messages.answers = {MessageBoxes::Answer::No};
    key = keys::kQ, shift = keys::kAlt;
    h.Form_KeyDown(key, shift);
    QCOMPARE(fake->messages.asked.back().text, QStringLiteral("Do you want to quit?"));
    QCOMPARE(fake->messages.asked.back().owner, &h);
    QVERIFY(!fake->ended);
    QVERIFY(QFile::exists(w.historyPath()));
    // A close request never closes the window; Yes deletes the log and ends.
    fake->messages.answers = {MessageBoxes::Answer::Yes};
    QCloseEvent close;
    QCoreApplication::sendEvent(&h, &close);
    QVERIFY(!close.isAccepted());
    QCOMPARE(fake->ended, std::optional<int>(0));
    QVERIFY(!QFile::exists(w.historyPath()));
  }

  // Esc puts the help picture away first; with none showing it brings the main window back
  // in the side window's place, on the page it shows: nothing is loaded or recorded.
  void escapeGoesBackToThePageOnShow_data() { kinds(); }
  void escapeGoesBackToThePageOnShow() {
    QFETCH(int, kind);
    frmQX& w = startReader();
    SideWindow& side = open<SideWindow>(SideWindowKind(kind), kTriggers[kind]);
    QVERIFY(!w.isVisible());
    const QByteArray history = readFile(w.historyPath());
    side.help()->show();
    press(side, keys::kEscape);  // the character is swallowed (Form_KeyPress)
    QVERIFY(!side.help()->isVisibleTo(&side));
    QVERIFY(side.isVisible() && !w.isVisible());
    QCOMPARE(press(side, keys::kEscape), 0);
    QVERIFY(w.isVisible());
    QVERIFY(!side.isVisible());
    QVERIFY(calls().isEmpty());
    QCOMPARE(readFile(w.historyPath()), history);
    QCOMPARE(w.viewer().CurrentPage, QString::fromLatin1(kTriggers[kind]));
  }

  // The return window's keys work in the side windows as in the main window, while an
  // exercise is open: Ctrl+R returns from it, Ctrl+Shift+R asks whether to quit the course.
  void returnWindowKeysInASideWindow_data() { kinds(); }
  void returnWindowKeysInASideWindow() {
    QFETCH(int, kind);
    frmQX& w = startReader();
    SideWindow& side = open<SideWindow>(SideWindowKind(kind), kTriggers[kind]);
    QCOMPARE(press(side, keys::kR, keys::kCtrl), keys::kR);  // no exercise: the key goes on
    blocks::writeExercise(fake->blocks, u"/x/lab3.ckt", blocks::kKindAmpvale);
    w.findChild<BlockPoll*>()->TimerEnd_Timer();
    auto* returnWindow = [] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<withfile*>(top)) return found;
      return static_cast<withfile*>(nullptr);
    }();
    QVERIFY(returnWindow && returnWindow->loaded());

    fake->messages.answers = {MessageBoxes::Answer::No};
    QCOMPARE(press(side, keys::kR, keys::kCtrl | keys::kShift), 0);
    QCOMPARE(fake->messages.asked.back().text, QStringLiteral("Are you sure you want to quit?"));
    QVERIFY(!fake->ended);
    QVERIFY(returnWindow->loaded());

    QCOMPARE(press(side, keys::kR, keys::kCtrl), 0);
    QVERIFY(!returnWindow->loaded());
    QVERIFY(fake->calls.contains(QStringLiteral("activate Tavrin")));
    QCOMPARE(fake->blocks.content[blocks::Block::AmpvaleName], QByteArray(blocks::size(blocks::Block::AmpvaleName), 0));
  }

  // Enter in a list that has the keyboard opens a row even where none is picked: the first,
  // as Tab leaves the list.
  void enterInAListWithNoRowPickedOpensTheFirst_data() { kinds(); }
  void enterInAListWithNoRowPickedOpensTheFirst() {
    QFETCH(int, kind);
    frmQX& w = startReader();
    SideWindow& side = open<SideWindow>(SideWindowKind(kind), kTriggers[kind]);
    QListView* list = side.findChild<QListView*>(QStringLiteral("lbResults"));
    if (kind == int(SideWindowKind::Search)) {
      auto& search = static_cast<frmSearch&>(side);
      search.input()->setText(QStringLiteral("re"));
      search.cmdFTS_Click();
    } else if (kind == int(SideWindowKind::Index)) {
      QTest::keyClicks(static_cast<frmIndex&>(side).input(), QStringLiteral("re"));
    }
    QVERIFY(list->model()->rowCount() > 0);
    QVERIFY(!list->selectionModel()->hasSelection());
    list->setFocus(Qt::TabFocusReason);
    QCOMPARE(side.focusWidget(), list);
    QCOMPARE(press(side, keys::kEnter), 0);
    const QString opened[] = {"navigate " + kBase + "qx010005.qx", "navigate " + kBase + "search.qx",
                              "navigate " + kBase + "qx010005.qx"};
    QCOMPARE(calls(), QStringList{opened[kind]});
    if (kind == int(SideWindowKind::Index)) {
      auto& search = static_cast<frmSearch&>(*w.sideWindows().window(SideWindowKind::Search));
      QCOMPARE(search.input()->text(), QStringLiteral("RESISTOR "));  // the first word listed
    }
  }

  // Tab goes through the controls as they lie on the screen: the command bar from left to
  // right, then the window's own controls from the top down, and round again.
  void tabOrderFollowsTheScreen_data() { kinds(); }
  void tabOrderFollowsTheScreen() {
    QFETCH(int, kind);
    startReader();
    SideWindow& side = open<SideWindow>(SideWindowKind(kind), kTriggers[kind]);
    QList<QWidget*> onScreen;
    for (QWidget* w : side.findChildren<QWidget*>())
      if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&side)) onScreen << w;
    // The screen's order: by row (a widget's top within half a row of another's is on its
    // row), then from left to right.
    std::sort(onScreen.begin(), onScreen.end(), [](QWidget* a, QWidget* b) {
      if (qAbs(a->y() - b->y()) > 10) return a->y() < b->y();
      return a->x() < b->x();
    });
    QList<QWidget*> tabbed;
    QWidget* w = onScreen.first();
    do {
      tabbed << w;
      do w = w->nextInFocusChain();
      while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(&side) || w == &side);
    } while (w != onScreen.first() && tabbed.size() <= onScreen.size());
    const auto names = [](const QList<QWidget*>& widgets) {
      QStringList out;
      for (QWidget* w : widgets) out << w->objectName();
      return out;
    };
    QCOMPARE(names(tabbed), names(onScreen));
  }

  // Calc where no calculator can be started says so, over the window it was pressed in.
  void calcWithoutACalculatorSaysSo_data() {
    QTest::addColumn<int>("kind");  // -1: the main window
    QTest::newRow("main window") << -1;
    QTest::newRow("search") << int(SideWindowKind::Search);
    QTest::newRow("index") << int(SideWindowKind::Index);
    QTest::newRow("history") << int(SideWindowKind::History);
  }
  void calcWithoutACalculatorSaysSo() {
    QFETCH(int, kind);
    frmQX& w = startReader();
    QWidget* window = &w;
    const CommandBar* bar = &w.commandBar();
    if (kind >= 0) {
      SideWindow& side = open<SideWindow>(SideWindowKind(kind), kTriggers[kind]);
      window = &side;
      bar = &side.commandBar();
    }
    bar->cmdCalc->click();
    QVERIFY(fake->messages.asked.empty());  // started: nothing to say
    fake->platform.startCalculator = [] { return false; };
    bar->cmdCalc->click();
    QCOMPARE(fake->messages.asked.size(), size_t(1));
    const MessageBoxes::Message& told = fake->messages.asked.front();
    QCOMPARE(told.title, QStringLiteral("Tavrin"));
    QVERIFY2(told.text.contains(QStringLiteral("calculator")), qPrintable(told.text));
    QCOMPARE(told.owner, window);
  }

  // When a side window becomes active it alone stays on screen; the main window, when it
  // becomes active, hides them all.
  void oneWindowOnScreen() {
    frmQX& w = startReader();
    w.show();
    SideWindow& search = *w.sideWindows().window(SideWindowKind::Search);
    SideWindow& index = *w.sideWindows().window(SideWindowKind::Index);
    SideWindow& history = *w.sideWindows().window(SideWindowKind::History);
    search.show();
    index.show();
    history.show();
    w.sideWindows().activated(history);
    QVERIFY(!w.isVisible() && !search.isVisible() && !index.isVisible());
    search.show();
    w.show();
    w.sideWindows().hideAll();
    QVERIFY(!search.isVisible() && !index.isVisible() && !history.isVisible());

    // News of an activation that comes after its window has gone again hides nothing, or
    // no window would be left on screen.
    w.sideWindows().activated(history);  // hidden by hideAll() just now
    QVERIFY(w.isVisible());
    w.hide();
    history.show();
    w.sideWindows().hideAll();
    QVERIFY(history.isVisible());
  }

  void indexFiltersAsYouTypeAndHandsAWordToTheSearch() {
    frmQX& w = startReader();
    frmIndex& index = open<frmIndex>(SideWindowKind::Index, "index.qx");
    QVERIFY(index.isVisible());
    QCOMPARE(index.found()->text(), QStringLiteral("Found:"));  // nothing typed yet
    QVERIFY(rows(index.results()).isEmpty());
    QTest::keyClicks(index.input(), QStringLiteral("re"));
    QCOMPARE(rows(index.results()), (QStringList{"RESISTOR ", "RESONANCE "}));
    QCOMPARE(index.found()->text(), QStringLiteral("Found:  2 words"));
    index.input()->clear();
    QCOMPARE(rows(index.results()).size(), 4);
    QCOMPARE(index.found()->text(), QStringLiteral("Found:  4 words"));
    QTest::keyClicks(index.input(), QStringLiteral("  Res  "));
    QCOMPARE(index.found()->text(), QStringLiteral("Found:  2 words"));

    index.lbResults_DblClick();  // nothing selected: nothing happens
    QVERIFY(calls().isEmpty());
    select(index.results(), 1);
    int enter = keys::kEnter, shift = 0;
    index.Form_KeyDown(enter, shift);
    // Searched at once, before the search window has loaded its data the first time.
    auto& search = static_cast<frmSearch&>(*w.sideWindows().window(SideWindowKind::Search));
    QCOMPARE(search.input()->text(), QStringLiteral("RESONANCE "));
    QCOMPARE(search.found()->text(), QStringLiteral("Found:  0 pages"));
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "search.qx"});
    QVERIFY(!index.isVisible());
    fake->browser->arrive(kBase + "search.qx");
    QVERIFY(search.isVisible());
    search.cmdFTS_Click();
    QCOMPARE(search.resultCount(), 1);
  }

  void indexWithoutAWordFile() {
    startReader();
    QFile::remove(dir.filePath("words.qx"));
    frmIndex& index = open<frmIndex>(SideWindowKind::Index, "index.qx");
    QTest::keyClicks(index.input(), QStringLiteral("a"));
    QCOMPARE(index.found()->text(), QStringLiteral("Found:  0 words"));
  }

  void historyListsTitlesAndReopensAPage() {
    frmQX& w = startReader();
    for (const char* page : {"qx010006.qx", "QX070012.QX", "qx990001.qx", "qx010005.qx"})
      fake->browser->arrive(kBase + page, {kBase + "s"});
    frmHist& h = open<frmHist>(SideWindowKind::History, "hist.qx");
    QVERIFY(h.isVisible());
    QCOMPARE(rows(h.results()),
             (QStringList{"Module 1 – Current", "Module 1 – Voltage", "Module 7 – Capacitors", "Module 1 – Current"}));
    QCOMPARE(h.HistPage(2), QStringLiteral("qx070012.qx"));
    QVERIFY(!h.results()->currentIndex().isValid());
    select(h.results(), 2);
    h.lbResults_DblClick();
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "qx070012.qx"});
    QVERIFY(!h.isVisible());

    // Reopened: the list is read again, and the splash came only the first time.
    fake->browser->arrive(kBase + "qx070012.qx", {kBase + "s"});
    fake->browser->arrive(kBase + "hist.qx");
    QCOMPARE(rows(h.results()).size(), 5);
    QVERIFY(w.sideWindows().loaded(SideWindowKind::History));
  }

  void historyWithoutCatalogueListsTheRecordsThemselves() {
    startReader();
    QFile::remove(dir.filePath("files.qx"));
    frmHist& h = open<frmHist>(SideWindowKind::History, "hist.qx");
    QCOMPARE(rows(h.results()), QStringList{"\"qx010005.qx\""});
    select(h.results(), 0);
    h.lbResults_DblClick();
    QCOMPARE(calls(), QStringList{"navigate " + kBase + "qx010005.qx"});  // without its quotation marks
  }

  void historyOfMoreThanTheCapacity() {
    frmQX& w = startReader();
    QVERIFY(writeFile(w.historyPath(), QByteArray("\"qx010005.qx\"\r\n").repeated(12401)));
    open<frmHist>(SideWindowKind::History, "hist.qx");
    QCOMPARE(fake->messages.asked.at(0).text, QStringLiteral("Too many History entries!"));
    frmHist& h = static_cast<frmHist&>(*w.sideWindows().window(SideWindowKind::History));
    QCOMPARE(rows(h.results()).size(), 12400);
    // Closed, the window lets its list go: the next opening reads the log afresh anyway.
    h.hide();
    QCOMPARE(h.results()->model()->rowCount(), 0);
  }

  void historyThatCannotBeReadSaysWhyAndLeavesTheLogAlone() {
    frmQX& w = startReader();
    QFile::remove(w.historyPath());
    QVERIFY(QDir().mkpath(w.historyPath()));  // a folder where the log should be
    frmHist& h = open<frmHist>(SideWindowKind::History, "hist.qx");
    QVERIFY(h.isVisible());
    QVERIFY(rows(h.results()).isEmpty());
    QVERIFY(fake->messages.asked.at(0).text.contains(QStringLiteral("cannot be read")));
    QVERIFY(QFileInfo(w.historyPath()).isDir());
  }
};

QTEST_MAIN(TestSideWindows)
#include "test_sidewindows.moc"
