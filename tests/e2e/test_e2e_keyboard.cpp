// The real reader as a keyboard user and the eye meet it: the page has the keyboard at start
// and after every page, so the arrows and Space scroll it; and a page that the main window
// shows again after a side window fills the window.
#include "e2e/harness.h"
#include "support/files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

using namespace e2e;

namespace {

// The screen below the window's title and command bar, where the page is.
QImage pageOnScreen() {
  const QSize screen = screenPixels();
  return screenshot({0, 80, screen.width(), screen.height() - 120});
}

// Waits, by the clock, until the page on screen has stopped changing, and gives it.
QImage settledPage(int ms = 10000) {
  QImage last = pageOnScreen();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QTest::qWait(300);
    QImage now = pageOnScreen();
    if (now == last) return now;
    last = std::move(now);
  }
  return last;
}

// The share of the window's area, below its command bar, that is pure black: where nothing
// was drawn (the course pages have a light ground and little black text).
double undrawnShare(const QString& window) {
  const QRect outer = outerRect(window);
  const QSize inner = windowSize(window);
  const QRect client(outer.right() + 1 - inner.width(), outer.bottom() + 1 - inner.height(), inner.width(),
                     inner.height());
  const QImage shot = screenshot(client.adjusted(0, 40, 0, 0));
  if (shot.isNull()) return 1.0;
  qint64 black = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) black += (shot.pixel(x, y) & 0xFFFFFF) == 0;
  return double(black) / (double(shot.width()) * shot.height());
}

}  // namespace

class TestE2EKeyboard : public CourseTest {
  Q_OBJECT

 private slots:
  // At start the keyboard is in the page: Down and Space scroll it (the page is drawn large
  // enough to scroll), and no command of the bar runs, the print dialog least of all.
  void downAndSpaceAtStartScrollThePage() {
    Reader reader(server->base());
    QVERIFY(reader.writeSettings("[view]\nzoom=2\n"));
    reader.start();
    QVERIFY(QTest::qWaitFor([&] { return !reader.history().isEmpty(); }, 30000));
    const QString main = waitForWindow(QStringLiteral("^Tavrin$"));
    QVERIFY(!main.isEmpty());
    const QStringList windowsBefore = windowTitles();
    const QImage before = settledPage();

    run({QStringLiteral("key"), QStringLiteral("Down")});
    const QImage afterDown = settledPage();
    QVERIFY2(afterDown != before, "Down did not scroll the page");
    run({QStringLiteral("key"), QStringLiteral("space")});
    const QImage afterSpace = settledPage();
    QVERIFY2(afterSpace != afterDown, "Space did not scroll the page");

    QCOMPARE(windowTitles(), windowsBefore);  // no dialog came up
    QCOMPARE(activeWindowTitle(), QStringLiteral("Tavrin"));
    QCOMPARE(reader.process().state(), QProcess::Running);
  }

  // A page opened from the search window, and one from the history window, fill the whole
  // window below the command bar: the main window comes back maximised and drawn.
  void aPageOpenedFromASideWindowFillsTheWindow() {
    Reader reader(server->base());
    reader.start();
    QVERIFY(QTest::qWaitFor([&] { return !reader.history().isEmpty(); }, 30000));
    QString main = waitForWindow(QStringLiteral("^Tavrin$"));
    QVERIFY(!main.isEmpty());
    for (const char* keys : {"alt+s", "alt+t"}) {
      const QByteArray before = reader.history();
      sendKeys(main, {QString::fromLatin1(keys)});
      const bool search = QByteArray(keys) == "alt+s";
      const QString side =
          waitForWindow(search ? QStringLiteral("^Tavrin - Search$") : QStringLiteral("^Tavrin - History$"));
      QVERIFY(!side.isEmpty());
      if (search) {
        QVERIFY(QTest::qWaitFor([] { return activeWindowTitle() == u"Tavrin - Search"; }, 10000));
        type(QStringLiteral("resistor"));
        run({QStringLiteral("key"), QStringLiteral("Return")});
        QTest::qWait(1000);
        click(side, {80, 120}, 2);  // the first page found
      } else {
        click(side, {80, 40}, 2);  // the first page visited
      }
      QVERIFY(QTest::qWaitFor([&] { return reader.history().size() > before.size(); }, 20000));
      QVERIFY(QTest::qWaitFor(
          [] {
            return !windowTitles().contains(QStringLiteral("Tavrin - Search")) &&
                   !windowTitles().contains(QStringLiteral("Tavrin - History"));
          },
          10000));
      main = waitForWindow(QStringLiteral("^Tavrin"));
      QVERIFY(QTest::qWaitFor([&] { return isMaximised(main); }, 10000));
      settledPage();
      const double undrawn = undrawnShare(main);
      QVERIFY2(
          undrawn < 0.05,
          qPrintable(
              QStringLiteral("%1 of the window is not drawn after %2").arg(undrawn).arg(QString::fromLatin1(keys))));
    }
  }

 private:
  static void run(const QStringList& xdotool) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), xdotool);
    p.waitForFinished(10000);
  }
};

QTEST_MAIN(TestE2EKeyboard)
#include "test_e2e_keyboard.moc"
