#pragma once
#include <QPixmap>

// The main window's help picture: what the ten buttons and the keys do.
QPixmap mainHelpImage();
