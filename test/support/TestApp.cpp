#include "TestApp.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace korvane::testsupport {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path() /
                ("korvane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(base);
    path_ = base.string() + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& content) const {
    std::ofstream out(path_ + name, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TestApp::TestApp(const std::string& labProfile) {
    facts.programDir = dir.path();
    facts.userConfigDir = dir.path() + "config/";
    lab = sim::buildLab(labProfile, clock);
    ports = std::make_unique<platform::SimPortIo>(*lab);
    disks = std::make_unique<platform::SimDiskDevices>(*lab);
    app = std::make_unique<shell::App>(shell::AppEnvironment{clock, facts, ui, dialogs, clipboard, *ports, *disks,
                                                             power, pciFiles, shell::AppPaths::resolve(facts)});
}

void TestApp::usePio(uint16_t base, uint16_t alt, bool slave) {
    auto& s = app->session;
    s.accessMode = access::AccessMode::Pio;
    s.pioBasePort = base;
    s.pioAltPort = alt;
    s.pioStatusPort = s.useAltStatus ? alt : uint16_t(base + 7);
    s.deviceSelectBit = slave ? 0x10 : 0x00;
}

TestApp::~TestApp() { app.reset(); }

void TestApp::startPio(uint16_t base, uint16_t alt, bool slave) {
    app->settings.loadSettings();
    app->session.ntFamily = true;
    app->session.portDriverReady = true;
    app->timing.measureCpuClock(); // as the start-up does: the 100 us steps need it
    app->clockControls.recomputeTimeouts();
    usePio(base, alt, slave);
}

std::string runShell(const std::string& command) {
    std::string out;
    if (FILE* p = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        if (pclose(p) != 0) return {};
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

std::vector<std::string> TestApp::messages() const {
    std::vector<std::string> out;
    auto& list = app->form.log.StringLog;
    for (size_t i = 0; i < list.rowCount(); ++i) out.push_back(list.cell(i, shell::EventLog::MessageColumn));
    return out;
}

std::string TestApp::lastMessage() const {
    auto m = messages();
    return m.empty() ? std::string() : m.back();
}

} // namespace korvane::testsupport
