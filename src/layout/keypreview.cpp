#include "layout/keypreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget* window, KeyDown keyDown, KeyPress keyPress)
    : QObject(window), window_(window), keyDown_(std::move(keyDown)), keyPress_(std::move(keyPress)) {
  qApp->installEventFilter(this);
}

int KeyPreview::keyCode(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return keys::kEnter;
    case Qt::Key_Escape: return keys::kEscape;
    case Qt::Key_PageUp: return keys::kPageUp;
    case Qt::Key_PageDown: return keys::kPageDown;
    case Qt::Key_Comma:
    case Qt::Key_Less: return keys::kComma;  // the key, whatever Shift makes of it
    case Qt::Key_Period:
    case Qt::Key_Greater: return keys::kPeriod;
    case Qt::Key_Plus:
    case Qt::Key_Equal: return keys::kPlus;  // the key that holds + and =, or the keypad's +
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return keys::kMinus;
    default: return -1;
  }
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != window_) return false;
  // A key the focused control ignores travels on to its parents; see it once, first.
  QWidget* focus = window_->focusWidget();
  if (focus ? widget != focus : widget != window_) return false;

  auto* key = static_cast<QKeyEvent*>(event);
  int code = keyCode(key->key());
  const Qt::KeyboardModifiers m = key->modifiers();
  int shift = (m & Qt::ShiftModifier ? keys::kShift : 0) | (m & Qt::ControlModifier ? keys::kCtrl : 0) |
              (m & Qt::AltModifier ? keys::kAlt : 0);
  keyDown_(code, shift);
  if (code == 0) return true;
  if (key->text().size() == 1 && keyPress_) {
    int character = key->text()[0].unicode();
    keyPress_(character);
    if (character == 0) return true;
  }
  return false;
}
