#include "app/cli/CliOptions.h"
#include "app/cli/CliRunner.h"
#include "app/cli/CliSmart.h"

#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "tests/BlockCsv.h"

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace korvane::cli;

namespace {
struct CliRun {
    int status;
    std::string out, err;
};
CliRun run(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = runCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}
} // namespace

TEST(CliOptions, ParsesGlobalOptionsBeforeTheCommand) {
    auto r = parseCommandLine({"--sim=quiet-lab", "--pio", "custom:D400:D802", "--slave", "--lba48", "--yes",
                               "--ini", "my.ini", "scan", "--mode", "verify"});
    ASSERT_TRUE(r.options) << r.error;
    EXPECT_EQ(r.options->simProfile, "quiet-lab");
    EXPECT_EQ(r.options->pio, "custom:D400:D802");
    EXPECT_TRUE(r.options->slave);
    EXPECT_TRUE(r.options->lba48);
    EXPECT_EQ(r.options->answer, true);
    EXPECT_EQ(r.options->iniFile, "my.ini");
    EXPECT_EQ(r.options->command, "scan");
    EXPECT_EQ(r.options->arguments, (std::vector<std::string>{"--mode", "verify"}));

    auto host = parseCommandLine({"--device", "disk.img", "--device", "b.img", "--api", "C:", "devices"});
    ASSERT_TRUE(host.options) << host.error;
    EXPECT_EQ(host.options->machine, CliOptions::Machine::Host);
    EXPECT_EQ(host.options->devices.size(), 2u);
}

TEST(CliOptions, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"--api", "25", "passport"},
        {"--api", "CC", "passport"},
        {"--pio", "tertiary", "reset"},
        {"--pio", "custom:G000:376", "reset"},
        {"--pio", "custom:FFFA:376", "reset"},
        {"--pio", "custom:1E8:12345", "reset"},
        {"--yes", "--no", "scan"},
        {"--sim", "--host", "lab"},
        {"--api", "0", "--pio", "primary", "passport"},
        {"--ini"},
        {"--bogus", "clock"},
    };
    for (const auto& args : bad) {
        auto r = parseCommandLine(args);
        EXPECT_FALSE(r.options) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(r.error.empty());
    }
}

TEST(CliRunner, ExitStatusesAndMessages) {
    korvane::testsupport::TempDir logs;
    CliRun unknown = run({"wibble"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown command wibble"), std::string::npos);

    CliRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: korvane-cli"), std::string::npos);

    // Every command of the table is built now: none says it is missing.
    for (const char* command : {"pci", "partitions", "smart"}) {
        CliRun r = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), command});
        EXPECT_EQ(r.err.find("is not available yet"), std::string::npos) << command;
    }
}

TEST(CliRunner, ClockPrintsTheCalibrationLine) {
    korvane::testsupport::TempDir logs;
    CliRun r = run({"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "clock"});
    EXPECT_EQ(r.status, 0);
    size_t at = r.out.find(" : CPU clock... ");
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" MHz\n", at), std::string::npos);
    EXPECT_NE(r.out.find("4 "), std::string::npos) << "the missing-settings warning carries its mark";
    EXPECT_NE(logs.read("eventlog.txt").find(" : CPU clock... "), std::string::npos) << "the log file has it too";
    EXPECT_EQ(cliLogLine("09:12:30 : x", " "), "09:12:30 : x");
    EXPECT_EQ(cliLogLine("09:12:30 : x", "4"), "4 09:12:30 : x");
}

TEST(CliRunner, ResetAndStatusOnTheLab) {
    korvane::testsupport::TempDir logs;
    CliRun ok = run({"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--pio", "secondary", "reset"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.out.find(" : Reset OK\n"), std::string::npos) << ok.out;
    EXPECT_EQ(ok.out.find("Drive reset...\n"), std::string::npos) << "the line is printed in its final form";

    CliRun status = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--pio",
                         "custom:D400:D802", "status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_NE(status.out.find("Status: 50h"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("Status: 50h  Error: 01h\nLamps: DRDY DRSC AMNF\n"), std::string::npos)
        << "the lamps named from the bytes read: " << status.out;

    CliRun api = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--api", "0", "reset"});
    EXPECT_EQ(api.status, 1);
    EXPECT_NE(api.err.find("PIO mode only"), std::string::npos);
}

TEST(CliRunner, ResetOnAnEmptyChannelTimesOut) {
    korvane::testsupport::TempDir dir;
    dir.write("fast.ini", "[Setup]\nBUSY Timeout=1\n"); // keep the real-time wait short
    CliRun r = run({"--ini", dir.file("fast.ini"), "--logs", dir.path(), "--sim=empty", "--pio", "secondary", "reset"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("4 "), std::string::npos);
    EXPECT_NE(r.out.find(" : Drive reset... timeout\n"), std::string::npos) << r.out;
}

TEST(CliRunner, LabListsProfilesChannelsAndDrives) {
    korvane::testsupport::TempDir logs;
    CliRun r = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "lab"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("* default"), std::string::npos);
    EXPECT_NE(r.out.find("secondary 0170h/0376h"), std::string::npos);
    EXPECT_NE(r.out.find("USB bridge"), std::string::npos);
    CliRun bad = run({"--sim=nowhere", "lab"});
    EXPECT_EQ(bad.status, 2);
}

TEST(CliRunner, PassportOnEveryRouteAndFromAFile) {
    korvane::testsupport::TempDir logs;
    auto passport = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", logs.path()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("passport");
        return run(args);
    };
    CliRun pio = passport({"--pio", "secondary"});
    EXPECT_EQ(pio.status, 0) << pio.err;
    EXPECT_NE(pio.out.find(" : Model: FUJITSU MPG3204AT E; Capacity: 40031712 LBAs;"), std::string::npos) << pio.out;
    EXPECT_NE(pio.out.find("Disk size: 40031712 LBAs"), std::string::npos);
    EXPECT_TRUE(logs.exists("Passp_FUJITSU MPG3204AT E_VH05T3A27BNK.bin")) << "the dump goes to the log directory";

    CliRun api = passport({"--api", "0"});
    EXPECT_EQ(api.status, 0);
    EXPECT_NE(api.out.find("    Model: Hitachi HDS721050CLA362"), std::string::npos) << api.out;
    CliRun scsi = passport({"--api", "6"});
    EXPECT_NE(scsi.out.find(" Features: Non ATA, HDD"), std::string::npos) << scsi.out;

    CliRun empty = passport({"--sim=empty", "--pio", "secondary"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("Get drive passport: Drive error!"), std::string::npos);

    std::vector<std::string> args = {"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "passport",
                                     "--open-bin",
                                     std::string(KORVANE_TEST_DATA) + "/real-drives/Maxtor_6Y120P0.identify.bin"};
    CliRun bin = run(args);
    EXPECT_EQ(bin.status, 0);
    EXPECT_NE(bin.out.find("Model: Maxtor 6Y120P0"), std::string::npos) << bin.out;
    CliRun bad = run({"passport", "--frob"});
    EXPECT_EQ(bad.status, 2);
}

TEST(CliRunner, StartsUpThenListsTheDevices) {
    korvane::testsupport::TempDir logs;
    CliRun r = run({"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "devices"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" : Starting Korvane 4.61b-SSD, https://korvane.example/. "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" : API access enabled, device #0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\u2116\t   Size\t Note - click to refresh\tType\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n0\t500 Gb\tHitachi HDS721050CLA362\t1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nE:\t16 Gb\tRemovable drive\t2\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Get drive passport"), std::string::npos) << "listing reads no passport";

    CliRun empty = run({"--quiet", "--sim=empty", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "devices"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.out.find("\n0\t  -\tDisconnected drive\tx\n"), std::string::npos) << empty.out;

    CliRun missing = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--api", "20", "passport"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no device 20 in the device list"), std::string::npos) << missing.err;
}

TEST(CliRunner, CustomPortsAreNamedAsGiven) {
    korvane::testsupport::TempDir logs;
    CliRun r = run({"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--pio", "custom:1E8:3EE", "status"});
    EXPECT_NE(r.out.find(" : Select EXTERNAL port: base=01E8h, alternative=03EEh\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("D400"), std::string::npos) << "the saved ports are not named: " << r.out;
}

TEST(CliRunner, SelectionIsMadeWithTheControlsAndSavedOnlyWhenAsked) {
    korvane::testsupport::TempDir dir;
    dir.write("k.ini", "[ATA Port]\nChannel=1\n");
    CliRun r = run({"--ini", dir.file("k.ini"), "--logs", dir.path(), "--pio", "custom:D400:D802", "--slave", "status"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" : Set SLAVE port (base=D400, alternative=D802)\n"), std::string::npos) << r.out;
    EXPECT_LT(r.out.find("Set SLAVE port"), r.out.find("Status: ")) << "the selection's lines come first";
    EXPECT_EQ(dir.read("k.ini"), "[ATA Port]\nChannel=1\n");
    CliRun saved = run({"--quiet", "--save-settings", "--ini", dir.file("k.ini"), "--logs", dir.path(), "--pio",
                        "custom:D400:D802", "status"});
    EXPECT_EQ(saved.status, 0);
    EXPECT_NE(dir.read("k.ini").find("Channel=2"), std::string::npos) << dir.read("k.ini");
}

TEST(CliRunner, DemoListsTheDevicesAndReadsEachPassport) {
    korvane::testsupport::TempDir logs;
    CliRun r = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "demo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n2\t20 Gb\tFUJITSU MPG3204AT E\t1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--- 2 FUJITSU MPG3204AT E ---\n    Model: FUJITSU MPG3204AT E"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--- 6 SEAGATE"), std::string::npos);
    EXPECT_NE(r.out.find("--- E: Removable drive ---"), std::string::npos) << "logical drives too";
    CliRun host = run({"--quiet", "--host", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "demo"});
    EXPECT_EQ(host.status, 1);
}

TEST(CliRunner, ASavedApiDeviceIsNamedAndNotReadUnlessTheCommandAsks) {
    korvane::testsupport::TempDir dir;
    dir.write("k.ini", "[Setup]\nAPI Enable=0\n[API]\nLast API device=3\n");
    CliRun r = run({"--ini", dir.file("k.ini"), "--logs", dir.path(), "lab"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("Get passport"), std::string::npos) << r.out;
    for (auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().rfind("Passp_", 0), 0u) << "a dump was written: " << entry.path();
    EXPECT_NE(r.out.find(" : API access enabled, device #3\n"), std::string::npos) << r.out;
    CliRun chosen = run({"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--sim=default", "--api", "5",
                         "passport"});
    EXPECT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_EQ(chosen.out.find("device #0"), std::string::npos) << chosen.out;
}

TEST(CliRunner, TheLogFileEndsWithTheRunsLastLine) {
    korvane::testsupport::TempDir logs;
    CliRun r = run({"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "clock"});
    ASSERT_EQ(r.status, 0);
    std::string file = logs.read("eventlog.txt");
    ASSERT_FALSE(file.empty());
    std::string lastLine = file.substr(file.rfind('\n', file.size() - 2) + 1);
    EXPECT_NE(lastLine.find(" : CPU clock... "), std::string::npos) << file;
}

TEST(CliRunner, RefusesWhatACommandDoesNotTakeAndSaysWhyWhenQuiet) {
    korvane::testsupport::TempDir logs;
    const std::vector<std::vector<std::string>> usage = {
        {"status", "--pio", "primary"}, {"lab", "--all"}, {"devices", "x"}, {"clock", "--fast"},
        {"passport", "--open-bin"},     {"status", "--yes"}};
    for (const auto& args : usage) {
        CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args[0] << " " << args[1];
        EXPECT_NE(r.err.find("korvane-cli: " + args[0] + ": "), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << "nothing started";
    }
    EXPECT_NE(run({"status", "--pio", "primary"}).err.find("global options go before the command"), std::string::npos);
    CliRun failed = run({"--quiet", "--sim=empty", "--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--pio",
                         "secondary", "passport"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("4 "), std::string::npos) << "the level-4 reason reaches standard error: " << failed.err;
    CliRun unwritable = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", "/proc/korvane-nowhere", "clock"});
    EXPECT_NE(unwritable.err.find("the log directory /proc/korvane-nowhere cannot be written"), std::string::npos)
        << unwritable.err;
}

TEST(CliRunner, AnAddedImageIsTheDriveWorkedOnWithItsWholeSize) {
    korvane::testsupport::TempDir dir;
    std::string image = dir.file("disk.img");
    std::ofstream(image, std::ios::binary).close();
    std::filesystem::resize_file(image, 64ull << 20);
    CliRun r = run({"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--device", image, "passport"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Model: Unknown non ATA drive"), std::string::npos) << "the image, read in API mode: " << r.out;
    EXPECT_NE(r.out.find("Capacity: 131072 LBAs"), std::string::npos) << "64 MiB, not a geometry's 128520: " << r.out;
}

TEST(CliRunner, DriveControlCommandsAndTheWriteThatNeedsYes) {
    korvane::testsupport::TempDir logs;
    auto cmd = [&](std::vector<std::string> words, bool yes = false) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--pio", "secondary"};
        if (yes) args.push_back("--yes");
        args.insert(args.end(), words.begin(), words.end());
        return run(args);
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> table = {
        {{"sleep"}, " : Stopping ATA drive... HD Spindle is stopped\n"},
        {{"recall"}, " : Recallibration... OK\n"},
        {{"cache", "write", "off"}, " : Write cache OFF command... OK\n"},
        {{"cache", "read", "on"}, " : Look ahead ON command... OK\n"},
        {{"power"}, " : Adaptor Power OFF\n"},
    };
    for (const auto& [words, line] : table) {
        CliRun r = cmd(words);
        EXPECT_EQ(r.status, 0) << words[0] << ": " << r.err;
        EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
    }
    CliRun refused = cmd({"mbr", "off"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("add --yes"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out.find("Switch MBR OFF command"), std::string::npos) << "nothing was started";
    CliRun done = cmd({"mbr", "off"}, true);
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_NE(done.out.find("h found... Complete\n"), std::string::npos) << done.out;
    CliRun native = cmd({"hpa", "native"});
    EXPECT_EQ(native.status, 0);
    EXPECT_NE(native.out.find("40031712 LBAs native\n"), std::string::npos) << native.out;
    CliRun unsure = cmd({"hpa", "set", "50%"});
    EXPECT_EQ(unsure.status, 1);
    EXPECT_NE(unsure.err.find("setting the size the drive reports to 20015856 sectors, permanently"), std::string::npos)
        << "said before anything happens: " << unsure.err;
    EXPECT_EQ(unsure.out.find("Set HPA Command"), std::string::npos);
    CliRun set = cmd({"hpa", "set", "50%", "--temp"}, true);
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_NE(set.out.find(" : Set HPA Command, Max LBA=20015856 (9773 Mb), temporarily\n"), std::string::npos) << set.out;
    EXPECT_EQ(cmd({"hpa", "set", "99999999999999999999"}).status, 2);
    EXPECT_EQ(cmd({"cache", "write"}).status, 2);
    EXPECT_EQ(cmd({"mbr", "sideways"}).status, 2);
}

TEST(CliRunner, SecurityCommandsNeedYesAndNeverPrintThePassword) {
    korvane::testsupport::TempDir logs;
    auto cmd = [&](std::vector<std::string> words, bool yes, bool slave = false) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", logs.path(), "--pio", "custom:D400:D802"};
        if (slave) args.push_back("--slave");
        if (yes) args.push_back("--yes");
        args.insert(args.end(), words.begin(), words.end());
        return run(args);
    };
    CliRun refused = cmd({"security", "lock", "--user", "--password", "hunter2"}, false);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out.find("Password sended"), std::string::npos);
    CliRun locked = cmd({"security", "lock", "--user", "--password", "hunter2"}, true);
    EXPECT_EQ(locked.status, 0) << locked.err;
    EXPECT_NE(locked.out.find("3 "), std::string::npos);
    EXPECT_NE(locked.out.find(" : Password sended to drive.\n"), std::string::npos) << locked.out;
    EXPECT_EQ((locked.out + locked.err + logs.read("eventlog.txt")).find("hunter2"), std::string::npos);
    CliRun unlocked = cmd({"security", "unlock", "--password", "user123"}, true, true); // the locked drive
    EXPECT_EQ(unlocked.status, 0) << unlocked.err;
    EXPECT_NE(unlocked.out.find(" : PWD removing complete.\n"), std::string::npos) << unlocked.out;
    CliRun wrong = cmd({"security", "unlock", "--password", "nope"}, true, true);
    EXPECT_EQ(wrong.status, 1);
    CliRun erase = cmd({"security", "erase"}, true);
    EXPECT_NE(erase.err.find("every sector of the drive will be erased"), std::string::npos) << erase.err;
    EXPECT_NE(erase.out.find(" : Starting security ERASE"), std::string::npos) << erase.out;
    EXPECT_EQ(cmd({"security", "lock", "--master", "--user"}, true).status, 2);
}

TEST(CliRunner, AKeptLabRemembersWhatTheLastRunDidToItsDrives) {
    korvane::testsupport::TempDir dir;
    auto cmd = [&](std::vector<std::string> words, const std::string& channel = "secondary") {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--sim-state",
                                         dir.path() + "lab", "--pio", channel};
        args.insert(args.end(), words.begin(), words.end());
        return run(args);
    };
    ASSERT_EQ(cmd({"hpa", "set", "50%", "--yes"}).status, 0) << "a writing command takes --yes after its name too";
    CliRun after = cmd({"passport"});
    EXPECT_NE(after.out.find("Disk size: 20015856 LBAs"), std::string::npos) << after.out;
    ASSERT_EQ(cmd({"security", "lock", "--user", "--password", "x", "--yes"}, "custom:D400:D802").status, 0);
    EXPECT_NE(cmd({"passport"}, "custom:D400:D802").out.find("Locked"), std::string::npos);
    ASSERT_EQ(cmd({"--yes", "security", "unlock", "--password", "x"}, "custom:D400:D802").status, 0);
    EXPECT_EQ(cmd({"passport"}, "custom:D400:D802").out.find("Locked"), std::string::npos);
    // Without the folder each run starts from the profile.
    CliRun fresh = run({"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--pio", "secondary", "passport"});
    EXPECT_NE(fresh.out.find("Disk size: 40031712 LBAs"), std::string::npos);
    dir.write("lab/lab-state.txt", "korvane lab state 99\n");
    CliRun refused = cmd({"passport"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("another version or damaged"), std::string::npos) << refused.err;
    EXPECT_EQ(run({"--host", "--sim-state", dir.path(), "devices"}).status, 2);
}

TEST(CliScan, PrintsItsLinesAndCountsAndExitsByWhatItFound) {
    korvane::testsupport::TempDir logs;
    auto scan = [&](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", logs.path()};
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    };
    CliRun clean = scan({"--pio", "secondary", "scan", "--end", "20000"});
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_NE(clean.out.find("Starting surface scan, LBA=0..20000, sequential access, timeout 10000ms"), std::string::npos);
    EXPECT_NE(clean.out.find("***** Scan results: no warnings, no errors *****"), std::string::npos);
    EXPECT_NE(clean.out.find("Classes: <5 ms: "), std::string::npos);

    CliRun bad = scan({"--api", "2", "scan", "--mode", "read", "--start", "30000", "--end", "40000"});
    EXPECT_EQ(bad.status, 3) << "bad blocks found";
    EXPECT_NE(bad.err.find("Block 30768 Error: UNCR"), std::string::npos) << "level-4 lines on standard error too";
    EXPECT_NE(bad.out.find("; Err: 1"), std::string::npos);

    CliRun unconfirmed = scan({"--api", "2", "scan", "--mode", "write", "--end", "10000"});
    EXPECT_EQ(unconfirmed.status, 1);
    EXPECT_NE(unconfirmed.err.find("add --yes"), std::string::npos);
    EXPECT_EQ(unconfirmed.out.find("Starting ERASING"), std::string::npos);

    CliRun write = scan({"--api", "2", "scan", "--mode", "write", "--start", "0", "--end", "10000", "--yes"});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_NE(write.out.find("Starting ERASING, LBA=0..10000"), std::string::npos);

    CliRun loops = scan({"--pio", "secondary", "scan", "--end", "3000", "--end-action", "loop", "--loops", "3"});
    EXPECT_EQ(loops.status, 0) << loops.err;
    EXPECT_NE(loops.out.find(". Try 3"), std::string::npos);
    EXPECT_EQ(loops.out.find(". Try 4"), std::string::npos) << "three passes";
    EXPECT_NE(loops.out.find("***** Scan results"), std::string::npos) << "the last pass ends with its results";

    for (auto usage : std::vector<std::vector<std::string>>{{"scan", "--mode", "erase"},
                                                           {"scan", "--timeout", "soon"},
                                                           {"scan", "--duration", "0:00"},
                                                           {"scan", "--block", "-5"},
                                                           {"scan", "--log", "50,slow"},
                                                           {"scan", "--frob"}})
        EXPECT_EQ(scan(usage).status, 2) << usage[1];
}

TEST(CliScan, CtrlCIsBreakTheResultsArePrintedAndTheExitSaysBrokenOff) {
    korvane::testsupport::TempDir dir;
    // The whole lab drive, so the scan is still running when the signal comes.
    const std::string script = "out=" + dir.file("out") + "; '" KORVANE_CLI "' --ini /nonexistent/krv40.ini --logs " +
                               dir.path() + " --pio secondary scan >$out 2>&1 & p=$!; " +
                               "until grep -q 'Starting surface scan' $out; do sleep 0.01; done; " +
                               "kill -INT $p; wait $p; echo exit=$?; cat $out";
    const std::string out = korvane::testsupport::runShell(script);
    EXPECT_NE(out.find("exit=1"), std::string::npos) << out;
    EXPECT_NE(out.find("Command interrupted by user!"), std::string::npos);
    EXPECT_NE(out.find("***** Scan results: "), std::string::npos);
    EXPECT_NE(out.find("Classes: "), std::string::npos);
}

TEST(CliScan, BlockFilesJsonAndTheComparisonOfTwoScans) {
    korvane::testsupport::TempDir dir;
    auto cli = [&](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", dir.path()};
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    };
    CliRun now = cli({"--pio", "secondary", "scan", "--end", "40000", "--csv", dir.file("now.csv"), "--json"});
    EXPECT_EQ(now.status, 3);
    EXPECT_EQ(now.out.rfind("{\"start\":0,\"end\":40000,\"mode\":\"verify\"", 0), 0u) << now.out;
    EXPECT_NE(now.out.find("\"bad_blocks\":[{\"lba\":30976,\"code\":64}]"), std::string::npos);
    EXPECT_EQ(std::count(now.out.begin(), now.out.end(), '\n'), 1) << "one object, no log lines";

    std::string error;
    auto file = korvane::tests::readBlockCsv(dir.file("now.csv"), error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->drive.blockSize, 256u);
    EXPECT_FALSE(file->drive.model.empty());
    auto* rows = &file->rows;
    ASSERT_EQ(rows->size(), 158u) << "0, 256 ... 39680, then 39936 (64 sectors) and 40000";
    const auto bad = std::find_if(rows->begin(), rows->end(), [](auto& r) { return r.timeClass == 0; });
    ASSERT_NE(bad, rows->end());
    EXPECT_EQ(bad->lba, 30976u);
    EXPECT_EQ(bad->errorCode, 64u);
    EXPECT_EQ(bad->mapCode, 'x');

    // The same drive earlier, when that block was still good and another one was faster.
    {
        std::istringstream in(dir.read("now.csv"));
        std::ostringstream out;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("30976,", 0) == 0) line = "30976,256,3.0,1,0,1";
            if (line.rfind("0,", 0) == 0) line = "0,256,1.0,1,0,1"; // now in class 2, after the seek home
            out << line << "\n";
        }
        dir.write("before.csv", out.str());
    }
    CliRun worse = cli({"scan-compare", dir.file("before.csv"), dir.file("now.csv")});
    EXPECT_EQ(worse.status, 3);
    EXPECT_NE(worse.out.find("Block 30976: bad now (code 64, 'x')"), std::string::npos) << worse.out;
    EXPECT_NE(worse.out.find("Block 0: class 1 -> 2"), std::string::npos);
    EXPECT_NE(worse.out.find("158 blocks compared: 1 slower, 1 became bad"), std::string::npos);
    CliRun same = cli({"scan-compare", dir.file("now.csv"), dir.file("now.csv")});
    EXPECT_EQ(same.status, 0);
    EXPECT_NE(same.out.find("158 blocks compared: 0 slower, 0 became bad"), std::string::npos);

    dir.write("junk.csv", "lba,sectors,time_ms,class,error_code,map_code\n1,2,three,1,0,1\n");
    CliRun junk = cli({"scan-compare", dir.file("now.csv"), dir.file("junk.csv")});
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("line 2: not a block row"), std::string::npos);
    EXPECT_EQ(cli({"scan-compare", dir.file("now.csv")}).status, 2);

    // Another drive's file, or another block size: nothing to compare.
    std::string text = dir.read("now.csv");
    const size_t serial = text.find(" serial \"") + 9;
    dir.write("other.csv", text.substr(0, serial) + "X" + text.substr(serial));
    CliRun other = cli({"scan-compare", dir.file("other.csv"), dir.file("now.csv")});
    EXPECT_EQ(other.status, 2);
    EXPECT_NE(other.err.find("different drives"), std::string::npos) << other.err;
    CliRun small = cli({"--pio", "secondary", "scan", "--end", "4000", "--block", "32", "--csv", dir.file("small.csv")});
    CliRun sizes = cli({"scan-compare", dir.file("small.csv"), dir.file("now.csv")});
    EXPECT_EQ(sizes.status, 2);
    EXPECT_NE(sizes.err.find("different block sizes (32 and 256 sectors)"), std::string::npos) << sizes.err;
}

TEST(CliScan, TheComparisonOfTwoScansFindsADefectPlantedBetweenThem) {
    korvane::testsupport::TempDir dir;
    auto cli = [&](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", dir.path(),
                                         "--sim-state", dir.file("lab")};
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    };
    ASSERT_EQ(cli({"--pio", "secondary", "scan", "--end", "40000", "--csv", dir.file("a.csv")}).status, 3);
    // A sector of that drive goes bad: the state section that lists its known bad sector.
    std::string state;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("lab")))
        if (entry.path().extension() != ".img") state = "lab/" + entry.path().filename().string();
    ASSERT_FALSE(state.empty());
    std::string text = dir.read(state);
    const size_t at = text.find("unreadable=31000");
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, 16, "unreadable=20000,31000");
    dir.write(state, text);

    ASSERT_EQ(cli({"--pio", "secondary", "scan", "--end", "40000", "--csv", dir.file("b.csv")}).status, 3);
    CliRun cmp = cli({"scan-compare", dir.file("a.csv"), dir.file("b.csv")});
    EXPECT_EQ(cmp.status, 3) << cmp.out << cmp.err;
    EXPECT_NE(cmp.out.find("Block 19968: bad now (code 64, 'x')"), std::string::npos) << cmp.out;
    EXPECT_NE(cmp.out.find("1 became bad"), std::string::npos);
    EXPECT_EQ(cmp.out.find("Block 30976"), std::string::npos) << "bad in both scans";
}

#ifdef KORVANE_PICTURES
// Width and height from a PNG's header, or (0, 0) when the file is not one.
std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto be = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
               uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
    };
    return {be(16), be(20)};
}

TEST(CliScan, TheMapAndTheGraphAsPictures) {
    korvane::testsupport::TempDir dir;
    CliRun r = run({"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--pio", "secondary", "scan",
                    "--end", "40000", "--block", "32", "--map-png", dir.file("m.png"), "--graph-png",
                    dir.file("g.png"), "--json"});
    EXPECT_EQ(r.status, 3) << r.err;
    // 1252 blocks, 32 a row: 40 rows of 19 pixels, 32 cells of 10.
    EXPECT_EQ(pngSize(dir.read("m.png")), (std::pair<uint32_t, uint32_t>{320, 760}));
    EXPECT_EQ(pngSize(dir.read("g.png")), (std::pair<uint32_t, uint32_t>{377, 373}));
    CliRun bad = run({"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--pio", "secondary", "scan", "--end",
                      "4000", "--map-png", dir.file("none/m.png")});
    EXPECT_EQ(bad.status, 0);
    EXPECT_NE(bad.out.find("Block map could not be saved to " + dir.file("none/m.png")), std::string::npos) << bad.out;
}
#endif

TEST(CliScan, ABlockFileThatCannotBeWrittenLeavesTheScanRunning) {
    korvane::testsupport::TempDir dir;
    CliRun r = run({"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--pio", "secondary", "scan", "--end",
                    "4000", "--csv", dir.file("no-such-folder/a.csv")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Block times cannot be written to " + dir.file("no-such-folder/a.csv")), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Scanned"), std::string::npos);
}

TEST(CliScan, DefectTreatmentsNeedYesAndRemapReallocatesThePlantedSector) {
    korvane::testsupport::TempDir dir;
    auto cli = [&](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--sim-state",
                                         dir.file("lab")};
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    };
    const std::vector<std::string> scan = {"--pio", "secondary", "scan", "--start", "30000", "--end", "40000"};
    auto with = [&](std::vector<std::string> more) {
        auto a = scan;
        a.insert(a.end(), more.begin(), more.end());
        return a;
    };
    for (const char* action : {"remap", "erase", "restore"}) {
        CliRun refused = cli(with({"--defects", action}));
        EXPECT_EQ(refused.status, 1) << action;
        EXPECT_NE(refused.err.find("add --yes"), std::string::npos) << action;
    }
    EXPECT_EQ(cli(with({"--defects", "mend"})).status, 2);
    EXPECT_EQ(cli(with({"--defects", "ignore", "--read-long-count", "0"})).status, 2);

    CliRun remap = cli(with({"--defects", "remap", "--yes"}));
    EXPECT_EQ(remap.status, 3) << remap.err;
    EXPECT_NE(remap.out.find("LBA 31000 try REMAP... complete"), std::string::npos) << remap.out;
    std::string state;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("lab")))
        if (entry.path().extension() != ".img") state = dir.read("lab/" + entry.path().filename().string());
    EXPECT_NE(state.find("reallocated=1\nunreadable=\n"), std::string::npos) << state;
    // The sector reads now: a second scan finds nothing.
    EXPECT_EQ(cli(scan).status, 0);
}

TEST(CliSeek, CountsItsAccessesReportsTheAverageAndExitsByHowItEnded) {
    korvane::testsupport::TempDir dir;
    auto cli = [&](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--pio", "secondary"};
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    };
    CliRun ok = cli({"seek", "--count", "2000"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.out.find("Starting mechanical test: 0...40031711 LBA, Timeout = 200ms"), std::string::npos) << ok.out;
    const size_t at = ok.out.find("Accesses: 2000, average access time ");
    ASSERT_NE(at, std::string::npos) << ok.out;
    // The lab drive's seeks: 0.06 ms overhead, 1.5 ms track to track, 21 ms full stroke, by the
    // square root of the distance (8/15 of the stroke on average for random positions).
    const double ms = std::stod(ok.out.substr(at + 36));
    EXPECT_NEAR(ms, 0.06 + 1.5 + 19.5 * 8.0 / 15.0, 1.0);

    CliRun slow = cli({"seek", "--limit", "1", "--count", "100"});
    EXPECT_EQ(slow.status, 1);
    EXPECT_NE(slow.err.find("Seek timeout error: "), std::string::npos) << slow.err;
    EXPECT_EQ(cli({"seek", "--count", "5", "--time", "5"}).status, 2);
    EXPECT_EQ(cli({"seek", "--mode", "jump"}).status, 2);
}

TEST(CliSeek, AamSetsTheLevelThePassportThenShows) {
    korvane::testsupport::TempDir dir;
    auto cli = [&](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--ini", "/nonexistent/krv40.ini", "--logs", dir.path(), "--pio", "secondary"};
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    };
    CliRun level = cli({"aam", "200"});
    EXPECT_EQ(level.status, 0) << level.err;
    EXPECT_NE(level.out.find("AAM: 200 (drive value 200)"), std::string::npos) << level.out;
    CliRun min = cli({"aam", "min"});
    EXPECT_EQ(min.status, 0);
    EXPECT_NE(min.out.find("AAM minimum set (val=128)"), std::string::npos) << min.out;
    EXPECT_EQ(cli({"aam", "off"}).status, 0);
    EXPECT_EQ(cli({"aam", "127"}).status, 2);
    EXPECT_EQ(cli({"aam"}).status, 2);
}

namespace {
struct CliSmartRun {
    korvane::testsupport::TempDir dir;
    CliRun operator()(std::vector<std::string> rest, std::vector<std::string> globals = {}) {
        std::vector<std::string> args = {"--quiet", "--ini", "/nonexistent/krv40.ini", "--logs", dir.path()};
        args.insert(args.end(), globals.begin(), globals.end());
        args.insert(args.end(), rest.begin(), rest.end());
        return run(args);
    }
};
std::string realDrive(const std::string& name) { return std::string(KORVANE_TEST_DATA) + "/real-drives/" + name; }
} // namespace

TEST(CliSmart, ListsAndExitStatuses) {
    CliSmartRun smart;
    struct Case {
        std::vector<std::string> globals;
        int status;
        const char* line;
    };
    const Case cases[] = {
        {{"--pio", "secondary"}, 0, "SMART status: GOOD; temperature: 35 \xC2\xB0" "C"},
        {{"--api", "5"}, 0, "SMART status: GOOD"},
        {{"--sim=real:" + realDrive("Maxtor_96147H8--BAC51KJ0--2"), "--api", "0"}, 3, "SMART status: BAD"},
        {{"--api", "6"}, 1, "SMART status: no SMART data"},
    };
    for (const auto& c : cases) {
        CliRun r = smart({"smart"}, c.globals);
        SCOPED_TRACE(c.globals.back());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out.rfind(c.line, 0), 0u) << r.out;
        if (c.status != 1) {
            EXPECT_NE(r.out.find("  ID      Name                   Value  Worst  Tresh       Raw    Health\n"),
                      std::string::npos);
            EXPECT_NE(r.out.find("Extended self-test routine recommended polling time (in minutes): "), std::string::npos);
        }
    }
    CliRun maxtor = smart({"smart"}, {"--sim=real:" + realDrive("Maxtor_96147H8--BAC51KJ0--2"), "--api", "0"});
    EXPECT_NE(maxtor.out.find("\n  1 OTF Errors "), std::string::npos) << "names of the drive's family";
    EXPECT_NE(maxtor.err.find("SMART status = BAD"), std::string::npos) << "level 4 on standard error";
}

TEST(CliSmart, JsonForScripts) {
    CliSmartRun smart;
    CliRun r = smart({"smart", "--json"}, {"--api", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("{\"model\":\"Hitachi HDS721050CLA362\",\"serial\":\"JP1570FR1ZWP7K\",\"status\":\"GOOD\","
                          "\"temperature\":36,\"attributes\":[",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("{\"id\":194,\"name\":\"HDA Temperature\",\"value\":"), std::string::npos);
    EXPECT_NE(r.out.find("\"rawText\":\"36\xC2\xB0" "C/96\xC2\xB0" "F\",\"health\":\"y\"}"), std::string::npos);
    EXPECT_NE(r.out.find("\"selfTestMeter\":0}"), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one object, one line";
}

TEST(CliSmart, OpenBinOfEveryRealBlockAndBadFiles) {
    CliSmartRun smart;
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(KORVANE_TEST_DATA) + "/real-drives")) {
        const std::string path = e.path().string();
        if (path.size() < 10 || path.substr(path.size() - 10) != ".smart.bin") continue;
        ++files;
        CliRun r = smart({"smart", "--open-bin", path});
        EXPECT_EQ(r.status, 0) << path << r.err;
        EXPECT_NE(r.out.find("  ID      Name"), std::string::npos) << path;
    }
    EXPECT_EQ(files, 32);
    smart.dir.write("short.bin", std::string(511, '\x01'));
    CliRun bad = smart({"smart", "--open-bin", smart.dir.file("short.bin")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Error! Incorrect length of file"), std::string::npos);
    EXPECT_EQ(smart({"smart", "--open-bin", smart.dir.path()}).status, 1) << "a directory";
}

TEST(CliSmart, ATestStartedByOneRunIsSeenDoneByALaterOne) {
    CliSmartRun smart;
    const std::vector<std::string> lab = {"--sim-state", smart.dir.file("lab"), "--api", "1"};
    std::filesystem::create_directory(smart.dir.file("lab"));
    CliRun begin = smart({"smart", "test", "short"}, lab);
    EXPECT_EQ(begin.status, 0) << begin.err;
    CliRun running = smart({"smart"}, lab);
    EXPECT_NE(running.out.find("Self-test routine in progress !!!: 15"), std::string::npos) << running.out;
    // Three minutes later (the state file's clock put back): the one-minute test is done.
    const std::string state = smart.dir.read("lab/lab-state.txt");
    std::string earlier;
    std::istringstream lines(state);
    for (std::string line; std::getline(lines, line);)
        earlier += (line.rfind("kept=", 0) == 0 ? "kept=" + std::to_string(std::stoull(line.substr(5)) - 180000) : line) + "\n";
    smart.dir.write("lab/lab-state.txt", earlier);
    CliRun done = smart({"smart"}, lab);
    EXPECT_NE(done.out.find("The previous self-test routine completed without error or no self-test has ever been run: 0"),
              std::string::npos)
        << done.out;

    CliRun abort = smart({"smart", "abort"}, lab);
    EXPECT_EQ(abort.status, 0) << abort.err;
    CliRun off = smart({"smart", "off"}, lab);
    EXPECT_EQ(off.status, 0) << off.err;
    EXPECT_NE(smart.dir.read("lab/lab-state.txt").find("smart=0,"), std::string::npos);
    EXPECT_EQ(smart({"smart"}, lab).status, 0) << "a read switches SMART on first";
    EXPECT_EQ(smart({"smart", "on"}, lab).status, 0);
    EXPECT_EQ(smart({"smart", "autosave", "off"}, lab).status, 0);
    EXPECT_EQ(smart({"smart", "test", "vendor", "3"}, lab).status, 0);
}

TEST(CliSmart, UsageErrors) {
    CliSmartRun smart;
    for (auto usage : std::vector<std::vector<std::string>>{{"smart", "test", "bogus"},
                                                           {"smart", "test", "vendor"},
                                                           {"smart", "test", "vendor", "256"},
                                                           {"smart", "--watch", "0"},
                                                           {"smart", "--watch", "soon"},
                                                           {"smart", "autosave", "maybe"},
                                                           {"smart", "--frob"}})
        EXPECT_EQ(smart(usage, {"--pio", "secondary"}).status, 2) << usage.back();
    CliRun missing = smart({"lab"}, {"--sim=real:" + smart.dir.file("none")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot open " + smart.dir.file("none") + ".identify.bin"), std::string::npos)
        << missing.err;
}

TEST(CliSmart, WatchReadsUntilCtrlC) {
    korvane::testsupport::TempDir dir;
    const std::string script = "out=" + dir.file("out") + "; '" KORVANE_CLI "' --quiet --ini /nonexistent/krv40.ini --logs " +
                               dir.path() + " --pio secondary smart --watch 1 >$out 2>&1 & p=$!; " +
                               "until grep -q 'Off-line data collection' $out; do sleep 0.01; done; " +
                               "kill -INT $p; wait $p; echo exit=$?; cat $out";
    const std::string out = korvane::testsupport::runShell(script);
    EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
    EXPECT_EQ(out.find("SMART status: GOOD"), out.rfind("SMART status: GOOD")) << "the full list once";
}

TEST(CliSmart, ChangedRowsAreTheNewOnes) {
    EXPECT_EQ(changedRows({"a 1", "b 2"}, {"a 1", "b 3", "c 4"}), (std::vector<std::string>{"b 3", "c 4"}));
    EXPECT_TRUE(changedRows({"a 1"}, {"a 1"}).empty());
}

TEST(CliAnalysis, PciPartitionsSectorAndTheExtPassport) {
    CliSmartRun cli;
    CliRun pci = cli({"pci"});
    EXPECT_EQ(pci.status, 0) << pci.err;
    EXPECT_EQ(pci.out.rfind("CMD/SiI  SiI 3114 [SATALink/SATARaid] SATA Int ATA  D400   D802  \n", 0), 0u) << pci.out;
    CliRun all = cli({"pci", "--all", "--mf"});
    EXPECT_NE(all.out.find("Realtek  ID 8168*      Network  0000   0002  \n"), std::string::npos) << all.out;

    CliRun parts = cli({"partitions"}, {"--api", "0"});
    EXPECT_EQ(parts.status, 0) << parts.err;
    EXPECT_NE(parts.out.find("\n4  Not  FAT-16 New   147011584   151205887"), std::string::npos) << parts.out;
    CliRun gpt = cli({"partitions"}, {"--api", "5"});
    EXPECT_NE(gpt.out.find("EFI System        2048      206847"), std::string::npos) << gpt.out;
    EXPECT_EQ(cli({"partitions"}, {"--pio", "secondary"}).status, 1) << "a drive without partitions";

    CliRun mbr = cli({"sector", "read", "0"}, {"--api", "0"});
    EXPECT_EQ(mbr.status, 0);
    EXPECT_EQ(mbr.out.rfind("Sec 0\n0000: 33 C0 8E D0 BC 00 7C FB 50 07 50 1F FC 00 00 00  3.....|.P.P.....\n", 0), 0u)
        << mbr.out;
    EXPECT_NE(mbr.out.find("\n01F0:"), std::string::npos);
    EXPECT_NE(mbr.out.find(" 55 AA  "), std::string::npos);
    EXPECT_EQ(cli({"sector", "read", "31000"}, {"--pio", "secondary"}).status, 1) << "an unreadable sector";

    // Read to a file, write it to another sector of a kept lab, read it back from there.
    const std::vector<std::string> lab = {"--sim-state", cli.dir.file("lab"), "--api", "3"};
    std::filesystem::create_directory(cli.dir.file("lab"));
    EXPECT_EQ(cli({"sector", "read", "0", "--out", cli.dir.file("s0.bin")}, {"--api", "0"}).status, 0);
    EXPECT_EQ(cli.dir.read("s0.bin").size(), 512u);
    CliRun refused = cli({"sector", "write", "7", "--in", cli.dir.file("s0.bin")}, lab);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("add --yes"), std::string::npos);
    CliRun written = cli({"sector", "write", "7", "--in", cli.dir.file("s0.bin"), "--yes"}, lab);
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(cli({"sector", "read", "7", "--out", cli.dir.file("s7.bin")}, lab).status, 0);
    EXPECT_EQ(cli.dir.read("s7.bin"), cli.dir.read("s0.bin"));
    cli.dir.write("short.bin", "abc");
    EXPECT_EQ(cli({"sector", "write", "7", "--in", cli.dir.file("short.bin"), "--yes"}, lab).status, 1);
    EXPECT_EQ(cli({"sector", "write", "zz", "--in", cli.dir.file("s0.bin"), "--yes"}, lab).status, 2)
        << "no number, no write to the MBR: a usage error";
    EXPECT_EQ(cli({"sector", "read"}, lab).status, 2);

    CliRun ext = cli({"passport", "--ext"}, {"--pio", "secondary"});
    EXPECT_EQ(ext.status, 0) << ext.err;
    EXPECT_NE(ext.out.find("   Status: Passed"), std::string::npos) << ext.out;
    EXPECT_NE(ext.out.find("  Spindle: Active"), std::string::npos);
    EXPECT_NE(ext.out.find(" Int-face: Passed"), std::string::npos);
    EXPECT_EQ(cli({"passport", "--ext"}, {"--api", "0"}).status, 2) << "PIO only";
}

// Absurd values for a command's options are usage errors (2) before anything reaches a drive:
// a text without a digit would otherwise be read as sector 0.
TEST(CliRunner, AbsurdOptionValuesAreUsageErrors) {
    korvane::testsupport::TempDir dir;
    const std::vector<std::vector<std::string>> absurd = {
        {"scan", "--block", "99999999999999999999"},
        {"scan", "--block", "0"},
        {"scan", "--start", "zz"},
        {"scan", "--end", "99999999999999999999999"},
        {"seek", "--start", "zz"},
        {"seek", "--count", "99999999999999999999"},
        {"smart", "--watch", "99999999999999"},
        {"aam", "9999"},
        {"sector", "read", "zz"},
        {"sector", "read", "99999999999999999999999"},
        {"--yes", "hpa", "set", "zz"},
        {"scan", "--duration", "99:99"},
        {"smart", "test", "vendor", "999"},
    };
    for (auto args : absurd) {
        args.insert(args.begin(), {"--ini", dir.file("k.ini"), "--quiet"});
        CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << "\n" << r.err;
        EXPECT_NE(r.err.find("korvane-cli: "), std::string::npos) << ::testing::PrintToString(args);
    }
}
