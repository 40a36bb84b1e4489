// Text that can be read in a light theme and in a dark one: every text of every window, as it
// is drawn, stands out from the ground behind it by a contrast ratio of at least 4.5:1 (WCAG's
// relative luminance), under a light and a dark palette. The colours are taken from the
// window's picture, not from the palette: a ground the program sets itself is seen as drawn.
#include "external/frmpopup.h"
#include "external/withfile.h"
#include "history/frmhist.h"
#include "search/frmindex.h"
#include "search/frmsearch.h"
#include "sidewin/frmsplsh.h"
#include "support/readeronfakes.h"
#include "viewer/findbar.h"
#include "viewer/frmqx.h"
#include "viewer/pagearea.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

const QString& kBase = kCourseBase;
const QByteArray kFiles = "1\tqx010005.qx\tModule 1 \x96 Current\r\n2\tqx010006.qx\tModule 1 \x96 Voltage\r\n";
const QByteArray kWords = "CURRENT\t1\t\r\nRESISTOR\t1\t2\t\r\n";

double channel(int value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double luminance(QRgb c) {
  return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}
double contrast(QRgb a, QRgb b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Measured {
  QRgb ground = 0, text = 0;
  double ratio = 0;
};

// The ground of `area` is its most frequent colour, the text the pixel that stands out most
// from it (a glyph's full-coverage pixel has the text's colour; an edge only less contrast).
Measured measure(const QImage& image, const QRect& area) {
  QHash<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y) | 0xFF000000u];
  Measured m;
  int most = 0;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it)
    if (it.value() > most) most = it.value(), m.ground = it.key();
  for (auto it = counts.cbegin(); it != counts.cend(); ++it)
    if (const double r = contrast(it.key(), m.ground); r > m.ratio) m.ratio = r, m.text = it.key();
  return m;
}

QString describe(const QString& what, const Measured& m) {
  return QStringLiteral("%1: text #%2 on #%3, %4:1")
      .arg(what)
      .arg(m.text & 0xFFFFFF, 6, 16, QLatin1Char('0'))
      .arg(m.ground & 0xFFFFFF, 6, 16, QLatin1Char('0'))
      .arg(m.ratio, 0, 'f', 2);
}

// Where each text of the window is drawn, in the window: labels, buttons with a caption, text
// boxes with text in them and the first row of each list, each without its frame.
QList<QPair<QString, QRect>> textsOf(QWidget& window) {
  QList<QPair<QString, QRect>> texts;
  const auto add = [&](QWidget* w, const QString& text, QRect inWidget) {
    texts.append({QStringLiteral("%1 \"%2\"").arg(w->objectName(), text.left(30)),
                  QRect(w->mapTo(&window, inWidget.topLeft()), inWidget.size())});
  };
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&window)) continue;
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
      add(label, label->text(), label->contentsRect());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
      add(button, button->text(), button->rect().adjusted(4, 4, -4, -4));
    } else if (auto* box = qobject_cast<QLineEdit*>(w); box && !box->text().isEmpty()) {
      add(box, box->text(), box->rect().adjusted(4, 4, -4, -4));
    } else if (auto* list = qobject_cast<QListView*>(w); list && list->model() && list->model()->rowCount() > 0) {
      const QRect row = list->visualRect(list->model()->index(0, 0)).adjusted(1, 1, -1, -1);
      add(list->viewport(), list->model()->index(0, 0).data().toString(), row);
    }
  }
  return texts;
}

// Every text of `window`, as drawn, that falls short of 4.5:1.
QStringList illegibleIn(QWidget& window) {
  window.show();
  // No text cursor nor focus frame in the picture: they are not the text.
  if (QWidget* focus = window.focusWidget()) focus->clearFocus();
  QCoreApplication::processEvents();
  const QImage picture = window.grab().toImage();
  const qreal ratio = picture.devicePixelRatio();
  QStringList faults;
  const QList<QPair<QString, QRect>> texts = textsOf(window);
  for (const auto& [what, area] : texts) {
    const QRect inPicture =
        QRect((QRectF(area).topLeft() * ratio).toPoint(), (QSizeF(area.size()) * ratio).toSize()) & picture.rect();
    if (inPicture.isEmpty()) continue;
    const Measured m = measure(picture, inPicture);
    if (m.ratio < 4.5) faults << describe(what, m);
  }
  if (texts.isEmpty()) faults << QStringLiteral("no text found in %1").arg(window.objectName());
  return faults;
}

QPalette darkPalette() { return QPalette(QColor(0x35, 0x35, 0x35)); }  // white text on dark grounds

}  // namespace

class TestLegibility : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir dir;
  QPalette light_;

  void themes() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
  }
  void useTheme(bool dark) { QApplication::setPalette(dark ? darkPalette() : light_); }

 private slots:
  void initTestCase() { light_ = QApplication::style()->standardPalette(); }
  void cleanup() {
    closeReader();
    QApplication::setPalette(light_);
  }

  // The four full-size windows, each with its texts filled in: the main window with its find
  // bar open on a text the page does not hold; the search after a search, the index after a
  // filter, the history with its pages.
  void fullSizeWindows_data() { themes(); }
  void fullSizeWindows() {
    QFETCH(bool, dark);
    useTheme(dark);
    frmQX& w = startOnData(dir.path(), kFiles, kWords, QStringLiteral("qx010005.qx"));
    w.pageArea().openFindBar();
    w.pageArea().findBar()->input()->setText(QStringLiteral("zzz"));
    emit fake->browser->found(0, 0);
    QCOMPARE(w.pageArea().findBar()->matches()->text(), QStringLiteral("No matches"));
    QStringList faults = illegibleIn(w);

    fake->browser->arrive(kBase + "search.qx");
    auto& search = static_cast<frmSearch&>(*w.sideWindows().window(SideWindowKind::Search));
    search.input()->setText(QStringLiteral("re"));
    search.cmdFTS_Click();
    faults << illegibleIn(search);
    fake->browser->arrive(kBase + "index.qx");
    auto& index = static_cast<frmIndex&>(*w.sideWindows().window(SideWindowKind::Index));
    QTest::keyClicks(index.input(), QStringLiteral("c"));
    faults << illegibleIn(index);
    fake->browser->arrive(kBase + "hist.qx");
    faults << illegibleIn(*w.sideWindows().window(SideWindowKind::History));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
  }

  // The splash and a message box follow the palette; the popup's ground is its own.
  void smallWindows_data() { themes(); }
  void smallWindows() {
    QFETCH(bool, dark);
    useTheme(dark);
    frmSplsh splash;
    QStringList faults = illegibleIn(splash);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quit Tavrin?"), QStringLiteral("Do you want to quit?"),
                    QMessageBox::Yes | QMessageBox::No);
    faults << illegibleIn(box);
    FakePlatform fake;
    frmPopup popup(fake.platform, [] {});
    popup.showPicture(kBase + "fig/c07/bridge.jpg", 200, 100);
    QCOMPARE(popup.palette().color(popup.backgroundRole()), QColor(Qt::white));
    QVERIFY(contrast(popup.palette().color(popup.foregroundRole()).rgb(), QColor(Qt::white).rgb()) >= 4.5);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
  }

  // The return window's words are white on its blue face, whatever the theme: lighter than
  // every shade of the face behind them by 4.5:1.
  void returnWindowWords() {
    const QImage up = withfile::picture(false).toImage();
    const qreal ratio = up.devicePixelRatio();
    const QRect words = QRect(QPoint(66, 8) * ratio, QSize(withfile::kSize.width() - 74, 49) * ratio);
    QRgb text = 0;
    for (int y = words.top(); y <= words.bottom(); ++y)
      for (int x = words.left(); x <= words.right(); ++x)
        if (luminance(up.pixel(x, y)) > luminance(text)) text = up.pixel(x, y);
    double worst = 100;
    // The face at the right edge of the words, where no letter is, on every row of them.
    for (int y = words.top(); y <= words.bottom(); ++y)
      worst = std::min(worst, contrast(text, up.pixel(words.right(), y)));
    QVERIFY2(worst >= 4.5, qPrintable(QString::number(worst)));
  }
};

QTEST_MAIN(TestLegibility)
#include "test_legibility.moc"
