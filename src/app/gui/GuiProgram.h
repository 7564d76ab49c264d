#pragma once
#include "app/Machine.h"
#include "platform/host/HostClock.h"
#include "platform/host/HostSystemFacts.h"
#include "platform/sim/LabSystemFacts.h"
#include "qt/MainWindow.h"
#include "qt/QtDialogs.h"
#include "qt/QtPictureFiles.h"
#include "qt/QtUiThread.h"
#include "shell/App.h"
#include "sim/LabProfiles.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvane::app {

struct GuiOptions {
    bool host = false;
    std::string simProfile = "default";
    std::vector<std::string> devices;
    std::optional<std::string> iniFile;
    std::optional<std::string> screenshotDir;
    bool exitAfterStart = false;
    std::optional<std::string> simStateDir; // the lab kept in this folder between runs
    bool help = false;
};

// Parses the window's command line; nullopt with `error` set for a usage error.
std::optional<GuiOptions> parseGuiOptions(const std::vector<std::string>& args, std::string& error);
std::string guiUsage();

// The window program: the machine (the lab unless --host or --device), the App over the Qt UI
// thread, dialogs and clipboard, start-up, and the main window. Needs a QApplication.
class GuiProgram {
public:
    explicit GuiProgram(const GuiOptions& options);
    ~GuiProgram();

    shell::App& app() { return *app_; }
    qt::MainWindow& window() { return *window_; }
    sim::Lab* lab() { return lab_.get(); }
    Machine& machine() { return *machine_; }
    // Reads the passport as F2 does, then writes every page to DIR/page-N.png (N = 0 ... 4), and on
    // the lab the block map and the speed graph of a short scan (scan-map.png, scan-graph.png);
    // false when a file could not be written.
    bool writeScreenshots(const std::string& dir);
    // On this computer's drives without root rights: offers to start again through pkexec and,
    // when the user agrees, does (this call then does not return). `args` are the window's own.
    void offerRootRestart(const std::vector<std::string>& args);

private:
    bool writeScanPictures(const std::string& dir);

    sim::RealLabTime labTime_;
    std::unique_ptr<sim::Lab> lab_;
    std::optional<std::string> keptLabDir_; // where the lab's state is saved at the end
    platform::HostClock clock_;
    platform::HostSystemFacts hostFacts_;
    platform::LabSystemFacts labFacts_{hostFacts_};
    qt::QtUiThread ui_;
    qt::QtDialogs dialogs_;
    qt::QtClipboard clipboard_;
    qt::QtPictureFiles pictures_;
    std::unique_ptr<Machine> machine_;
    std::unique_ptr<shell::App> app_;
    std::unique_ptr<qt::MainWindow> window_;
};

} // namespace korvane::app
