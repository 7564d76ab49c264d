#pragma once
#include "access/LogFn.h"
#include "access/DriveSession.h"
#include "access/Timing.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "platform/PortIo.h"
#include "platform/TaskFile.h"

#include <functional>
#include <string>

namespace korvane::access {

// The system as its own ATA host: task-file writes, status polling with time-outs, sector data
// through the data register, the soft reset, the live register panel, and the other port
// operations (speaker, power adaptor probe, PCI configuration reads).
class PioProtocol {
public:

    // The controls it shows: the register panel, the Registry Monitor and the "&Power" button's
    // colour from the adaptor probe.
    struct Panels {
        form::RegisterPanel& registers;
        form::RegistryMonitorWindow& registryMonitor;
        form::Button& powerButton;
    };
    PioProtocol(platform::PortIo& ports, DriveSession& session, Timing& timing, form::UiThread& ui, Panels panels,
                LogFn log);

    // Waits.
    int64_t waitNotBusy();
    bool waitDataRequest();
    bool waitDriveReady();
    bool waitReadyBreakable(uint32_t ms);

    // Status tests on the status port.
    bool isBusy();
    // After a data transfer: the drive is still on the bus (ready, not busy). A drive that left
    // mid-transfer reads as all zeros beside another device, or all ones alone.
    bool answersAfterTransfer();
    bool isReady();
    bool isNotReady();

    // Registers and commands.
    void selectDevice();
    uint8_t readErrorIfAny();
    // One register set, written as a 48-bit task file (previous bytes first) when `ext`.
    void writeTaskFile(const platform::TaskFile& tf, bool ext);
    bool sendNonDataCommand(const platform::TaskFile& tf);
    void writeTaskFile28(uint8_t features, uint8_t count, uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh,
                         uint8_t device, uint8_t command);
    void writeTaskFile48(uint16_t features, uint16_t count, uint16_t lbaLow, uint16_t lbaMid, uint16_t lbaHigh,
                         uint8_t device, uint8_t command);
    // The pairs of a 48-bit LBA: (bits 24-31, 0-7), (32-39, 8-15), (40-47, 16-23), high byte first.
    static void lba48Pairs(uint64_t lba, uint16_t& low, uint16_t& mid, uint16_t& high);
    uint64_t readTaskFileLba();
    bool sendNonDataCommand(uint8_t features, uint8_t count, uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh,
                            uint8_t device, uint8_t command);
    void softReset();
    // The "&Reset" command: true when the drive came back without error.
    bool driveReset();
    bool registerEchoTest();

    // Data phase of one sector.
    bool pioReadSector();
    bool pioReadSector2();
    bool pioWriteSector();
    void pioReadSector32();
    void pioWriteSector32();
    // READ LONG / WRITE LONG data: 260 words between the data port and sectorBuffer.
    void pioReadWords(uint16_t* words, size_t count);
    void pioWriteWords(const uint16_t* words, size_t count);

    // The register panel and the "Registry Monitor" window.
    void updateStatusPanel();
    void dimStatusPanel();
    void lightStatusPanel();
    void updateRegisterMonitor();
    bool busyLamp() const { return busyLamp_; }
    uint8_t lastStatus() const { return lastStatus_; }
    // The error register as the panel last read it (only while the drive was not busy).
    uint8_t lastError() const { return lastError_; }

    // Other ports.
    void powerProbe();
    void speakerBeep(uint16_t divisor, uint32_t ms);
    void bell();
    uint32_t pciConfigRead(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg);

    platform::PortIo& ports() { return ports_; }

private:
    uint16_t base(uint16_t offset) const { return uint16_t(session_.pioBasePort + offset); }
    uint8_t readStatus() { return ports_.inb(session_.pioStatusPort); }
    // Lets pending UI events run, but only on the UI thread.
    void processEvents();
    bool readSectorInto(uint16_t* words);

    platform::PortIo& ports_;
    DriveSession& session_;
    Timing& timing_;
    form::UiThread& ui_;
    Panels panels_;
    LogFn log_;
    uint8_t lastStatus_ = 0, lastError_ = 0;
    bool busyLamp_ = false;
};

} // namespace korvane::access
