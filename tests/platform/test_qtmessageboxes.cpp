// The real message boxes, placed relative to their owner before they show.
#include "desktop/qtmessageboxes.h"
#include "logic/placement.h"
#include "support/fakes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using placement::Axis;

namespace {

struct Seen {
  QRect frame;
  QString text;
  QString title;
};

// Answers the next modal box with `button` once it is on screen, noting where it was.
void answerWhenShown(Seen& seen, QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [&seen, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return answerWhenShown(seen, button);
    seen = {box->frameGeometry(), box->text(), box->windowTitle()};
    box->button(button)->click();
  });
}

// Presses `key` in the next modal box once it is on screen.
void pressWhenShown(Qt::Key key) {
  QTimer::singleShot(0, [key] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return pressWhenShown(key);
    QTest::keyClick(box, key);
  });
}

}  // namespace

class TestQtMessageBoxes : public QObject {
  Q_OBJECT

  QWidget owner_;

 private slots:
  void initTestCase() {
    owner_.setGeometry(300, 200, 500, 400);
    owner_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner_));
  }

  void boxLandsAtItsOffsets_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("main and side windows") << 100 << 80;
    QTest::newRow("return window") << -150 << 80;
  }
  void boxLandsAtItsOffsets() {
    QFETCH(int, x);
    QFETCH(int, y);
    QtMessageBoxes boxes;
    Seen seen;
    answerWhenShown(seen, QMessageBox::No);
    const auto answer = placement::msgBoxAt(boxes,
                                            {QStringLiteral("Do you want to quit?"), QStringLiteral("Quit Tavrin?"),
                                             MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, &owner_},
                                            Axis::at(x), Axis::at(y));
    QCOMPARE(answer, MessageBoxes::Answer::No);
    QCOMPARE(seen.text, QStringLiteral("Do you want to quit?"));
    QCOMPARE(seen.title, QStringLiteral("Quit Tavrin?"));
    QCOMPARE(seen.frame.topLeft(), owner_.frameGeometry().topLeft() + QPoint(x, y));
  }

  void centredAcrossOffsetDown() {
    QtMessageBoxes boxes;
    Seen seen;
    answerWhenShown(seen, QMessageBox::Yes);
    QCOMPARE(placement::msgBoxAt(boxes,
                                 {QStringLiteral("Centred?"), QStringLiteral("Tavrin"), MessageBoxes::Buttons::YesNo,
                                  MessageBoxes::Icon::None, &owner_},
                                 Axis::centred(), Axis::at(10)),
             MessageBoxes::Answer::Yes);
    const QRect owner = owner_.frameGeometry();
    QVERIFY(qAbs(seen.frame.center().x() - owner.center().x()) <= 1);
    QCOMPARE(seen.frame.top(), owner.top() + 10);
  }

  // A question whether to quit answers No to Enter and to Esc: a key pressed unawares keeps
  // the course open.
  void enterAndEscapeAnswerAQuestionNo_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
  }
  void enterAndEscapeAnswerAQuestionNo() {
    QFETCH(int, key);
    pressWhenShown(Qt::Key(key));
    QtMessageBoxes boxes;
    QCOMPARE(boxes.ask({QStringLiteral("Are you sure you want to quit?"), QStringLiteral("Tavrin"),
                        MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, &owner_}),
             MessageBoxes::Answer::No);
  }

  void boxLargerThanItsOwnerStartsBeforeIt() {
    QWidget small;
    // At the screen's corner, where the system would keep a box on the screen.
    small.setGeometry(10, 5, 40, 20);
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    QtMessageBoxes boxes;
    Seen seen;
    answerWhenShown(seen, QMessageBox::Ok);
    placement::msgBoxAt(boxes,
                        {QStringLiteral("A message wider and taller than its owner."), QStringLiteral("Tavrin"),
                         MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None, &small},
                        Axis::centred(), Axis::centred());
    const QRect owner = small.frameGeometry();
    QVERIFY(seen.frame.width() > owner.width() && seen.frame.height() > owner.height());
    QVERIFY(seen.frame.left() < owner.left());
    QVERIFY(seen.frame.top() < owner.top());
    QVERIFY(qAbs(seen.frame.center().x() - owner.center().x()) <= 1);
    QVERIFY(qAbs(seen.frame.center().y() - owner.center().y()) <= 1);
  }

  void relativeToTheDesktop() {
    QtMessageBoxes boxes;
    Seen seen;
    answerWhenShown(seen, QMessageBox::Ok);
    placement::msgBoxAt(boxes,
                        {QStringLiteral("On the desktop"), QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok,
                         MessageBoxes::Icon::None, &owner_},
                        Axis::at(10), Axis::at(20), true);
    QCOMPARE(seen.frame.topLeft(), QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(10, 20));
  }

  void msgBoxAtPlacesOnlyABoxWithAnOwner() {
    FakeMessageBoxes boxes;
    MessageBoxes::Message question{QStringLiteral("Do you want to quit?"), QStringLiteral("Quit Tavrin?"),
                                   MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, &owner_};
    placement::msgBoxAt(boxes, question, Axis::at(100), Axis::at(80));
    question.owner = nullptr;
    placement::msgBoxAt(boxes, question, Axis::at(100), Axis::at(80));
    QCOMPARE(boxes.asked.size(), 2u);
    QVERIFY(boxes.asked[0].placement);
    QVERIFY(!boxes.asked[0].placement->toDesktop);
    QCOMPARE(boxes.asked[0].placement->topLeft(QRect(10, 20, 500, 400), QSize(200, 90)), QPoint(110, 100));
    QVERIFY(!boxes.asked[1].placement);
  }
};

QTEST_MAIN(TestQtMessageBoxes)
#include "test_qtmessageboxes.moc"
