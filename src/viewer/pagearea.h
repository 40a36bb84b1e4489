#pragma once
// The main window's page area, below the command bar: the browser's view of the course
// pages, with the place bar and the find bar above it when open. It owns what belongs to the view alone: its
// zoom (kept from one run to the next, and Ctrl with the wheel over the page), the find bar,
// and the keyboard focus on the page, which it takes at start and whenever a page arrives.
#include <QWidget>

#include <functional>

class Browser;
class FileSystem;
class FindBar;
class PlaceBar;

class PageArea : public QWidget {
  Q_OBJECT
 public:
  // `createBrowser` makes the browser whose view fills the area; the zoom is kept in
  // `settingsFile` ("" keeps nothing).
  PageArea(const std::function<Browser*(QWidget* parent)>& createBrowser, FileSystem& files, QString settingsFile,
           QWidget* parent);

  Browser& browser() const { return *browser_; }

  // One step larger (direction > 0) or smaller (< 0), or back to the pages' own size (0);
  // kept for the next run.
  void zoomBy(int direction);
  double zoomFactor() const { return zoom_; }

  void openFindBar();
  FindBar* findBar() const { return findBar_; }
  // The find bar is open and has the keyboard: Enter and Esc are its own.
  bool findBarHasKeyboard() const;

  // The strip that offers the place kept or says what a command did; made when first wanted.
  PlaceBar& placeBar();
  bool hasPlaceBar() const { return placeBar_ != nullptr; }
  // A strip of the area has the keyboard and takes the key: true when it was its.
  bool stripTakesKey(int keyCode, int shift);

  // The keyboard goes to the page, so that arrows, Space and the page keys scroll it.
  void focusPage();
  // The open strips at the top, the page below them down to the bottom edge, fitted now (a
  // hidden area is told its size only when it is shown).
  void arrange();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void setZoom(double factor);
  void watchWheelOf(QObject* widget);

  Browser* browser_;
  FileSystem& files_;
  const QString settingsFile_;
  double zoom_ = 1.0;
  int wheelTurn_ = 0;             // Ctrl+wheel turned short of a whole notch
  FindBar* findBar_ = nullptr;    // made at the first Ctrl+F
  PlaceBar* placeBar_ = nullptr;  // made when the first page has arrived, or at the first Ctrl+D
};
