// The student's place, bookmarks and progress in the windows, on fakes: the bar that offers the
// place kept, Ctrl+D, and the "My course" window with its lists, keys, export and import.
#include "layout/keypreview.h"
#include "logic/bookmarks.h"
#include "logic/readingplace.h"
#include "mycourse/frmcourse.h"
#include "support/files.h"
#include "support/readeronfakes.h"
#include "viewer/pagearea.h"
#include "viewer/placebar.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {
const QString& kBase = kCourseBase;

// Module 3 has four pages in the catalogue, module 7 one.
const QByteArray kFiles =
    "1\tqxd.qx\tStart\r\n"
    "2\tqx030001.qx\tModule 3 \x96 Series circuits\r\n"
    "3\tqx030002.qx\tModule 3 \x96 Current in a series circuit\r\n"
    "4\tqx030003.qx\tModule 3 \x96 Voltage in a series circuit\r\n"
    "5\tqx030004.qx\tModule 3 \x96 Summary\r\n"
    "6\tqx070012.qx\tModule 7 \x96 Capacitors\r\n";

QStringList column(QTreeView* list, int col) {
  QStringList out;
  for (int r = 0; r < list->model()->rowCount(); ++r) out << list->model()->index(r, col).data().toString();
  return out;
}
}  // namespace

class TestMyCourse : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir dir;
  QString userDir() const { return dir.filePath("appdata/Vendrel/TavrinLab/"); }

  frmQX& start() {
    startReader(dir.filePath("appdata"), dataFilesIn(dir.path(), kFiles, "OHM\t2\t\r\n"));
    return *form;
  }
  // `page` arrives; a module's entry page leads on to its class page, which arrives too.
  void arrive(const QString& page, int height = 2000) {
    fake->browser->height = height;
    fake->browser->arrive(kBase + page, {kBase + "s", kBase + "p", kBase + "n"});
    if (page.endsWith(u"0001.qx"))
      fake->browser->arrive(kBase + "mod" + page.mid(2, 2) + "d.qx", {kBase + "s", kBase + "p", kBase + "n"});
  }
  static int press(frmQX& w, int key, int shift) {
    w.Form_KeyDown(key, shift);
    return key;
  }
  frmCourse& openCourse(frmQX& w) {
    press(w, keys::kB, keys::kCtrl);
    auto& course = static_cast<frmCourse&>(*w.sideWindows().window(SideWindowKind::Course));
    w.sideWindows().activated(course);  // as the window system tells it when it comes up
    return course;
  }

 private slots:
  void cleanup() {
    closeReader();
    QDir(dir.filePath("appdata")).removeRecursively();
  }

  // A place kept from an earlier run is offered once the start page has arrived; Resume opens
  // it, recorded, and scrolls it to where it was (the same share of a page that is now higher).
  void thePlaceKeptIsOfferedAndResumed() {
    QVERIFY(QDir().mkpath(userDir()));
    QVERIFY(writeFile(userDir() + "place.txt", "tavrin place 1\nqx030002.qx\t500\t1000\tOwn title\n"));
    frmQX& w = start();
    QVERIFY(!w.pageArea().hasPlaceBar());  // nothing is built before the first page
    arrive("qxd.qx");
    PlaceBar& bar = w.pageArea().placeBar();
    QVERIFY(bar.isVisibleTo(&w) && bar.offering());
    QCOMPARE(bar.text()->text(),
             QStringLiteral("Continue where you left off: Module 3 \u2013 Current in a series circuit"));
    QCOMPARE(bar.resumeButton()->text(), QStringLiteral("&Resume"));
    fake->browser->calls.clear();
    bar.resumeButton()->click();
    QVERIFY(!bar.isVisibleTo(&w));
    QCOMPARE(fake->browser->calls, QStringList{"navigate " + kBase + "qx030002.qx"});
    arrive("qx030002.qx", 3000);
    QCOMPARE(fake->browser->calls.last(), QStringLiteral("scroll 1500"));
    QVERIFY(readFile(w.historyPath()).endsWith("\"qx030002.qx\"\r\n"));
  }

  // The offer goes by itself when another page is opened, and with Esc in the bar.
  void theOfferGoesWithAnotherPageOrEsc() {
    QVERIFY(QDir().mkpath(userDir()));
    QVERIFY(writeFile(userDir() + "place.txt", "tavrin place 1\nqx030002.qx\t0\t0\t\n"));
    frmQX& w = start();
    arrive("qxd.qx");
    PlaceBar& bar = w.pageArea().placeBar();
    QVERIFY(bar.offering());
    arrive("qx070012.qx");
    QVERIFY(!bar.isVisibleTo(&w));

    cleanup();
    QVERIFY(QDir().mkpath(userDir()));
    QVERIFY(writeFile(userDir() + "place.txt", "tavrin place 1\nqx030002.qx\t0\t0\t\n"));
    frmQX& again = start();
    arrive("qxd.qx");
    PlaceBar& bar2 = again.pageArea().placeBar();
    bar2.resumeButton()->setFocus();
    QCOMPARE(press(again, keys::kEscape, 0), 0);
    QVERIFY(!bar2.isVisibleTo(&again));
    QCOMPARE(again.focusWidget(), again.web1()->widget());  // the keyboard back in the page
  }

  // Scrolling moves the place, written within about a second; a kill after that keeps it.
  void aScrolledPlaceIsWritten() {
    frmQX& w = start();
    arrive("qx030003.qx");
    emit fake->browser->scrolled(700, 2100);
    QVERIFY(QTest::qWaitFor(
        [&] {
          w.companion().flush();
          return readFile(userDir() + "place.txt").contains("qx030003.qx\t700\t2100\t");
        },
        5000));
  }

  void ctrlDBookmarksThePageOrTakesItAway() {
    frmQX& w = start();
    arrive("qx070012.qx");
    QCOMPARE(press(w, keys::kD, keys::kCtrl), 0);
    PlaceBar& bar = w.pageArea().placeBar();
    QCOMPARE(bar.text()->text(), QStringLiteral("Bookmarked: Module 7 \u2013 Capacitors"));
    QVERIFY(!bar.offering() && !bar.resumeButton()->isVisibleTo(&w));
    QVERIFY(w.companion().bookmarks().contains(u"qx070012.qx"));
    press(w, keys::kD, keys::kCtrl);
    QCOMPARE(bar.text()->text(), QStringLiteral("Bookmark taken away: Module 7 \u2013 Capacitors"));
    QVERIFY(!w.companion().bookmarks().contains(u"qx070012.qx"));
    arrive("qxd.qx");
    press(w, keys::kD, keys::kCtrl);
    QVERIFY(bar.text()->text().startsWith(QStringLiteral("Not bookmarked:")));
  }

  // The window lists the bookmarks in course order and the modules with the pages read; Enter
  // opens a bookmark, or a module's first page not yet read.
  void theWindowListsBookmarksAndProgress() {
    frmQX& w = start();
    for (const char* page : {"qx070012.qx", "qx030001.qx", "qx030003.qx"}) {
      arrive(QString::fromLatin1(page));
      if (QByteArray(page) != "qx030003.qx") press(w, keys::kD, keys::kCtrl);
    }
    frmCourse& course = openCourse(w);
    QVERIFY(course.isVisible());
    QCOMPARE(course.windowTitle(), QStringLiteral("Tavrin - My course"));
    QCOMPARE(column(course.bookmarks(), 1),
             (QStringList{"Module 3 \u2013 Series circuits", "Module 7 \u2013 Capacitors"}));
    QCOMPARE(column(course.bookmarks(), 0), (QStringList{"3", "7"}));
    QCOMPARE(course.modules()->model()->rowCount(), 24);
    QCOMPARE(course.modules()->model()->index(2, 2).data().toString(), QStringLiteral("2 of 4"));
    QCOMPARE(course.modules()->model()->index(6, 2).data().toString(), QStringLiteral("1 of 1"));

    fake->browser->calls.clear();
    course.modules()->setFocus();
    course.modules()->setCurrentIndex(course.modules()->model()->index(2, 0));
    int key = keys::kEnter, shift = 0;
    course.Form_KeyDown(key, shift);
    QCOMPARE(key, 0);
    QCOMPARE(fake->browser->calls, QStringList{"navigate " + kBase + "qx030002.qx"});  // the first not read
    QVERIFY(!course.isVisible());

    w.sideWindows().activated(*w.sideWindows().window(SideWindowKind::Course));
    openCourse(w);
    fake->browser->calls.clear();
    course.bookmarks()->setFocus();
    course.bookmarks()->setCurrentIndex(course.bookmarks()->model()->index(1, 0));
    key = keys::kEnter;
    course.Form_KeyDown(key, shift);
    QCOMPARE(fake->browser->calls, QStringList{"navigate " + kBase + "qx070012.qx"});
  }

  // Delete takes a bookmark away, F2 edits its note; export, delete both, import: both back with
  // the note.
  void notesDeleteExportAndImport() {
    frmQX& w = start();
    for (const char* page : {"qx070012.qx", "qx030001.qx"}) {
      arrive(QString::fromLatin1(page));
      press(w, keys::kD, keys::kCtrl);
    }
    frmCourse& course = openCourse(w);
    QTreeView* list = course.bookmarks();
    const QModelIndex note = list->model()->index(0, 2);
    QVERIFY(list->model()->flags(note) & Qt::ItemIsEditable);
    QVERIFY(list->model()->setData(note, QStringLiteral("Check the\nseries rule."), Qt::EditRole));
    QCOMPARE(list->model()->index(0, 2).data().toString(), QStringLiteral("Check the series rule."));
    // F2 opens the note in an editor; Esc there puts the edit away and the window stays.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_F2);
    QWidget* editor = course.focusWidget();
    QVERIFY(editor && editor != list);
    QTest::keyClicks(editor, QStringLiteral("not kept"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(course.isVisible());
    QCOMPARE(list->model()->index(0, 2).data().toString(), QStringLiteral("Check the series rule."));

    const QString exported = dir.filePath("exported.txt");
    fake->fileAnswer = exported;
    course.exportBookmarks();
    QVERIFY(fake->fileQuestions.back().saving);
    QVERIFY(readFile(exported).contains("Note: Check the series rule."));

    list->setFocus();
    for (int i = 0; i < 2; ++i) {
      list->setCurrentIndex(list->model()->index(0, 0));
      QTest::keyClick(list, Qt::Key_Delete);
    }
    QCOMPARE(list->model()->rowCount(), 0);
    w.companion().flush();
    QVERIFY(!readFile(userDir() + "bookmarks.txt").contains("qx0"));

    course.importBookmarks();
    QVERIFY(!fake->fileQuestions.back().saving);
    QCOMPARE(column(list, 2), (QStringList{"Check the series rule.", ""}));
    QCOMPARE(column(list, 1), (QStringList{"Module 3 \u2013 Series circuits", "Module 7 \u2013 Capacitors"}));
    QVERIFY(fake->messages.asked.back().text.startsWith(QStringLiteral("2 bookmarks added")));
  }

  // "Forget my place and progress" asks first; Yes clears the place and the pages read, and
  // the bookmarks stay.
  void forgettingKeepsTheBookmarks() {
    frmQX& w = start();
    arrive("qx030001.qx");
    press(w, keys::kD, keys::kCtrl);
    frmCourse& course = openCourse(w);
    fake->messages.answers = {MessageBoxes::Answer::No};
    course.forgetPlaceAndProgress();
    QVERIFY(w.companion().place().place());
    fake->messages.answers = {MessageBoxes::Answer::Yes};
    course.forgetPlaceAndProgress();
    const MessageBoxes::Message& question = fake->messages.asked.back();
    QCOMPARE(question.buttons, MessageBoxes::Buttons::YesNo);
    QCOMPARE(question.owner, &course);
    QVERIFY(question.placement);
    QVERIFY(!w.companion().place().place());
    QCOMPARE(course.modules()->model()->index(2, 2).data().toString(), QStringLiteral("0 of 4"));
    QCOMPARE(course.bookmarks()->model()->rowCount(), 1);
  }

  // A file of the student's that cannot be used is said once and left as it is.
  void aDamagedFileIsSaidOnceAndLeftAlone() {
    QVERIFY(QDir().mkpath(userDir()));
    const QByteArray damaged = "tavrin bookmarks 9\nfrom a newer version\n";
    QVERIFY(writeFile(userDir() + "bookmarks.txt", damaged));
    frmQX& w = start();
    arrive("qx070012.qx");
    QCOMPARE(fake->messages.asked.size(), size_t(1));
    QVERIFY(fake->messages.asked[0].text.contains(QStringLiteral("bookmarks.txt")));
    press(w, keys::kD, keys::kCtrl);
    arrive("qx030001.qx");
    w.companion().flush();
    QCOMPARE(readFile(userDir() + "bookmarks.txt"), damaged);
    QCOMPARE(fake->messages.asked.size(), size_t(1));
  }
};

QTEST_MAIN(TestMyCourse)
#include "test_mycourse.moc"
