#include "access/ApiAccess.h"

#include "platform/AtaCommandTable.h"

#include "platform/SystemErrors.h"

#include <algorithm>
#include <cstring>

namespace korvane::access {

using platform::DiskHandle;
using platform::ScsiRequest;

namespace {

platform::TaskFile taskFile(uint8_t features, uint8_t count, uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh,
                            uint8_t device, uint8_t command) {
    platform::TaskFile regs;
    regs.features = features;
    regs.count = count;
    regs.lbaLow = lbaLow;
    regs.lbaMid = lbaMid;
    regs.lbaHigh = lbaHigh;
    regs.device = device;
    regs.command = command;
    return regs;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Protocol and flag bytes of the two pass-through forms, by direction.
struct PassThroughBytes {
    uint8_t p16, f16, p12, f12;
};
constexpr PassThroughBytes kPassThrough[4] = {
    {0x07, 0x0C, 0x06, 0x00}, {0x09, 0x0E, 0x08, 0x0E}, {0x0B, 0x06, 0x0A, 0x00}, {0x1F, 0x0B, 0x1E, 0x00}};

} // namespace

ApiAccess::ApiAccess(platform::DiskDevices& devices, DriveSession& session, platform::SystemFacts& facts,
                     form::UiThread& ui, LogFn log)
    : devices_(devices), session_(session), facts_(facts), ui_(ui), log_(std::move(log)) {}

void ApiAccess::processEvents() {
    if (ui_.isUiThread()) ui_.processEvents();
}

ApiAccess::Handle ApiAccess::openDevice(uint8_t number, char letter, bool exclusive, bool forReading) {
    if (!session_.ntFamily) return nullptr;
    uint32_t error = 0;
    Handle h = number == 255 ? devices_.openLogical(letter, error)
               : exclusive   ? devices_.openPhysicalExclusive(number, error)
               : forReading  ? devices_.openPhysicalForReading(number, error)
                             : devices_.openPhysical(number, error);
    lastError_ = error;
    return h;
}

// ------------------------------------------------------------------------------------------
// Positioned transfers
// ------------------------------------------------------------------------------------------

namespace {
// An absurd LBA must fail as out of range, not wrap into a small byte offset.
bool byteRangeFits(uint64_t lba, uint32_t count, uint32_t bytesPerSector) {
    if (bytesPerSector == 0) return false;
    if (uint64_t(count) * bytesPerSector > UINT32_MAX) return false;
    return lba <= (UINT64_MAX - uint64_t(count) * bytesPerSector) / bytesPerSector;
}
} // namespace

uint32_t ApiAccess::apiReadSectors(DiskHandle* h, uint32_t count, uint8_t* buffer, uint32_t bytesPerSector,
                                   uint64_t lba) {
    if (!h) return 0;
    if (!byteRangeFits(lba, count, bytesPerSector)) return 0;
    session_.readActive = true;
    uint32_t done = 0;
    uint32_t err = h->read(lba * bytesPerSector, buffer, count * bytesPerSector, done);
    session_.readActive = false;
    lastError_ = err;
    return err == 0 ? done : 0;
}

uint32_t ApiAccess::apiWriteSectors(DiskHandle* h, uint32_t count, const uint8_t* buffer, uint32_t bytesPerSector,
                                    uint64_t lba) {
    if (!h) return 0;
    if (!byteRangeFits(lba, count, bytesPerSector)) return 0;
    session_.writeActive = true;
    uint32_t done = 0;
    uint32_t err = h->write(lba * bytesPerSector, buffer, count * bytesPerSector, done);
    session_.writeActive = false;
    lastError_ = err;
    return err == 0 ? done : 0;
}

bool ApiAccess::apiVerifySectors(DiskHandle* h, uint16_t count, uint64_t lba) {
    if (verifyByReads_) {
        const uint32_t bps = session_.bytesPerSector;
        if (uint64_t(count) * bps > SharedBuffers::kTransferBytes) return false;
        return apiReadSectors(h, count, session_.buffers.transferBuffer(), bps, lba) == uint64_t(count) * bps;
    }
    uint32_t result;
    if (lba + count > 0xFFFFFFFFull) {
        uint8_t cdb[16] = {0x8F, 0x00};
        for (int i = 0; i < 8; ++i) cdb[2 + i] = uint8_t(lba >> (56 - 8 * i));
        cdb[10] = cdb[11] = 0;
        cdb[12] = uint8_t(count >> 8);
        cdb[13] = uint8_t(count);
        result = scsiRequest(h, cdb, 16, ScsiRequest::Direction::None, nullptr, 0, 30);
    } else {
        uint8_t cdb[10] = {0x2F, 0x08, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8), uint8_t(lba),
                           0x00, uint8_t(count >> 8), uint8_t(count), 0x00};
        result = scsiRequest(h, cdb, 10, ScsiRequest::Direction::None, nullptr, 0, 5);
    }
    // A request the device answered with CHECK CONDITION says why in its sense data.
    if (result == 0) lastError_ = 0;
    else if (sat_.systemError != 0) lastError_ = sat_.systemError;
    else lastError_ = platform::systemErrorFromSense(sat_.senseAndData.data(), 24);
    return result == 0;
}

bool ApiAccess::chooseVerifyRoute(DiskHandle* h, uint64_t lba) {
    verifyByReads_ = false;
    if (apiVerifySectors(h, 1, lba)) return true;
    // Refused as a request or as an unknown operation: the device has no VERIFY of its own.
    const uint8_t* sense = sat_.senseAndData.data();
    const bool unknownOperation = sat_.systemError == 0 && (sense[2] & 0x0F) == 0x05 && sense[12] == 0x20;
    const bool refused = sat_.systemError == platform::syserr::InvalidFunction ||
                         sat_.systemError == platform::syserr::InvalidParameter ||
                         sat_.systemError == platform::syserr::NotSupported;
    verifyByReads_ = unknownOperation || refused;
    return !verifyByReads_;
}

// ------------------------------------------------------------------------------------------
// SMART request and IDE pass-through
// ------------------------------------------------------------------------------------------

bool ApiAccess::smartCommand(uint8_t number, uint32_t dataSize, const platform::TaskFile& regs) {
    Handle h = openDevice(number, session_.apiDriveLetter);
    if (!h) {
        if (number == 255)
            log_(std::string("Unable to open logical drive ") + session_.apiDriveLetter + ":", 0, 4);
        else
            log_("Unable to open physical drive #" + std::to_string(number), 0, 4);
        return false;
    }
    processEvents();
    platform::TaskFile r = regs;
    // The drive/head byte names the device of an IDE pair by the drive number's lowest bit.
    r.device = uint8_t(r.device | ((number & 1) << 4));
    std::fill(smartOut_.begin(), smartOut_.end(), 0);
    uint32_t size = std::min<uint32_t>(dataSize, uint32_t(smartOut_.size() - 16));
    const bool ok = h->smartRequest(r, size ? smartOut_.data() + 16 : nullptr, size) == 0;
    if (ok && size == 0) {
        // A command without data answers in its registers, which land where the data would.
        const uint8_t back[8] = {r.error, r.count, r.lbaLow, r.lbaMid, r.lbaHigh, r.device, r.status, 0};
        std::memcpy(smartOut_.data() + 16, back, sizeof back);
    }
    return ok;
}

bool ApiAccess::apiSmartCommand(uint8_t number, uint32_t dataSize, uint8_t features, uint8_t count, uint8_t lbaLow,
                                uint8_t lbaMid, uint8_t lbaHigh, uint8_t device, uint8_t command) {
    if (session_.accessMode != AccessMode::Api || nonAtaDrive_) return false;
    return apiSmartCommandAnyDrive(number, dataSize, features, count, lbaLow, lbaMid, lbaHigh, device, command);
}

bool ApiAccess::apiSmartCommandAnyDrive(uint8_t number, uint32_t dataSize, uint8_t features, uint8_t count,
                                        uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh, uint8_t device,
                                        uint8_t command) {
    if (session_.accessMode != AccessMode::Api) return false;
    platform::TaskFile regs = taskFile(features, count, lbaLow, lbaMid, lbaHigh, device, command);
    return smartCommand(number, dataSize, regs);
}

bool ApiAccess::apiIdePassThrough(uint32_t dataSize, uint8_t features, uint8_t count, uint8_t lbaLow,
                                  uint8_t lbaMid, uint8_t lbaHigh, uint8_t device, uint8_t command,
                                  std::array<uint8_t, 8>& registers) {
    Handle h = openSelected();
    if (!h) return false;
    dataSize = std::min<uint32_t>(dataSize, 0xFFFF - 12);
    std::fill(idePass_.begin(), idePass_.begin() + dataSize + 12, 0);
    platform::TaskFile regs = taskFile(features, count, lbaLow, lbaMid, lbaHigh, device, command);
    uint8_t* head = idePass_.data();
    const uint8_t in[8] = {features, count, lbaLow, lbaMid, lbaHigh, device, command, 0};
    std::memcpy(head, in, 8);
    std::memcpy(head + 8, &dataSize, 4);
    bool ok = h->idePassThrough(regs, dataSize ? idePassData() : nullptr, dataSize, false) == 0;
    const uint8_t out[8] = {regs.error, regs.count, regs.lbaLow, regs.lbaMid, regs.lbaHigh, regs.device, regs.status, 0};
    std::memcpy(head, out, 8);
    std::memcpy(registers.data(), out, 8);
    return ok;
}

// ------------------------------------------------------------------------------------------
// SCSI pass-through and the SAT ATA pass-through
// ------------------------------------------------------------------------------------------

uint32_t ApiAccess::scsiRequest(DiskHandle* h, const uint8_t* cdb, uint8_t cdbLength, ScsiRequest::Direction dir,
                                uint8_t* data, uint32_t length, uint32_t timeout) {
    if (!h) return platform::syserr::AccessDenied;
    ScsiRequest r;
    std::memcpy(r.cdb, cdb, std::min<size_t>(cdbLength, sizeof r.cdb));
    r.cdbLength = cdbLength;
    r.direction = dir;
    r.data = data;
    r.dataLength = length;
    r.timeoutSeconds = timeout;
    uint32_t err = h->scsiPassThrough(r);
    uint32_t result;
    sat_.senseAndData.fill(0);
    if (err == 0) {
        std::memcpy(sat_.senseAndData.data(), r.sense, 24);
        if (data && dir == ScsiRequest::Direction::In)
            std::memcpy(sat_.senseAndData.data() + 32, data, std::min<uint32_t>(r.dataTransferred, 96));
        sat_.scsiStatus = r.scsiStatus;
        sat_.dataBytes = r.dataTransferred;
        sat_.systemError = 0;
        result = (r.scsiStatus == 0 || r.sense[0] == 0) ? 0 : 1;
    } else {
        // Only a request the system carried counts: a refused one is a failure whatever its code.
        sat_.systemError = err;
        std::memcpy(sat_.senseAndData.data(), &err, 4);
        sat_.dataBytes = 0;
        result = err;
    }
    processEvents();
    return result;
}

bool ApiAccess::apiAtaCommand(uint8_t number, uint16_t count, Direction direction, uint8_t features,
                              uint8_t sectorCount, uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh, uint8_t device,
                              uint8_t command) {
    Handle h = openDevice(number, session_.apiDriveLetter);
    uint32_t length = direction == Direction::Registers ? 16u : uint32_t(count) * 512u;
    if (apiData_.size() < length) apiData_.resize(length);
    ScsiRequest::Direction dir = direction == Direction::None  ? ScsiRequest::Direction::None
                                 : direction == Direction::Out ? ScsiRequest::Direction::Out
                                                               : ScsiRequest::Direction::In;
    uint8_t* data = length ? apiData_.data() : nullptr;
    if (direction == Direction::None) length = 0;
    const PassThroughBytes& pt = kPassThrough[int(direction)];
    const uint8_t cdb16[16] = {0x85, pt.p16, pt.f16, 0, features, 0, sectorCount, 0, lbaLow, 0, lbaMid, 0,
                               lbaHigh, device, command, 0};
    uint32_t result = scsiRequest(h.get(), cdb16, 16, dir, data, length, sat_.timeoutSeconds);
    if (result != 0) {
        const uint8_t cdb12[12] = {0xA1, pt.p12, pt.f12, features, sectorCount, lbaLow, lbaMid, lbaHigh,
                                   device, command, 0, 0};
        result = scsiRequest(h.get(), cdb12, 10, dir, data, length, sat_.timeoutSeconds);
    }
    if (direction == Direction::Registers) {
        const uint8_t* d = apiData_.data();
        returnedTaskFile_ = {0, d[3], d[5], d[7], d[9], d[11], d[12], d[13]};
    }
    return result == 0;
}

bool ApiAccess::apiScsiInquiry(DiskHandle* h) {
    // A failed INQUIRY leaves nothing of the previous device's answer behind.
    scsiModel_.clear();
    scsiRevision_.clear();
    scsiSerial_.clear();
    uint8_t data[255] = {};
    const uint8_t cdb[6] = {0x12, 0, 0, 0, 0x60, 0};
    if (scsiRequest(h, cdb, 6, ScsiRequest::Direction::In, data, sizeof data, 5) != 0 || sat_.scsiStatus != 0)
        return false;
    auto text = [&](size_t from, size_t n) {
        std::string s;
        for (size_t i = from; i < from + n; ++i) s.push_back(data[i] < 32 ? ' ' : char(data[i]));
        return s;
    };
    scsiModel_ = trim(text(8, 40));
    scsiRevision_ = trim(text(32, 4));
    std::string serial = text(36, 20);
    bool printable = std::all_of(serial.begin(), serial.end(), [](char c) { return c >= '0' && c <= 'Z'; });
    scsiSerial_ = printable ? trim(serial) : "not available";
    return true;
}

bool ApiAccess::apiStartStopUnit(DiskHandle* h) {
    const uint8_t cdb[6] = {0x1B, 0, 0, 0, 0, 0};
    return scsiRequest(h, cdb, 6, ScsiRequest::Direction::None, nullptr, 0, 20) == 0;
}

bool ApiAccess::apiReadCapacity(DiskHandle* h, uint32_t& lastLba, uint32_t& blockLength) {
    uint8_t data[10] = {};
    const uint8_t cdb[10] = {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (scsiRequest(h, cdb, 10, ScsiRequest::Direction::In, data, sizeof data, 5) != 0 || sat_.scsiStatus != 0)
        return false;
    lastLba = uint32_t(data[0]) << 24 | uint32_t(data[1]) << 16 | uint32_t(data[2]) << 8 | data[3];
    blockLength = uint32_t(data[6]) << 8 | data[7];
    return true;
}

ApiDriveSize ApiAccess::apiGetGeometry(DiskHandle* h) {
    ApiDriveSize size;
    bool haveTotal = false;
    uint32_t last = 0, block = 0;
    if (apiReadCapacity(h, last, block)) {
        size.bytesPerSector = uint16_t(block);
        if (last != 0xFFFFFFFFu) {
            size.totalSectors = uint64_t(last) + 1;
            size.sectorsPerTrack = 63;
            size.tracksPerCylinder = 16;
            size.cylinders = size.totalSectors / 1008;
            size.mediaType = 0;
            haveTotal = true;
            if (session_.skipDriveType) {
                if (size.bytesPerSector == 0) size.bytesPerSector = 512;
                return size;
            }
        }
    }
    platform::DiskGeometry g;
    if (!h || h->geometry(g) != 0) {
        size.bytesPerSector = 512;
        size.sectorsPerTrack = 63;
        size.tracksPerCylinder = 0;
        size.cylinders = 0;
        size.mediaType = 0;
        if (!haveTotal) size.totalSectors = 0;
    } else {
        size.bytesPerSector = uint16_t(g.bytesPerSector);
        size.sectorsPerTrack = g.sectorsPerTrack;
        size.mediaType = g.mediaType;
        size.cylinders = g.cylinders;
        size.tracksPerCylinder = g.tracksPerCylinder;
        if (!haveTotal) size.totalSectors = g.cylinders * g.tracksPerCylinder * g.sectorsPerTrack;
    }
    if (size.bytesPerSector == 0) size.bytesPerSector = 512;
    return size;
}

// ------------------------------------------------------------------------------------------
// The API branch of the sector commands
// ------------------------------------------------------------------------------------------

void ApiAccess::stampBlock(uint8_t* buffer, uint16_t count, uint64_t lba) {
    auto field = [](std::string text, uint8_t* at) {
        text.resize(16, ' ');
        std::memcpy(at, text.data(), 16);
    };
    // Time and date once per block, the LBA per sector.
    std::string t = facts_.timeText(), d = facts_.dateText();
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t* sector = buffer + size_t(512) * i;
        field("LBA " + std::to_string(lba + i) + "           ", sector);
        field("Time " + t + "       ", sector + 16);
        field("Date " + d + "       ", sector + 32);
    }
}

bool ApiAccess::issueSectorCommand(DiskHandle* handle, uint16_t count, uint8_t command, uint64_t lba) {
    uint32_t bps = session_.bytesPerSector;
    uint8_t* buffer = session_.buffers.transferBuffer();
    uint64_t bytes = uint64_t(count) * bps;
    switch (command) {
    case 0x20:
        if (bytes > SharedBuffers::kTransferBytes) return false;
        return apiReadSectors(handle, count, buffer, bps, lba) == bytes;
    case 0x30:
        if (bytes > SharedBuffers::kTransferBytes) return false;
        if (session_.stampWrites) stampBlock(buffer, count, lba);
        return apiWriteSectors(handle, count, buffer, bps, lba) == bytes;
    case 0x40: return apiVerifySectors(handle, count, lba);
    case 0x70: return apiReadSectors(handle, 1, buffer, bps, lba) == bps;
    default: {
        // A command without address or data has nothing to carry in API mode; anything else this
        // route cannot send is refused rather than reported done.
        const platform::AtaCommandInfo& info = platform::ataCommand(command);
        return info.known() && !info.addressed && info.data == platform::AtaCommandInfo::Data::None;
    }
    }
}

bool ApiAccess::readOneSector(uint8_t* buffer, uint64_t lba) {
    Handle h = openSelected();
    if (!h) return false;
    uint32_t bps = session_.bytesPerSector;
    if (bps <= 512) return apiReadSectors(h.get(), 1, buffer, bps, lba) == bps;
    // A larger sector goes through the transfer buffer; the caller's buffer holds its first 512 bytes.
    uint8_t* big = session_.buffers.transferBuffer();
    if (apiReadSectors(h.get(), 1, big, bps, lba) != bps) return false;
    std::memcpy(buffer, big, 512);
    return true;
}

bool ApiAccess::writeOneSector(const uint8_t* buffer, uint64_t lba) {
    Handle h = openSelected();
    if (!h) return false;
    uint32_t bps = session_.bytesPerSector;
    if (bps <= 512) return apiWriteSectors(h.get(), 1, buffer, bps, lba) == bps;
    // Read, patch the first 512 bytes, write back: the rest of a large sector stays as it was.
    uint8_t* big = session_.buffers.transferBuffer();
    if (apiReadSectors(h.get(), 1, big, bps, lba) != bps) return false;
    std::memcpy(big, buffer, 512);
    return apiWriteSectors(h.get(), 1, big, bps, lba) == bps;
}

} // namespace korvane::access
