#pragma once
// A stand-in for the media player: it plays whatever it is given until told otherwise, and
// notes what it was asked to do.
#include "platform/mediaplayer.h"

#include <QRect>
#include <QStringList>

class FakeMediaPlayer : public MediaPlayer {
 public:
  void setAddress(const QString& a) override {
    address = a;
    calls << QStringLiteral("address ") + a;
  }
  void play() override {
    playing = true;
    calls << QStringLiteral("play");
  }
  void stop() override {
    playing = false;
    calls << QStringLiteral("stop");
  }
  bool isPlaying() const override { return playing; }
  void setMode(Mode m) override { mode = m; }
  void setGeometry(const QRect& r) override { geometry = r; }
  void setVisible(bool v) override { visible = v; }

  bool pictureShown() const { return visible && mode == Mode::Picture; }

  QString address;
  bool playing = false;  // what the player would answer: a stand-in for ended, invalid, stalled
  Mode mode = Mode::Picture;
  QRect geometry;
  bool visible = true;
  QStringList calls;  // "address <a>", "play", "stop", in order
};
