#include "layout/keypreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

void KeyPreview::attach(QWidget* window, KeyDown keyDown, KeyPress keyPress) {
  static KeyPreview* preview = [] {
    auto* p = new KeyPreview;
    p->setParent(qApp);
    qApp->installEventFilter(p);
    return p;
  }();
  preview->windows_.insert(window, {std::move(keyDown), std::move(keyPress)});
  QObject::connect(window, &QObject::destroyed, preview, [window] { preview->windows_.remove(window); });
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

std::pair<int, int> KeyPreview::codeOf(const QKeyEvent& key) {
  if (key.matches(QKeySequence::ZoomIn)) return {keys::kPlus, keys::kCtrl};
  if (key.matches(QKeySequence::ZoomOut)) return {keys::kMinus, keys::kCtrl};
  if (key.matches(QKeySequence::Find)) return {keys::kF, keys::kCtrl};
  const Qt::KeyboardModifiers m = key.modifiers();
  return {keyCode(key.key()), (m & Qt::ShiftModifier ? keys::kShift : 0) | (m & Qt::ControlModifier ? keys::kCtrl : 0) |
                                  (m & Qt::AltModifier ? keys::kAlt : 0)};
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  QWidget* window = widget->window();
  const auto found = windows_.constFind(window);
  if (found == windows_.cend()) return false;
  // A copy: a handler may make a window of its own, which joins the table.
  const Handlers handlers = *found;
  // A key the focused control ignores travels on to its parents; see it once, first.
  QWidget* focus = window->focusWidget();
  if (focus ? widget != focus : widget != window) return false;

  auto* key = static_cast<QKeyEvent*>(event);
  auto [code, shift] = codeOf(*key);
  handlers.keyDown(code, shift);
  if (code == 0) return true;
  if (key->text().size() == 1 && handlers.keyPress) {
    int character = key->text()[0].unicode();
    handlers.keyPress(character);
    if (character == 0) return true;
  }
  return false;
}
