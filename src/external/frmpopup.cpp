#include "external/frmpopup.h"

#include "layout/keypreview.h"
#include "logic/launcher.h"
#include "logic/popup.h"
#include "logic/startup.h"
#include "logic/zoom.h"
#include "platform/browser.h"
#include "platform/platform.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

frmPopup::frmPopup(Platform& platform, std::function<void()> endQX)
    // No caption bar: the window draws its own thin border, so its outer rectangle is the
    // one placed, with or without a window manager.
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      platform_(platform),
      endQX_(std::move(endQX)) {
  // A name that no search for the reader's window (by the start of its title) can match.
  setWindowTitle(QString::fromUtf16(launcher::kPictureTitle));
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);  // a ground of its own, and text to go on it
  setPalette(white);
  Web2 = platform_.createBrowser(this);
  Web2->widget()->setObjectName(QStringLiteral("Web2"));
  Web2->widget()->move(kBorder, kBorder);  // the top-left corner inside the border
  TimerPop = new QTimer(this);
  TimerPop->setObjectName(QStringLiteral("TimerPop"));
  TimerPop->setInterval(50);
  connect(TimerPop, &QTimer::timeout, this, &frmPopup::TimerPop_Timer);
  // Whatever key it is, and wherever in the window the keyboard is.
  KeyPreview::attach(this, [this](int&, int&) { end(); }, {});
  // A click on the picture itself can be shorter than a tick of TimerPop; the page view
  // takes it, so it is seen on its way there.
  qApp->installEventFilter(this);
}

bool frmPopup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) end();
  }
  return QWidget::eventFilter(watched, event);
}

frmPopup::~frmPopup() = default;

void frmPopup::showPicture(const QString& address, int width, int height) {
  address_ = address;
  // The picture is an image document in a page view: to a screen reader it is the view,
  // named by the picture's file.
  const QString file = QFileInfo(QUrl(address).path()).fileName();
  setAccessibleName(file);
  Web2->widget()->setAccessibleName(file);
  Web2->widget()->setAccessibleDescription(
      QStringLiteral("The course picture %1. A click or a key closes it.").arg(file));
  // The picture at the reader's zoom, in a window grown (or shrunk) with it.
  const double zoom = zoom::load(*platform_.files, startup::settingsFile(platform_.environment));
  if (zoom != zoom::kNormal) {
    Web2->setZoom(zoom);
    // Sizes from a command line can be anything an int holds.
    const auto scaled = [zoom](int size) { return int(std::clamp(std::round(size * zoom), -1e6, 1e6)); };
    width = scaled(width);
    height = scaled(height);
  }
  Web2->navigate(address_);
  const QPoint at = platform_.pointer ? platform_.pointer().value_or(Platform::Pointer{}).position : QPoint();
  const QRect outer = popup::geometry(width, height, at, platform_.screenPixels());
  Web2->widget()->resize(outer.size() - QSize(2 * kBorder, 2 * kBorder));
  setFixedSize(outer.size());
  move(outer.topLeft());
  raise();
  show();
  activateWindow();
  TimerPop->start();
}

void frmPopup::TimerPop_Timer() {
  const auto pointer = platform_.pointer ? platform_.pointer() : std::nullopt;
  if (pointer && pointer->leftButtonDown) end();
}

void frmPopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, kBorder));
  painter.drawRect(QRectF(rect()).adjusted(kBorder / 2.0, kBorder / 2.0, -kBorder / 2.0, -kBorder / 2.0));
}

void frmPopup::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Coming to the front again shows the picture afresh.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !address_.isEmpty()) Web2->navigate(address_);
}

void frmPopup::end() {
  TimerPop->stop();
  endQX_();
}
