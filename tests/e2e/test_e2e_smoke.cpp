// The real program as built, through one short session a student has: the first page, a
// search and a page opened from it, the history window and a page opened from there, a page
// turn, and quit. Built with the sanitizers (preset asan), this is the run that holds the
// windows, the module of engines and the glue between them to AddressSanitizer's and
// UndefinedBehaviorSanitizer's default checks: a fault in them ends the reader, and the test
// fails.
#include "e2e/harness.h"

#include <QTest>

using namespace e2e;

namespace {
QByteArray record(const QByteArray& page) { return '"' + page + "\"\r\n"; }
}  // namespace

class TestE2ESmoke : public QObject {
  Q_OBJECT
  std::unique_ptr<CourseServer> server;
  std::unique_ptr<Reader> reader;

  // The window whose title matches `pattern`, once it is shown.
  QString shown(const QString& pattern) {
    QString window;
    const bool found = waitUntil([&] { return !(window = findWindow(pattern)).isEmpty(); }, std::chrono::seconds(30));
    if (!found) qWarning() << "no window" << pattern << "among" << windowTitles();
    return window;
  }
  bool running() { return reader->process().state() == QProcess::Running; }

 private slots:
  void initTestCase() {
    server = std::make_unique<CourseServer>();
    QVERIFY2(!server->base().isEmpty(), "the course server did not start");
  }
  void cleanup() {
    if (reader) reader->showOutputIfFailed();
  }
  void cleanupTestCase() {
    reader.reset();
    server.reset();
  }

  void aShortSession() {
    reader = std::make_unique<Reader>(server->base());
    reader->start();
    // Under the sanitizers the program starts several times slower; one they end at its
    // start (a second copy of a class, say) is not waited for.
    E2E_TRY_VERIFY(!reader->history().isEmpty() || !running(), 120000);
    QVERIFY(running());
    const QByteArray start = reader->history();
    QString main = shown(QStringLiteral("^Tavrin$"));
    QVERIFY(!main.isEmpty());

    // A search, and the first page it finds (the top row of its list).
    sendKeys(main, {QStringLiteral("alt+s")});
    const QString search = shown(QStringLiteral("^Tavrin - Search$"));
    QVERIFY(!search.isEmpty());
    sendKeys(search, {});
    type(QStringLiteral("capacitor"));
    sendKeys(search, {QStringLiteral("Return")});
    E2E_TRY_VERIFY(drawnIn(search, {30, 116, 250, 10}), 60000);  // the list's first row
    click(search, {80, 120}, 2);
    E2E_TRY_VERIFY(reader->history().size() > start.size(), 60000);
    const QByteArray found = reader->history();
    QVERIFY(running());

    // The history window, and the start page opened from it (its first row).
    E2E_TRY_VERIFY(findWindow(QStringLiteral("^Tavrin - Search$")).isEmpty(), 30000);
    main = shown(QStringLiteral("^Tavrin( - Module [0-9]+)?$"));
    QVERIFY(!main.isEmpty());
    sendKeys(main, {QStringLiteral("alt+t")});
    const QString history = shown(QStringLiteral("^Tavrin - History$"));
    QVERIFY(!history.isEmpty());
    E2E_TRY_VERIFY(drawnIn(history, {30, 36, 250, 8}), 60000);
    click(history, {80, 40}, 2);
    E2E_TRY_COMPARE(reader->history(), found + start, 60000);
    QVERIFY(running());

    // A page turn: from the start page to the first page of module 1.
    E2E_TRY_VERIFY(findWindow(QStringLiteral("^Tavrin - History$")).isEmpty(), 30000);
    main = shown(QStringLiteral("^Tavrin$"));
    QVERIFY(!main.isEmpty());
    sendKeys(main, {QStringLiteral("Next")});
    E2E_TRY_COMPARE(reader->history(), found + start + record("qx010001.qx"), 60000);
    QVERIFY(running());

    // Quit, answered Yes: the program ends itself.
    main = shown(QStringLiteral("^Tavrin - Module 1$"));
    QVERIFY(!main.isEmpty());
    sendKeys(main, {QStringLiteral("alt+q")});
    const QString question = shown(QStringLiteral("^Quit Tavrin\\?$"));
    QVERIFY(!question.isEmpty());
    sendKeys(question, {QStringLiteral("alt+y")});
    QVERIFY(ended(reader->process(), 60000));
    QCOMPARE(reader->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(reader->process().exitCode(), 0);
    const QByteArray output = reader->output();
    QVERIFY2(!output.contains("runtime error:"), "UndefinedBehaviorSanitizer reported on the reader");
    QVERIFY2(!output.contains("is not listed in asan.supp"), "AddressSanitizer reported on the reader");
  }
};

QTEST_MAIN(TestE2ESmoke)
#include "test_e2e_smoke.moc"
