#pragma once
// Videos and narration in the main window's media player: a video plays in the middle of
// the window over a black backdrop that hides the page, narration plays with nothing
// shown. A video is watched from a few seconds after its start and taken away once the
// player stops playing it.
#include "platform/mediaplayer.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QTimer;
class QWidget;

class MediaPlayback : public QObject {
  Q_OBJECT
 public:
  // What playback needs of the main window.
  struct Host {
    std::function<QSize()> screenMetrics;  // ScreenWidth and ScreenHeight, in pixels
    std::function<void()> waitOneSecond;   // the tick wait: events are handled inside it
  };

  static constexpr int kGraceMs = 5000;  // from the start of a video to its first watch
  static constexpr int kWatchMs = 500;

  // `backdrop` is the black picture box picAVI of the main window; a press of any mouse
  // button on it stops the video.
  MediaPlayback(MediaPlayer& player, QWidget* backdrop, Host host, QObject* parent = nullptr);

  // Covers the window with the backdrop, shows the player in the middle and starts the
  // video at `address`, or the one the player last had when there is none.
  void PlayVideo(const std::optional<QString>& address);
  void PlayNarration(const QString& address);
  void StopMedia();

  // The two steps of watching a video, run by its timers: the end of the grace period, and
  // each look at the player after it.
  void TimerPREavi_Timer();
  void TimerAVI_Timer();
  void picAVI_MouseDown() { StopMedia(); }

  // Where the watch of a video stands: nothing on, the grace period after its start, or
  // looking at the player every kWatchMs.
  enum class Watch { None, Grace, Watching };
  Watch watch() const;

  // Where the picture of a video goes for the screen metrics: 60 % of the width and 70 %
  // of the height, centred across, 50 pixels from the top.
  static QRect videoRect(QSize screen);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void hideVideo();

  QTimer* const TimerPREavi;  // one grace period after a video starts
  QTimer* const TimerAVI;     // watches the video until it stops playing

  MediaPlayer& player_;
  QWidget* const picAVI;
  Host host_;
};
