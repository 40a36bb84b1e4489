// The real reader keeps a student's place, bookmarks and progress over runs, driven by keys on
// the served sample course: the place survives a kill and is resumed where it was scrolled to;
// bookmarks with a note go out to a file and come back in; the pages read of a module are
// counted and its first page not yet read opens from the "My course" window.
#include "e2e/harness.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "support/files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace e2e;

namespace {

QByteArray record(const QByteArray& page) { return '"' + page + "\"\r\n"; }

// Waits, by the clock, for `done`.
template <typename Done>
bool waitFor(Done done, int ms = 20000) {
  return QTest::qWaitFor(done, ms);
}

// The screen below the window's title, command bar and the strips above the page.
QImage pageOnScreen() {
  const QSize screen = screenPixels();
  return screenshot({0, 120, screen.width(), screen.height() - 160});
}
QImage settledPage() {
  QImage last = pageOnScreen();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 10000) {
    QTest::qWait(300);
    QImage now = pageOnScreen();
    if (now == last) return now;
    last = std::move(now);
  }
  return last;
}

// The catalogue's pages of module `module`, in its order.
QStringList modulePages(int module) {
  QStringList pages;
  const QByteArray prefix = QStringLiteral("qx%1").arg(module, 2, 10, QLatin1Char('0')).toLatin1();
  for (const QByteArray& line : readFile(buildDir() + QStringLiteral("/files.qx")).split('\n')) {
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() >= 2 && fields[1].startsWith(prefix)) pages << QString::fromLatin1(fields[1]);
  }
  return pages;
}

}  // namespace

class TestE2EMyCourse : public CourseTest {
  Q_OBJECT

  static QString userFile(Reader& reader, const char* name) { return reader.userDir() + QString::fromLatin1(name); }

 private slots:
  // A module page scrolled down, the reader killed: started again, it offers the page, and Alt+R
  // opens it (recorded) where it was.
  void thePlaceSurvivesAKillAndIsResumed() {
    Reader reader(server->base());
    // Drawn large, the pages are long enough to scroll.
    QVERIFY(reader.writeSettings("[view]\nzoom=2\n"));
    reader.start();
    QVERIFY(waitFor([&] { return !reader.history().isEmpty(); }, 30000));
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("Next")});
    QVERIFY(waitFor([&] { return reader.history().endsWith(record("qx010001.qx")); }));
    QVERIFY(waitFor([] { return !findWindow(QStringLiteral("^Tavrin - Module 1$")).isEmpty(); }));
    settledPage();
    sendKeys(findWindow(QStringLiteral("^Tavrin - Module 1$")), {QStringLiteral("space")});
    // Written within about a second of the scrolling.
    QVERIFY(waitFor([&] {
      return QRegularExpression(QStringLiteral("qx010001\\.qx\\t[1-9]"))
          .match(QString::fromUtf8(readFile(userFile(reader, "place.txt"))))
          .hasMatch();
    }));
    const QImage scrolled = settledPage();
    reader.process().kill();
    QVERIFY(ended(reader.process(), 10000));

    const QByteArray before = reader.history();
    reader.start();
    QVERIFY(waitFor([&] { return reader.history().size() > before.size(); }, 30000));
    const QString main = waitForWindow(QStringLiteral("^Tavrin$"));
    settledPage();
    sendKeys(main, {QStringLiteral("alt+r")});
    QVERIFY(waitFor([&] { return reader.history().endsWith(record("qx010001.qx")); }));
    const QImage resumed = settledPage();
    QVERIFY2(pixelsThatDiffer(scrolled, resumed) < 0.02,
             qPrintable(QStringLiteral("the page is not where it was: %1 differs").arg(pixelsThatDiffer(scrolled, resumed))));
    reader.process().kill();
  }

  // Two pages bookmarked, a note added with F2, exported, both deleted, imported: both are back,
  // with the note.
  void bookmarksGoOutAndComeBackWithTheirNote() {
    Reader reader(server->base());
    reader.start();
    QVERIFY(waitFor([&] { return !reader.history().isEmpty(); }, 30000));
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("Next")});
    QVERIFY(waitFor([&] { return reader.history().endsWith(record("qx010001.qx")); }));
    const QString module1 = waitForWindow(QStringLiteral("^Tavrin - Module 1$"));
    sendKeys(module1, {QStringLiteral("ctrl+d"), QStringLiteral("Next")});
    QVERIFY(waitFor([&] { return reader.history().endsWith(record("qx010002.qx")); }));
    QTest::qWait(500);
    sendKeys(module1, {QStringLiteral("ctrl+d"), QStringLiteral("ctrl+b")});
    const QString course = waitForWindow(QStringLiteral("^Tavrin - My course$"));
    QVERIFY(!course.isEmpty());
    QVERIFY(waitFor([] { return activeWindowTitle() == u"Tavrin - My course"; }));

    sendKeys(course, {QStringLiteral("F2")});
    type(QStringLiteral("Kirchhoff first"));
    sendKeys(course, {QStringLiteral("Return")});
    QVERIFY(waitFor([&] { return readFile(userFile(reader, "bookmarks.txt")).contains("Kirchhoff first"); }));

    const QString exported = reader.userDir() + QStringLiteral("exported.txt");
    sendKeys(course, {QStringLiteral("alt+x")});
    QVERIFY(waitFor([] { return activeWindowTitle() == u"Export the bookmarks"; }));
    sendKeys(findWindow(QStringLiteral("^Export the bookmarks$")), {QStringLiteral("ctrl+a")});
    type(exported);
    run({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY(waitFor([&] { return readFile(exported).contains("Note: Kirchhoff first"); }));
    QVERIFY(waitFor([] { return windowTitles().contains(QStringLiteral("Tavrin")); }));  // "2 bookmarks written"
    run({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY(waitFor([] { return activeWindowTitle() == u"Tavrin - My course"; }));

    sendKeys(course, {QStringLiteral("Delete"), QStringLiteral("Delete")});
    QVERIFY(waitFor([&] { return !readFile(userFile(reader, "bookmarks.txt")).contains("qx01"); }));

    sendKeys(course, {QStringLiteral("alt+m")});
    QVERIFY(waitFor([] { return activeWindowTitle() == u"Import bookmarks"; }));
    type(exported);
    run({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY(waitFor([&] {
      const QByteArray kept = readFile(userFile(reader, "bookmarks.txt"));
      return kept.contains("qx010001.qx") && kept.contains("qx010002.qx") && kept.contains("Kirchhoff first");
    }));
    reader.process().kill();
  }

  // Five pages of module 3 read: they count as read, and Enter on the module opens its first
  // page not yet read.
  void aModuleOpensAtItsFirstPageNotYetRead() {
    const QStringList module3 = modulePages(3);
    QVERIFY(module3.size() > 6);
    Reader reader(server->base());
    reader.start();
    QVERIFY(waitFor([&] { return !reader.history().isEmpty(); }, 30000));
    // Module 3 from the window: nothing read yet, so its first page.
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("ctrl+b")});
    QString course = waitForWindow(QStringLiteral("^Tavrin - My course$"));
    QVERIFY(waitFor([] { return activeWindowTitle() == u"Tavrin - My course"; }));
    sendKeys(course,
             {QStringLiteral("alt+g"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
    QVERIFY(waitFor([&] { return reader.history().endsWith(record(module3[0].toLatin1())); }));
    const QString module = waitForWindow(QStringLiteral("^Tavrin - Module 3$"));
    // Each page is on show (counted as read) before the next is asked for.
    const auto read = [&](int i) {
      return waitFor([&] { return readFile(userFile(reader, "pagesread.txt")).contains(module3[i].toLatin1()); });
    };
    QVERIFY(read(0));
    for (int i = 1; i < 5; ++i) {
      sendKeys(module, {QStringLiteral("Next")});
      QVERIFY(waitFor([&] { return reader.history().endsWith(record(module3[i].toLatin1())); }));
      QVERIFY(read(i));
    }
    QCOMPARE(readFile(userFile(reader, "pagesread.txt")).count("qx03"), 5);

    sendKeys(module, {QStringLiteral("ctrl+b")});
    course = waitForWindow(QStringLiteral("^Tavrin - My course$"));
    QVERIFY(waitFor([] { return activeWindowTitle() == u"Tavrin - My course"; }));
    sendKeys(course,
             {QStringLiteral("alt+g"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
    QVERIFY(waitFor([&] { return reader.history().endsWith(record(module3[5].toLatin1())); }));
    reader.process().kill();
  }

 private:
  static void run(const QStringList& xdotool) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), xdotool);
    p.waitForFinished(10000);
  }
};

QTEST_MAIN(TestE2EMyCourse)
#include "test_e2e_mycourse.moc"
