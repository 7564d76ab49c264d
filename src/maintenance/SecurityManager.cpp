#include "maintenance/SecurityManager.h"

#include "access/ErrorText.h"
#include "platform/SmallFile.h"

#include <cstring>
#include <filesystem>

namespace korvane::maintenance {

using access::AccessMode;

namespace {
// A password is never written to the log or its file: the line says that one was sent.
constexpr const char* kHiddenPassword = "\"********\"";
const char* kUsbLockWarning =
    "Вы собираетесь установить аппаратный пароль на накопитель! В случае утери пароля Вы потеряете доступ к "
    "хранимой на нём информации. При нажатии 'No' - пароль не будет установлен.\r\n\r\nYou want to set a hardware "
    "password to drive! If you lose this password, you will lose access to the information stored on it. If you "
    "click \"No\", the password will not be set.";

// Guard flag held for the length of a scope.
struct Guarded {
    bool& flag;
    bool entered;
    explicit Guarded(bool& f) : flag(f), entered(f) {
        if (entered) flag = false;
    }
    ~Guarded() {
        if (entered) flag = true;
    }
};
} // namespace

SecurityManager::SecurityManager(SecurityManagerContext context) : c_(std::move(context)) {
    auto& g = c_.group;
    g.LockBtn.onClick = [this] { lock(); };
    g.UnlockBtn.onClick = [this] { unlock(); };
    g.PwdEraseBtn.onClick = [this] { erase(); };
    g.FilePwdBtn.onClick = [this] { choosePasswordFile(); };
    g.EraseBeepChk.onClick = [this] { beep_ = c_.group.EraseBeepChk.checked(); };
    g.PwdTypeGrp.onClick = [this] { c_.group.PwdLevGrp.setEnabled(c_.group.PwdTypeGrp.itemIndex() == 1); };
}

void SecurityManager::subscribeTo(info::PassportSubscribers& subscribers) {
    subscribers.subscribe([this](const info::DrivePassport&) { updateGroupState(); });
}

void SecurityManager::updateGroupState() {
    auto& box = c_.group.SecurityBox;
    const bool pio = c_.session.accessMode == AccessMode::Pio;
    if (pio) {
        box.setCaption(" Security manager ");
        box.setEnabled(true);
    } else if (c_.passport.UsbMode) {
        box.setCaption(" Security manager: USB-mode ");
        box.setEnabled(true);
    } else {
        box.setCaption(" Security manager (disabled in API) ");
        box.setEnabled(false);
    }
    c_.group.FilePwdBtn.setEnabled(box.enabled());
    c_.group.PwdEraseBtn.setEnabled(pio && !c_.nonDestructive.checked());
}

void SecurityManager::pause(uint32_t ms) { c_.clock.sleepMs(ms); }

void SecurityManager::settle(uint32_t ms) {
    if (c_.ui.isUiThread()) c_.ui.processEvents();
    pause(ms);
}

bool SecurityManager::refreshPassport() { return c_.passportReader.readPassport(false, true); }

bool SecurityManager::confirm(const std::string& text) {
    return c_.dialogs.messageBox(text, "Warning", form::MessageType::Warning, form::MessageButtons::YesNo) ==
           form::Answer::Yes;
}

// ------------------------------------------------------------------------------------------
// The block
// ------------------------------------------------------------------------------------------

bool SecurityManager::buildBlock(bool forErase) {
    auto& g = c_.group;
    uint8_t* block = c_.session.buffers.sectorBytes();
    std::memset(block, 0, 512);
    const bool master = g.PwdTypeGrp.itemIndex() == 0;
    const bool maximum = g.PwdLevGrp.itemIndex() == 1;
    block[0] = uint8_t((master ? 0x01 : 0x00) | (forErase && enhancedErase ? 0x02 : 0x00));
    block[1] = maximum ? 0x01 : 0x00;
    const std::string type = master ? ". Type: MASTER" : std::string(". Type: USER, level: ") + (maximum ? "MAXIMUM" : "HIGH");
    const std::string text = g.PwdEdit.text();
    if (text.rfind("file: ", 0) == 0) {
        const std::string name = text.substr(6);
        // A bare name is the file chosen with "F": it is looked for in that file's folder.
        std::filesystem::path path(name);
        if (path.is_relative() && !passwordFileDir_.empty()) path = std::filesystem::path(passwordFileDir_) / path;
        auto bytes = platform::readRegularFile(path.string(), 32);
        if (!bytes) {
            c_.log("File error!", 0, 4);
            return false;
        }
        if (bytes->size() < 32) {
            c_.log("File has incorrect length!", 0, 4);
            return false;
        }
        g.PwdEdit.setText("file: " + std::filesystem::path(name).filename().string());
        std::memcpy(block + 2, bytes->data(), 32);
        c_.log("Send password from file: " + name + type, 1, 1);
        return true;
    }
    std::memcpy(block + 2, text.data(), std::min<size_t>(text.size(), 32));
    c_.log(std::string("Send password: ") + kHiddenPassword + type, 1, 1);
    return true;
}

void SecurityManager::choosePasswordFile() {
    auto file = c_.dialogs.openFile("Open password file",
                                    "All files (*.*)|*.*|BIN files (*.bin)|*.bin|Text files (*.txt)|*.txt|"
                                    "INI files (*.ini)|*.ini|Log files (*.log)|*.log|Data files (*.dat)|*.dat|"
                                    "Master boot record (*.mbr)|*.mbr",
                                    "");
    if (!file) return;
    auto bytes = platform::readRegularFile(*file, 32);
    if (!bytes) {
        c_.log("Open file: " + *file + " - Error", 1, 4);
        return;
    }
    if (bytes->size() < 32) {
        c_.log("File has incorrect length!", 0, 4);
        return;
    }
    c_.log("Open file: " + *file, 0, 1);
    std::filesystem::path chosen(*file);
    passwordFileDir_ = chosen.parent_path().string();
    c_.group.PwdEdit.setText("file: " + chosen.filename().string());
}

// ------------------------------------------------------------------------------------------
// Sending
// ------------------------------------------------------------------------------------------

SecurityManager::Sent SecurityManager::sendPio(uint8_t command) {
    if (!c_.pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xA0, command)) return Sent::CommandFailed;
    if (c_.pio.waitNotBusy() == -1 || !c_.pio.waitDataRequest()) return Sent::NoDataPhase;
    if (!buildBlock()) return Sent::BlockFailed;
    return c_.pio.pioWriteSector() ? Sent::Ok : Sent::WriteFailed;
}

bool SecurityManager::sendUsb(uint8_t command) {
    auto& data = c_.api.apiDataBuffer();
    if (data.size() < 512) data.resize(512);
    std::memcpy(data.data(), c_.session.buffers.sectorBytes(), 512);
    return c_.api.apiAtaCommand(c_.session.apiDeviceNumber, 1, access::ApiAccess::Direction::Out, 0, 1, 0, 0, 0,
                                0xA0, command);
}

void SecurityManager::lockFailure() {
    c_.log(c_.passport.SecurityFrozen ? "Pwd error: drive FROZEN!" : "Drive response: Error.", 0, 4);
    refreshPassport();
    pause(500);
}

// ------------------------------------------------------------------------------------------
// Lock
// ------------------------------------------------------------------------------------------

bool SecurityManager::lockUsb() {
    if (!confirm(kUsbLockWarning)) return false;
    if (!buildBlock()) {
        c_.log("Password not send!", 0, 4);
        return false;
    }
    if (!sendUsb(SetPassword)) {
        lockFailure();
        return false;
    }
    c_.log("Password sended to drive.", 0, 3);
    refreshPassport();
    pause(500);
    return true;
}

void SecurityManager::lock() {
    Guarded guard(c_.guard);
    if (!guard.entered) return;
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    if (!refreshPassport()) return;
    settle(500);
    if (c_.session.accessMode == AccessMode::Pio) {
        switch (sendPio(SetPassword)) {
        case Sent::CommandFailed: return lockFailure();
        case Sent::NoDataPhase: break;
        case Sent::BlockFailed:
            c_.pio.softReset();
            refreshPassport();
            pause(500);
            c_.log("Password not send!", 0, 4);
            return;
        case Sent::WriteFailed: c_.log("Error after PWD", 0, 4); return;
        case Sent::Ok:
            c_.log("Password sended to drive.", 0, 3);
            refreshPassport();
            pause(500);
            break;
        }
    }
    if (c_.passport.UsbMode) lockUsb();
}

// ------------------------------------------------------------------------------------------
// Unlock
// ------------------------------------------------------------------------------------------

void SecurityManager::unlockFailure(bool wasEnabled) {
    const auto& p = c_.passport;
    c_.log(p.SecurityCountExpired ? "Error after DISPWD: attempts EXPIRED"
           : p.SecurityFrozen     ? "Error after DISPWD: drive FROZEN"
                                  : "Error after DISPWD",
           0, 4);
    refreshPassport();
    if (wasEnabled && !p.SecurityEnabled && p.UsbMode && !p.ScsiPassport && c_.russian.checked())
        c_.log("Странно, накопителем была выдана ошибка, но пароля больше нет", 0, 3);
    settle(500);
}

void SecurityManager::unlock() {
    Guarded guard(c_.guard);
    if (!guard.entered) return;
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    if (!refreshPassport()) return;
    settle(300);
    const bool wasEnabled = c_.passport.SecurityEnabled;
    if (c_.passport.SecurityLevelMax && c_.group.PwdTypeGrp.itemIndex() == 0) {
        if (confirm("Security level = MAXIMUM\r\nNeed security erase. User data will be lost!")) eraseProcedure();
        return;
    }
    c_.log("Unlocking HDD", 0, 1);
    if (c_.session.accessMode == AccessMode::Pio) {
        for (uint8_t command : {Unlock, Disable}) {
            Sent sent = sendPio(command);
            if (sent == Sent::BlockFailed) {
                c_.pio.softReset();
                refreshPassport();
                c_.log("Password not send!", 0, 4);
                return;
            }
            if (sent != Sent::Ok) return unlockFailure(wasEnabled);
            if (command == Unlock) {
                c_.log("Unlock complete.", 0, 3);
                c_.log("Disable Password", 0, 1);
            }
        }
        c_.log("PWD removing complete.", 1, 3);
        refreshPassport();
        return;
    }
    if (!c_.passport.UsbMode) return unlockFailure(wasEnabled);
    if (!buildBlock()) {
        c_.log("Password not send!", 0, 4);
        return;
    }
    if (sendUsb(Unlock))
        c_.log("Unlock complete", 0, 3);
    else
        c_.log(c_.passport.SecurityFrozen ? "Pwd error: drive FROZEN!" : "Drive response: Error.", 0, 4);
    c_.log("Disable Password", 0, 1);
    if (!sendUsb(Disable)) return unlockFailure(wasEnabled);
    c_.log("PWD removing complete", 1, 3);
    refreshPassport();
    settle(300);
}

// ------------------------------------------------------------------------------------------
// Erase
// ------------------------------------------------------------------------------------------

void SecurityManager::eraseProcedure() {
    if (c_.group.PwdTypeGrp.itemIndex() == 1) {
        c_.log("Need MASTER password!", 0, 4);
        return;
    }
    if (c_.passportReader.buildPassport(false, {}) == -1) return;
    if (!c_.passport.SecurityLevelMax) {
        c_.log("Need MAX security level of HDD!", 0, 4);
        return;
    }
    c_.log("HDD Erase Prepare", 0, 1);
    uint8_t error = 0;
    auto failed = [&] {
        c_.log("Error after DISPWD," + access::errorText(error), 0, 4);
    };
    if (!c_.pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xA0, ErasePrepare)) return failed();
    if (!c_.pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xA0, EraseUnit)) {
        error = c_.pio.readErrorIfAny();
        return failed();
    }
    if (c_.pio.waitNotBusy() == -1 || !c_.pio.waitDataRequest()) return failed();
    if (!buildBlock(true)) {
        c_.log("Password not send!", 0, 4);
        c_.pio.softReset();
        refreshPassport();
        return;
    }
    // The drive starts erasing at the end of the block: its completion is not waited for here.
    c_.pio.pioWriteWords(c_.session.buffers.sectorBuffer, 256);
    pause(3000);
    const int minutes = c_.passport.EraseMinutes;
    const std::string time = minutes == 0 ? ", unknown time" : ", ~" + std::to_string(minutes) + " min.";
    error = c_.pio.readErrorIfAny();
    // A drive that is still busy is erasing; one that is ready again without an error has
    // erased (a fast drive can within the pause): both started it. One that is neither has gone.
    if (error == 0 && (c_.pio.isBusy() || c_.pio.isReady())) {
        c_.log("Starting security ERASE" + time, 0, 1);
        return;
    }
    failed();
}

void SecurityManager::erase() {
    auto& g = c_.group;
    if (c_.nonDestructive.checked()) {
        c_.log("Only non-destructive functions are allowed (Setup): the security erase is not started", 0, 4);
        return;
    }
    c_.commands.clearBreak();
    if (!refreshPassport()) return;
    if (c_.passport.SecurityFrozen) {
        c_.log("Drive FROZEN! Restart HDD!", 0, 4);
        return;
    }
    if (c_.session.accessMode != AccessMode::Pio) {
        c_.log("Sorry... Security Erase disabled on USB-mode!", 0, 1);
        return;
    }
    if (!confirm("Security erase! User data will be lost!")) return;
    const std::string password = g.PwdEdit.text();
    const int type = g.PwdTypeGrp.itemIndex(), level = g.PwdLevGrp.itemIndex();
    g.PwdEdit.setText(kEraseMasterPassword);
    g.PwdTypeGrp.setItemIndex(0);
    if (c_.ui.isUiThread()) c_.ui.processEvents();
    lock();
    pause(1000);
    g.PwdTypeGrp.setItemIndex(1);
    g.PwdLevGrp.setItemIndex(1);
    lock();
    pause(1000);
    g.PwdTypeGrp.setItemIndex(0);
    {
        auto bracket = c_.commands.bracket();
        eraseProcedure();
    }
    g.PwdTypeGrp.setItemIndex(type);
    g.PwdLevGrp.setItemIndex(level);
    g.PwdEdit.setText(password);
    if (g.EraseBeepChk.checked()) {
        beep_ = true;
        while (c_.pio.isBusy() && beep_ && !c_.session.closing) {
            pause(200);
            if (c_.ui.isUiThread()) c_.ui.processEvents();
        }
        if (g.EraseBeepChk.checked()) c_.pio.bell();
        g.EraseBeepChk.setChecked(false);
    }
    if (!c_.pio.isBusy()) c_.log("Security ERASE done", 0, 1);
}

} // namespace korvane::maintenance
