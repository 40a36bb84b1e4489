#pragma once
#include "platform/mediaplayer.h"

#include <QMediaPlayer>
#include <QPointer>
#include <QVideoWidget>

class QAudioOutput;

// The media player on Qt Multimedia: the picture in a video widget placed in the window
// given, the sound on the default output.
class QtMediaPlayer : public MediaPlayer {
 public:
  explicit QtMediaPlayer(QWidget* window);
  ~QtMediaPlayer() override;
  QtMediaPlayer(const QtMediaPlayer&) = delete;
  QtMediaPlayer& operator=(const QtMediaPlayer&) = delete;

  void setAddress(const QString& address) override;
  void play() override;
  void stop() override;
  bool isPlaying() const override;
  void setMode(Mode mode) override;
  void setGeometry(const QRect& rect) override;
  void setVisible(bool visible) override;

  static bool isPlaying(QMediaPlayer::PlaybackState state, QMediaPlayer::MediaStatus status);

  QVideoWidget* videoWidget() const { return video_; }
  QMediaPlayer& player() { return player_; }

 private:
  void showPicture();

  QMediaPlayer player_;
  QAudioOutput* audio_;
  QPointer<QVideoWidget> video_;  // owned by the window it sits in
  Mode mode_ = Mode::Invisible;
  bool visible_ = false;
};
