#pragma once
#include "form/Control.h"

#include <functional>
#include <vector>

namespace korvane::form {

// A raster image the logic draws on (the speed graph): fill, pen colour, lines and dotted lines.
// Drawing only marks the canvas dirty; the owner calls changed() when a repaint is due.
class Canvas : public Control {
public:
    Canvas(std::string name, int width, int height);

    int pixelWidth() const { return w_; }
    int pixelHeight() const { return h_; }
    Colour pixel(int x, int y) const { return inside(x, y) ? pixels_[size_t(y) * w_ + x] : kDefaultColour; }
    const std::vector<Colour>& pixels() const { return pixels_; }

    void fill(Colour c);
    void setPen(Colour c) { pen_ = c; }
    Colour pen() const { return pen_; }
    void setPixel(int x, int y, Colour c) {
        if (inside(x, y)) pixels_[size_t(y) * w_ + x] = c;
    }
    void moveTo(int x, int y) {
        penX_ = x;
        penY_ = y;
    }
    // Draws from the pen position to (x, y), excluding the end point, and moves the pen there.
    void lineTo(int x, int y);
    // A dotted line: every second pixel of the line in the pen colour.
    void dottedLine(int x0, int y0, int x1, int y1);

    void changed() { notify(Prop::Content); }

    // The pointer over pixel (x, y): the owner writes its readouts.
    void mouseMove(int x, int y) {
        if (onMouseMove) onMouseMove(x, y);
    }
    std::function<void(int, int)> onMouseMove;

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    void line(int x0, int y0, int x1, int y1, bool dotted);

    int w_, h_;
    std::vector<Colour> pixels_;
    Colour pen_ = colours::Black;
    int penX_ = 0, penY_ = 0;
};

} // namespace korvane::form
