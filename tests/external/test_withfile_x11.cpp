// The return window on a real X server with a window manager: it stays above a simulator's
// window that covers the screen, also when that window is activated again.
#include "external/withfile.h"
#include "support/fakeblocks.h"
#include "support/fakes.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(10000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The managed windows from the bottom of the stack to its top.
QList<quint32> stacking() {
  QList<quint32> ids;
  const QString line = run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
  static const QRegularExpression id("0x[0-9a-f]+");
  for (auto it = id.globalMatch(line); it.hasNext();) ids << it.next().captured().toUInt(nullptr, 16);
  return ids;
}

}  // namespace

class TestWithfileX11 : public QObject {
  Q_OBJECT

  QProcess simulator_;
  quint32 simulatorWindow_ = 0;

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != u"xcb") QSKIP("needs an X server with a window manager (tests/e2e/on-x)");
    simulator_.start(
        QStringLiteral(TAVRIN_STANDIN),
        {"ampvale", "--prefix", QStringLiteral("tavrintest-x11-%1-").arg(QCoreApplication::applicationPid())});
    QVERIFY(simulator_.waitForStarted(5000));
    static const QRegularExpression shown("shown (\\d+)");
    QString report;
    for (int i = 0; i < 100 && !shown.match(report).hasMatch(); ++i) {
      simulator_.waitForReadyRead(100);
      report += QString::fromUtf8(simulator_.readAllStandardOutput());
    }
    simulatorWindow_ = shown.match(report).captured(1).toUInt();
    QVERIFY(simulatorWindow_);
    const QString id = QString::number(simulatorWindow_);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    run("xdotool", {"windowmove", "--sync", id, "0", "0"});
    run("xdotool", {"windowsize", "--sync", id, QString::number(screen.width()), QString::number(screen.height())});
    run("xdotool", {"windowactivate", "--sync", id});
  }
  void cleanupTestCase() {
    simulator_.kill();
    simulator_.waitForFinished(5000);
  }

  void staysAboveTheSimulator() {
    FakeSharedBlocks blocks;
    FakeMessageBoxes messages;
    withfile window(
        {&blocks, &messages, [] { return QGuiApplication::primaryScreen()->size().width(); }, [] {}, [] {}, [] {}});
    window.Load();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const quint32 ours = quint32(window.winId());
    auto above = [&] {
      const auto ids = stacking();
      return ids.contains(ours) && ids.contains(simulatorWindow_) && ids.indexOf(ours) > ids.indexOf(simulatorWindow_);
    };
    QTRY_VERIFY_WITH_TIMEOUT(above(), 5000);
    QVERIFY(run("xprop", {"-id", QString::number(ours), "_NET_WM_STATE"}).contains("_NET_WM_STATE_ABOVE"));
    // The user goes back to the simulator: it comes forward, but not over the window.
    run("xdotool", {"windowactivate", "--sync", QString::number(simulatorWindow_)});
    QTest::qWait(300);
    QVERIFY(above());
    QCOMPARE(window.frameGeometry().topLeft(), QPoint(QGuiApplication::primaryScreen()->size().width() - 322, 0));
  }
};

QTEST_MAIN(TestWithfileX11)
#include "test_withfile_x11.moc"
