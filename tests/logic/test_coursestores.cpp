// The place kept in the course, the pages read and the bookmarks: what each keeps, the files
// they keep it in (on the POSIX file system), files they must leave alone, and exports read back.
#include "logic/coursecompanion.h"
#include "posix/posixfilesystem.h"
#include "support/fakes.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <csignal>
#include <future>

using namespace reading;

namespace {

const QString kBase = QStringLiteral("http://127.0.0.1:8642/qx_cbt/qx2/");

// The real file system, counting whole writes; told to, it fails them as a full disk would, or
// holds them until let go. The stores write on threads of their own.
class CountingFileSystem : public FileSystem {
 public:
  Result<FileState> state(const QString& path) override { return real.state(path); }
  Result<QByteArray> readWhole(const QString& path, qint64 limit) override { return real.readWhole(path, limit); }
  Done writeWhole(const QString& path, const QByteArray& bytes) override {
    ++writes;
    if (held) {
      writing.release();
      letGo.acquire();
    }
    if (full) return Done::failed(QStringLiteral("No space left on device"));
    const Done written = real.writeWhole(path, bytes);
    ++done;
    return written;
  }
  Result<void, AppendFailure> append(const QString& path, const QByteArray& bytes) override {
    return real.append(path, bytes);
  }
  Done remove(const QString& path) override { return real.remove(path); }
  Done makePrivateFolder(const QString& path) override { return real.makePrivateFolder(path); }
  PosixFileSystem real;
  std::atomic<int> writes = 0;
  std::atomic<int> done = 0;  // writes that reached the disk
  std::atomic<bool> full = false;
  std::atomic<bool> held = false;
  QSemaphore writing, letGo;
};

// A catalogue of two modules: module 3 with its entry page and five more, module 7 with two, a
// page of no module, and the start and contents pages.
const QByteArray kCatalogue =
    "1\tqxa.qx\tStart\r\n"
    "2\tqxcra.qx\tContents\r\n"
    "3\tqx030001.qx\tCapacitors\r\n"
    "4\tqx030002.qx\tCharge\r\n"
    "5\tqx030003.qx\tFarads\r\n"
    "6\tqx030004.qx\tIn series\r\n"
    "7\tqx030005.qx\tIn parallel\r\n"
    "8\tqx030006.qx\tEnergy\r\n"
    "9\tqx070001.qx\tOhm's law\r\n"
    "10\tqx070012.qx\tOhm's law in practice\r\n"
    "11\tglossary.qx\tGlossary\r\n";

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// The title the place bar offers the kept place under.
QString placeTitle(CourseCompanion& c) {
  const std::optional<Place>& place = c.place().place();
  return place ? c.titleOf(place->page, place->ownTitle) : QString();
}

}  // namespace

class TestCourseStores : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QString userDir;  // made by the first write, as on a first run
  QString catalogueFile;
  CountingFileSystem files;

  // The stores as the program has them, writing behind.
  std::unique_ptr<CourseCompanion> companion() {
    auto c = std::make_unique<CourseCompanion>(files, userDir, catalogueFile);
    c->load();
    return c;
  }
  // Every change handed over is written (or failed), and nothing more is written for it.
  static void settle(CourseCompanion& c) {
    c.place().flush();
    c.bookmarks().flush();
    c.pagesRead().flush();
  }
  QString path(const char* name) const { return userDir + QLatin1String(name); }

 private slots:
  void init() {
    QVERIFY(dir.isValid());
    QDir(dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(dir.path()));
    userDir = dir.filePath(QStringLiteral("Vendrel/TavrinLab/"));
    catalogueFile = dir.filePath(QStringLiteral("files.qx"));
    QVERIFY(writeFile(catalogueFile, kCatalogue));
    files.writes = 0;
    files.done = 0;
    files.full = false;
    files.held = false;
  }

  // ---- The shape every file shares ----

  void filesShareOneShape_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("records");  // the records' line numbers and texts, or why not
    QTest::newRow("header only") << QByteArray("tavrin pages-read 1\n") << "";
    QTest::newRow("records") << QByteArray("tavrin pages-read 1\na\nb c\n") << "2 a|3 b c";
    QTest::newRow("CR LF, blank lines, no last line end")
        << QByteArray("tavrin pages-read 1\r\n\r\na\r\n\nb") << "3 a|5 b";
    QTest::newRow("a byte order mark") << QByteArray("\xEF\xBB\xBFtavrin pages-read 1\nx\n") << "2 x";
    QTest::newRow("UTF-8") << QByteArray("tavrin pages-read 1\ncaf\xc3\xa9\n") << QString::fromUtf16(u"2 caf\u00e9");
    QTest::newRow("an older format") << QByteArray("tavrin pages-read 0001\na\n") << "2 a";
    QTest::newRow("an empty file") << QByteArray() << "";
    QTest::newRow("a newer format") << QByteArray("tavrin pages-read 2\na\n")
                                    << "a newer version of Tavrin (format 2; this one reads format 1 and older)";
    QTest::newRow("no header") << QByteArray("qx010001.qx\n")
                               << "it does not begin with the line \"tavrin pages-read 1\"";
    QTest::newRow("another kind") << QByteArray("tavrin place 1\n") << "it does not begin with the line";
    QTest::newRow("a kind that begins alike")
        << QByteArray("tavrin pages-reader 1\n") << "it does not begin with the line";
    QTest::newRow("no version") << QByteArray("tavrin pages-read \n") << "the format version is not a number";
    QTest::newRow("version 0") << QByteArray("tavrin pages-read 0\n") << "the format version is not a number";
    QTest::newRow("a version past an int")
        << QByteArray("tavrin pages-read 9999999999\n") << "the format version is not a number";
    QTest::newRow("not UTF-8") << QByteArray("tavrin pages-read 1\nok\ncaf\xe9\n") << "line 3: it is not UTF-8 text";
  }
  void filesShareOneShape() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, records);
    const Result<std::vector<store::Record>> read = store::records(bytes, pagesreadfile::kKind, 1);
    if (!read) {
      QVERIFY2(read.error().contains(records), qPrintable(read.error()));
      return;
    }
    QStringList got;
    for (const store::Record& r : *read) got << QStringLiteral("%1 %2").arg(r.line).arg(r.text);
    QCOMPARE(got.join(u'|'), records);
  }

  // ---- The place to resume at ----

  void thePlaceFollowsArrivalsAndScrolling() {
    auto c = companion();
    ReadingPlace& place = c->place();
    const QString file = ReadingPlace::pathIn(userDir);
    QVERIFY(!place.place());

    c->arrived(u"qxd.qx");  // the start page is no place to resume at
    settle(*c);
    QVERIFY(!place.place());
    QCOMPARE(files.writes.load(), 0);

    const mode_t mask = ::umask(0);
    c->arrived(u"extra.qx", QStringLiteral("Extra\nreading"));  // a page of no module: not counted as read
    settle(*c);
    ::umask(mask);
    QCOMPARE(readFile(file), QByteArray("tavrin place 1\nextra.qx\t0\t0\tExtra reading\n"));
    QCOMPARE(modeOf(file), mode_t(0600));
    QCOMPARE(modeOf(userDir), mode_t(0700));
    QCOMPARE(files.writes.load(), 1);

    place.scrolled({1840, 5120});
    QVERIFY(place.unsaved());
    settle(*c);
    QCOMPARE(files.writes.load(), 1);  // the caller decides when
    QVERIFY(place.save());
    QVERIFY(!place.unsaved());
    settle(*c);
    QCOMPARE(readFile(file), QByteArray("tavrin place 1\nextra.qx\t1840\t5120\tExtra reading\n"));

    // The same page again (a reload) keeps its offset and writes nothing.
    c->arrived(u"extra.qx#fig2");
    settle(*c);
    QCOMPARE(files.writes.load(), 2);
    QCOMPARE(place.place()->scroll, (ScrollPosition{1840, 5120}));

    // On a contents page the place stays, and the scrolling is not its.
    c->arrived(u"qxcrd.qx");
    place.scrolled({10, 900});
    QVERIFY(!place.unsaved());
    QCOMPARE(place.place()->page, QStringLiteral("extra.qx"));

    // A module's class page is kept as the page of the module table that leads to it, at the top.
    c->arrived(u"qx030001.qx");
    c->arrived(u"mod03d.qx", QStringLiteral("Capacitors (d)"));
    QCOMPARE(*place.place(), (Place{"qx030001.qx", {0, 0}, "Capacitors (d)"}));
    place.scrolled({300, 2000});
    c->flush();  // as the program does before it ends: the scroll is written

    // The next run finds it, titled by the catalogue.
    auto next = companion();
    QCOMPARE(*next->place().place(), (Place{"qx030001.qx", {300, 2000}, "Capacitors (d)"}));
    QCOMPARE(placeTitle(*next), QStringLiteral("Capacitors"));
    QVERIFY(reading::shows(u"mod03b.qx", next->place().place()->page));
  }

  // Writing behind: a change costs no wait for the disk, unless the change before it is still
  // being written; so no more than the last change is ever not in the file.
  void aChangeWaitsOnlyForTheOneBeforeIt() {
    auto c = companion();
    files.held = true;
    c->arrived(u"extra.qx");                      // a page of no module: the place alone is written
    QVERIFY(files.writing.tryAcquire(1, 10000));  // and held there: the arrival did not wait for it
    QCOMPARE(files.done.load(), 0);
    auto letting = std::async(std::launch::async, [&] {
      files.letGo.release();  // the place
      const bool scrollWritten = files.writing.tryAcquire(1, 10000);
      files.held = false;
      files.letGo.release();
      return scrollWritten;
    });
    c->place().scrolled({5, 50});
    (void)c->place().save();
    QCOMPARE(files.done.load() >= 1, true);  // the place was in the file before the scroll was handed over
    QVERIFY(letting.get());
    settle(*c);
    QCOMPARE(files.done.load(), 2);
    QCOMPARE(readFile(ReadingPlace::pathIn(userDir)), QByteArray("tavrin place 1\nextra.qx\t5\t50\t\n"));
  }

  void aPlaceOfNoCataloguePageIsTitledByItsOwnTitle() {
    auto c = companion();
    c->arrived(u"extra.qx", QStringLiteral("Extra reading"));
    QCOMPARE(placeTitle(*c), QStringLiteral("Extra reading"));
    c->arrived(u"other.qx");
    QCOMPARE(placeTitle(*c), QStringLiteral("other.qx"));
  }

  void theScrollOffsetFollowsThePage_data() {
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("now");
    QTest::addColumn<int>("expected");
    QTest::newRow("the same page") << 1840 << 5120 << 5120 << 1840;
    QTest::newRow("a page twice as high") << 1840 << 5120 << 10240 << 3680;
    QTest::newRow("a narrower layout") << 1000 << 3000 << 2000 << 667;
    QTest::newRow("the height was not known") << 1840 << 0 << 4000 << 1840;
    QTest::newRow("the height is not known") << 1840 << 5120 << 0 << 1840;
  }
  void theScrollOffsetFollowsThePage() {
    QFETCH(int, y);
    QFETCH(int, height);
    QFETCH(int, now);
    QFETCH(int, expected);
    QCOMPARE((ScrollPosition{y, height}.yFor(now)), expected);
  }

  void scrollingIsWrittenAtMostOnceASecond() {
    Throttle t(1000);
    QCOMPARE(t.wait(5000), 0u);  // nothing written yet
    t.wrote(5000);
    QCOMPARE(t.wait(5000), 1000u);
    QCOMPARE(t.wait(5400), 600u);
    QCOMPARE(t.wait(6000), 0u);
    t.wrote(0xFFFFFF00u);  // the clock wraps around
    QCOMPARE(t.wait(0x100u), 488u);
    QCOMPARE(t.wait(0x300u), 0u);
  }

  // A write that fails keeps the place in memory and is tried again at the next save.
  void aPlaceNotWrittenIsWrittenLater() {
    auto c = companion();
    files.full = true;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("place.txt is not written: No space left on device"));
    c->arrived(u"extra.qx");
    settle(*c);
    QCOMPARE(c->place().writeFailure(), QStringLiteral("No space left on device"));
    (void)c->place().save();  // said once, not at every try
    settle(*c);
    files.full = false;
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("place.txt is written again"));
    (void)c->place().save();
    settle(*c);
    QCOMPARE(c->place().writeFailure(), QString());
    QCOMPARE(readFile(ReadingPlace::pathIn(userDir)), QByteArray("tavrin place 1\nextra.qx\t0\t0\t\n"));
  }

  // ---- Pages read and progress ----

  void progressCountsThePagesReadOfEachModule() {
    auto c = companion();
    const auto before = c->progress();
    QCOMPARE(before[2].pages, 6);
    QCOMPARE(before[2].read, 0);
    QCOMPARE(before[2].firstUnread, QStringLiteral("qx030001.qx"));
    QCOMPARE(before[2].title, QStringLiteral("Capacitors"));
    QCOMPARE(before[6].pages, 2);
    QCOMPARE(before[6].title, QStringLiteral("Ohm's law"));
    QCOMPARE(before[0].pages, 0);
    QCOMPARE(before[0].pageToOpen, QStringLiteral("qx010001.qx"));  // a module the catalogue lacks

    for (const char16_t* page : {u"qxa.qx", u"mod03c.qx", u"qx030002.qx", u"qx030004.qx", u"qx030002.qx", u"v0301.qx",
                                 u"qx030005.qx#top", u"search.qx", u"glossary.qx", u"qx030006.qx", u"qx070012.qx"})
      c->arrived(page);
    // Six new pages of modules, each written once; the start page, the repeat, the triggers and
    // the page of no module are not counted.
    QCOMPARE(c->pagesRead().size(), 6);
    settle(*c);
    QCOMPARE(readFile(PagesRead::pathIn(userDir)),
             QByteArray("tavrin pages-read 1\nqx030001.qx\nqx030002.qx\nqx030004.qx\nqx030005.qx\nqx030006.qx\n"
                        "qx070012.qx\n"));
    const auto after = c->progress();
    QCOMPARE(after[2].read, 5);
    QCOMPARE(after[2].pages, 6);
    QCOMPARE(after[2].firstUnread, QStringLiteral("qx030003.qx"));
    QCOMPARE(after[6].read, 1);
    QCOMPARE(after[6].firstUnread, QStringLiteral("qx070001.qx"));

    c->arrived(u"qx030003.qx");
    settle(*c);
    const auto all = companion()->progress();  // a new run reads them back
    QCOMPARE(all[2].read, 6);
    QCOMPARE(all[2].firstUnread, QString());
    QCOMPARE(all[2].pageToOpen, QStringLiteral("qx030001.qx"));  // all read: the module's first page
  }

  void forgettingThePlaceAndProgressKeepsTheBookmarks() {
    auto c = companion();
    c->arrived(u"qx030002.qx");
    QVERIFY(c->bookmarks().toggle(u"qx030002.qx"));
    QVERIFY(c->forgetPlaceAndProgress());
    QVERIFY(!c->place().place());
    QCOMPARE(c->pagesRead().size(), 0);
    settle(*c);
    auto next = companion();
    QVERIFY(!next->place().place());
    QCOMPARE(next->progress()[2].read, 0);
    QVERIFY(next->bookmarks().contains(u"qx030002.qx"));
  }

  void pagesReadStopAtTheirCapacity() {
    QByteArray full = "tavrin pages-read 1\n";
    for (int i = 0; i < pagesreadfile::kCapacity; ++i) full += "qx01" + QByteArray::number(100000 + i) + ".qx\n";
    QVERIFY(QDir().mkpath(userDir));
    QVERIFY(writeFile(PagesRead::pathIn(userDir), full));
    auto c = companion();
    QCOMPARE(c->pagesRead().size(), pagesreadfile::kCapacity);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("counts no more pages: 24800 pages are read already"));
    c->arrived(u"qx030002.qx");
    c->arrived(u"qx030003.qx");  // said once
    QCOMPARE(readFile(PagesRead::pathIn(userDir)), full);
    QVERIFY(!c->pagesRead().isRead(QStringLiteral("qx030002.qx")));
  }

  // ---- Files left alone ----

  void filesThatCannotBeUsedAreLeftAlone_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // "<folder>", "<pipe>": that in the file's place
    QTest::addColumn<QString>("why");
    QTest::newRow("place: a damaged record") << "place.txt" << QByteArray("tavrin place 1\nqx070012.qx\tfar\t0\n")
                                             << "line 2: the offset or the height is not a number";
    QTest::newRow("place: two places") << "place.txt"
                                       << QByteArray("tavrin place 1\nqx070012.qx\t0\t0\nqx070013.qx\t0\t0\n")
                                       << "line 3: a second place";
    QTest::newRow("place: a start page") << "place.txt" << QByteArray("tavrin place 1\nqxa.qx\t0\t0\n")
                                         << "line 2: not the name of a page to read";
    QTest::newRow("place: larger than a place")
        << "place.txt" << QByteArray("tavrin place 1\n") + QByteArray(70000, 'x') << "it is larger than 65536 bytes";
    QTest::newRow("place: a folder") << "place.txt" << QByteArray("<folder>") << "it is a folder";
    QTest::newRow("pages read: a newer version") << "pagesread.txt" << QByteArray("tavrin pages-read 3\nqx.qx\n")
                                                 << "written by a newer version of Tavrin (format 3";
    QTest::newRow("pages read: a control character")
        << "pagesread.txt" << QByteArray("tavrin pages-read 1\nqx030001.qx\nqx\x01.qx\n") << "line 3: not a page name";
    QTest::newRow("pages read: a pipe") << "pagesread.txt" << QByteArray("<pipe>") << "it is not a regular file";
    QTest::newRow("bookmarks: not UTF-8") << "bookmarks.txt" << QByteArray("tavrin bookmarks 1\nqx030001.qx\tnot\xff\n")
                                          << "line 2: it is not UTF-8 text";
    QTest::newRow("bookmarks: not ours") << "bookmarks.txt" << QByteArray("<html>bookmarks</html>\n")
                                         << "it does not begin with the line \"tavrin bookmarks 1\"";
  }
  void filesThatCannotBeUsedAreLeftAlone() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QVERIFY(QDir().mkpath(userDir));
    const QString file = userDir + name;
    if (bytes == "<folder>")
      QVERIFY(QDir().mkpath(file));
    else if (bytes == "<pipe>")
      QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    else
      QVERIFY(writeFile(file, bytes));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(file) +
                                                          " is kept as it is and not used this run: .*" +
                                                          QRegularExpression::escape(why)));
    auto c = companion();
    // That store keeps nothing and takes no change; the others go on.
    c->arrived(u"qx030002.qx", QStringLiteral("Charge"));
    const Result<Bookmarks::Toggled> toggled = c->bookmarks().toggle(u"qx030004.qx");
    QCOMPARE(bool(c->place().place()), name != "place.txt");
    QCOMPARE(c->pagesRead().size(), name == "pagesread.txt" ? 0 : 1);
    QCOMPARE(bool(toggled), name != "bookmarks.txt");
    QCOMPARE(bool(c->forgetPlaceAndProgress()), name == "bookmarks.txt");
    // The file is not touched.
    if (bytes == "<folder>")
      QVERIFY(QFileInfo(file).isDir());
    else if (bytes == "<pipe>")
      QVERIFY(QFileInfo::exists(file) && !QFileInfo(file).isFile() && !QFileInfo(file).isDir());
    else
      QCOMPARE(readFile(file), bytes);

    // Said once, with the file and the reason.
    const QString told = c->takeRefusals();
    QCOMPARE(told.count(u'\n'), 0);
    QVERIFY2(told.contains(file) && told.contains(why), qPrintable(told));
    QCOMPARE(c->takeRefusals(), QString());
  }

  // ---- Bookmarks ----

  void bookmarksAreToggledAndNoted() {
    auto c = companion();
    Bookmarks& b = c->bookmarks();
    QVERIFY(*b.toggle(u"qx070012.qx#x", QStringLiteral("Ohm's law in practice")) == Bookmarks::Toggled::Added);
    QVERIFY(*b.toggle(u"mod03d.qx") == Bookmarks::Toggled::Added);  // the module's entry page
    QVERIFY(b.contains(u"qx030001.qx"));
    QVERIFY(b.setNote(u"qx070012.qx", QStringLiteral("Remember\r\nthe triangle.\tV = IR ")));
    QCOMPARE(b.find(u"qx070012.qx")->note, QStringLiteral("Remember the triangle. V = IR"));
    settle(*c);
    QCOMPARE(readFile(Bookmarks::pathIn(userDir)),
             QByteArray("tavrin bookmarks 1\nqx030001.qx\t\t\nqx070012.qx\tRemember the triangle. V = "
                        "IR\tOhm's law in practice\n"));
    QVERIFY(*b.toggle(u"qx030001.qx") == Bookmarks::Toggled::Removed);
    QVERIFY(!b.contains(u"mod03b.qx"));

    const Result<Bookmarks::Toggled> start = b.toggle(u"qxa.qx");
    QVERIFY(!start && start.error().contains("not start, contents or media pages"));
    QVERIFY(!b.setNote(u"qx030002.qx", QStringLiteral("not bookmarked")));

    settle(*c);
    QCOMPARE(companion()->bookmarks().all(), b.all());  // the next run has them
  }

  void bookmarksAreListedInCourseOrder() {
    auto c = companion();
    Bookmarks& b = c->bookmarks();
    for (const char16_t* page : {u"zeta.qx", u"qx070012.qx", u"alpha.qx", u"qx030005.qx", u"glossary.qx"})
      QVERIFY(b.toggle(page));
    QVERIFY(b.toggle(u"alpha.qx"));
    QVERIFY(b.toggle(u"alpha.qx", QStringLiteral("The first letter")));
    const std::vector<BookmarkRow> rows = b.rows(c->catalogue());
    const std::vector<BookmarkRow> expected = {
        {"qx030005.qx", "", "In parallel", 3, 7}, {"qx070012.qx", "", "Ohm's law in practice", 7, 10},
        {"glossary.qx", "", "Glossary", 0, 11},   {"alpha.qx", "", "The first letter", 0, 0},
        {"zeta.qx", "", "zeta.qx", 0, 0},
    };
    QCOMPARE(rows, expected);
  }

  // Export, take every bookmark away, import: the same bookmarks, and nothing changes when an
  // export is imported over the bookmarks it came from.
  void anExportImportedBackChangesNothing() {
    auto c = companion();
    Bookmarks& b = c->bookmarks();
    QVERIFY(b.toggle(u"qx070012.qx"));
    QVERIFY(b.toggle(u"qx030002.qx"));
    QVERIFY(b.toggle(u"extra.qx", QStringLiteral("Extra: reading")));
    QVERIFY(b.toggle(u"bare.qx"));
    QVERIFY(b.setNote(u"qx030002.qx", QString::fromUtf16(u"Q = CV \u2014 caf\u00e9 \U0001F600")));
    QVERIFY(b.setNote(u"extra.qx", QStringLiteral("Note: with a colon")));
    const std::vector<BookmarkRow> rows = b.rows(c->catalogue());
    const QString exported = dir.filePath(QStringLiteral("my bookmarks.txt"));
    QVERIFY(b.exportTo(exported, c->catalogue(), kBase));
    QCOMPARE(readFile(exported), QString::fromUtf16(u"tavrin bookmarks-export 1\n"
                                                    "# Bookmarks and notes from Tavrin, in course order: 4 in all.\n"
                                                    "# Each bookmark is a block of lines: Module, Title, Page (its "
                                                    "address) and Note.\n"
                                                    "# Tavrin imports Page and Note of each, and keeps a page "
                                                    "bookmarked once.\n"
                                                    "\n"
                                                    "Module: 3\n"
                                                    "Title: Charge\n"
                                                    "Page: http://127.0.0.1:8642/qx_cbt/qx2/qx030002.qx\n"
                                                    "Note: Q = CV \u2014 caf\u00e9 \U0001F600\n"
                                                    "\n"
                                                    "Module: 7\n"
                                                    "Title: Ohm's law in practice\n"
                                                    "Page: http://127.0.0.1:8642/qx_cbt/qx2/qx070012.qx\n"
                                                    "Note:\n"
                                                    "\n"
                                                    "Module: none\n"
                                                    "Title: bare.qx\n"
                                                    "Page: http://127.0.0.1:8642/qx_cbt/qx2/bare.qx\n"
                                                    "Note:\n"
                                                    "\n"
                                                    "Module: none\n"
                                                    "Title: Extra: reading\n"
                                                    "Page: http://127.0.0.1:8642/qx_cbt/qx2/extra.qx\n"
                                                    "Note: Note: with a colon\n")
                                     .toUtf8());
    QCOMPARE(modeOf(exported), mode_t(0600));

    const std::vector<Bookmark> kept = b.all();
    const Result<Bookmarks::Merged> over = b.importFrom(exported);
    QVERIFY(over);
    QCOMPARE(over->unchanged, 4);
    QCOMPARE(over->added + over->notesChanged + over->notAdded, 0);
    QCOMPARE(b.all(), kept);

    for (const BookmarkRow& row : rows) QVERIFY(b.remove(row.page));
    QCOMPARE(b.size(), 0);
    settle(*c);
    const int writes = files.writes;
    const Result<Bookmarks::Merged> back = b.importFrom(exported);
    QVERIFY(back);
    QCOMPARE(back->added, 4);
    settle(*c);
    QCOMPARE(files.writes.load(), writes + 1);  // one write for the whole import
    QCOMPARE(b.rows(c->catalogue()), rows);
    QCOMPARE(b.exportText(c->catalogue(), kBase), readFile(exported));
    // The page name the export titles a page of no title with is not taken for its title.
    QCOMPARE(*b.find(u"bare.qx"), (Bookmark{"bare.qx", "", ""}));
    QCOMPARE(*b.find(u"extra.qx"), (Bookmark{"extra.qx", "Note: with a colon", "Extra: reading"}));
  }

  // An export written by hand or by another course base: labels in any case, CR LF, comments,
  // bare page names, a page twice; pages that cannot be bookmarked are counted, not added.
  void anExportMergesByPage() {
    auto c = companion();
    Bookmarks& b = c->bookmarks();
    QVERIFY(b.toggle(u"qx030002.qx"));
    QVERIFY(b.setNote(u"qx030002.qx", QStringLiteral("mine")));
    QVERIFY(b.toggle(u"qx030003.qx"));
    QVERIFY(b.setNote(u"qx030003.qx", QStringLiteral("keep")));
    const QByteArray text =
        "\xEF\xBB\xBFtavrin bookmarks-export 1\r\n"
        "# by hand\r\n"
        "\r\n"
        "page: https://elsewhere.example/course/qx2/qx030002.qx\r\n"
        "NOTE:   theirs  \r\n"
        "\r\n"
        "Page: qx030003.qx\r\n"
        "\r\n\r\n"
        "Title: A new one\r\n"
        "Page: new.qx#part\r\n"
        "# a comment inside a block\r\n"
        "Note: first\r\n"
        "\r\n"
        "Page: new.qx\r\n"
        "Note: second\r\n"
        "\r\n"
        "Page: qxcra.qx\r\n"
        "\r\n"
        "Page:\r\n";
    const Result<std::vector<Bookmark>> imported = bookmarkexport::read(text);
    QVERIFY2(imported, qPrintable(imported.error()));
    const Result<Bookmarks::Merged> merged = b.merge(*imported);
    QVERIFY(merged);
    QCOMPARE(merged->added, 1);
    QCOMPARE(merged->notesChanged, 2);  // qx030002.qx, then new.qx's second note
    QCOMPARE(merged->unchanged, 1);     // no note imported for qx030003.qx
    QCOMPARE(merged->notAdded, 2);      // a contents page, and no page at all
    QCOMPARE(b.find(u"qx030002.qx")->note, QStringLiteral("theirs"));
    QCOMPARE(b.find(u"qx030003.qx")->note, QStringLiteral("keep"));
    QCOMPARE(*b.find(u"new.qx"), (Bookmark{"new.qx", "second", "A new one"}));
  }

  void aFileThatIsNotAnExportIsNotImported_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("why");
    QTest::newRow("the store's own file") << QByteArray("tavrin bookmarks 1\nqx030002.qx\t\t\n")
                                          << "it does not begin with the line \"tavrin bookmarks-export 1\"";
    QTest::newRow("a newer export") << QByteArray("tavrin bookmarks-export 2\n") << "a newer version of Tavrin";
    QTest::newRow("a line of no label") << QByteArray("tavrin bookmarks-export 1\n\nPage: a.qx\nremember this\n")
                                        << "line 4: not a line of a bookmark";
    QTest::newRow("an unknown label") << QByteArray("tavrin bookmarks-export 1\nAuthor: me\n")
                                      << "line 2: not a line of a bookmark";
    QTest::newRow("two bookmarks run together")
        << QByteArray("tavrin bookmarks-export 1\n\nPage: a.qx\nNote: x\nPage: b.qx\n")
        << "line 5: a second Page line in one bookmark";
    QTest::newRow("a bookmark without a page")
        << QByteArray("tavrin bookmarks-export 1\n\nTitle: t\nNote: n\n\n") << "line 3: a bookmark without a Page line";
    QTest::newRow("not UTF-8") << QByteArray("tavrin bookmarks-export 1\nNote: caf\xe9\n")
                               << "line 2: it is not UTF-8 text";
  }
  void aFileThatIsNotAnExportIsNotImported() {
    QFETCH(QByteArray, text);
    QFETCH(QString, why);
    auto c = companion();
    QVERIFY(c->bookmarks().toggle(u"qx030002.qx"));
    const QString file = dir.filePath(QStringLiteral("import.txt"));
    QVERIFY(writeFile(file, text));
    const Result<Bookmarks::Merged> merged = c->bookmarks().importFrom(file);
    QVERIFY(!merged);
    QVERIFY2(merged.error().contains(why), qPrintable(merged.error()));
    QCOMPARE(c->bookmarks().size(), 1);
  }

  // A change that cannot be written stays, is said once, and is written with the next change.
  void aBookmarkNotWrittenIsWrittenWithTheNext() {
    auto c = companion();
    Bookmarks& b = c->bookmarks();
    QVERIFY(b.toggle(u"qx030002.qx"));
    settle(*c);
    const QByteArray before = readFile(Bookmarks::pathIn(userDir));
    files.full = true;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bookmarks.txt is not written: No space left on device"));
    QVERIFY(b.toggle(u"qx030003.qx"));
    QVERIFY(b.setNote(u"qx030003.qx", QStringLiteral("kept")));
    settle(*c);
    QCOMPARE(b.writeFailure(), QStringLiteral("No space left on device"));
    QCOMPARE(readFile(Bookmarks::pathIn(userDir)), before);
    QVERIFY(b.contains(u"qx030003.qx"));
    files.full = false;
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("bookmarks.txt is written again"));
    QVERIFY(b.toggle(u"qx030004.qx"));
    settle(*c);
    QCOMPARE(b.writeFailure(), QString());
    QCOMPARE(readFile(Bookmarks::pathIn(userDir)),
             QByteArray("tavrin bookmarks 1\nqx030002.qx\t\t\nqx030003.qx\tkept\t\nqx030004.qx\t\t\n"));
  }

  // The reader killed at any moment, writing behind: the file holds the pages read up to the
  // last change handed over, or up to the one before it, never a torn file.
  void aKillLosesAtMostTheLastChange() {
    QVERIFY(QDir().mkpath(userDir));
    int reports[2];
    QVERIFY(::pipe(reports) == 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      ::close(reports[0]);
      PosixFileSystem real;
      PagesRead read(real, PagesRead::pathIn(userDir), store::Writing::Behind);
      read.load();
      for (int i = 1; i <= 5000; ++i) {
        if (!read.arrived(QStringLiteral("qx03%1.qx").arg(i, 4, 10, QChar('0')))) ::_exit(2);
        if (::write(reports[1], &i, sizeof i) != sizeof i) ::_exit(3);
      }
      ::_exit(0);
    }
    ::close(reports[1]);
    // Killed once it has written some pages, while it writes the next.
    int last = 0;
    while (last < 40) QVERIFY(::read(reports[0], &last, sizeof last) == sizeof last);
    ::kill(child, SIGKILL);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    for (int more = 0; ::read(reports[0], &more, sizeof more) == sizeof more;) last = more;
    ::close(reports[0]);

    PagesRead after(files, PagesRead::pathIn(userDir));
    after.load();
    QVERIFY(!after.refused());
    QVERIFY2(after.size() >= last - 1 && after.size() <= last + 1, qPrintable(QString::number(after.size())));
    for (int i = 1; i <= after.size(); ++i)
      QCOMPARE(after.pages()[size_t(i - 1)], QStringLiteral("qx03%1.qx").arg(i, 4, 10, QChar('0')));
  }
};

QTEST_GUILESS_MAIN(TestCourseStores)
#include "test_coursestores.moc"
