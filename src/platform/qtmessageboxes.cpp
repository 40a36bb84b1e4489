#include "platform/qtmessageboxes.h"

#include <QMessageBox>

MessageBoxes::Answer QtMessageBoxes::ask(const Message& m) {
  QMessageBox box(m.owner);
  box.setWindowTitle(m.title);
  box.setText(m.text);
  switch (m.icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
  }
  switch (m.buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
  }
  box.setWindowFlag(Qt::WindowStaysOnTopHint);  // brought to the foreground
  switch (box.exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Ok;
  }
}
