#include "desktop/qtmessageboxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>

#include <memory>

namespace {

// A box that moves itself once it is laid out and before it reaches the screen, so that it
// never shows where the system would have put it.
class PlacedBox : public QMessageBox {
 public:
  PlacedBox(QWidget* owner, const MessageBoxes::Placement& placement) : QMessageBox(owner), placement_(placement) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box to its text and buttons
    if (event->spontaneous() || !placement_.topLeft) return;
    move(placement_.topLeft(reference(), frameGeometry().size()));
  }

 private:
  QRect reference() const {
    if (placement_.toDesktop || !parentWidget()) {
      const QScreen* screen = QGuiApplication::primaryScreen();
      return screen ? screen->geometry() : QRect();
    }
    return parentWidget()->window()->frameGeometry();
  }

  MessageBoxes::Placement placement_;
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
    case Buttons::YesNo: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
  }
  box->setWindowFlag(Qt::WindowStaysOnTopHint);  // brought to the foreground
  switch (box->exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Ok;
  }
}
