#include "qt/QtPictureFiles.h"

#include "qt/CanvasImage.h"
#include "qt/MapPainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdio>

namespace korvane::qt {

namespace {
// Qt's own remarks (a missing runtime directory, font fall-backs) are not the command line's
// output; what went wrong with a picture is said by the caller.
void quiet(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
}

// Text needs a Qt application; the command line has none until a picture is asked for.
void ensureApplication() {
    if (QCoreApplication::instance()) return;
    qInstallMessageHandler(quiet);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "korvane";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

std::string write(const QImage& image, const std::string& path) {
    QImageWriter writer(QString::fromStdString(path), "png");
    if (writer.write(image)) return "";
    return writer.errorString().toStdString();
}
} // namespace

std::string QtPictureFiles::saveMap(const form::StringGrid& grid, const std::string& path) {
    ensureApplication();
    const MapPainter painter(grid);
    const int rows = int(std::min(grid.rowCount(), kMaxMapRows));
    const int cols = int(std::max<size_t>(grid.columnCount(), 1));
    QImage image(cols * painter.columnPitch(), std::max(rows, 1) * painter.rowPitch(), QImage::Format_RGB32);
    if (image.isNull()) return "the picture is too large";
    image.fill(Qt::white);
    QPainter p(&image);
    painter.paintRows(p, 0, rows - 1, 0, image.rect());
    p.end();
    return write(image, path);
}

std::string QtPictureFiles::saveGraph(const form::Canvas& canvas, const std::string& path) {
    ensureApplication();
    QImage image;
    copyCanvas(canvas, image);
    return write(image, path);
}

} // namespace korvane::qt
