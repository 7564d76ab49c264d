#pragma once
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "info/PassportReport.h"

#include <string>

namespace korvane::info {

struct ExtendedPassportContext {
    form::MainForm& form;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    PassportReader& reader;
    PassportReport& report;
    const DrivePassport& passport;
    HpaState& hpa;
    access::LogFn log;
};

// The "EXT" passport: the passport of a PIO drive with four short diagnostics as extra report
// rows (the native size, a set-features probe, the power mode, a loop-back of the drive's
// sector buffer) and the AAM track bar set to the drive's value.
class ExtendedPassport {
public:
    explicit ExtendedPassport(ExtendedPassportContext context);

    void extButtonClick();

    void nativeSize();
    void setFeaturesProbe();
    void powerMode();
    void bufferLoopBack();
    void aamTrackBar();

    // A 16-bit value in base 2, without leading zeros ("0" for 0).
    static std::string binaryText(uint16_t value);
    static constexpr uint16_t kPattern = 0x55AA;

private:
    ExtendedPassportContext c_;
};

} // namespace korvane::info
