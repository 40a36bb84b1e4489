// What a screen reader finds in the windows, through Qt's accessibility interfaces (what the
// accessibility bus is told): the full-size windows are windows, every control that takes the
// keyboard and every button has a name, every picture a description, and the count of a
// search is on the controls that have the keyboard.
#include "external/frmpopup.h"
#include "external/withfile.h"
#include "history/frmhist.h"
#include "search/frmindex.h"
#include "search/frmsearch.h"
#include "sidewin/frmsplsh.h"
#include "support/readeronfakes.h"
#include "viewer/findbar.h"
#include "viewer/frmqx.h"
#include "viewer/pagearea.h"

#include <QAccessible>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString& kBase = kCourseBase;

const QByteArray kFiles = "1\tqx010005.qx\tModule 1 \x96 Current\r\n";
const QByteArray kWords = "CURRENT\t1\t\r\nRESISTOR\t1\t\r\n";

// "role 'name'" of every control under `root` that takes the keyboard, or is a button or a
// picture, and has no name; pictures without a description too.
QStringList unnamedIn(QAccessibleInterface* root) {
  QStringList found;
  for (int i = 0; i < root->childCount(); ++i) {
    QAccessibleInterface* child = root->child(i);
    if (!child) continue;
    const QAccessible::State state = child->state();
    const QAccessible::Role role = child->role();
    const bool control = state.focusable || role == QAccessible::Button || role == QAccessible::Graphic;
    if (!state.invisible && control && child->text(QAccessible::Name).trimmed().isEmpty())
      found << QStringLiteral("%1 of role %2").arg(child->object()->objectName()).arg(role);
    if (!state.invisible && role == QAccessible::Graphic && child->text(QAccessible::Description).trimmed().isEmpty())
      found << QStringLiteral("%1: a picture without a description").arg(child->object()->objectName());
    found << unnamedIn(child);
  }
  return found;
}

QAccessibleInterface* accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

}  // namespace

class TestAccessible : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir dir;

  frmQX& startReader() {
    return startOnData(dir.path(), kFiles, kWords, QStringLiteral("qx010005.qx"));
  }
  SideWindow& open(int kind) {
    const char* trigger[] = {"search.qx", "index.qx", "hist.qx"};
    fake->browser->arrive(kBase + trigger[kind]);
    SideWindow& window = *form->sideWindows().window(SideWindowKind(kind));
    form->sideWindows().activated(window);
    return window;
  }

 private slots:
  void cleanup() { closeReader(); }

  // The main window (with its find bar open, text in it) and the three side windows, each
  // with its help picture shown.
  void windowsAreWindowsAndTheirControlsAreNamed_data() {
    QTest::addColumn<int>("kind");  // -1: the main window
    QTest::newRow("main window") << -1;
    QTest::newRow("search") << int(SideWindowKind::Search);
    QTest::newRow("index") << int(SideWindowKind::Index);
    QTest::newRow("history") << int(SideWindowKind::History);
  }
  void windowsAreWindowsAndTheirControlsAreNamed() {
    QFETCH(int, kind);
    frmQX& w = startReader();
    CommandWindow* window = &w;
    if (kind < 0) {
      w.pageArea().openFindBar();
      QTest::keyClicks(w.pageArea().findBar()->input(), QStringLiteral("ohm"));
    } else {
      window = &open(kind);
    }
    window->cmdHelp_Click();
    QVERIFY(window->help()->isVisible());
    QAccessibleInterface* top = accessible(window);
    QCOMPARE(top->role(), QAccessible::Window);
    QCOMPARE(top->text(QAccessible::Name), window->windowTitle());
    const QStringList unnamed = unnamedIn(top);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
    // The help picture reads as the help's words.
    QAccessibleInterface* help = accessible(window->help());
    QCOMPARE(help->role(), QAccessible::Graphic);
    const QString description = help->text(QAccessible::Description);
    for (const char* word : {"Contents", "Print", "History", "Alt + Q"})
      QVERIFY2(description.contains(QLatin1String(word)), qPrintable(description));
  }

  // The count line of the search and of the index is told on the text box and the list: a
  // screen reader reads out a change of the description of what has the keyboard.
  void whatWasFoundIsOnTheControlsWithTheKeyboard() {
    startReader();
    auto& search = static_cast<frmSearch&>(open(int(SideWindowKind::Search)));
    QVERIFY(search.input()->accessibleDescription().isEmpty());
    search.input()->setText(QStringLiteral("current"));
    search.cmdFTS_Click();
    QCOMPARE(search.found()->text(), QStringLiteral("Found:  1 pages"));
    QCOMPARE(accessible(search.input())->text(QAccessible::Description), search.found()->text());
    QCOMPARE(accessible(search.results())->text(QAccessible::Description), search.found()->text());

    auto& index = static_cast<frmIndex&>(open(int(SideWindowKind::Index)));
    QTest::keyClicks(index.input(), QStringLiteral("r"));
    QCOMPARE(index.found()->text(), QStringLiteral("Found:  1 words"));
    QCOMPARE(accessible(index.input())->text(QAccessible::Description), index.found()->text());
    QCOMPARE(accessible(index.results())->text(QAccessible::Description), index.found()->text());
  }

  // The small windows: the splash, the picture popup and the return window.
  void smallWindowsAreNamed() {
    frmSplsh splash;
    QCOMPARE(accessible(&splash)->text(QAccessible::Name).trimmed().isEmpty(), false);

    FakePlatform fake;
    frmPopup popup(fake.platform, [] {});
    popup.showPicture(kBase + "fig/c07/bridge.jpg", 200, 100);
    QAccessibleInterface* picture = accessible(fake.browser->widget());
    QCOMPARE(picture->text(QAccessible::Name), QStringLiteral("bridge.jpg"));
    QVERIFY(picture->text(QAccessible::Description).contains(QStringLiteral("bridge.jpg")));

    withfile returnWindow(withfile::Host{&fake.blocks, &fake.messages, [] { return 1280; }, [] {}, [] {}, [] {}});
    returnWindow.Load();
    QCOMPARE(accessible(&returnWindow)->text(QAccessible::Name), QStringLiteral("Return to text"));
    QVERIFY(!accessible(&returnWindow)->text(QAccessible::Description).isEmpty());
    returnWindow.picRuv29->show();
    const QStringList unnamed = unnamedIn(accessible(&returnWindow));
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
  }
};

QTEST_MAIN(TestAccessible)
#include "test_accessible.moc"
