// The built tavrin-index as a course author runs it: the bytes it writes for a small course
// folder, its refusals (which leave the files already there untouched), and its command line.
#include "manywords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
  int exitCode = -1;
  QString out;
  QString err;
};

Run run(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(TAVRIN_INDEX_PROGRAM), arguments);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

bool write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString fixture(const char* name) {
  return QFINDTESTDATA(QStringLiteral("../fixtures/indexer/") + QLatin1String(name));
}

}  // namespace

class TestIndexerProgram : public QObject {
  Q_OBJECT

 private slots:
  void writesTheFilesOfACourseFolder() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString out = tmp.filePath(QStringLiteral("made/here"));
    const Run r = run({QStringLiteral("--out"), out, fixture("pages")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(read(out + "/files.qx"), read(fixture("expected/files.qx")));
    QCOMPARE(read(out + "/words.qx"), read(fixture("expected/words.qx")));
    QVERIFY2(r.out.contains("7 pages") && r.out.contains("21 words"), qPrintable(r.out));
    // No progress line when stderr is not a terminal.
    QCOMPARE(r.err, QString());
  }

  void refusals_data() {
    QTest::addColumn<QString>("course");
    QTest::addColumn<QStringList>("message");  // parts the message must hold
    QTest::newRow("too many pages") << "pages"
                                    << QStringList{
                                           "tavrin-index: 12401 pages to list, but files.qx holds at most "
                                           "12400; the first beyond them is p9999.qx\n",
                                           "tavrin-index: nothing written: too many pages for files.qx\n"};
    QTest::newRow("too many words") << "words"
                                    << QStringList{"12401 different words, but words.qx holds at most 12400",
                                                   "\"ZQSIY\", on p1.qx\n",
                                                   "tavrin-index: nothing written: too many words for words.qx\n"};
    // Every refused page in one run, one line each, and a count.
    QTest::newRow("titles outside the code page")
        << "omega"
        << QStringList{
               "tavrin-index: qx010002.qx: the title holds \"Ω\" (U+03A9), which Windows-1252 cannot write\n"
               "tavrin-index: qx010003.qx: the title holds \"Ω\" (U+03A9)",
               "\ntavrin-index: qx010005.qx: the title holds \"≈\" (U+2248)",
               "\ntavrin-index: nothing written: 3 of 5 pages refused\n"};
    QTest::newRow("no pages") << "none" << QStringList{"no course pages"};
    QTest::newRow("no folder") << "missing" << QStringList{"no such folder"};
  }
  void refusals() {
    QFETCH(QString, course);
    QFETCH(QStringList, message);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString pages = tmp.filePath(QStringLiteral("pages"));
    if (course != u"missing") QVERIFY(QDir().mkpath(pages));
    const QString page = QStringLiteral("<html><head><title>%1</title></head><body><main>%2</main></body></html>");
    if (course == u"pages") {
      for (int p = 1; p <= 12401; ++p) QVERIFY(write(pages + QStringLiteral("/p%1.qx").arg(p), "<title>P</title>"));
    } else if (course == u"words") {
      QVERIFY(write(pages + "/p1.qx", page.arg("Words", differentWords(12401)).toUtf8()));
    } else if (course == u"omega") {
      QVERIFY(write(pages + "/qx010001.qx", page.arg("Ohm's law", "Resistor").toUtf8()));
      QVERIFY(write(pages + "/qx010002.qx", page.arg(u"Resistors of 10 kΩ"_qs, "Resistor").toUtf8()));
      QVERIFY(write(pages + "/qx010003.qx", page.arg(u"Ω and A"_qs, "Resistor").toUtf8()));
      QVERIFY(write(pages + "/qx010004.qx", page.arg("Kirchhoff", "Current").toUtf8()));
      QVERIFY(write(pages + "/qx010005.qx", page.arg(u"About ≈ 5 V"_qs, "Voltage").toUtf8()));
    } else if (course == u"none") {
      QVERIFY(write(pages + "/notes.txt", "Not a page"));
      QVERIFY(write(pages + "/mod01a.qx", page.arg("Class page", "Resistor").toUtf8()));
    }
    QVERIFY(write(tmp.filePath("files.qx"), "old files"));
    QVERIFY(write(tmp.filePath("words.qx"), "old words"));

    const Run r = run({QStringLiteral("-o"), tmp.path(), pages});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith("tavrin-index: "), qPrintable(r.err));
    for (const QString& part : message) QVERIFY2(r.err.contains(part), qPrintable(r.err));
    QCOMPARE(read(tmp.filePath("files.qx")), QByteArray("old files"));
    QCOMPARE(read(tmp.filePath("words.qx")), QByteArray("old words"));
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");  // a part of stdout, or of stderr when it fails
    QTest::newRow("help") << QStringList{"--help"} << 0 << "upper-cased by the rules of";
    QTest::newRow("help lists the common words") << QStringList{"-h"} << 0 << "because";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "tavrin-index 0.";
    QTest::newRow("no folder") << QStringList{} << 2 << "give one folder";
    QTest::newRow("two folders") << QStringList{"a", "b"} << 2 << "give one folder";
    QTest::newRow("unknown option") << QStringList{"--frobnicate", "a"} << 2 << "frobnicate";
  }
  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? r.out : r.err).contains(output), qPrintable(r.out + r.err));
  }
};

QTEST_GUILESS_MAIN(TestIndexerProgram)
#include "test_indexer_program.moc"
