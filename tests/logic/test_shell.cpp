// The tick wait, the presence check and the Windows-1252 codec.
#include "logic/codepage.h"
#include "logic/presence.h"
#include "logic/tickwait.h"
#include "posix/posixfilesystem.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestShell : public QObject {
  Q_OBJECT
 private slots:
  void tickWaitLastsOneSecondAcrossTheCounterWrap() {
    FakeClock clock;
    clock.now = 0xFFFFFE00u;  // wraps after about half a second
    clock.step = 100;
    int rounds = 0;
    TickWait wait{&clock, [&](int maxMs) {
                    QVERIFY(maxMs > 0 && maxMs <= 1000);
                    ++rounds;
                  }};
    wait();
    // Reads: start, then one per round until 1000 ms have passed.
    QCOMPARE(rounds, 9);
    QCOMPARE(clock.now, 0xFFFFFE00u + 1100u);
  }

  void presenceCheck() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QFile hidden(dir.filePath(".history.qx"));
    QVERIFY(hidden.open(QIODevice::WriteOnly));
    hidden.close();
    FakeMessageBoxes boxes;
    bool ended = false;
    PosixFileSystem files;
    PresenceCheck exists{&boxes, [&] { ended = true; }, &files};
    QVERIFY(exists(hidden.fileName()));
    QVERIFY(!exists(dir.filePath("folder")));  // a folder is not a file
    QVERIFY(!exists(dir.filePath("missing.qx")));
    QVERIFY(!exists(dir.filePath("missing/files.qx")));
    QVERIFY(boxes.asked.empty());
    QVERIFY(!ended);
  }

  // A pipe or a device where a file should be is there: the reading that follows says
  // why it cannot be read, instead of the check taking it for missing.
  void somethingElseThanAFileCountsAsPresent() {
    FakeFileSystem files;
    files.states[QStringLiteral("/course/files.qx")] = FileState::Other;
    FakeMessageBoxes boxes;
    PresenceCheck exists{&boxes, [] { QFAIL("the program ended"); }, &files};
    QVERIFY(exists(QStringLiteral("/course/files.qx")));
    QVERIFY(boxes.asked.empty());
  }

  void unreadablePathAsksForSetupWithRetryAndCancel() {
    QTemporaryDir dir;
    // A link loop cannot be examined at all, like a medium that was pulled out.
    QVERIFY(QFile::link(dir.filePath("b"), dir.filePath("a")));
    QVERIFY(QFile::link(dir.filePath("a"), dir.filePath("b")));
    const QString path = dir.filePath("a/files.qx");

    FakeMessageBoxes boxes;
    int ended = 0;
    PosixFileSystem files;
    PresenceCheck exists{&boxes, [&] { ++ended; }, &files};
    // OK after the medium is back: the check goes on and answers.
    boxes.answers = {MessageBoxes::Answer::Ok};
    boxes.onAsk = [&](const MessageBoxes::Message&) {
      QFile::remove(dir.filePath("a"));
      QVERIFY(QDir(dir.path()).mkdir("a"));
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
    };
    QVERIFY(exists(path));
    QCOMPARE(boxes.asked.size(), size_t(1));
    QCOMPARE(boxes.asked[0].text, QStringLiteral("Please run Setup on the USB"));
    QCOMPARE(boxes.asked[0].title, QStringLiteral("Tavrin"));
    QVERIFY(boxes.asked[0].buttons == MessageBoxes::Buttons::OkCancel);
    QVERIFY(boxes.asked[0].icon == MessageBoxes::Icon::Warning);
    QCOMPARE(ended, 0);

    // OK while it is still gone asks again; Cancel ends the program.
    QVERIFY(QDir(dir.filePath("a")).removeRecursively());
    QVERIFY(QFile::link(dir.filePath("b"), dir.filePath("a")));
    boxes.asked.clear();
    boxes.onAsk = nullptr;
    boxes.answers = {MessageBoxes::Answer::Ok, MessageBoxes::Answer::Cancel};
    QVERIFY(!exists(path));
    QCOMPARE(boxes.asked.size(), size_t(2));
    QCOMPARE(ended, 1);
  }

  void codepageRoundTrip() {
    const QString text = QStringLiteral("Widerstände – 10 µF € Ÿ ß");
    const Result<QByteArray> bytes = cp1252::encodeExactly(text);
    QVERIFY(bytes);
    QCOMPARE(*bytes, QByteArray("Widerst\xe4nde \x96 10 \xb5"
                                "F \x80 \x9f \xdf"));
    QCOMPARE(cp1252::encode(text), *bytes);
    QCOMPARE(cp1252::decode(*bytes), text);
    QCOMPARE(cp1252::encode(u"aΩ", '\0'), QByteArray("a\0", 2));
    QCOMPARE(cp1252::encodeExactly(u"aΩ").error(), QStringLiteral("\"Ω\" (U+03A9)"));
    QCOMPARE(cp1252::encodeExactly(u"x\U0001F600").error(), QStringLiteral("\"\U0001F600\" (U+1F600)"));
    QCOMPARE(cp1252::upper(0xe4), 0xc4);  // ä Ä
    QCOMPARE(cp1252::upper(0xff), 0x9f);  // ÿ Ÿ
    QCOMPARE(cp1252::upper(0xdf), 0xdf);  // ß has no single upper-case letter
    QCOMPARE(cp1252::upper(0xf7), 0xf7);  // ÷
  }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
