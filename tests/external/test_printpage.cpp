// A course page printed for real: the page in the reader's browser, served on the loopback,
// printed to a PDF file that is drawn again; and the state of the print command on the way.
#include "e2e/harness.h"
#include "webengine/webenginebrowser.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

class TestPrintPage : public QObject {
  Q_OBJECT

  std::unique_ptr<e2e::CourseServer> server_;

 private slots:
  void initTestCase() {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
    server_ = std::make_unique<e2e::CourseServer>();
    QVERIFY2(!server_->base().isEmpty(), "the course server did not start");
  }
  void cleanupTestCase() { server_.reset(); }

  void pagePrintsAsShown() {
    QWidget window;
    WebEngineBrowser browser(&window, QUrl(server_->base()));
    QWebEngineView& view = *browser.view();
    view.resize(1024, 768);
    window.resize(1024, 768);
    window.show();
    const auto empty = browser.printStatus();
    QVERIFY(!empty);  // nothing to print yet

    std::optional<Result<int>> loading;
    connect(&view, &QWebEngineView::loadStarted, this, [&] { loading = browser.printStatus(); });
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    browser.navigate(server_->base() + "qx070001.qx");
    QVERIFY(loaded.wait(30000));
    QVERIFY(loading);
    QVERIFY(*loading);  // the command is there while the page loads, but off
    QCOMPARE(**loading & Browser::kPrintEnabled, 0);
    QCOMPARE(loaded.first().first().toBool(), true);
    const auto ready = browser.printStatus();
    QVERIFY(ready);
    QVERIFY(*ready & Browser::kPrintEnabled);

    QTemporaryDir dir;
    const QString pdf = dir.filePath("page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const Done printed = browser.print(printer);
    QVERIFY2(printed, qPrintable(printed.error()));

    // The page goes to the printer as a picture of itself: its dark navigation bar runs
    // across the top, its heading and text below, on its light background.
    QProcess render;
    render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("page")});
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page(dir.filePath("page.png"));
    QVERIFY(!page.isNull());
    auto share = [&](const QRect& area, const std::function<bool(QColor)>& test) {
      int hits = 0;
      for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) hits += test(page.pixelColor(x, y));
      return double(hits) / (area.width() * area.height());
    };
    auto near = [](QColor c, QColor want) {
      return qAbs(c.red() - want.red()) < 40 && qAbs(c.green() - want.green()) < 40 &&
             qAbs(c.blue() - want.blue()) < 40;
    };
    const QColor bar(0x1c, 0x3a, 0x5e), background(0xf6, 0xf5, 0xef);
    const int width = page.width();
    // Inside the printer's margins of a few points.
    QVERIFY(share(QRect(0, 12, width, 4), [&](QColor c) { return near(c, bar); }) > 0.9);
    const QRect body(20, 40, width - 40, 200);
    const double dark = share(body, [](QColor c) { return c.lightness() < 100; });
    QVERIFY2(dark > 0.02 && dark < 0.4, qPrintable(QString::number(dark)));
    QVERIFY(share(QRect(20, 650, width - 40, 50), [&](QColor c) { return near(c, background); }) > 0.9);
  }
};

QTEST_MAIN(TestPrintPage)
#include "test_printpage.moc"
