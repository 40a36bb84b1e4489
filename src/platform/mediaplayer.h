#pragma once
// The embedded media player as the main window drives it: an address to play, stop, whether
// it plays, what it shows, and where.
#include <QString>

class QRect;
class QWidget;

class MediaPlayer {
 public:
  // What the player shows of itself: the picture alone, or nothing at all.
  enum class Mode { Picture, Invisible };

  // Defined out of line, so that the class's virtual table and type are made once, in the
  // program, and the module of engines that implements it takes them from there.
  virtual ~MediaPlayer();

  virtual void setAddress(const QString& address) = 0;
  virtual void play() = 0;
  virtual void stop() = 0;
  // Playing as the user sees it: started and actually under way. A medium that cannot be
  // played, one that is still loading or stalled, a paused one and one that has ended
  // are not playing, whatever the backend reports as its own state.
  virtual bool isPlaying() const = 0;

  virtual void setMode(Mode mode) = 0;
  // Position and size in the window the player sits in, and whether it is shown there. The
  // picture is on screen while the player is visible and its mode is Picture.
  virtual void setGeometry(const QRect& rect) = 0;
  virtual void setVisible(bool visible) = 0;
};
