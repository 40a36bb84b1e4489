#include "external/frmpopup.h"

#include "layout/keypreview.h"
#include "logic/popup.h"
#include "platform/browser.h"
#include "platform/platform.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

frmPopup::frmPopup(Platform& platform, std::function<void()> endQX)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(platform),
      endQX_(std::move(endQX)) {
  setWindowTitle(QString());
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  Web2 = platform_.createBrowser(this);
  Web2->widget()->setObjectName(QStringLiteral("Web2"));
  Web2->widget()->move(0, 0);
  TimerPop = new QTimer(this);
  TimerPop->setObjectName(QStringLiteral("TimerPop"));
  TimerPop->setInterval(50);
  connect(TimerPop, &QTimer::timeout, this, &frmPopup::TimerPop_Timer);
  // Whatever key it is, and wherever in the window the keyboard is.
  new KeyPreview(this, [this](int&, int&) { end(); }, {});
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
  setAccessibleName(QFileInfo(QUrl(address).path()).fileName());
  Web2->navigate(address_);
  const QPoint at = platform_.pointer ? platform_.pointer().value_or(Platform::Pointer{}).position : QPoint();
  const QRect outer = popup::geometry(width, height, at, platform_.screenPixels());
  Web2->widget()->resize(outer.size());
  setFixedSize(outer.size());
  move(outer.topLeft());  // the frame's top-left corner
  raise();
  show();
  // The frame the window system added is part of the popup's size.
  const QSize frame = frameGeometry().size() - geometry().size();
  if (!frame.isEmpty()) setFixedSize(outer.size() - frame);
  activateWindow();
  TimerPop->start();
}

void frmPopup::TimerPop_Timer() {
  const auto pointer = platform_.pointer ? platform_.pointer() : std::nullopt;
  if (pointer && pointer->leftButtonDown) end();
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
