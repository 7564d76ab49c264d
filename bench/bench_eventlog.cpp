// Cost of one event-log line with the file mirror on, and of the clock reads the waits poll.
#include "support/TestApp.h"

#include "platform/host/HostClock.h"

#include <benchmark/benchmark.h>

using korvane::testsupport::TestApp;

static void BM_LogEventWithFile(benchmark::State& state) {
    TestApp t;
    t.app->settings.loadSettings();
    int i = 0;
    for (auto _ : state) t.app->logEvent("Block " + std::to_string(i++) + " slow", 0, 3);
}
BENCHMARK(BM_LogEventWithFile);

static void BM_LogEventReplaceLast(benchmark::State& state) {
    TestApp t;
    t.app->form.setup.log.SaveLogChk.setChecked(false);
    int i = 0;
    for (auto _ : state) t.app->logEvent("Progress " + std::to_string(i++), 1, 1);
}
BENCHMARK(BM_LogEventReplaceLast);

static void BM_HostReadCounter(benchmark::State& state) {
    korvane::platform::HostClock clock;
    for (auto _ : state) benchmark::DoNotOptimize(clock.readCounter());
}
BENCHMARK(BM_HostReadCounter);

BENCHMARK_MAIN();
