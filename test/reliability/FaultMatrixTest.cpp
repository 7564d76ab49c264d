// Every drive operation against every lab fault, through the command line as a user runs it.
// Each cell checks that the operation ends within a bound on the lab's clock, fails with a
// level-4 line and a failing exit status where the fault touches it (and works where it does
// not), leaves no worker running and every button it found usable usable again, and that the
// drives received no write outside what the operation was allowed to write.
#include "app/cli/CliRunner.h"
#include "platform/sim/VirtualClock.h"
#include "shell/App.h"
#include "sim/Lab.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <sstream>

using namespace korvane;

namespace {

// The range-taking operations work on sectors 0 to kRangeEnd, the end included as the fields
// take it, in blocks of 64; a PIO Restore rewrites up to kReadLong sectors from a bad one.
constexpr uint64_t kRangeEnd = 255, kReadLong = 8;

struct Operation {
    const char* name;
    std::vector<std::string> args; // after the route
    uint8_t command;               // the ATA command the ABRT fault refuses
    uint64_t writableEnd;          // the operation may write sectors [0, writableEnd) of its drive
    int seconds;                   // the bound on the lab's clock
};

const std::vector<Operation>& operations() {
    static const std::string range = std::to_string(kRangeEnd);
    const uint64_t inRange = kRangeEnd + 1;
    static const std::vector<Operation> ops = {
        {"Passport", {"passport"}, 0xEC, 0, 120},
        {"SmartRead", {"smart"}, 0xB0, 0, 120},
        {"ScanVerify", {"scan", "--mode", "verify", "--end", range, "--block", "64"}, 0x40, 0, 300},
        {"ScanRead", {"scan", "--mode", "read", "--end", range, "--block", "64"}, 0x20, 0, 300},
        {"ScanWrite", {"--yes", "scan", "--mode", "write", "--end", range, "--block", "64", "--yes"}, 0x30, inRange, 300},
        {"Remap", {"--yes", "scan", "--end", range, "--block", "64", "--defects", "remap", "--yes"}, 0x40, inRange, 300},
        {"Erase", {"--yes", "scan", "--end", range, "--block", "64", "--defects", "erase", "--yes"}, 0x40, inRange, 300},
        {"Restore", {"--yes", "scan", "--end", range, "--block", "64", "--defects", "restore", "--read-long-count",
                     std::to_string(kReadLong), "--yes"}, 0x40, inRange + kReadLong, 300},
        {"Seek", {"seek", "--mode", "verify", "--end", range, "--count", "200"}, 0x40, 0, 300},
        {"HpaNative", {"hpa", "native"}, 0xF8, 0, 120},
        {"HpaSet", {"--yes", "hpa", "set", "30000000", "--temp"}, 0xF9, 0, 120},
        {"SecurityLock", {"--yes", "security", "lock", "--password", "matrix"}, 0xF1, 0, 120},
        {"Cache", {"cache", "write", "off"}, 0xEF, 0, 120},
        {"Sleep", {"sleep"}, 0xE0, 0, 120},
        {"Rpm", {"rpm"}, 0x20, 0, 300},
        {"Partitions", {"partitions"}, 0x20, 0, 120},
        {"SectorRead", {"sector", "read", "0"}, 0x20, 0, 120},
        {"SectorWrite", {"--yes", "sector", "write", "0", "--in", "@sector"}, 0x30, 1, 120},
    };
    return ops;
}

// The drive the faults are planted on: the lab's secondary master, also physical drive 2.
sim::AtaDevice& target(sim::Lab& lab) { return *lab.channelAt(0x170)->device(0); }

// What a cell must show besides the checks every cell makes.
enum class Outcome {
    Fails,   // a failing exit status (1, or 3: a problem found on the drive) and a level-4 line
    Works,   // the fault does not touch the operation: exit status 0
    Repairs, // a treatment that repaired what the fault broke: exit status 3 (bad blocks were found)
    NotOnRoute, // the operation is not offered on the fault's route (PIO only): exit 1 and why
};

struct Fault {
    const char* name;
    std::vector<std::string> route;
    std::function<void(sim::Lab&, const Operation&)> plant;
    std::set<std::string> unaffected; // operations the fault does not touch
    std::set<std::string> repaired;   // treatments that repair it
    sim::AtaDevice& (*drive)(sim::Lab&) = target; // the drive the operation works on
    bool api = false;                              // API route: the PIO-only operations are refused
    Outcome expected(const std::string& op) const {
        if (api && (op == "HpaNative" || op == "HpaSet")) return Outcome::NotOnRoute;
        return unaffected.count(op) ? Outcome::Works : repaired.count(op) ? Outcome::Repairs : Outcome::Fails;
    }
};

sim::AtaDevice& usbDisk(sim::Lab& lab) {
    for (auto& d : lab.disks())
        if (d.variant == sim::DiskVariant::UsbBridge) return *d.device;
    throw std::logic_error("the lab has no USB disk");
}

const std::vector<std::string> kPio = {"--pio", "secondary"};

std::set<std::string> all() {
    std::set<std::string> names;
    for (const auto& op : operations()) names.insert(op.name);
    return names;
}

void eachSectorInRange(sim::Lab& lab, const std::function<void(sim::AtaDevice&, uint64_t)>& f) {
    for (uint64_t lba = 0; lba <= kRangeEnd; ++lba) f(target(lab), lba);
}

const std::set<std::string> kReadsNoMedia = {"Passport", "SmartRead", "HpaNative", "HpaSet", "SecurityLock", "Cache", "Sleep"};
std::set<std::string> with(std::set<std::string> a, const std::set<std::string>& b) {
    a.insert(b.begin(), b.end());
    return a;
}
void forUsbDisk(sim::Lab& lab, const std::function<void(sim::LabDisk&)>& f) {
    for (auto& d : lab.disks())
        if (d.variant == sim::DiskVariant::UsbBridge) f(d);
}

const std::vector<Fault>& faults() {
    static const std::vector<Fault> list = {
        // The control row: without a fault every operation works, on both routes.
        {"None", kPio, [](sim::Lab&, const Operation&) {}, all()},
        {"NoneApi", {"--api", "5"}, [](sim::Lab&, const Operation&) {}, all(), {}, usbDisk, true},
        {"StuckBusy", kPio, [](sim::Lab& lab, const Operation&) { target(lab).faults.stuckBusy = true; }, {}},
        {"NoDrq", kPio, [](sim::Lab& lab, const Operation&) { target(lab).faults.noDrq = true; }, {"HpaNative", "Sleep"}},
        {"EmptyChannel", {"--pio", "custom:1E8:3EE"},
         [](sim::Lab& lab, const Operation&) { lab.addChannel("empty", 0x1E8, 0x3EE); }, {}},
        {"FailingEcho", kPio, [](sim::Lab& lab, const Operation&) { target(lab).faults.echoFails = true; }, {}},
        // Every 16th sector of the range unreadable, sector 0 (the partition table) among them; the
        // seek test, which picks its sectors at random, gets all of them.
        {"Unc", kPio,
         [](sim::Lab& lab, const Operation& op) {
             const uint64_t every = std::string(op.name) == "Seek" ? 1 : 16;
             eachSectorInRange(lab, [every](auto& d, uint64_t l) {
                 if (l % every == 0) d.makeUnreadable(l);
             });
         },
         with(kReadsNoMedia, {"SectorWrite", "ScanWrite"}), {"Remap", "Erase", "Restore"}},
        {"Idnf", kPio, [](sim::Lab& lab, const Operation&) { target(lab).makeIdnf(0, kRangeEnd + 1); }, kReadsNoMedia},
        {"Abrt", kPio, [](sim::Lab& lab, const Operation& op) { target(lab).faults.abortCommand = op.command; }, {}},
        {"WriteProtect", kPio, [](sim::Lab& lab, const Operation&) { target(lab).setWriteProtected(true); },
         with(kReadsNoMedia, {"ScanVerify", "ScanRead", "Remap", "Erase", "Restore", "Seek", "Rpm", "Partitions", "SectorRead"})},
        // The drive leaves the bus in the middle of a data transfer; commands without data never see it.
        {"VanishedDrive", kPio, [](sim::Lab& lab, const Operation&) { target(lab).faults.disappearAfterWords = 100; },
         {"HpaNative", "Sleep"}},
        {"UnpluggedDevice", {"--api", "2"},
         [](sim::Lab& lab, const Operation&) {
             for (auto& d : lab.disks())
                 if (d.device.get() == &target(lab)) d.unplugged = true;
         },
         {}, {}, target, true},
        {"BridgeWithoutSmart", {"--api", "5"}, [](sim::Lab& lab, const Operation&) { forUsbDisk(lab, [](auto& d) { d.dropsSmart = true; }); },
         [] { auto a = all(); a.erase("SmartRead"); return a; }(), {}, usbDisk, true},
        // A sector slower than every time-out: the block, the command or the read holding it must give up.
        // A read scan's block time-out covers the wait for its first sector: a slow one inside a block
        // only warns. The RPM measurement cannot tell a slow sector from a slow spindle.
        // The seek test picks its sectors at random: for it, every sector of its range is slow.
        {"SlowSector", kPio,
         [](sim::Lab& lab, const Operation& op) {
             if (std::string(op.name) == "Seek")
                 eachSectorInRange(lab, [](auto& d, uint64_t l) { d.makeSlow(l, 30000); });
             else
                 for (uint64_t l : {0, 100}) target(lab).makeSlow(l, 30000);
         },
         with(kReadsNoMedia, {"ScanRead", "ScanWrite", "Rpm", "Partitions", "SectorRead"}), {"Remap", "Erase", "Restore"}},
    };
    return list;
}

struct Cell {
    int status = -1;
    std::string out, err;
    std::vector<std::string> stuckButtons;
    bool workerLeft = false;
    uint64_t labSeconds = 0;
    std::vector<std::string> strayWrites;
};

// One NTFS partition from sector 2048, so the partition list has something to find.
void plantPartitionTable(sim::AtaDevice& drive) {
    uint8_t mbr[512] = {};
    uint8_t* e = mbr + 446;
    e[4] = 0x07;
    const uint32_t start = 2048, count = 1000000;
    for (int i = 0; i < 4; ++i) {
        e[8 + i] = uint8_t(start >> (8 * i));
        e[12 + i] = uint8_t(count >> (8 * i));
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    drive.store().preload(0, mbr, 1);
}

class FaultMatrix : public ::testing::TestWithParam<std::tuple<size_t, size_t>> {
protected:
    testsupport::TempDir dir;

    Cell run(const Fault& fault, const Operation& op) {
        // A settings file, so the start-up's missing-file warning is not taken for the operation's.
        if (!dir.exists("krv40.ini")) {
            std::ostringstream o, e;
            cli::runCommandLine({"--ini", dir.file("krv40.ini"), "--save-settings", "--quiet", "lab"}, o, e);
        }
        dir.write("sector.bin", std::string(512, 'K'));
        std::vector<std::string> args = {"--ini", dir.file("krv40.ini"), "--logs", dir.file("logs")};
        args.insert(args.end(), fault.route.begin(), fault.route.end());
        for (const auto& a : op.args) args.push_back(a == "@sector" ? dir.file("sector.bin") : a);

        Cell cell;
        sim::Lab* lab = nullptr;
        std::vector<std::pair<form::Button*, std::string>> usable;
        uint32_t startMs = 0;
        cli::CliHooks hooks;
        hooks.labBuilt = [&](sim::Lab& l) {
            lab = &l;
            plantPartitionTable(fault.drive(l));
            fault.plant(l, op);
        };
        hooks.startedUp = [&](shell::App& app) {
            auto& f = app.form;
            for (form::Button* b : {&f.commands.PasspBtn, &f.commands.ResetBtn, &f.commands.StopBtn, &f.commands.RecBtn,
                                    &f.commands.PowerBtn, &f.tests.ScanStartBtn, &f.standard.seek.SeekBtn,
                                    &f.smart.monitor.SmartBtn, &f.standard.pci.PCIScanBtn})
                if (b->enabled()) usable.emplace_back(b, b->name());
            startMs = app.env.clock.tickCountMs();
        };
        hooks.commandDone = [&](shell::App& app, platform::VirtualClock& clock) {
            for (auto& [button, name] : usable)
                if (!button->enabled()) cell.stuckButtons.push_back(name);
            for (auto w : {access::WorkerGate::Worker::Scan, access::WorkerGate::Worker::Seek,
                           access::WorkerGate::Worker::SelfTest, access::WorkerGate::Worker::Erase})
                cell.workerLeft = cell.workerLeft || app.jobs.running(w);
            cell.labSeconds = uint32_t(clock.tickCountMs() - startMs) / 1000u;
            for (const auto& drive : lab->drives())
                for (const auto& w : drive->store().writes()) {
                    const bool allowed = drive.get() == &fault.drive(*lab) && w.lba + w.count <= op.writableEnd;
                    if (!allowed)
                        cell.strayWrites.push_back(drive->profile().model + " " + std::to_string(w.lba) + "+" +
                                                   std::to_string(w.count));
                }
        };
        std::ostringstream out, err;
        cell.status = cli::runCommandLine(args, out, err, hooks);
        cell.out = out.str();
        cell.err = err.str();
        return cell;
    }
};

bool hasLevel4Line(const std::string& err) {
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("4 ", 0) == 0) return true;
    return false;
}

TEST_P(FaultMatrix, EndsReportsAndWritesOnlyWhatItMay) {
    const Fault& fault = faults()[std::get<0>(GetParam())];
    const Operation& op = operations()[std::get<1>(GetParam())];
    const Outcome expected = fault.expected(op.name);
    Cell cell = run(fault, op);
    SCOPED_TRACE(std::string(fault.name) + " x " + op.name + "\n--- out:\n" + cell.out + "--- err:\n" + cell.err);

    EXPECT_NE(cell.status, 2) << "the command line itself was refused";
    switch (expected) {
    case Outcome::Fails:
        EXPECT_NE(cell.status, 0) << "a failed operation reported success";
        EXPECT_TRUE(hasLevel4Line(cell.err)) << "no level-4 line says why";
        break;
    case Outcome::Works: EXPECT_EQ(cell.status, 0) << "an operation the fault does not touch failed"; break;
    case Outcome::Repairs: EXPECT_EQ(cell.status, 3) << "a treatment did not report the bad blocks it found"; break;
    case Outcome::NotOnRoute:
        EXPECT_EQ(cell.status, 1);
        EXPECT_NE(cell.err.find("works in PIO mode only"), std::string::npos) << "the refusal does not say why";
        break;
    }
    EXPECT_LE(cell.labSeconds, uint64_t(op.seconds)) << "it ran past its bound on the lab's clock";
    EXPECT_FALSE(cell.workerLeft) << "a worker is still running";
    EXPECT_TRUE(cell.stuckButtons.empty()) << "left disabled: " << ::testing::PrintToString(cell.stuckButtons);
    EXPECT_TRUE(cell.strayWrites.empty()) << "writes outside what it may write: "
                                          << ::testing::PrintToString(cell.strayWrites);
}

std::string cellName(const ::testing::TestParamInfo<std::tuple<size_t, size_t>>& info) {
    return std::string(faults()[std::get<0>(info.param)].name) + "_" + operations()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(EveryFaultEveryOperation, FaultMatrix,
                         ::testing::Combine(::testing::Range<size_t>(0, faults().size()),
                                            ::testing::Range<size_t>(0, operations().size())), cellName);

} // namespace
