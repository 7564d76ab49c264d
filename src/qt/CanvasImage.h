#pragma once
#include "form/Canvas.h"

#include <QImage>

namespace korvane::qt {

// The logic's raster as a Qt image, for the screen and for a picture file alike. `image` is
// (re)made at the canvas's size when it is not.
void copyCanvas(const form::Canvas& canvas, QImage& image);

} // namespace korvane::qt
