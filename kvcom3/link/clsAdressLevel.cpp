#include "kvcom3/clsAdressLevel.h"

#include "kvcom3/Clock.h"
#include "link/AdressLevelImpl.h"
#include "link/ComPort.h"

namespace kvcom3 {

clsAdressLevel::clsAdressLevel() : d_(std::make_unique<Impl>()) {}
clsAdressLevel::~clsAdressLevel() = default;

void clsAdressLevel::RTSenable(bool& NewValue) {
    kvcom3::RTSenable(NewValue);
}
void clsAdressLevel::OpenCOMport() {
    kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
}
void clsAdressLevel::CloseCOMport() {
    kvcom3::CloseCOMport();
}

void clsAdressLevel::Log(std::string text) {
    ComLogg.raise(text);
}
void clsAdressLevel::RaiseAction(std::string text) {
    Action.raise(text);
}

void clsAdressLevel::Clear() {
    // A large image takes a moment to release; let the window stay responsive meanwhile.
    pumpEvents();
    d_->image.clear();
    pumpEvents();
}

void clsAdressLevel::ClearAdressMasks() {
    d_->image.forEach([](clsAdress& r) { r.Mask = 0; });
}
void clsAdressLevel::ClearFileLocks() {
    d_->image.forEach([](clsAdress& r) { r.FileLock = 0; });
}
void clsAdressLevel::ClearFileWarnings() {
    d_->image.forEach([](clsAdress& r) { r.FileWarning = 0; });
}
void clsAdressLevel::MaskAll() {
    d_->image.forEach([](clsAdress& r) { r.Mask = 255; });
}

bool clsAdressLevel::AdressGotValueP(std::int32_t lngAdr, std::uint8_t kvMemType) {
    const clsAdress* r = d_->image.find(lngAdr, kvMemType);
    return r != nullptr && r->GotValueP;
}

bool clsAdressLevel::AdressGotValueS(std::int32_t lngAdr, std::uint8_t kvMemType) {
    const clsAdress* r = d_->image.find(lngAdr, kvMemType);
    return r != nullptr && r->GotValueS;
}

std::uint8_t clsAdressLevel::Mask(std::int32_t lngAdr, std::uint8_t kvMemType) {
    const clsAdress* r = d_->image.find(lngAdr, kvMemType);
    return r ? r->Mask : 0;
}
std::uint8_t clsAdressLevel::FileLock(std::int32_t lngAdr, std::uint8_t kvMemType) {
    const clsAdress* r = d_->image.find(lngAdr, kvMemType);
    return r ? r->FileLock : 0;
}
std::uint8_t clsAdressLevel::FileWarning(std::int32_t lngAdr, std::uint8_t kvMemType) {
    const clsAdress* r = d_->image.find(lngAdr, kvMemType);
    return r ? r->FileWarning : 0;
}
void clsAdressLevel::LetMask(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value) {
    d_->image.obtain(lngAdr, kvMemType).Mask = value;
}
void clsAdressLevel::LetFileLock(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value) {
    d_->image.obtain(lngAdr, kvMemType).FileLock = value;
}
void clsAdressLevel::LetFileWarning(std::int32_t lngAdr, std::uint8_t kvMemType,
                                    std::uint8_t value) {
    d_->image.obtain(lngAdr, kvMemType).FileWarning = value;
}

}  // namespace kvcom3
