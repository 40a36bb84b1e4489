#include "media/mediaplayback.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace {
// Enabling a timer that runs already leaves its count as it is.
void enable(QTimer* timer) {
  if (!timer->isActive()) timer->start();
}
}  // namespace

MediaPlayback::MediaPlayback(MediaPlayer& player, QWidget* backdrop, Host host, QObject* parent)
    : QObject(parent),
      TimerPREavi(new QTimer(this)),
      TimerAVI(new QTimer(this)),
      player_(player),
      picAVI(backdrop),
      host_(std::move(host)) {
  TimerPREavi->setObjectName(QStringLiteral("TimerPREavi"));
  TimerPREavi->setInterval(kGraceMs);
  TimerAVI->setObjectName(QStringLiteral("TimerAVI"));
  TimerAVI->setInterval(kWatchMs);
  connect(TimerPREavi, &QTimer::timeout, this, &MediaPlayback::TimerPREavi_Timer);
  connect(TimerAVI, &QTimer::timeout, this, &MediaPlayback::TimerAVI_Timer);
  picAVI->installEventFilter(this);
  player_.setMode(MediaPlayer::Mode::Invisible);
  player_.setVisible(false);
}

QRect MediaPlayback::videoRect(QSize screen) {
  const long width = std::lround(0.6 * screen.width());
  const long height = std::lround(0.7 * screen.height());
  const long left = std::lround(screen.width() / 2.0 - 0.5 * double(width));
  return QRect(int(left), 50, int(width), int(height));
}

void MediaPlayback::PlayVideo(const std::optional<QString>& address) {
  const QSize screen = host_.screenMetrics();
  picAVI->setGeometry(0, 0, screen.width(), screen.height());
  picAVI->show();
  picAVI->raise();
  player_.setGeometry(videoRect(screen));
  player_.setVisible(true);
  player_.setMode(MediaPlayer::Mode::Picture);
  if (address) player_.setAddress(*address);
  player_.play();
  // The player gets going meanwhile; a click or key that comes now is handled now.
  if (host_.waitOneSecond) host_.waitOneSecond();
  enable(TimerPREavi);
}

MediaPlayback::Watch MediaPlayback::watch() const {
  if (TimerAVI->isActive()) return Watch::Watching;
  return TimerPREavi->isActive() ? Watch::Grace : Watch::None;
}

void MediaPlayback::TimerPREavi_Timer() {
  TimerPREavi->stop();
  enable(TimerAVI);
}

void MediaPlayback::TimerAVI_Timer() {
  if (player_.isPlaying()) return;
  TimerAVI->stop();
  hideVideo();
}

void MediaPlayback::PlayNarration(const QString& address) {
  player_.setMode(MediaPlayer::Mode::Invisible);
  player_.setAddress(address);
  player_.play();
}

void MediaPlayback::StopMedia() {
  TimerAVI->stop();
  TimerPREavi->stop();
  hideVideo();
}

void MediaPlayback::hideVideo() {
  // The player stays visible with nothing to show, as it is between videos.
  player_.stop();
  player_.setMode(MediaPlayer::Mode::Invisible);
  picAVI->hide();
}

bool MediaPlayback::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picAVI && event->type() == QEvent::MouseButtonPress) {
    picAVI_MouseDown();
    return true;
  }
  return QObject::eventFilter(watched, event);
}
