// Painting the block map: the cost of a full repaint and of one changed cell should stay the
// same whatever the size of the drive, since only the rows in view are drawn; and the whole
// display cycle of a scan's blocks likewise.
#include "form/StringGrid.h"
#include "qt/BlockMapWidget.h"

#include "qt/Binder.h"
#include "tests/ScanMapCells.h"
#include "tests/SpeedGraph.h"
#include "tests/TimeClassDisplay.h"

#include <QApplication>
#include <QVBoxLayout>
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

// A whole display cycle as the scan's UI step runs it, on a map that already holds N blocks:
// for each block its map cell and its graph step, then per batch the graph shown, the counters
// and the repaint of what changed. The cost per block should not depend on N, and the map should
// hold about one byte per block.
struct Display {
    form::TestsPage page;
    tests::ScanState state;
    tests::ScanMapCells cells{page.Grid};
    tests::SpeedGraph graph{page, state};
    tests::TimeClassDisplay classes{page, state, [](const std::string&, int, int) {}};
    QWidget window;
    explicit Display(uint64_t blocks) {
        constexpr uint32_t bs = 256;
        state.range = blocks * bs;
        state.speedKBs = 60000;
        cells.reset(377, blocks + kBatch * kBatches); // the drive holds what the cycles add
        for (uint64_t i = 0; i < blocks; ++i) cells.put('1'); // before any widget watches
        graph.reset(state.range, bs);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(qt::createWidget(page.Grid, &window));
        layout->addWidget(qt::createWidget(page.GF, &window));
        for (form::Label* l : {&page.Tim1Lab, &page.Tim2Lab, &page.Tim3Lab, &page.Tim4Lab, &page.Tim5Lab,
                               &page.Tim6Lab, &page.ErLab})
            layout->addWidget(qt::createWidget(*l, &window));
        window.resize(400, 900);
        window.show();
        QApplication::processEvents();
    }
    static constexpr size_t kBatch = 4096, kBatches = 200;
};

void DisplayCycle(benchmark::State& st) {
    const uint64_t n = uint64_t(st.range(0));
    Display d(n);
    uint64_t blocks = 0;
    for (auto _ : st) {
        for (size_t i = 0; i < Display::kBatch; ++i) {
            ++d.state.classCounts[i & 1];
            d.cells.put((i & 1023) == 0 ? '5' : '1');
            d.graph.afterBlock(true, "MODEL");
        }
        d.graph.show();
        d.classes.showCounts();
        QApplication::processEvents();
        blocks += Display::kBatch;
    }
    st.counters["time_per_block"] = benchmark::Counter(double(blocks), benchmark::Counter::kIsRate |
                                                                         benchmark::Counter::kInvert);
    st.counters["map_bytes_per_block"] = double(d.page.Grid.capacity()) / double(d.page.Grid.cellCount());
    st.SetLabel(std::to_string(n) + " blocks before");
}
BENCHMARK(DisplayCycle)
    ->Arg(1000)
    ->Arg(1000000)
    ->Arg(100000000)
    ->Iterations(Display::kBatches)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
