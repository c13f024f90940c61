#include "kvcom3/ISensMem.h"

#include "facade/LibraryState.h"
#include "facade/SerialNumber.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "link/PortTable.h"

namespace kvcom3 {

ISensMem::ISensMem() {
    Install();
}

ISensMem::~ISensMem() {
    StopListening();
}

void ISensMem::Install() const {
    gConnection = Connection{onLine_, comPort_, comID_, comIDx_, comIDy_};
}

void ISensMem::Listen() {
    if (!mAdressLevel) return;
    comLoggId_ = mAdressLevel->ComLogg.connect([this](std::string& text) { ComLogg.raise(text); });
    actionId_ = mAdressLevel->Action.connect([this](std::string& text) { Action.raise(text); });
    progressId_ =
        mAdressLevel->Progress.connect([this](std::int16_t& value) { Progress.raise(value); });
}

void ISensMem::StopListening() {
    if (!mAdressLevel) return;
    mAdressLevel->ComLogg.disconnect(comLoggId_);
    mAdressLevel->Action.disconnect(actionId_);
    mAdressLevel->Progress.disconnect(progressId_);
}

std::shared_ptr<clsArrayLevel> ISensMem::ArrayLevel() {
    Install();
    if (!arrayLevel_) arrayLevel_ = std::make_shared<clsArrayLevel>();
    AdressLevel();
    return arrayLevel_;
}

std::shared_ptr<kvEnums> ISensMem::Enums() {
    if (!enums_) enums_ = std::make_shared<kvEnums>();
    return enums_;
}

std::shared_ptr<clsObjectLevel> ISensMem::ObjectLevel() {
    if (!objectLevel_) objectLevel_ = std::make_shared<clsObjectLevel>();
    if (!arrayLevel_) arrayLevel_ = std::make_shared<clsArrayLevel>();
    if (!mAdressLevel) {
        mAdressLevel = std::make_shared<clsAdressLevel>();
        Listen();
    }
    gAdressLevel = mAdressLevel;
    gArrayLevel = arrayLevel_;
    Install();
    return objectLevel_;
}

void ISensMem::SetObjectLevel(std::shared_ptr<clsObjectLevel> level) {
    objectLevel_ = std::move(level);
}

void ISensMem::SetArrayLevel(std::shared_ptr<clsArrayLevel> level) {
    Install();
    arrayLevel_ = std::move(level);
}

std::shared_ptr<clsAdressLevel> ISensMem::AdressLevel() {
    Install();
    if (!mAdressLevel) {
        mAdressLevel = std::make_shared<clsAdressLevel>();
        Listen();
    }
    gAdressLevel = mAdressLevel;
    return mAdressLevel;
}

void ISensMem::SetAdressLevel(std::shared_ptr<clsAdressLevel> level) {
    Install();
    StopListening();
    mAdressLevel = std::move(level);
    Listen();
}

void ISensMem::ClearAll() {
    StopListening();
    mAdressLevel.reset();
    arrayLevel_.reset();
    objectLevel_.reset();
}

void ISensMem::ClosePort(std::int16_t PortNr) {
    pumpEvents();
    PortSlot& slot = portSlot(PortNr);
    if (slot.isOpen()) {
        pumpEvents();
        slot.close();
    }
}

void ISensMem::Cancel() {
    gCancel = true;
}

void ISensMem::Connect(std::int16_t intComPort, std::int16_t intComID, std::int16_t intComIDx,
                       std::int16_t intComIDy) {
    try {
        std::string text =
            "Connect port=" + std::to_string(intComPort) + " ID=" + std::to_string(intComID);
        ComLogg.raise(text);
        // The image of the sensor before must never be served for this one.
        ClearAll();
        onLine_ = true;
        comPort_ = intComPort;
        comID_ = intComID;
        comIDx_ = intComIDx;
        comIDy_ = intComIDy;
        Install();
    } catch (...) {
        // Whatever went wrong, no later call may talk to a sensor it never connected to.
        gConnection.OnLine = false;
        throw;
    }
}

std::string ISensMem::SerialNr(bool Force) {
    Install();
    auto level = AdressLevel();
    const std::optional<std::int64_t> number = readSerialNumber(*level, Force);
    if (!number) return {};
    return formatSerialNr(level->Part(), *number);
}

void ISensMem::DisConnect() {
    onLine_ = false;
}

std::int32_t ISensMem::MemSize(std::uint8_t enmMemType) {
    Install();
    return AdressLevel()->MemSize(enmMemType, false);
}

std::uint8_t ISensMem::Platform() {
    Install();
    return AdressLevel()->Platform();
}

std::uint8_t ISensMem::ProcessorVersion() {
    Install();
    return AdressLevel()->ProcessorVersion();
}

std::uint8_t ISensMem::Protokoll() const {
    return gProtokoll;
}

void ISensMem::LetProtokoll(std::uint8_t value) {
    gProtokoll = value;
}

std::uint8_t ISensMem::PartNr() {
    Install();
    return AdressLevel()->Part(false);
}

void ISensMem::LetLeavePortOpen(bool value) {
    gLeavePortOpen = value;
}

}  // namespace kvcom3
