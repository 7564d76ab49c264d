#pragma once
// One lab application per fuzz program, kept across inputs: building it costs far more than
// running one input. What an input leaves behind (log lines, shown dialogs) is cleared before the
// next, so memory stays flat over a long run.
#include "support/TestApp.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvane::fuzz {

inline testsupport::TestApp& fuzzApp() {
    static testsupport::TestApp* t = [] {
        auto* app = new testsupport::TestApp;
        app->startPio(0x1F0, 0x3F6);
        return app;
    }();
    t->app->form.log.StringLog.clear();
    t->dialogs.shown.clear();
    t->dialogs.fileRequests.clear();
    return *t;
}

inline std::string asText(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

// `n` bytes of the input from `offset`, zero-padded where it runs short.
template <size_t N> std::array<uint8_t, N> block(const uint8_t* data, size_t size, size_t offset = 0) {
    std::array<uint8_t, N> b{};
    for (size_t i = 0; i < N && offset + i < size; ++i) b[i] = data[offset + i];
    return b;
}

} // namespace korvane::fuzz
