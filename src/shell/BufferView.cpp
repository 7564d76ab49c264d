#include "shell/BufferView.h"

#include <algorithm>
#include <cstring>

namespace korvane::shell {

namespace {
enum Choice { Hdd = 0, Api = 1, PioTransfer = 2 };
} // namespace

BufferView::BufferView(form::MainForm& form, access::DriveSession& session)
    : form_(form), w_(form.viewBuffer), session_(session) {
    w_.onShow = [this] { shown(); };
    w_.onClose = [this] { closed(); };
    w_.onDeactivate = [this] { deactivated(); };
    w_.HeVTimer.onTimer = [this] { tick(); };
    w_.HexBufSw.onClick = [this] { bufferChosen(); };
    w_.HVPauseBtn.onClick = [this] { pauseClick(); };
    w_.HexeditIn.onChange = [this] { offsetChanged(); };
}

const uint8_t* BufferView::buffer() const {
    auto& b = session_.buffers;
    switch (w_.HexBufSw.itemIndex()) {
    case Api: return b.transferBuffer();
    case PioTransfer: return reinterpret_cast<const uint8_t*>(b.dwordBuffer);
    default: return b.sectorBytes();
    }
}

// The 32-bit PIO buffer holds one sector (with room to spare), so its view is one sector long.
size_t BufferView::sectors() const {
    switch (w_.HexBufSw.itemIndex()) {
    case Api: return 65535;
    case PioTransfer: return 1;
    default: return 4;
    }
}

void BufferView::shown() {
    last_[0] = 1;
    const bool api = session_.accessMode == access::AccessMode::Api;
    const int choice = api ? Api : form_.MainPage.activeIndex() == 2 ? PioTransfer : Hdd;
    w_.HexBufSw.setItemIndex(choice);
    bufferChosen();
    if (!offline_) w_.HeVTimer.setEnabled(true);
}

// A buffer that does not change is not reloaded, so the view's cursor and selection survive.
// The worker may be filling the buffer meanwhile: a view may show it partly written.
void BufferView::tick() {
    if (offline_) return;
    std::array<uint8_t, 512> now;
    std::memcpy(now.data(), buffer(), now.size());
    if (now != last_) w_.HexV.load(now.data(), now.size());
    last_ = now;
}

void BufferView::bufferChosen() {
    const size_t n = sectors();
    w_.HexeditIn.setRange(0, int64_t(n) - 1);
    w_.HexeditIn.setValue(0);
    w_.HVBl.setCaption(" " + std::to_string(n));
}

void BufferView::pauseClick() {
    if (offline_) {
        goLive();
        return;
    }
    w_.HeVTimer.setEnabled(false);
    w_.HexBufSw.setEnabled(false);
    w_.HexeditIn.setEnabled(true);
    const uint8_t* b = buffer();
    snapshot_.assign(b, b + sectors() * 512);
    offline_ = true;
    w_.HVPauseBtn.setCaption("Online");
    w_.HVPLed.setColour(form::colours::Red);
    w_.HVBl.setFontColour(form::colours::White);
    w_.HexeditIn.setFocus();
    offsetChanged();
}

void BufferView::offsetChanged() {
    if (!offline_ || snapshot_.empty()) return;
    const size_t pages = snapshot_.size() / 512;
    const size_t at = size_t(std::clamp<int64_t>(w_.HexeditIn.value(), 0, int64_t(pages) - 1));
    w_.HexV.load(snapshot_.data() + at * 512, 512);
}

void BufferView::goLive() {
    snapshot_.clear();
    snapshot_.shrink_to_fit();
    offline_ = false;
    w_.HexeditIn.setEnabled(false);
    w_.HeVTimer.setEnabled(true);
    w_.HexBufSw.setEnabled(true);
    w_.HVPauseBtn.setCaption("Offline");
    w_.HVPLed.setColour(form::colours::Lime);
    w_.HVBl.setFontColour(form::colours::Silver);
}

void BufferView::deactivated() {
    if (offline_) goLive();
}

void BufferView::closed() { w_.HeVTimer.setEnabled(false); }

} // namespace korvane::shell
