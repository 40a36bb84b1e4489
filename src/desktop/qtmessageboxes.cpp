#include "desktop/qtmessageboxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <memory>

namespace {

// A box that moves itself once it is laid out and before it reaches the screen, so that it
// never shows where the system would have put it. The placement is of its outer rectangle,
// frame included; the window manager adds the frame only once the box is mapped, so the box
// is first placed with the owner's frame (the likely one) and placed again, if need be, once
// its own frame is known.
class PlacedBox : public QMessageBox {
 public:
  PlacedBox(QWidget* owner, const MessageBoxes::Placement& placement) : QMessageBox(owner), placement_(placement) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box to its text and buttons
    if (event->spontaneous() || !placement_.topLeft) return;
    const QWindow* owner = parentWidget() ? parentWidget()->window()->windowHandle() : nullptr;
    placeWithFrame(owner ? owner->frameMargins() : QMargins());
    frameToLearn_ = true;
  }

  bool event(QEvent* event) override {
    const bool handled = QMessageBox::event(event);
    // The first of these after mapping comes once the window manager has framed the box.
    if (frameToLearn_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                          event->type() == QEvent::WindowActivate || event->type() == QEvent::Paint)) {
      const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
      // While the manager is still framing the box, Qt may work the margins out from a frame
      // that has grown but not yet taken the box inside it: all on the right and bottom
      // (seen: 0, 0, 98, 54). A real frame puts the box below or right of its own corner.
      if (frame.left() > 0 || frame.top() > 0) {
        frameToLearn_ = false;
        if (frame != placedWith_) placeWithFrame(frame);
      }
    }
    return handled;
  }

 private:
  void placeWithFrame(const QMargins& frame) {
    placedWith_ = frame;
    const QPoint outer = placement_.topLeft(reference(), size().grownBy(frame));
    // The client's own corner: the window manager keeps it where it is asked to be.
    setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), size()));
  }

  QRect reference() const {
    if (placement_.toDesktop || !parentWidget()) {
      const QScreen* screen = QGuiApplication::primaryScreen();
      return screen ? screen->geometry() : QRect();
    }
    return parentWidget()->window()->frameGeometry();
  }

  MessageBoxes::Placement placement_;
  QMargins placedWith_;
  bool frameToLearn_ = false;
};

}  // namespace

MessageBoxes::Answer QtMessageBoxes::ask(const Message& m) {
  const std::unique_ptr<QMessageBox> box = m.owner && m.placement ? std::make_unique<PlacedBox>(m.owner, *m.placement)
                                                                  : std::make_unique<QMessageBox>(m.owner);
  box->setWindowTitle(m.title);
  box->setText(m.text);
  switch (m.icon) {
    case Icon::None: box->setIcon(QMessageBox::NoIcon); break;
    case Icon::Warning: box->setIcon(QMessageBox::Warning); break;
    case Icon::Question: box->setIcon(QMessageBox::Question); break;
    case Icon::Information: box->setIcon(QMessageBox::Information); break;
    case Icon::Critical: box->setIcon(QMessageBox::Critical); break;
  }
  switch (m.buttons) {
    case Buttons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo:
      // The program's questions are whether to quit: Enter, or a key pressed unawares, keeps
      // the course open.
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box->setDefaultButton(QMessageBox::No);
      box->setEscapeButton(QMessageBox::No);
      break;
  }
  box->setWindowFlag(Qt::WindowStaysOnTopHint);  // brought to the foreground
  switch (box->exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Ok;
  }
}
