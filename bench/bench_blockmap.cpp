// Painting the block map: the cost of a full repaint and of one changed cell should stay the
// same whatever the size of the drive, since only the rows in view are drawn.
#include "form/StringGrid.h"
#include "qt/BlockMapWidget.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>

using namespace korvane;

namespace {

struct Map {
    form::StringGrid grid{"Grid"};
    qt::BlockMapWidget* widget;
    explicit Map(int64_t rows) {
        grid.resize(30, size_t(rows), '2');
        widget = qt::BlockMapWidget::create(grid, nullptr);
        widget->resize(380, 480);
        widget->show();
        QApplication::processEvents();
    }
    ~Map() { delete widget; }
};

void FullRepaint(benchmark::State& state) {
    Map map(state.range(0));
    map.widget->verticalScrollBar()->setValue(map.widget->verticalScrollBar()->maximum() / 2);
    for (auto _ : state) map.widget->viewport()->repaint();
    state.SetLabel(std::to_string(state.range(0) * 30) + " blocks");
}
BENCHMARK(FullRepaint)->Arg(1000)->Arg(100000)->Arg(1000000);

void OneCellChanged(benchmark::State& state) {
    Map map(state.range(0));
    size_t cell = 0;
    for (auto _ : state) {
        map.grid.setCell(cell, (cell & 1) ? '5' : '6');
        cell = (cell + 1) % 300;
        QApplication::processEvents();
    }
    state.SetLabel(std::to_string(state.range(0) * 30) + " blocks");
}
BENCHMARK(OneCellChanged)->Arg(1000)->Arg(1000000);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
