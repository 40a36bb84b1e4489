#pragma once
#include <QPixmap>
#include <QString>

#include <functional>

// The help pictures: what the ten buttons and the keys do, in the main window and in the
// side windows, where some buttons do other things. Each comes with the same in words, for
// those who cannot see the picture.
struct HelpPicture {
  std::function<QPixmap()> draw;  // drawn when first wanted
  QString text;
};
HelpPicture mainHelp();
HelpPicture sideHelp();  // one picture for the three side windows, drawn once

// An empty picture of `size` (in the widgets' units) with as many pixels as the screen's
// density asks, so that what is drawn on it stays sharp on a high-DPI screen.
QPixmap pixmapForScreen(QSize size);
