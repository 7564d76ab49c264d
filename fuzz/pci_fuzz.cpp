// The PCI scan's decode of configuration space (as the system's config files give it) over any
// bytes: each 64 bytes of the input are one function, bus 0, in device and function order.
#include "FuzzApp.h"

#include <cstring>

using namespace korvane;

namespace {

struct InputPciFiles final : platform::PciConfigFiles {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool available() override { return true; }
    uint32_t read(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) override {
        const size_t at = (size_t(device) * 8 + function) * 64 + (reg & 0xFC);
        if (bus != 0 || reg >= 64 || at + 4 > size) return 0xFFFFFFFFu;
        uint32_t v;
        std::memcpy(&v, data + at, 4);
        return v;
    }
    std::string vendorName(uint16_t) override { return ""; }
    std::string deviceName(uint16_t, uint16_t) override { return ""; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& t = fuzz::fuzzApp();
    static InputPciFiles files;
    files.data = data;
    files.size = size;
    t.pciFiles.target = &files;
    t.app->session.portDriverReady = false; // the scan reads the files, not the ports
    auto& group = t.app->form.standard.pci;
    const uint8_t options = size ? data[size - 1] : 0;
    group.PCIAllDevChk.setChecked(options & 1, form::Origin::User);
    group.MFDevChk.setChecked(options & 2, form::Origin::User);
    group.PCIScanBtn.setEnabled(true);
    group.PCIScanBtn.click();
    (void)t.app->passportReport.copyAllText();
    t.pciFiles.target = &t.pciFiles.none;
    return 0;
}
