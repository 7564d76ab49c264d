// The block files `scan-compare` reads, over any text: a file that reads is comparable with
// itself and nothing in it got worse.
#include "FuzzApp.h"
#include "tests/BlockCsv.h"

#include <cstdlib>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static testsupport::TempDir dir;
    dir.write("blocks.csv", fuzz::asText(data, size));
    std::string error;
    auto file = tests::readBlockCsv(dir.file("blocks.csv"), error);
    if (!file) {
        if (error.empty()) std::abort(); // a refusal always says why
        return 0;
    }
    if (!tests::incomparable(*file, *file).empty()) std::abort();
    if (tests::compareScans(file->rows, file->rows).worse()) std::abort();
    return 0;
}
