#include "form/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace korvane::form {

Canvas::Canvas(std::string name, int width, int height)
    : Control(std::move(name)), w_(width), h_(height), pixels_(size_t(width) * height, colours::White) {
    setWidth(width);
    setHeight(height);
}

void Canvas::fill(Colour c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void Canvas::lineTo(int x, int y) {
    line(penX_, penY_, x, y, false);
    moveTo(x, y);
}

void Canvas::dottedLine(int x0, int y0, int x1, int y1) { line(x0, y0, x1, y1, true); }

void Canvas::line(int x0, int y0, int x1, int y1, bool dotted) {
    // Bresenham; the end point is left out, as the usual graphics line-to does.
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (int step = 0; x0 != x1 || y0 != y1; ++step) {
        if (!dotted || step % 2 == 0) setPixel(x0, y0, pen_);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

} // namespace korvane::form
