#pragma once
// The return window's picture: a button that says RETURN TO TEXT beside a disc in its case,
// drawn at `size`, and the darker one of the button held down.
#include <QPixmap>
#include <QSize>

QPixmap returnWindowPicture(QSize size, bool pressed);
