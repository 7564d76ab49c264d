#pragma once
#include "access/DriveSession.h"
#include "form/MainForm.h"

#include <array>
#include <vector>

namespace korvane::shell {

// The "View buffer" window: watches one of the transfer buffers while drive operations run,
// reloading its view when the buffer changes, or freezes a copy of the whole buffer to page
// through it.
class BufferView {
public:
    BufferView(form::MainForm& form, access::DriveSession& session);

    void shown();
    void tick();
    void bufferChosen();
    void pauseClick();
    void offsetChanged();
    void deactivated();
    void closed();

    // The chosen buffer and its size in sectors.
    const uint8_t* buffer() const;
    size_t sectors() const;
    bool offline() const { return offline_; }

private:
    void goLive();

    form::MainForm& form_;
    form::ViewBufferWindow& w_;
    access::DriveSession& session_;
    std::array<uint8_t, 512> last_{};
    std::vector<uint8_t> snapshot_;
    bool offline_ = false;
};

} // namespace korvane::shell
