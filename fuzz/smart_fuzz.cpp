// The SMART decode, its rows, colours and copy text, and the self-test list over any data and
// threshold blocks, for every drive family.
#include "FuzzApp.h"
#include "info/SmartAttributes.h"
#include "info/SmartSelfTests.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto values = fuzz::block<512>(data, size);
    auto thresholds = fuzz::block<512>(data, size, 512);
    const uint8_t family = size > 1024 ? uint8_t(data[1024] % 24) : 0;
    std::vector<info::SmartRowCells> rows;
    for (size_t k = 0; k < 30; ++k) {
        info::SmartAttribute a = info::decodeSmartSlot(values.data(), thresholds.data(), k, family);
        for (auto& row : info::smartRows(a, family)) {
            for (size_t c = 0; c < row.size(); ++c) (void)info::smartCellColour(row, c, family);
            rows.push_back(std::move(row));
        }
    }
    (void)info::smartCopyText("MODEL", "SERIAL", rows);
    (void)info::selfTestReport(values.data());
    return 0;
}
