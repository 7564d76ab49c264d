// "Open BIN" of the passport and of the SMART page over any file.
#include "FuzzApp.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& t = fuzz::fuzzApp();
    t.dir.write("input.bin", fuzz::asText(data, size));
    t.dialogs.fileNames = {t.dir.file("input.bin")};
    t.app->passportReader.openBinClick();
    t.dialogs.fileNames = {t.dir.file("input.bin")};
    t.app->smartReader.openBinClick();
    return 0;
}
