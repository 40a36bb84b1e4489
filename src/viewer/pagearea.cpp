#include "viewer/pagearea.h"

#include "logic/zoom.h"
#include "platform/browser.h"
#include "viewer/findbar.h"
#include "viewer/placebar.h"

#include <algorithm>

#include <QChildEvent>
#include <QResizeEvent>
#include <QWheelEvent>

namespace {
constexpr int kWheelNotch = 120;  // a notch of a wheel; a touchpad sends smaller turns that add up to it
}

PageArea::PageArea(const std::function<Browser*(QWidget* parent)>& createBrowser, FileSystem& files,
                   QString settingsFile, QWidget* parent)
    : QWidget(parent), browser_(createBrowser(this)), files_(files), settingsFile_(std::move(settingsFile)) {
  setObjectName(QStringLiteral("pageArea"));
  QWidget* page = browser_->widget();
  page->setObjectName(QStringLiteral("Web1"));
  setFocusProxy(page);

  zoom_ = zoom::load(files_, settingsFile_);
  // The pages' own size needs nothing of the browser: the first page is not held up.
  if (zoom_ != zoom::kNormal) browser_->setZoom(zoom_);
  // Ctrl+wheel is seen on its way to the view's inner widget, which Chromium would zoom by
  // itself; that widget is made again when the page renderer is.
  watchWheelOf(page);
  connect(browser_, &Browser::documentComplete, this, [this] {
    if (!findBarHasKeyboard()) focusPage();
  });
}

void PageArea::watchWheelOf(QObject* widget) {
  widget->installEventFilter(this);
  for (QObject* child : widget->children())
    if (child->isWidgetType()) watchWheelOf(child);
}

bool PageArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == placeBar_) {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) arrange();
    return false;
  }
  if (event->type() == QEvent::ChildAdded) {
    if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType()) watchWheelOf(child);
    return false;
  }
  if (event->type() != QEvent::Wheel) return false;
  auto* wheel = static_cast<QWheelEvent*>(event);
  if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
  wheelTurn_ += wheel->angleDelta().y();
  for (; wheelTurn_ >= kWheelNotch; wheelTurn_ -= kWheelNotch) zoomBy(+1);
  for (; wheelTurn_ <= -kWheelNotch; wheelTurn_ += kWheelNotch) zoomBy(-1);
  return true;
}

void PageArea::zoomBy(int direction) { setZoom(direction == 0 ? zoom::kNormal : zoom::step(zoom_, direction)); }

void PageArea::setZoom(double factor) {
  if (factor == zoom_) return;
  zoom_ = factor;
  browser_->setZoom(zoom_);
  zoom::save(files_, settingsFile_, zoom_);
}

void PageArea::openFindBar() {
  if (!findBar_) {
    findBar_ = new FindBar(*browser_, this);
    connect(findBar_, &FindBar::closed, this, [this] {
      arrange();
      focusPage();
    });
  }
  findBar_->open();
  arrange();
}

void PageArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
}

void PageArea::arrange() {
  int top = 0;
  if (placeBar_ && !placeBar_->isHidden()) {
    placeBar_->setGeometry(0, top, width(), placeBar_->height());
    top += placeBar_->height();
  }
  if (findBar_ && !findBar_->isHidden()) {
    findBar_->setGeometry(0, top, width(), findBar_->height());
    top += findBar_->height();
  }
  browser_->widget()->setGeometry(0, top, width(), std::max(0, height() - top));
}

bool PageArea::findBarHasKeyboard() const { return findBar_ && findBar_->hasFocusWithin(); }

PlaceBar& PageArea::placeBar() {
  if (!placeBar_) {
    placeBar_ = new PlaceBar(this);
    // Shown and hidden by what it offers or says; the page keeps its place below it.
    placeBar_->installEventFilter(this);
    connect(placeBar_, &PlaceBar::closed, this, [this](bool hadKeyboard) {
      if (hadKeyboard) focusPage();
    });
  }
  return *placeBar_;
}

bool PageArea::stripTakesKey(int key, int shift) {
  if (findBar_ && findBar_->hasFocusWithin()) return findBar_->takeKey(key, shift);
  if (placeBar_ && placeBar_->hasFocusWithin()) return placeBar_->takeKey(key, shift);
  return false;
}

void PageArea::focusPage() { browser_->widget()->setFocus(Qt::OtherFocusReason); }
