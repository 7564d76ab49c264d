#include "tests/SurfaceScan.h"

#include "access/SizeParse.h"
#include "platform/SystemErrors.h"
#include "tests/BlockOrder.h"
#include "tests/ScanPlan.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace korvane::tests {

namespace {
constexpr double kMsPerDay = 86400000.0;
constexpr size_t kBadBlocksKept = 100000;
} // namespace

SurfaceScan::SurfaceScan(SurfaceScanContext c)
    : c_(std::move(c)), classes_(c_.form.tests, c_.state, c_.log), progress_(c_.form.tests, c_.form.Application, c_.state),
      map_(c_.form.tests.Grid), graph_(c_.form.tests, c_.state),
      defects_({c_.form.tests, c_.form.setup.scanOptions.RzSpinEdit1, c_.state, c_.session, c_.pio, c_.commands,
                c_.api, c_.timing, c_.ui, c_.log}),
      wake_({c_.state.timerWakeArmed, c_.state.blockTime, c_.state.timedOut, c_.state.timeoutMs}, c_.session, c_.pio,
            c_.timing.clock()) {
    c_.form.tests.GF.onMouseMove = [this](int x, int y) {
        // The readouts belong to the graph when it is shown.
        if (!c_.form.tests.DisGridChk.checked()) graph_.pointerAt(x, y, c_.session.sectorsPerMiB);
    };
    progress_.onRandomNow = [this] { c_.state.randomNow = (c_.timing.tickCount() - randomStartMs_) / kMsPerDay; };
}

SurfaceScan::~SurfaceScan() { wake_.stop(); }

bool SurfaceScan::longWriting() const {
    return c_.state.scanMode == ScanMode::Write && c_.session.accessMode == access::AccessMode::Pio &&
           c_.form.tests.EnLwChk.checked();
}

TimingPath SurfaceScan::timingPath() const {
    if (c_.session.accessMode == access::AccessMode::Api) return TimingPath::Api;
    return c_.clockState.pioScanPolls ? TimingPath::PioPolling : TimingPath::PioTimer;
}

// ------------------------------------------------------------------------------------------
// The start
// ------------------------------------------------------------------------------------------

bool SurfaceScan::prepareRange() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    std::string error;
    auto plan = planScan(t.StartLbaEdit.text(), t.EndLbaEdit.text(), t.ScBlockSizeBox.text(), c_.session.maxLba,
                         c_.session.sectorsPerMiB, error);
    if (!plan) {
        c_.dialogs.showMessage(error);
        return false;
    }
    s.startLba = plan->startLba;
    s.endLba = plan->endLba;
    t.StartLbaEdit.setText(plan->startText);
    t.EndLbaEdit.setText(plan->endText);
    t.LbaOut.setText(plan->startText);
    t.LbaOut1.setText(plan->startText);
    if (c_.session.accessMode == access::AccessMode::Pio && !c_.passport.LbaSupported) {
        c_.log("This drive not support LBA, scan terminated", 0, 4);
        c_.pio.speakerBeep(500, 200);
        return false;
    }
    if (c_.form.setup.scanOptions.AdjustCpuChk.checked()) c_.timing.measureCpuClockLogged();
    return true;
}

void SurfaceScan::prepareTiming() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    s.range = std::max<uint64_t>(s.endLba - s.startLba, 1);
    const uint64_t block = std::min<uint64_t>(boxDigits(t.ScBlockSizeBox.text()), 0xFFFF);
    s.speedSampleBlocks = uint8_t(speedSampleBlocks(s.range, uint32_t(block)));
    t.ScBlockSizeBox.setText(std::to_string(block));
    const bool api = c_.session.accessMode == access::AccessMode::Api;
    TimingFactorInputs in;
    in.udmaMode = c_.passport.UdmaMode;
    in.scsiPassport = c_.passport.ScsiPassport;
    in.hpaSupported = c_.passport.HpaSupported;
    in.nativeSize = c_.hpa.NativeSize;
    in.pioMode = !api;
    in.familyCode = c_.passport.FamilyCode;
    in.verifyScan = s.scanMode == ScanMode::Verify;
    in.timingsDependOnDrive = c_.form.setup.scanOptions.CorrTimHDDChk.checked();
    in.apiRemovable = api && c_.passport.Removable;
    in.maxLba = c_.session.maxLba;
    in.blockSize = uint32_t(block);
    s.timingFactor = uint16_t(timingFactor(in));
    const ScanDirection d = s.direction;
    s.directionFactor = (d == ScanDirection::Forward || d == ScanDirection::Reverse) ? 1 : 2;
    computeLimits();
}

void SurfaceScan::computeLimits() {
    auto& s = c_.state;
    classes_.applyLimits(computeClassLimits(s.directionFactor, s.timingFactor, timingPath(), c_.passport.UdmaMode));
}

bool SurfaceScan::openDrive() {
    auto& s = c_.state;
    auto& buffers = c_.session.buffers;
    if (c_.session.accessMode == access::AccessMode::Api) {
        const bool exclusive = writes();
        // Never read-only: the treatment can be changed to one that writes while the scan runs.
        handle_ = c_.api.openDevice(c_.session.apiDeviceNumber, c_.session.apiDriveLetter, exclusive);
        if (!handle_) {
            if (c_.session.apiDeviceNumber == 255)
                c_.log(std::string("[API] Unable to open logical drive ") + c_.session.apiDriveLetter + ":", 0, 4);
            else
                c_.log("[API] Unable to open physical drive #" + std::to_string(c_.session.apiDeviceNumber), 0, 4);
            if (exclusive && c_.api.lastSystemError() == platform::syserr::SharingViolation)
                c_.log("[API] The disk is in use by the system (mounted, swap or held by another device): "
                       "a scan that writes needs it to itself",
                       0, 4);
            c_.pio.speakerBeep(500, 200);
            return false;
        }
        s.handle = handle_.get();
        if (!handle_->directTransfers())
            c_.log("[API] The device refuses direct transfers: blocks go through the system's cache, so their times "
                   "are the cache's",
                   0, 3);
        if (s.scanMode == ScanMode::Verify && !c_.api.chooseVerifyRoute(s.handle, s.startLba))
            c_.log("[API] The device cannot verify by itself: blocks are read instead, and their times include "
                   "the transfer",
                   0, 3);
    }
    if (s.scanMode == ScanMode::Write) {
        if (c_.session.accessMode == access::AccessMode::Api) {
            std::memset(buffers.transferBuffer(), 0, access::SharedBuffers::kTransferBytes);
            auto* words = reinterpret_cast<uint32_t*>(buffers.patternBuffer());
            std::fill(words, words + access::SharedBuffers::kTransferDwords, 0x55AA55AAu);
        } else {
            std::fill(std::begin(buffers.dwordBuffer), std::end(buffers.dwordBuffer), 0u);
        }
    }
    return true;
}

bool SurfaceScan::writes() const {
    if (c_.state.scanMode == ScanMode::Write) return true;
    const auto action = DefectAction(c_.form.tests.ScRemapGroup.itemIndex());
    return !c_.state.defectoscope && action != DefectAction::Ignore;
}

void SurfaceScan::restartRandomClock() {
    const double minute = 1.0 / 1440.0;
    const double v = c_.form.tests.RndScTimeEdit.value();
    randomStartMs_ = c_.timing.tickCount();
    c_.state.randomDeadline = std::clamp(v - std::floor(v), minute, 1.0 - minute);
    c_.state.randomNow = 0;
}

void SurfaceScan::resetCounters() {
    classes_.resetCounters();
    c_.state.warningCount = c_.state.errorCount = 0;
    c_.form.tests.ErLab.setCaption("0");
}

void SurfaceScan::closeDrive() {
    c_.state.handle = nullptr;
    handle_.reset();
}

void SurfaceScan::readTimeout() {
    auto& edit = c_.form.tests.ScanTimeEdit;
    if (edit.text().find("never") != std::string::npos) {
        c_.state.timeoutMs = -1;
        return;
    }
    uint64_t v = boxDigits(edit.text());
    if (edit.text().find_first_of("0123456789") != std::string::npos && v == 0) {
        v = 1;
        edit.setText("1");
    }
    c_.state.timeoutMs = int32_t(std::min<uint64_t>(v, 0x7FFFFFFF));
}

void SurfaceScan::prepareBlocks() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    uint64_t block = std::min<uint64_t>(boxDigits(t.ScBlockSizeBox.text()), 0xFFFF);
    if (block == 0) {
        block = 1;
        t.ScBlockSizeBox.setText("1");
    }
    s.nominalBlockSize = uint16_t(block);
    beginOrder(s, uint16_t(std::min<uint64_t>(block, s.range)));
    s.jumpLarge = s.range / 50;
    s.jumpSmall = s.range / 1000;
    resetCounters();
    t.DftMeter.setMax(int(s.blockSize));
    restartRandomClock();
    fastBlocks_ = 0;
    const int level = s.scanMode == ScanMode::Write ? 4 : (s.scanMode == ScanMode::Read && !api()) ? 3 : 1;
    c_.log(startLine(), 0, level);
    openBlockFile();
}

// The scan runs whether or not its block times can be kept; the log says which.
void SurfaceScan::openBlockFile() {
    if (!csv_.armed() || csv_.isOpen()) return;
    const BlockFileDrive drive{c_.passport.Model, c_.passport.Serial, c_.session.maxLba, c_.state.nominalBlockSize};
    if (csv_.open(drive))
        c_.log("Block times are written to " + csv_.path(), 0, 1);
    else
        c_.log("Block times cannot be written to " + csv_.path(), 0, 4);
}

std::string SurfaceScan::startLine() const {
    const auto& t = c_.form.tests;
    const auto& s = c_.state;
    std::string line;
    switch (s.scanMode) {
    case ScanMode::Verify: line = "Starting surface scan, LBA="; break;
    case ScanMode::Read: line = api() ? "Starting Reading, LBA=" : "Starting PIO-Reading, LBA="; break;
    case ScanMode::Write: line = longWriting() ? "Starting Long-Writing, LBA=" : "Starting ERASING, LBA="; break;
    }
    line += std::to_string(s.startLba) + ".." + std::to_string(s.endLba);
    static const char* orders[] = {", sequential access", ", reverse access", ", random access", ", butterfly"};
    line += orders[int(s.direction.load())];
    if (!longWriting()) {
        const std::string& tio = t.ScanTimeEdit.text();
        switch (t.ScRemapGroup.itemIndex()) {
        case 1: line += " w. REMAP, tio " + tio + "ms"; break;
        case 2: line += " w. ERASE block, tio " + tio + "ms"; break;
        case 3: line += (api() ? ", tio " : " w. RESTORE data, tio ") + tio + "ms"; break;
        default: line += ", timeout " + tio + "ms"; break;
        }
    }
    if (s.loopMode) line += ". Try " + std::to_string(s.loopCount);
    return line;
}

bool SurfaceScan::startWorker() {
    const bool polls = c_.clockState.pioScanPolls;
    if (!api() && !polls) wake_.start();
    ScanSetup setup;
    setup.api = api();
    setup.polls = polls;
    setup.longWriting = longWriting();
    setup.ddd = api() && c_.state.scanMode == ScanMode::Write && c_.form.tests.DDDChk.checked();
    c_.state.defectoscope = c_.form.tests.ScDftChk.checked();
    auto job = std::make_unique<ScnThread>(c_.state, *this, c_.session, c_.timing, c_.api, wake_, setup);
    return c_.jobs.start(std::move(job), [this] {
        if (onWorkerEnded) onWorkerEnded();
    });
}

// ------------------------------------------------------------------------------------------
// The worker's steps
// ------------------------------------------------------------------------------------------

ProgressDisplay::Clock SurfaceScan::scanClock(uint64_t now) const {
    return ProgressDisplay::Clock{now, c_.clockState.commonClockIsTsc, std::max<uint32_t>(c_.clockState.ticksPerMs, 1)};
}

void SurfaceScan::workerStarted() {
    startedMs_ = endedMs_ = c_.timing.tickCount();
    sectorsScanned_ = 0;
    badBlocks_.clear();
    graph_.workerStarted();
    c_.state.speedKBs = 1;
    progress_.start(scanClock(c_.timing.commonNow()));
    c_.form.tests.AdjScaleLabel.setCaption("Adjusting scale...");
    if (onWorkerStarted) onWorkerStarted();
}

void SurfaceScan::blocks(const BlockResult* results, size_t count) {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    const ScanDirection order = s.direction;
    std::optional<uint64_t> position; // LbaOut, set once for the whole batch
    for (size_t i = 0; i < count; ++i) {
        const BlockResult& r = results[i];
        sectorsScanned_ += r.size;
        int timeClass = 0;
        if (r.bad) {
            s.blockError = r.error;
            s.blockTime = r.time;
            if (!s.defectoscope) graph_.badBlock();
            defects_.handleBadBlock(r.lba, r.size);
        } else {
            timeClass = classes_.classify(r.lba, r.time);
        }
        if (r.jumpMark) s.cellCode = r.jumpMark;
        map_.put(s.cellCode);
        if (r.bad && badBlocks_.size() < kBadBlocksKept) badBlocks_.emplace_back(r.lba, r.error);
        if (csv_.isOpen()) {
            const double perMs = std::max<uint32_t>(s.classLimits.unitsPerMs, 1);
            csv_.add(BlockRow{r.lba, r.size, double(r.time) / perMs, timeClass, r.bad ? r.error : 0u, s.cellCode});
        }
        const bool fast = timeClass == 1 || timeClass == 2;
        if (order == ScanDirection::Random || order == ScanDirection::Butterfly || !fast || ++fastBlocks_ >= 12) {
            if (fast) fastBlocks_ = 0;
            position = r.lba;
        }
        progress_.afterBlock(scanClock(r.clockAt), c_.session.sectorsPerMiB, r.lba);
        graph_.afterBlock(progress_.sampled(), c_.passport.Model);
    }
    graph_.show();
    classes_.showCounts();
    // What was scanned is on disk before the next batch.
    if (!csv_.flush()) c_.log("Block times could not be written to " + csv_.path() + ", the file is closed", 0, 4);
    if (order == ScanDirection::Butterfly) {
        t.LbaOut.setText(std::to_string(s.btfLow + s.blockSize));
        t.LbaOut1.setText(std::to_string(s.btfHigh + s.blockSize - 1));
    } else if (position) {
        t.LbaOut.setText(std::to_string(*position));
    }
}

void SurfaceScan::longWriteSector(uint32_t index, uint64_t lba) {
    c_.form.tests.DftMeter.setPosition(int(index + 1));
    c_.form.tests.LbaOut.setText(std::to_string(lba));
}

void SurfaceScan::finished() {
    auto& t = c_.form.tests;
    progress_.finished();
    t.Grid.setEnabled(true);
    if (c_.state.scanMode == ScanMode::Write && !c_.state.loopMode) t.ScanRWGrp.setItemIndex(api() ? 1 : 0);
}

bool SurfaceScan::endAction() { return onEndAction && onEndAction(); }

void SurfaceScan::results() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    closeDrive();
    csv_.close();
    endedMs_ = c_.timing.tickCount();
    s.resultText = s.warningCount == 0 && s.errorCount == 0
                       ? "no warnings, no errors"
                       : "Warnings - " + std::to_string(s.warningCount) + ", errors - " + std::to_string(s.errorCount);
    t.AdjScaleLabel.setCaption(c_.passport.Model);
    t.AdjScaleLabel.setVisible(true);
    t.AdjPercentLabel.setVisible(false);
    uint64_t last = s.curLba;
    switch (s.direction.load()) {
    case ScanDirection::Forward: last = s.curLba - 1; break;
    case ScanDirection::Reverse: last = s.startLba; break;
    case ScanDirection::Random: last = s.startLba == s.endLba ? s.endLba : s.curLba + s.blockSize; break;
    case ScanDirection::Butterfly: break;
    }
    t.LbaOut.setText(std::to_string(last));
    c_.log("***** Scan results: " + s.resultText + " *****", 0, 1);
    if (t.SpeedLed.caption() == " sensing") t.SpeedLed.setCaption(" ?");
    if (onResultsDone) onResultsDone();
}

void SurfaceScan::shutdownIfAsked() {
    if (onShutdown) onShutdown();
}

} // namespace korvane::tests
