#pragma once
#include <QPixmap>

// The help pictures: what the ten buttons and the keys do, in the main window and in
// the side windows, where some buttons do other things.
QPixmap mainHelpImage();
QPixmap sideHelpImage();
