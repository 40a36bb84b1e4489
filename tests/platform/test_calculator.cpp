// The system calculator: the first of the usual calculators on the search path, started on
// its own.
#include "desktop/calculator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A program that notes its start in `mark` (when given) and ends.
void makeProgram(const QString& path, const QString& mark = {}, bool executable = true) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("#!/bin/sh\n");
  if (!mark.isEmpty()) file.write(QStringLiteral("echo started > '%1'\n").arg(mark).toUtf8());
  file.close();
  QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  if (executable) permissions |= QFileDevice::ExeOwner;
  QVERIFY(file.setPermissions(permissions));
}

}  // namespace

class TestCalculator : public QObject {
  Q_OBJECT
 private slots:
  void firstOfTheListOnThePath_data() {
    QTest::addColumn<QStringList>("first");   // programs in the first folder of the path
    QTest::addColumn<QStringList>("second");  // programs in the second
    QTest::addColumn<QString>("expected");    // folder/name, "" for none
    QTest::newRow("the list's order, not the path's")
        << QStringList{"xcalc"} << QStringList{"kcalc", "gnome-calculator"} << "second/gnome-calculator";
    QTest::newRow("the path's order for one name")
        << QStringList{"galculator"} << QStringList{"galculator"} << "first/galculator";
    QTest::newRow("the last of the list") << QStringList{} << QStringList{"xcalc"} << "second/xcalc";
    QTest::newRow("a file that cannot run is no calculator")
        << QStringList{"-mate-calc"} << QStringList{"qalculate-gtk"} << "second/qalculate-gtk";
    QTest::newRow("other programs are not looked for") << QStringList{"calc", "bc"} << QStringList{"kcalc2"} << "";
  }
  void firstOfTheListOnThePath() {
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QString, expected);
    QTemporaryDir root;
    for (const auto& [folder, names] :
         {std::pair{QStringLiteral("first"), first}, std::pair{QStringLiteral("second"), second}}) {
      QVERIFY(QDir(root.path()).mkdir(folder));
      for (QString name : names) {
        const bool executable = !name.startsWith(u'-');
        if (!executable) name.remove(0, 1);
        makeProgram(root.filePath(folder + u'/' + name), {}, executable);
      }
    }
    const QString path = root.filePath("first") + u':' + root.filePath("second");
    const auto found = calculator::find(path);
    if (expected.isEmpty()) {
      QVERIFY(!found);
    } else {
      QVERIFY(found);
      QCOMPARE(*found, root.filePath(expected));
    }
  }

  void startsTheCalculatorOnItsOwn() {
    QTemporaryDir root;
    const QString mark = root.filePath("mark");
    makeProgram(root.filePath("mate-calc"), mark);
    QVERIFY(calculator::start(root.path()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(mark), 10000);
  }

  void noCalculatorStartsNothing() {
    QTemporaryDir root;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no calculator"));
    QVERIFY(!calculator::start(root.path()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no calculator"));
    QVERIFY(!calculator::start(QString()));
  }
};

QTEST_GUILESS_MAIN(TestCalculator)
#include "test_calculator.moc"
