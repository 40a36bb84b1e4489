// The return window with stand-ins for the blocks, the message boxes and the reader: its
// place and look, the pressed picture, the way back to the reader and the quit.
#include "external/withfile.h"
#include "layout/keypreview.h"
#include "logic/blocks.h"
#include "support/fakeblocks.h"
#include "support/fakes.h"

#include <QTest>

using blocks::Block;

namespace {
const QString kExercise = QStringLiteral("/opt/Ampvale/Exercises/ch07ex02.cir");

double meanLightness(const QImage& image, const QRect& area) {
  double sum = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) sum += QColor(image.pixel(x, y)).lightnessF();
  return sum / (area.width() * area.height());
}
}  // namespace

class TestWithfile : public QObject {
  Q_OBJECT

  FakeSharedBlocks blocks_;
  FakeMessageBoxes messages_;
  QStringList reader_;  // "activate", "from withfile", "end", in order
  std::unique_ptr<withfile> window_;
  int screenWidth_ = 1280;

  bool ended() const { return reader_.contains("end"); }

 private slots:
  void init() {
    blocks_ = FakeSharedBlocks();
    blocks::writeExercise(blocks_, kExercise, blocks::kKindAmpvale);
    blocks_.log.clear();
    messages_ = FakeMessageBoxes();
    reader_.clear();
    screenWidth_ = 1280;
    window_ = std::make_unique<withfile>(
        withfile::Host{&blocks_, &messages_, [this] { return screenWidth_; }, [this] { reader_ << "activate"; },
                       [this] { reader_ << "from withfile"; }, [this] { reader_ << "end"; }});
    window_->Load();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void loadsBorderlessOnTopAtTheTopRight() {
    QCOMPARE(window_->geometry(), QRect(1280 - 322, 0, 178, 65));
    QVERIFY(window_->isVisible());
    QVERIFY(window_->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(window_->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window_->accessibleName(), QStringLiteral("Return to text"));
    QVERIFY(window_->picRuv29->isHidden());
    QCOMPARE(window_->picRuv29->geometry(), QRect(-3, 3, 182, 69));
  }

  void loadingTwiceAndUnloadingTwiceChangeNothing() {
    window_->move(500, 300);  // a second load does not place it anew
    window_->Load();
    QCOMPARE(window_->pos(), QPoint(500, 300));
    window_->Unload();
    QVERIFY(!window_->loaded());
    QVERIFY(window_->isHidden());
    window_->Unload();
    QVERIFY(window_->isHidden());
    screenWidth_ = 1920;
    window_->Load();
    QCOMPARE(window_->geometry(), QRect(1920 - 322, 0, 178, 65));
    QVERIFY(window_->isVisible());
  }

  void leftClickReturnsToTheReaderAndClearsTheName() {
    QTest::mousePress(window_.get(), Qt::LeftButton, {}, QPoint(90, 30));
    QVERIFY(window_->picRuv29->isVisible());  // held down
    QCOMPARE(reader_, QStringList());
    QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, QPoint(90, 30));
    QCOMPARE(reader_, QStringList{"activate"});
    QVERIFY(window_->picRuv29->isHidden());
    QVERIFY(!window_->loaded());
    QVERIFY(window_->isHidden());
    QCOMPARE(blocks_.content[Block::AmpvaleName], QByteArray(blocks::kNameBytes, '\0'));
    QCOMPARE(blocks_.log, (QStringList{"write AmpvaleName 255", "flush AmpvaleName 255"}));
    QCOMPARE(blocks_.content[Block::AmpvaleEnd], QByteArray(1, char(blocks::kCourseRunning)));
    QVERIFY(messages_.asked.empty());
  }

  void leftClickOnThePressedPictureReturnsAlike() {
    window_->picRuv29->show();
    QTest::mousePress(window_->picRuv29, Qt::LeftButton, {}, QPoint(90, 30));
    QTest::mouseRelease(window_->picRuv29, Qt::LeftButton, {}, QPoint(90, 30));
    QCOMPARE(reader_, QStringList{"activate"});
    QVERIFY(!window_->loaded());
    QCOMPARE(blocks_.content[Block::AmpvaleName], QByteArray(blocks::kNameBytes, '\0'));
  }

  void rightClickAsksPlacedLeftOfTheWindow() {
    QTest::mousePress(window_.get(), Qt::RightButton, {}, QPoint(90, 30));
    QCOMPARE(messages_.asked.size(), 1u);
    const MessageBoxes::Message& asked = messages_.asked[0];
    QCOMPARE(asked.text, QStringLiteral("Are you sure you want to quit?"));
    QCOMPARE(asked.title, QStringLiteral("Tavrin"));
    QCOMPARE(asked.buttons, MessageBoxes::Buttons::YesNo);
    QCOMPARE(asked.icon, MessageBoxes::Icon::Question);
    QCOMPARE(asked.owner, window_.get());
    QVERIFY(asked.placement);
    QVERIFY(!asked.placement->toDesktop);
    QCOMPARE(asked.placement->topLeft(window_->frameGeometry(), QSize(320, 120)), QPoint(1280 - 322 - 150, 80));
  }

  void rightClickAnsweredNoLeavesAllAsItWas() {
    window_->picRuv29->show();
    messages_.answers = {MessageBoxes::Answer::No};
    QTest::mousePress(window_->picRuv29, Qt::RightButton, {}, QPoint(90, 30));
    QVERIFY(window_->picRuv29->isHidden());
    QVERIFY(window_->loaded() && window_->isVisible());
    QVERIFY(reader_.isEmpty());
    QCOMPARE(blocks::decodeName(blocks_.content[Block::AmpvaleName]), kExercise);
    QCOMPARE(blocks_.content[Block::AmpvaleEnd], QByteArray(1, char(blocks::kCourseRunning)));
    QVERIFY(blocks_.log.isEmpty());
  }

  void rightClickAnsweredYesEndsTheCourse_data() {
    QTest::addColumn<bool>("onPressedPicture");
    QTest::addColumn<QStringList>("reader");
    QTest::newRow("on the window") << false << QStringList{"end"};
    // Only the pressed picture lets the main window know the return window quit it.
    QTest::newRow("on the pressed picture") << true << QStringList{"from withfile", "end"};
  }
  void rightClickAnsweredYesEndsTheCourse() {
    QFETCH(bool, onPressedPicture);
    QFETCH(QStringList, reader);
    messages_.answers = {MessageBoxes::Answer::Yes};
    // The simulators learn of the end before the reader goes.
    messages_.onAsk = [this](const MessageBoxes::Message&) { QVERIFY(blocks_.log.isEmpty()); };
    if (onPressedPicture) {
      window_->picRuv29->show();
      QTest::mousePress(window_->picRuv29, Qt::RightButton, {}, QPoint(90, 30));
    } else {
      QTest::mousePress(window_.get(), Qt::RightButton, {}, QPoint(90, 30));
    }
    QCOMPARE(reader_, reader);
    QCOMPARE(blocks_.content[Block::AmpvaleEnd], QByteArray(1, char(blocks::kCourseEnded)));
    QCOMPARE(blocks_.log, (QStringList{"write AmpvaleEnd 1", "flush AmpvaleEnd 1"}));
    QCOMPARE(blocks::decodeName(blocks_.content[Block::AmpvaleName]), kExercise);
  }

  // The same from the keyboard: in the reader's windows (which hand their keys over) Ctrl+R
  // returns and Ctrl+Shift+R asks whether to quit; in the window itself, reached from the
  // window list, Enter and Space return and the menu key asks.
  void keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("asks");  // else it returns to the reader
    QTest::newRow("Ctrl+R") << int(Qt::Key_R) << int(Qt::ControlModifier) << false;
    QTest::newRow("Ctrl+Shift+R") << int(Qt::Key_R) << int(Qt::ControlModifier | Qt::ShiftModifier) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0 << false;
    QTest::newRow("menu key") << int(Qt::Key_Menu) << 0 << true;
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
  }
  void keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, asks);
    messages_.answers = {MessageBoxes::Answer::No};
    QTest::keyClick(window_.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (asks) {
      QCOMPARE(messages_.asked.size(), 1u);
      QCOMPARE(messages_.asked[0].text, QStringLiteral("Are you sure you want to quit?"));
      QVERIFY(window_->loaded());
    } else {
      QVERIFY(messages_.asked.empty());
      QCOMPARE(reader_, QStringList{"activate"});
      QVERIFY(!window_->loaded());
      QVERIFY(blocks::decodeName(blocks_.content[Block::AmpvaleName]).isEmpty());
    }
    // Handed over by a reader's window, only the two keys of the reader are the window's.
    int code = keys::kR, shift = keys::kAlt;
    QVERIFY(!window_->takeKey(code, shift));
    QVERIFY(!window_->takeKey(keys::kEnter, 0));
  }

  void otherButtonsDoNothing() {
    QTest::mouseRelease(window_.get(), Qt::RightButton, {}, QPoint(90, 30));
    QTest::mousePress(window_.get(), Qt::MiddleButton, {}, QPoint(90, 30));
    QTest::mouseRelease(window_.get(), Qt::MiddleButton, {}, QPoint(90, 30));
    QVERIFY(messages_.asked.empty());
    QVERIFY(reader_.isEmpty());
    QVERIFY(window_->loaded() && window_->isVisible());
    QVERIFY(window_->picRuv29->isHidden());
    QVERIFY(blocks_.log.isEmpty());
  }

  void picturesAreTheButtonUpAndHeldDown() {
    // Drawn with the pixels of the screen's density (sharp under QT_SCALE_FACTOR=2); the
    // checks below look at it in the window's units.
    const QPixmap upPicture = withfile::picture(false), downPicture = withfile::picture(true);
    const qreal ratio = qGuiApp->devicePixelRatio();
    for (const QPixmap& picture : {upPicture, downPicture}) {
      QCOMPARE(picture.deviceIndependentSize(), QSizeF(178, 65));
      QCOMPARE(picture.size(), QSize(178, 65) * ratio);
    }
    const auto logical = [](const QImage& image) {
      return image.scaled((QSizeF(image.size()) / image.devicePixelRatio()).toSize(), Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
    };
    const QImage up = logical(upPicture.toImage());
    const QImage down = logical(downPicture.toImage());
    const QRect all(QPoint(0, 0), up.size());
    QVERIFY(meanLightness(down, all) < meanLightness(up, all) - 0.1);
    // Bright letters on the blue face, right of the disc.
    const QRect words(66, 8, 104, 49);
    int bright = 0;
    for (int y = words.top(); y <= words.bottom(); ++y)
      for (int x = words.left(); x <= words.right(); ++x) bright += QColor(up.pixel(x, y)).lightnessF() > 0.9;
    QVERIFY2(bright > 300, qPrintable(QString::number(bright)));
    // The window shows the unpressed picture; the pressed one covers it while held down.
    const QImage shown = logical(window_->grab().toImage());
    QCOMPARE(shown.pixel(120, 30), up.pixel(120, 30));
    window_->picRuv29->show();
    const QImage held = logical(window_->grab().toImage());
    QVERIFY(meanLightness(held, QRect(0, 5, 178, 60)) < meanLightness(shown, QRect(0, 5, 178, 60)) - 0.1);
  }
};

QTEST_MAIN(TestWithfile)
#include "test_withfile.moc"
