#include "kvcom3/clsAdressLevel.h"

#include "link/AdressLevelImpl.h"
#include "link/ComPort.h"
#include "link/SensorIdentity.h"

namespace kvcom3 {

clsAdressLevel::clsAdressLevel() : d_(std::make_unique<Impl>()) {}
clsAdressLevel::~clsAdressLevel() = default;

void clsAdressLevel::RTSenable(bool& NewValue) {
    kvcom3::RTSenable(NewValue);
}
void clsAdressLevel::OpenCOMport() {
    kvcom3::OpenCOMport();
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

std::uint8_t clsAdressLevel::PartByte() {
    const clsAdress* part = d_->image.find(65, kvRAM);
    if (part == nullptr || !part->GotValueP) {
        std::uint8_t timing = 0;
        ReadBlock(65, 1, kvRAM, timing);
        part = d_->image.find(65, kvRAM);
    }
    return part->Value;
}

bool clsAdressLevel::IsByteAccess() {
    return isByteAccessPlatform(platformOfPart(PartByte()));
}

}  // namespace kvcom3
