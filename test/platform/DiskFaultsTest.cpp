#include "platform/SystemErrors.h"
#include "platform/host/HostDiskDevices.h"
#include "support/LabHost.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>

using namespace korvane;
using namespace korvane::platform;

namespace {

// One fault, as a disk operation meets it, and the system code both back-ends must give for it.
struct Fault {
    const char* name;
    std::function<uint32_t(DiskHandle&, uint64_t sectors)> op;
    uint32_t expected;
    bool writes = false;
};

const std::vector<Fault>& faults() {
    static uint8_t buffer alignas(4096)[8192];
    static const std::vector<Fault> table = {
        {"read starting past the end",
         [](DiskHandle& h, uint64_t n) {
             uint32_t done;
             return h.read(n * 512, buffer, 512, done);
         },
         syserr::SectorNotFound},
        {"write across the end",
         [](DiskHandle& h, uint64_t n) {
             uint32_t done;
             return h.write((n - 1) * 512, buffer, 1024, done);
         },
         syserr::SectorNotFound, true},
        {"read of the last sector",
         [](DiskHandle& h, uint64_t n) {
             uint32_t done;
             return h.read((n - 1) * 512, buffer, 512, done);
         },
         syserr::Success},
    };
    return table;
}

// On a read-only device every write is refused for that before its range is looked at, as the lab does.
void checkAll(DiskHandle& h, uint64_t sectors, const std::string& backEnd, bool readOnly = false) {
    for (const Fault& f : faults())
        EXPECT_EQ(f.op(h, sectors), readOnly && f.writes ? syserr::WriteProtect : f.expected) << backEnd << ": " << f.name;
}

} // namespace

TEST(DiskFaults, TheLabAndTheHostGiveTheSameCodeForTheSameFault) {
    testsupport::LabHost lab;
    uint32_t err = 0;
    auto labDisk = lab.disks->openPhysical(0, err);
    ASSERT_NE(labDisk, nullptr);
    checkAll(*labDisk, lab.lab->disks()[0].device->currentMax(), "lab");

    testsupport::TempDir dir;
    std::string image = dir.file("disk.img");
    std::ofstream(image, std::ios::binary).close();
    std::filesystem::resize_file(image, 8ull << 20);
    auto file = HostDiskDevices::openPath(image, err);
    ASSERT_NE(file, nullptr);
    checkAll(*file, (8ull << 20) / 512, "image file");

    std::string loop = testsupport::runShell("losetup -r -f --show " + image);
    if (loop.empty()) GTEST_SKIP() << "no loop devices here: the block-device column is not checked";
    struct Detach {
        std::string dev;
        ~Detach() { testsupport::runShell("losetup -d " + dev); }
    } detach{loop};
    auto device = HostDiskDevices::openPath(loop, err);
    ASSERT_NE(device, nullptr);
    checkAll(*device, (8ull << 20) / 512, "read-only loop device", true);
    static uint8_t sector alignas(4096)[512];
    uint32_t done = 0;
    EXPECT_EQ(device->write(0, sector, 512, done), syserr::WriteProtect) << "a read-only device";
}
