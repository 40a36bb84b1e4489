// Print: its course through the steps and messages with a stand-in window, and the help
// picture printed for real, to a PDF file.
#include "external/printing.h"
#include "support/fakes.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FakeTarget : public printing::PrintTarget {
 public:
  bool helpShowing() const override { return help; }
  Done printHelpPicture() override {
    calls << "picture";
    return pictureError ? Done::failed(*pictureError) : Done();
  }
  Result<int> printCommandStatus() override {
    calls << "status";
    return status;
  }
  Done printPageWithDialog() override {
    calls << "page";
    return pageError ? Done::failed(*pageError) : Done();
  }

  bool help = false;
  std::optional<QString> pictureError;
  Result<int> status = printing::kSupported | printing::kEnabled;
  std::optional<QString> pageError;
  QStringList calls;
};

using Target = std::function<void(FakeTarget&)>;

}  // namespace

Q_DECLARE_METATYPE(Target)

class TestPrinting : public QObject {
  Q_OBJECT
 private slots:
  void print_data() {
    QTest::addColumn<Target>("setUp");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("messages");
    const QString disabled = QStringLiteral("The Print command is currently disabled.");
    QTest::newRow("help picture, not the page")
        << Target([](FakeTarget& t) { t.help = true; }) << QStringList{"picture"} << QStringList{};
    QTest::newRow("help picture fails") << Target([](FakeTarget& t) {
      t.help = true;
      t.pictureError = QStringLiteral("There is no default printer.");
    }) << QStringList{"picture"} << QStringList{"Print command Error: There is no default printer."};
    QTest::newRow("page with the dialog")
        << Target([](FakeTarget&) {}) << QStringList{"status", "page"} << QStringList{};
    QTest::newRow("page fails") << Target([](FakeTarget& t) {
      t.pageError = QStringLiteral("The page could not be printed.");
    }) << QStringList{"status", "page"}
                                << QStringList{"Print command Error: The page could not be printed."};
    QTest::newRow("status cannot be told")
        << Target([](FakeTarget& t) { t.status = Result<int>::failed(QStringLiteral("The browser holds no page.")); })
        << QStringList{"status"} << QStringList{disabled, "Print command Error: The browser holds no page."};
    QTest::newRow("print command disabled")
        << Target([](FakeTarget& t) { t.status = printing::kSupported; }) << QStringList{"status"} << QStringList{};
    QTest::newRow("enabled bit alone") << Target([](FakeTarget& t) { t.status = printing::kEnabled; })
                                       << QStringList{"status", "page"} << QStringList{};
  }
  void print() {
    QFETCH(Target, setUp);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, messages);
    FakeTarget target;
    setUp(target);
    FakeMessageBoxes boxes;
    if (!messages.isEmpty())  // a failure is logged as well
      QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^printing failed"));
    printing::print(target, boxes);
    QCOMPARE(target.calls, calls);
    QStringList shown;
    for (const auto& m : boxes.asked) {
      QCOMPARE(m.title, QStringLiteral("Tavrin"));
      QCOMPARE(m.buttons, MessageBoxes::Buttons::Ok);
      shown << m.text;
    }
    QCOMPARE(shown, messages);
  }

  void helpPictureGoesToThePageCornerAtItsSize() {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("help.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setFullPage(true);
    // A red picture, 192 x 96 pixels: two inches by one on paper.
    QPixmap picture(192, 96);
    picture.fill(Qt::red);
    QVERIFY(printing::printPicture(picture, printer));

    // At 72 dots to the inch the picture covers 144 x 72 dots at the top left.
    QProcess render;
    render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("page")});
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page(dir.filePath("page.png"));
    QCOMPARE(page.size(), QSize(595, 842));  // A4
    auto red = [&](int x, int y) {
      const QColor c = page.pixelColor(x, y);
      return c.red() > 200 && c.green() < 60 && c.blue() < 60;
    };
    QVERIFY(red(1, 1));
    QVERIFY(red(141, 69));
    QVERIFY(!red(148, 30));
    QVERIFY(!red(70, 76));
  }

  void pictureWithNothingToPrint() {
    QPrinter printer;
    QVERIFY(!printing::printPicture(QPixmap(), printer));
  }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
