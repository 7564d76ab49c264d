#include "qt/CanvasImage.h"

namespace korvane::qt {

void copyCanvas(const form::Canvas& canvas, QImage& image) {
    const int w = canvas.pixelWidth(), h = canvas.pixelHeight();
    if (image.width() != w || image.height() != h || image.format() != QImage::Format_RGB32)
        image = QImage(w, h, QImage::Format_RGB32);
    const auto& px = canvas.pixels();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const form::Colour c = px[size_t(y) * size_t(w) + size_t(x)];
            line[x] = c == form::kDefaultColour ? qRgb(255, 255, 255) : (0xFF000000u | (c & 0xFFFFFFu));
        }
    }
}

} // namespace korvane::qt
