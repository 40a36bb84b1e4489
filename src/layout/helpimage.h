#pragma once
#include <QPixmap>

// The help pictures: what the ten buttons and the keys do, in the main window and in
// the side windows, where some buttons do other things.
QPixmap mainHelpImage();
QPixmap sideHelpImage();

// An empty picture of `size` (in the widgets' units) with as many pixels as the screen's
// density asks, so that what is drawn on it stays sharp on a high-DPI screen.
QPixmap pixmapForScreen(QSize size);
