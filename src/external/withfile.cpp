#include "external/withfile.h"

#include "layout/keypreview.h"
#include "layout/returnpicture.h"
#include "logic/blocks.h"
#include "logic/placement.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

withfile::withfile(Host host)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picRuv29(new QLabel(this)),
      host_(std::move(host)),
      background_(picture(false)) {
  setObjectName(QStringLiteral("withfile"));
  setWindowTitle(QStringLiteral("withfile"));
  setAccessibleName(QStringLiteral("Return to text"));
  setAccessibleDescription(
      QStringLiteral("Left click, Enter or Ctrl+R: back to the course. Right click or Ctrl+Shift+R: quit the course."));
  // The simulator keeps the keyboard while the window comes and goes above it.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(kSize);
  picRuv29->setObjectName(QStringLiteral("picRuv29"));
  picRuv29->setAccessibleName(QStringLiteral("Return to text, held down"));
  picRuv29->setAccessibleDescription(QStringLiteral("The RETURN TO TEXT button, pressed."));
  picRuv29->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picRuv29->setLineWidth(2);
  picRuv29->setPixmap(picture(true));
  picRuv29->setGeometry(kPressed);
  picRuv29->installEventFilter(this);
  picRuv29->hide();
}

void withfile::Load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void withfile::Form_Load() {
  picRuv29->hide();
  setGeometry(host_.screenWidth() - kRightMargin, 0, kSize.width(), kSize.height());
  show();
  raise();
}

void withfile::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  hide();
}

void withfile::mouseDown(Qt::MouseButton button, bool onPressedPicture) {
  if (button == Qt::LeftButton) {
    picRuv29->show();
  } else if (button == Qt::RightButton) {
    const auto answer = placement::msgBoxAt(*host_.messages,
                                            {QStringLiteral("Are you sure you want to quit?"), QStringLiteral("Tavrin"),
                                             MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, this},
                                            placement::kReturnWindowQuestion);
    if (answer == MessageBoxes::Answer::Yes) {
      blocks::shutOffQX(*host_.blocks);
      if (onPressedPicture) host_.setFromWithfile();
      host_.endQX();
    } else {
      picRuv29->hide();
    }
  }
}

void withfile::mouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) returnToText();
}

void withfile::returnToText() {
  host_.activateReader();
  picRuv29->hide();
  Unload();
  // With the name gone, the reader's poll does not bring the window back.
  blocks::shutOffWithfile(*host_.blocks);
}

bool withfile::takeKey(int key, int shift) {
  if (key != keys::kR) return false;
  if (shift == keys::kCtrl) {
    returnToText();
    return true;
  }
  if (shift == (keys::kCtrl | keys::kShift)) {
    askToQuitCourse();
    return true;
  }
  return false;
}

void withfile::keyPressEvent(QKeyEvent* event) {
  const auto [code, shift] = KeyPreview::codeOf(*event);
  if (takeKey(code, shift)) return;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: returnToText(); return;
    case Qt::Key_Menu: askToQuitCourse(); return;
    case Qt::Key_F10:
      if (event->modifiers() == Qt::ShiftModifier) {
        askToQuitCourse();
        return;
      }
      break;
    default: break;
  }
  QWidget::keyPressEvent(event);
}

void withfile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, background_);
}

void withfile::mousePressEvent(QMouseEvent* event) { Form_MouseDown(event->button()); }

void withfile::mouseReleaseEvent(QMouseEvent* event) { Form_MouseUp(event->button()); }

bool withfile::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picRuv29) {
    if (event->type() == QEvent::MouseButtonPress) {
      picRuv29_MouseDown(static_cast<QMouseEvent*>(event)->button());
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      picRuv29_MouseUp(static_cast<QMouseEvent*>(event)->button());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

QPixmap withfile::picture(bool pressed) { return returnWindowPicture(kSize, pressed); }
