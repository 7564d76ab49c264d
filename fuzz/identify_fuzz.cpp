// The IDENTIFY decode and the passport report over any 512 bytes.
#include "FuzzApp.h"
#include "info/IdentifyDecode.h"

#include <cstdlib>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto bytes = fuzz::block<512>(data, size);
    platform::IdentifyBlock id;
    for (size_t w = 0; w < platform::IdentifyBlock::kWords; ++w) id.setWord(w, uint16_t(bytes[2 * w] | bytes[2 * w + 1] << 8));
    info::IdentifyFacts facts = info::decodeIdentify(id);
    if (facts.capacity > info::kMaxAtaCapacity) std::abort(); // no drive addresses past 48 bits

    auto& t = fuzz::fuzzApp();
    auto& report = t.app->passportReport;
    report.reset("Value");
    report.addAtaRows(id, facts.capacity ? facts.capacity - 1 : 0, facts.bytesPerSector, 2048, [](auto&&...) {});
    auto& list = t.app->form.standard.passport.Psp;
    for (size_t r = 0; r < list.rowCount(); ++r)
        for (size_t c = 0; c < 3; ++c) (void)report.cellColour(r, c);
    (void)report.copyAllText();
    return 0;
}
