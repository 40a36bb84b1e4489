#pragma once
// Other programs' windows found by their titles and brought forward, on X11. Under a
// window manager the managed windows are those of _NET_CLIENT_LIST and activation goes
// through it (_NET_ACTIVE_WINDOW); without one the viewable top-level windows are walked
// and the found one is raised and given the keyboard. A manager that keeps no client list
// is walked like that too, taking inside each frame the client that carries WM_STATE.
// Windows that are not on screen, such as the hidden helper windows every Qt program owns,
// never match.
#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

class X11Windows {
 public:
  using WindowId = quint32;

  // Connects to `display`, or to $DISPLAY when it is empty.
  explicit X11Windows(const QByteArray& display = {});
  ~X11Windows();
  X11Windows(const X11Windows&) = delete;
  X11Windows& operator=(const X11Windows&) = delete;

  bool connected() const;
  // True when a window manager that follows EWMH runs on the screen.
  bool windowManagerRunning();

  struct Window {
    WindowId id;
    QString title;
  };
  // The top-level windows that are on screen (or, under a window manager, minimised).
  QList<Window> topLevelWindows();
  // The window whose title equals `title`, else the first whose title begins with it.
  std::optional<WindowId> findWindow(QStringView title);
  // Brings the window forward and gives it the keyboard. False when that could not be
  // asked for. Returns once the X server has handled the request, so that the process may
  // end straight after.
  bool activate(WindowId window);
  // The activate-by-title operation: false when no window answers to the title.
  bool activateByTitle(QStringView title);
  // Asks for the window to fill the screen: through the window manager when there is one.
  // Returns once the X server has handled the request.
  bool maximize(WindowId window);

  struct Pointer {
    QPoint position;  // on the screen, in pixels
    bool leftButtonDown = false;
  };
  // Where the mouse pointer is and whether its left button is down, wherever it is.
  std::optional<Pointer> pointer();

  // The choice among windows by title.
  static std::optional<WindowId> chooseByTitle(const QList<Window>& windows, QStringView title);

 private:
  QList<WindowId> candidates();
  quint32 serverTime();  // the X server's current time, for requests that must carry one
  // One round trip: true once the server has handled every request sent before.
  bool handled();
  // The client window inside a top-level (frame) window: the one that carries WM_STATE.
  WindowId clientIn(WindowId topLevel);
  bool hasWmState(WindowId window);

  struct Connection;
  std::unique_ptr<Connection> x_;
};
