#include "app/gui/GuiProgram.h"

#include "platform/host/HostProcess.h"
#include "shell/RootRestart.h"
#include "sim/LabStateStore.h"

#include <QApplication>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace korvane::app {

std::string guiUsage() {
    return "Usage: korvane [--sim[=PROFILE]] [--host] [--device PATH]... [--ini FILE] [--screenshot DIR]\n"
           "  --sim[=PROFILE]   the simulated lab (the default); korvane-cli lab lists the profiles\n"
           "  --host            this machine's drives and ports (needs root)\n"
           "  --device PATH     an image file or block device as the next physical drive (implies --host)\n"
           "  --ini FILE        the settings file (default: krv40.ini beside the program)\n"
           "  --sim-state DIR   keep the lab's drives (media and state) in DIR between runs\n"
           "  --screenshot DIR  start up, read the passport, write each page to DIR/page-N.png and, on the lab,\n"
           "                    the map and graph of a short scan to DIR/scan-map.png and scan-graph.png, exit\n"
           "  --exit-after-start  start up, show the window, let it draw once and exit (for timing)\n";
}

std::optional<GuiOptions> parseGuiOptions(const std::vector<std::string>& args, std::string& error) {
    GuiOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what) -> std::optional<std::string> {
            if (i + 1 < args.size()) return args[++i];
            error = std::string(what) + " needs a value";
            return std::nullopt;
        };
        if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--sim") o.host = false;
        else if (a.rfind("--sim=", 0) == 0) o.simProfile = a.substr(6);
        else if (a == "--host") o.host = true;
        else if (a == "--device") {
            auto v = value("--device");
            if (!v) return std::nullopt;
            o.devices.push_back(*v);
            o.host = true;
        } else if (a == "--ini") {
            auto v = value("--ini");
            if (!v) return std::nullopt;
            o.iniFile = *v;
        } else if (a == "--sim-state") {
            auto v = value("--sim-state");
            if (!v) return std::nullopt;
            o.simStateDir = *v;
        } else if (a == "--exit-after-start") {
            o.exitAfterStart = true;
        } else if (a == "--screenshot") {
            auto v = value("--screenshot");
            if (!v) return std::nullopt;
            o.screenshotDir = *v;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    auto profiles = sim::labProfiles();
    bool known = std::any_of(profiles.begin(), profiles.end(), [&](const auto& p) { return p.name == o.simProfile; }) ||
                 o.simProfile.rfind("real:", 0) == 0;
    if (o.host && o.simStateDir) {
        error = "--sim-state keeps a simulated lab: it does not go with --host or --device";
        return std::nullopt;
    }
    if (!o.host && !known) {
        error = "unknown lab profile '" + o.simProfile + "'";
        return std::nullopt;
    }
    return o;
}

GuiProgram::GuiProgram(const GuiOptions& o) {
    if (!o.host) lab_ = sim::buildLab(o.simProfile, labTime_);
    std::string labStateError;
    if (lab_ && o.simStateDir) {
        if (sim::LabStateStore::open(*lab_, *o.simStateDir, labStateError))
            keptLabDir_ = o.simStateDir;
    }
    machine_ = std::make_unique<Machine>(lab_.get(), o.devices);
    platform::SystemFacts& facts = lab_ ? static_cast<platform::SystemFacts&>(labFacts_) : hostFacts_;
    shell::AppPaths paths = shell::AppPaths::resolve(facts);
    if (o.iniFile) paths.iniPath = *o.iniFile;
    app_ = std::make_unique<shell::App>(shell::AppEnvironment{clock_, facts, ui_, dialogs_, clipboard_,
                                                              machine_->ports(), machine_->disks(), machine_->power(),
                                                              machine_->pciFiles(), paths});
    app_->scanExports.pictures = &pictures_;
    window_ = std::make_unique<qt::MainWindow>(*app_);
    dialogs_.setParent(window_.get());
    app_->startUp.startUp();
    // The lab is never mistaken for a real machine.
    if (lab_) app_->form.setCaption(app_->form.caption() + " [simulated lab: " + lab_->profileName + "]");
    if (!labStateError.empty()) app_->logEvent(labStateError + "; the lab starts as built and is not kept", 0, 4);
}

GuiProgram::~GuiProgram() {
    std::string error;
    if (lab_ && keptLabDir_) sim::LabStateStore::save(*lab_, *keptLabDir_, error);
    ui_.shutdown();
    window_.reset();
    app_.reset();
}

void GuiProgram::offerRootRestart(const std::vector<std::string>& args) {
    if (lab_) return;
    auto line = shell::RootRestart::offer(dialogs_, hostFacts_.osFacts(), platform::findProgram("pkexec"),
                                          platform::runningProgram(), args, [](const char* n) { return std::getenv(n); });
    if (line.empty()) return;
    // Nothing runs yet and nothing was changed, so the new process takes over from here.
    std::string why = platform::replaceProcess(line);
    app_->logEvent("pkexec could not be started: " + why, 0, 4);
}

bool GuiProgram::writeScreenshots(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    window_->show();
    QApplication::processEvents();
    app_->windowActions.functionKey(2);
    app_->windowActions.functionKey(9); // the SMART page with a read list
    QApplication::processEvents();
    bool ok = true;
    for (int i = 0; i < 5; ++i)
        ok = window_->savePage(i, QString::fromStdString(dir + "/page-" + std::to_string(i) + ".png")) && ok;
    if (lab_) ok = writeScanPictures(dir) && ok;
    app_->form.MainPage.setActiveIndex(0);
    return ok;
}

// A short verify scan of the lab drive in the passport, with two bad sectors planted in its range
// (unless the lab is kept, whose drives must not change), then the map and the graph it drew.
bool GuiProgram::writeScanPictures(const std::string& dir) {
    auto& t = app_->form.tests;
    if (!keptLabDir_)
        for (auto& drive : lab_->drives())
            if (drive->profile().model == app_->passport.Model) {
                drive->makeUnreadable(6000);
                drive->makeUnreadable(14100);
            }
    app_->form.MainPage.setActiveIndex(2);
    t.ScanRWGrp.setItemIndex(0, form::Origin::User);
    t.ImgFWD.mouseDown();
    t.StartLbaEdit.setText("0", form::Origin::User);
    t.EndLbaEdit.setText("20000", form::Origin::User);
    t.AutoSizeSC.setChecked(false, form::Origin::User);
    t.ScBlockSizeBox.setText("32", form::Origin::User);
    t.ScanStartBtn.click();
    while (app_->scan.scanStarted || app_->jobs.running(access::WorkerGate::Worker::Scan)) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const bool map = app_->scanExports.saveMap(dir + "/scan-map.png");
    t.DisGridChk.setChecked(false, form::Origin::User);
    QApplication::processEvents();
    const bool graph = app_->scanExports.saveGraph(dir + "/scan-graph.png");
    t.DisGridChk.setChecked(true, form::Origin::User);
    return map && graph;
}

} // namespace korvane::app
