#include "qtmedia/qtmediaplayer.h"

#include "platform/logging.h"

#include <QLoggingCategory>

#include <QAudioOutput>
#include <QUrl>
#include <QVideoWidget>

namespace {}  // namespace

QtMediaPlayer::QtMediaPlayer(QWidget* window) : audio_(new QAudioOutput(&player_)), video_(new QVideoWidget(window)) {
  video_->setObjectName(QStringLiteral("WMP1"));
  video_->hide();
  player_.setAudioOutput(audio_);
  player_.setVideoOutput(video_);
  QObject::connect(&player_, &QMediaPlayer::errorOccurred, [this](QMediaPlayer::Error, const QString& text) {
    qCWarning(lcMedia) << "cannot play" << player_.source().toString() << ":" << text;
  });
}

QtMediaPlayer::~QtMediaPlayer() {
  // The widget may already have gone with its window; the player must not paint into it.
  player_.setVideoOutput(nullptr);
}

void QtMediaPlayer::setAddress(const QString& address) { player_.setSource(QUrl(address)); }

void QtMediaPlayer::play() { player_.play(); }

void QtMediaPlayer::stop() { player_.stop(); }

bool QtMediaPlayer::isPlaying(QMediaPlayer::PlaybackState state, QMediaPlayer::MediaStatus status) {
  // A missing or unplayable medium leaves the state at Playing with the status Invalid,
  // and the status tells loading and stalling apart from a medium under way.
  return state == QMediaPlayer::PlayingState &&
         (status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::BufferingMedia);
}

bool QtMediaPlayer::isPlaying() const { return isPlaying(player_.playbackState(), player_.mediaStatus()); }

void QtMediaPlayer::setMode(Mode mode) {
  mode_ = mode;
  showPicture();
}

void QtMediaPlayer::setGeometry(const QRect& rect) {
  if (video_) video_->setGeometry(rect);
}

void QtMediaPlayer::setVisible(bool visible) {
  visible_ = visible;
  showPicture();
}

void QtMediaPlayer::showPicture() {
  if (!video_) return;
  const bool shown = visible_ && mode_ == Mode::Picture;
  if (shown) video_->raise();  // in front of whatever the window raised before, the backdrop above all
  video_->setVisible(shown);
}
