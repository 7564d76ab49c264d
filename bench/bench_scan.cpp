// The surface scan engine's own cost: a whole 40-million-sector lab drive scanned at virtual time
// (the drive answers at once, so what is measured is the worker, its hand-over and the display
// models), and the cost of one synchronous UI step, which the worker pays once a batch.
#include "../test/tests/ScanLab.h"

#include "access/WorkerGate.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

using korvane::testsupport::ScanLab;
namespace form = korvane::form;

static void BM_LabDriveScanAtVirtualTime(benchmark::State& state) {
    const bool api = state.range(0) != 0;
    uint64_t blocks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ScanLab lab;
        if (api)
            lab.useApi(2);
        else
            lab.usePio();
        lab.range("0", std::to_string(lab.app.session.maxLba - 1)); // FUJITSU: 40031712 sectors
        state.ResumeTiming();
        lab.scan();
        blocks += lab.counted() + lab.app.scan.errorCount;
    }
    state.SetItemsProcessed(int64_t(blocks));
    state.SetLabel(api ? "API verify, 256-sector blocks" : "PIO verify, polling, 256-sector blocks");
}
BENCHMARK(BM_LabDriveScanAtVirtualTime)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// One UI step from a worker to the headless UI thread and back.
static void BM_UiStepHandOver(benchmark::State& state) {
    korvane::platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    korvane::access::WorkerGate gate(ui);
    using W = korvane::access::WorkerGate::Worker;
    std::atomic<bool> done{false};
    std::atomic<int64_t> steps{0};
    const std::function<void()> step = [] {};
    gate.started(W::Scan);
    std::thread worker([&] {
        while (!done) {
            gate.uiStep(W::Scan, step);
            ++steps;
        }
    });
    for (auto _ : state) {
        const int64_t before = steps;
        ui.runUntil([&] { return steps >= before + 1000; });
    }
    done = true;
    ui.runUntil([&] { return true; });
    while (worker.joinable()) {
        ui.processEvents();
        if (steps >= 0) {
            ui.shutdown();
            worker.join();
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.SetLabel("1000 steps an iteration");
}
BENCHMARK(BM_UiStepHandOver)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
