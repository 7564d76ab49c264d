// The partition walk (MBR, extended chain, GUID table and its backup) over any sectors. An input
// is a run of records, each a 4-byte LBA (little-endian, taken modulo the disk) and the 512 bytes
// put there; a record cut short is zero-padded. The sectors written are cleared again afterwards.
#include "FuzzApp.h"

#include <cstring>
#include <vector>

using namespace korvane;

namespace {

constexpr uint64_t kSectors = 8000000;

std::shared_ptr<sim::AtaDevice> fuzzDisk(testsupport::TestApp& t) {
    static std::shared_ptr<sim::AtaDevice> disk = [&] {
        sim::DriveProfile p;
        p.model = "FUZZ PARTITIONS";
        p.serial = "FZ-0001";
        p.nativeSectors = kSectors;
        auto d = t.lab->addDrive(p);
        t.lab->addChannel("fuzz", 0x1E8, 0x3EE).attach(0, d);
        t.startPio(0x1E8, 0x3EE);
        t.app->form.commands.PasspBtn.click();
        return d;
    }();
    return disk;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& t = fuzz::fuzzApp();
    auto disk = fuzzDisk(t);
    std::vector<uint64_t> written;
    for (size_t at = 0; at < size && written.size() < 256; at += 516) {
        auto record = fuzz::block<516>(data, size, at);
        uint32_t lba = 0;
        std::memcpy(&lba, record.data(), 4);
        written.push_back(lba % kSectors);
        disk->store().preload(written.back(), record.data() + 4, 1);
    }
    t.app->partitionAnalyser.analyse();
    (void)t.app->partitionAnalyser.copyText();
    const uint8_t zero[512] = {};
    for (uint64_t lba : written) disk->store().preload(lba, zero, 1);
    t.app->partitionAnalyser.clear();
    return 0;
}
