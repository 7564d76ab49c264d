#pragma once
#include "access/ApiAccess.h"
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "tests/SeekState.h"

namespace korvane::tests {

struct AcousticControlContext {
    form::SeekGroup& seek;
    form::PageControl& pages; // the "Standard" page (0) shown: the track bar takes the focus
    SeekState& state;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::ApiAccess& api;
    access::DriveCommands& commands;
    info::PassportReader& passportReader;
    info::DrivePassport& passport;
    form::UiThread& ui;
    access::LogFn log;
};

// The drive's automatic acoustic management: the level on the track bar, sent with SET FEATURES
// when the bar is let go, and the "MIN" and "OFF" presets.
class AcousticControl {
public:
    explicit AcousticControl(AcousticControlContext c);

    // The LED text of a track bar position, for a drive whose current AAM value is `current`.
    static std::string ledText(int position, uint8_t current);

    void trackChanged();
    void setAam();
    void minimum();
    void off();

private:
    // SET FEATURES: 42h with the level enables the management, C2h disables it.
    bool apiSetFeatures(uint8_t features, uint8_t count);
    bool pioSetFeatures(uint8_t features, uint8_t count);
    // The passport read again without the track bar's own release action running meanwhile.
    void refreshPassport();
    bool pioDriveAnswers(bool quick);
    void preset(uint8_t features, uint8_t count, const std::string& line);

    AcousticControlContext c_;
    form::SeekGroup& g_;
};

} // namespace korvane::tests
