#include "tests/DefectHandler.h"

#include "access/ErrorText.h"

namespace korvane::tests {

DefectHandler::DefectHandler(form::TestsPage& page, ScanState& state, access::LogFn log)
    : page_(page), state_(state), log_(std::move(log)) {}

char DefectHandler::mapCode(uint16_t error) {
    switch (error) {
    case 1: return 'A';
    case 2: return '0';
    case 4: return '!';
    case 16: return 'S';
    case 64: return 'x';
    case 72: return '#';
    case 73: return '.';
    case 128: return '*';
    case 129: return 'D';
    default: return 'T';
    }
}

void DefectHandler::handleBadBlock() {
    const uint64_t lba = state_.curLba;
    if (!state_.defectoscope) {
        if (state_.blockError == 129)
            log_("Block " + std::to_string(lba) + " - data distortion! " + state_.distortionText, 0, 4);
        else if (page_.ErLogBxErr.checked())
            log_("Block " + std::to_string(lba) + access::errorText(state_.blockError), 0, 4);
        ++state_.errorCount;
        page_.ErLab.setCaption(std::to_string(state_.errorCount));
    }
    state_.cellCode = mapCode(state_.blockError);
    page_.DftMeter.setPosition(0);
}

} // namespace korvane::tests
