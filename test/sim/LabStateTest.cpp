#include "sim/LabProfiles.h"
#include "sim/LabStateStore.h"
#include "support/TestApp.h"
#include "platform/sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace korvane;

namespace {
sim::AtaDevice& drive(sim::Lab& lab, size_t i) { return *lab.drives()[i]; }
} // namespace

TEST(LabState, MediaAndDriveStateOutliveTheRunAndComeBackAfterARestart) {
    testsupport::TempDir dir;
    platform::VirtualClock clock;
    std::vector<uint8_t> mbr(512);
    {
        auto lab = sim::buildLab("default", clock);
        std::string error;
        ASSERT_TRUE(sim::LabStateStore::open(*lab, dir.path() + "state", error)) << error;
        auto& d = drive(*lab, 0);
        d.store().read(0, 1, mbr.data()); // the built MBR went into the new image
        std::vector<uint8_t> marked(512, 0xA5);
        d.store().write(1234, 1, marked.data());
        d.makeUnreadable(777);
        uint8_t block[512] = {};
        std::memcpy(block + 2, "pw", 2);
        ASSERT_TRUE(d.security().setPassword(block));
        ASSERT_TRUE(sim::LabStateStore::save(*lab, dir.path() + "state", error)) << error;
    }
    auto lab = sim::buildLab("default", clock);
    std::string error;
    ASSERT_TRUE(sim::LabStateStore::open(*lab, dir.path() + "state", error)) << error;
    auto& d = drive(*lab, 0);
    std::vector<uint8_t> back(512);
    d.store().read(1234, 1, back.data());
    EXPECT_EQ(back, std::vector<uint8_t>(512, 0xA5));
    d.store().read(0, 1, back.data());
    EXPECT_EQ(back, mbr);
    EXPECT_TRUE(d.unreadable(777));
    EXPECT_TRUE(d.security().enabled());
    EXPECT_TRUE(d.security().locked()) << "a password set before the restart locks the drive";
    EXPECT_FALSE(drive(*lab, 1).security().enabled()) << "each drive keeps its own state";
}

TEST(LabState, AFileOfAnotherVersionLabOrDamagedIsRefusedWhole) {
    platform::VirtualClock clock;
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"korvane lab state 0\nprofile default\n", "another version"},
        {"korvane lab state 1\nprofile single\n", "another lab profile"},
        {"korvane lab state 1\nprofile default\ndrive 0 SOMEONE|ELSE\ncurrentMax=1\n", "another drive"},
        {"korvane lab state 1\nprofile default\n", "lacks drive 0"},
    };
    for (const auto& [text, why] : bad) {
        testsupport::TempDir dir;
        std::filesystem::create_directories(dir.path() + "state");
        dir.write("state/lab-state.txt", text);
        auto lab = sim::buildLab("default", clock);
        std::string error;
        EXPECT_FALSE(sim::LabStateStore::open(*lab, dir.path() + "state", error)) << why;
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_FALSE(dir.exists("state/drive-0.img")) << "nothing was half-loaded";
    }
    // A state whose first drive is sound but whose second is damaged changes no drive.
    testsupport::TempDir dir;
    {
        auto lab = sim::buildLab("default", clock);
        std::string error;
        ASSERT_TRUE(sim::LabStateStore::open(*lab, dir.path() + "s", error));
        drive(*lab, 0).makeUnreadable(5);
        ASSERT_TRUE(sim::LabStateStore::save(*lab, dir.path() + "s", error));
    }
    std::string text = dir.read("s/lab-state.txt");
    size_t second = text.find("\ndrive 1 ");
    ASSERT_NE(second, std::string::npos);
    size_t at = text.find("currentMax=", second);
    text.replace(at, 11, "currentMax=x");
    dir.write("s/lab-state.txt", text);
    auto lab = sim::buildLab("default", clock);
    std::string error;
    EXPECT_FALSE(sim::LabStateStore::open(*lab, dir.path() + "s", error));
    EXPECT_NE(error.find("drive 1"), std::string::npos) << error;
    EXPECT_FALSE(drive(*lab, 0).unreadable(5)) << "drive 0 was not restored from a file refused whole";
}
