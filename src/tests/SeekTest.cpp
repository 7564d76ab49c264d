#include "tests/SeekTest.h"

#include "access/SizeParse.h"

#include <algorithm>

namespace korvane::tests {

namespace {
constexpr form::Colour kRed = 0xFF0000, kBlue = 0x0000FF;
const char* const kDegrees = " \xC2\xB0" "C";
bool noTemperature(int16_t t) { return t == -126 || t == -127; }
} // namespace

SeekTest::SeekTest(SeekTestContext c)
    : c_(std::move(c)), g_(c_.form.standard.seek), s_(c_.state),
      wake_({s_.seekWakeArmed, s_.seekTime, s_.seekTimedOut, s_.seekLimit}, c_.session, c_.pio, c_.timing.clock()),
      showPosition_([this] { showPosition(); }) {
    wire();
}

SeekTest::~SeekTest() { wake_.stop(); }

void SeekTest::wire() {
    g_.SeekBtn.onClick = [this] { start(); };
    g_.Button2.onClick = [this] {
        g_.SeekStartLbaEdit.setText("0");
        g_.SeekBtn.setFocus(true);
    };
    g_.Button4.onClick = [this] {
        const uint64_t max = c_.session.maxLba;
        g_.SeekEndLbaEdit.setText(std::to_string(max ? max - 1 : 0));
        g_.SeekBtn.setFocus(true);
    };
    g_.TermoCtrlBox.onClick = [this] {
        s_.thermalBox = g_.TermoCtrlBox.checked();
        if (!g_.TermoCtrlBox.checked()) g_.SeekTmprtLed.setCaption("n/a");
    };
    g_.SeekModeGrp.onClick = [this] { g_.SeekModeGrp.setFontColour(0x000080); };
}

bool SeekTest::running() const { return c_.jobs.running(access::WorkerGate::Worker::Seek); }

int64_t SeekTest::limitUnits() const {
    const int64_t ms = std::max<int64_t>(g_.SeekTioEdit.value(), 1);
    // Polling and the API count 0.1 ms steps; the 1 ms timer counts milliseconds.
    return !api() && !polls_ ? ms : ms * 10;
}

// ------------------------------------------------------------------------------------------
// Start
// ------------------------------------------------------------------------------------------

void SeekTest::start() {
    if (!c_.startGuard || running()) return;
    c_.startGuard = false;
    g_.SeekBtn.setEnabled(false);
    c_.commands.clearBreak();
    c_.scan.terminateBySeek();
    titledGroup_ = UINT32_MAX;
    lastPostMs_ = c_.timing.clock().tickCountMs() - kPositionMs;
    if (!prepare()) return abandon();
    becomeStop();
    polls_ = c_.clockState.pioScanPolls;
    SeekSetup setup;
    setup.api = api();
    setup.polls = polls_;
    setup.mode = SeekMode(std::clamp(g_.SeekModeGrp.itemIndex(), 0, 2));
    if (setup.api && setup.mode == SeekMode::Seek) setup.mode = SeekMode::Verify; // no seek command there
    s_.seekLimit = limitUnits();
    if (!api() && !polls_) wake_.start();
    s_.seekRunning = true;
    if (!c_.jobs.start(std::make_unique<SekThread>(s_, *this, c_.timing, wake_, setup), [this] { cleanUp(); })) {
        s_.seekRunning = false;
        cleanUp();
        backToStart("Start");
        return abandon();
    }
    c_.scan.showBusy(true, "Seek is progress!!!");
    c_.startGuard = true;
}

// Steps 3 to 15: the passport, the range, the limit, the temperature, the device, the start line.
bool SeekTest::prepare() {
    c_.timing.clock().sleepMs(100);
    if (!c_.passportReader.readPassport(true, true)) return false;
    const uint64_t max = c_.session.maxLba;
    const uint32_t perMiB = c_.session.sectorsPerMiB;
    auto start = access::parseSizeValue(g_.SeekStartLbaEdit.text(), max, perMiB);
    auto end = access::parseSizeValue(g_.SeekEndLbaEdit.text(), max, perMiB);
    if (!c_.passport.LbaSupported) {
        c_.log("This drive not support LBA, seek terminated", 1, 4);
        return false;
    }
    if (!end || *end < 2) {
        c_.passportReader.readPassport(true, true);
        end = access::parseSizeValue(g_.SeekEndLbaEdit.text(), c_.session.maxLba, perMiB);
    }
    s_.seekStart = start.value_or(0);
    s_.seekEnd = end.value_or(0);
    s_.smartSupported = c_.passport.SmartSupported;
    if (s_.smartSupported) g_.TermoCtrlBox.setEnabled(true);
    if (c_.recalibrate) c_.recalibrate();
    s_.aamLevel = uint8_t(std::clamp(g_.AAMTrack.position(), 0, 255));
    s_.seekFailure = 0;
    s_.thermalBox = g_.TermoCtrlBox.checked();
    // Not read is not failed: a drive without SMART, or a run with the box off, gets no thermal
    // steps (each of which pauses the test for a second).
    s_.startTemperature = 0;
    if (s_.smartSupported && g_.TermoCtrlBox.checked()) readStartTemperature();
    if (api()) {
        handle_ = c_.api.openDevice(c_.session.apiDeviceNumber, c_.session.apiDriveLetter, false, true);
        if (!handle_) {
            c_.log("[API] Unable to open physical drive #" + std::to_string(c_.session.apiDeviceNumber), 0, 4);
            return false;
        }
        s_.seekHandle = handle_.get();
        if (g_.SeekModeGrp.itemIndex() != 2) c_.api.chooseVerifyRoute(s_.seekHandle, uint64_t(s_.seekStart.load()));
    }
    clampRange();
    if (c_.form.setup.scanOptions.AdjustCpuChk.checked() && c_.timing.state().commonClockIsTsc)
        c_.timing.measureCpuClockLogged();
    static const char* modes[] = {"", ", verify", ", reading"};
    c_.log("Starting mechanical test: " + std::to_string(s_.seekStart) + "..." + std::to_string(s_.seekEnd) + " LBA" +
               modes[std::clamp(g_.SeekModeGrp.itemIndex(), 0, 2)] + ", Timeout = " +
               std::to_string(g_.SeekTioEdit.value()) + "ms",
           0, 1);
    return true;
}

bool SeekTest::readStartTemperature() {
    const int16_t t = c_.readTemperature ? c_.readTemperature() : int16_t(-126);
    s_.startTemperature = t;
    if (noTemperature(t)) {
        c_.log("SMART: HDA temperature sensor not detected!", 1, 4);
        g_.TermoCtrlBox.setEnabled(false);
        g_.SeekTmprtLed.setCaption("n/a");
        return false;
    }
    s_.temperatureText = std::to_string(t) + kDegrees;
    g_.SeekTmprtLed.setCaption(s_.temperatureText);
    c_.log("HDA temperature = " + s_.temperatureText, 0, 2);
    g_.TermoCtrlBox.setEnabled(true);
    return true;
}

void SeekTest::clampRange() {
    const int64_t last = int64_t(c_.session.maxLba) - 1;
    if (s_.seekStart >= last) {
        s_.seekStart = std::max<int64_t>(last, 0);
        g_.SeekStartLbaEdit.setText(std::to_string(s_.seekStart));
    }
    if (s_.seekEnd > last) {
        s_.seekEnd = last;
        g_.SeekEndLbaEdit.setText(std::to_string(s_.seekEnd));
    }
    if (s_.seekEnd < s_.seekStart) {
        s_.seekEnd = s_.seekStart.load();
        g_.SeekEndLbaEdit.setText(std::to_string(s_.seekEnd));
    }
}

void SeekTest::abandon() {
    handle_.reset();
    s_.seekHandle = nullptr;
    g_.SeekBtn.setEnabled(true); // the guard stays down until the 10-second timer
}

void SeekTest::becomeStop() {
    g_.SeekBtn.setCaption("Stop");
    g_.SeekBtn.setFontColour(kRed);
    g_.SeekBtn.setEnabled(true);
    g_.SeekBtn.onClick = [this] { c_.form.commands.BreakBtn.click(); };
}

void SeekTest::backToStart(const std::string& caption) {
    g_.SeekBtn.setCaption(caption);
    g_.SeekBtn.setFontColour(kBlue);
    g_.SeekBtn.setEnabled(true);
    g_.SeekBtn.onClick = [this] { start(); };
}

// ------------------------------------------------------------------------------------------
// Stops
// ------------------------------------------------------------------------------------------

void SeekTest::stopByScan() {
    if (!running()) return;
    s_.seekRunning = false;
    s_.seekWakeArmed = false;
    wake_.stop(); // a worker waiting for the timer is released
    c_.timing.clock().sleepMs(50);
    c_.jobs.requestStop(access::WorkerGate::Worker::Seek);
    backToStart("Seek");
    c_.log("Seek was terminated by Scan!", 0, 4);
}

void SeekTest::breakPressed() {
    if (!running()) return;
    backToStart("Seek");
    wake_.release();
}

// The job's thread has ended: the timer, the device, the title.
void SeekTest::cleanUp() {
    wake_.stop();
    s_.seekWakeArmed = false;
    s_.seekRunning = false;
    s_.seekHandle = nullptr;
    handle_.reset();
    c_.form.Application.setCaption("Korvane ");
}

// ------------------------------------------------------------------------------------------
// The worker's steps
// ------------------------------------------------------------------------------------------

void SeekTest::workerStarted() { c_.selection.setSelectionControlsEnabled(false); }

// Posted, not waited for, and at most every 20 ms: the worker goes on while the window shows the
// latest position, a position not yet shown is never queued twice, and a fast device's accesses
// do not each wake the window.
void SeekTest::postPosition() {
    const uint32_t now = c_.timing.clock().tickCountMs();
    if (now - lastPostMs_ < kPositionMs) return;
    lastPostMs_ = now;
    if (!positionPending_.exchange(true)) c_.ui.post(showPosition_);
}

void SeekTest::showPosition() {
    positionPending_ = false;
    g_.SeekLbaOut.setCaption(" " + std::to_string(s_.seekPos));
    g_.SeekCntOut.setCaption(" " + std::to_string(s_.seekCount));
    // Once a group of 64, when 31 of its accesses are done (a coalesced refresh may come later).
    const uint32_t n = s_.seekCount, group = n / SekThread::kWindow;
    if (n % SekThread::kWindow >= 31 && group != titledGroup_) {
        titledGroup_ = group;
        c_.form.Application.setCaption(std::to_string(n) + "  Seek");
    }
}

void SeekTest::showAverage() {
    g_.SeekTimeLed.setCaption(s_.seekAverage + " ms");
    s_.seekLimit = limitUnits();
}

void SeekTest::thermalStep() {
    form::waitRunningEvents(c_.ui, c_.timing.clock(), 1000);
    const int16_t t = c_.readTemperature ? c_.readTemperature() : int16_t(-126);
    if (noTemperature(t)) {
        c_.log(t == -126 ? "SMART Error, termocontrol disabled" : "Temperature sensor not found, termocontrol disabled",
               1, 4);
        g_.TermoCtrlBox.setChecked(false);
        s_.thermalBox = false;
        g_.SeekTmprtLed.setCaption("n/a");
    } else {
        s_.temperatureText = std::to_string(t) + kDegrees;
        g_.SeekTmprtLed.setCaption(s_.temperatureText);
        c_.log("HDA temperature = " + s_.temperatureText, 0, 1);
    }
    c_.log("Average seek time = " + s_.seekAverage + " ms", 0, 1);
}

void SeekTest::errorReport() {
    if (s_.seekFailure == 1) {
        const uint64_t ms = !api() && !polls_ ? s_.seekTime.load() : s_.seekTime / 10;
        c_.log("Seek timeout error: " + std::to_string(ms) + " ms! (LBA " + std::to_string(s_.seekPos) + ")", 0, 4);
    } else {
        c_.log("Seek unknown error! (LBA " + std::to_string(s_.seekPos) + ")", 0, 4);
    }
    if (!api()) c_.pio.waitNotBusy();
    if (c_.stopSpindle) c_.stopSpindle();
}

void SeekTest::endStep() {
    showPosition(); // the count of every access done
    backToStart("Start");
    form::waitRunningEvents(c_.ui, c_.timing.clock(), 500);
    c_.selection.setSelectionControlsEnabled(true);
    c_.scan.showBusy(false, "Seek complete");
}

} // namespace korvane::tests
