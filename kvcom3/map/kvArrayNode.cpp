// A cell's value and its per-bit states, all kept by the current address level.
#include "kvcom3/kvArrayNode.h"
#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"
#include "map/CellState.h"
#include "map/CurrentAdressLevel.h"
#include "map/MapRevision.h"

namespace kvcom3 {

kvArrayNode::kvArrayNode() : nodes_(std::make_shared<kvArrayNodes>()) {}

kvArrayNode::~kvArrayNode() = default;

void kvArrayNode::SetNodes(std::shared_ptr<kvArrayNodes> nodes) {
    nodes_ = std::move(nodes);
    bumpMapRevision();
}

void kvArrayNode::LetKey(std::string value) {
    key_ = std::move(value);
    bumpMapRevision();
}

std::int32_t kvArrayNode::Value(bool blnForce) const {
    if (nrOfBytes_ < 1) clsErrors().Raise(errNoValue);
    return currentAdressLevel().Value(adr_, nrOfBytes_, memType_, blnForce, adrMask_, byteOrder_);
}

namespace {

// Raw values are unsigned; the image would keep only the low bytes, or the masked bits, of one
// that does not fit, so it is refused before anything changes.
void checkFits(std::int32_t value, std::int32_t nrOfBytes, std::int32_t mask) {
    if (mask > 0) {
        const std::int32_t largest = mask / (mask & -mask);
        if (value < 0 || value > largest) clsErrors().Raise(errValueTooBig);
        return;
    }
    if (nrOfBytes >= 4) return;
    if (value < 0 || value >= std::int32_t{1} << (8 * nrOfBytes)) {
        raisePlatformError(platform_error::Overflow,
                           std::to_string(value) + " does not fit a cell of " +
                               std::to_string(nrOfBytes) + (nrOfBytes == 1 ? " byte" : " bytes"));
    }
}

}  // namespace

void kvArrayNode::LetValue(bool blnForce, std::int32_t value) const {
    if (nrOfBytes_ < 1) clsErrors().Raise(errCannotChange);
    checkFits(value, nrOfBytes_, adrMask_);
    currentAdressLevel().LetValue(adr_, nrOfBytes_, memType_, blnForce, adrMask_, byteOrder_,
                                  value);
}

namespace {

CellBits bitsOf(const kvArrayNode& node) {
    return CellBits{node.Adr(), node.NrOfBytes(), node.MemType(), node.ByteOrder(), node.AdrMask()};
}

StateBytes maskBytes() {
    return StateBytes{
        [](std::int32_t adr, std::uint8_t type) { return currentAdressLevel().Mask(adr, type); },
        [](std::int32_t adr, std::uint8_t type, std::uint8_t value) {
            currentAdressLevel().LetMask(adr, type, value);
        }};
}

StateBytes fileLockBytes() {
    return StateBytes{[](std::int32_t adr, std::uint8_t type) {
                          return currentAdressLevel().FileLock(adr, type);
                      },
                      [](std::int32_t adr, std::uint8_t type, std::uint8_t value) {
                          currentAdressLevel().LetFileLock(adr, type, value);
                      }};
}

}  // namespace

Variant kvArrayNode::Mask() const {
    return combinedState(bitsOf(*this), maskBytes());
}

void kvArrayNode::LetMask(const Variant& value) const {
    setState(bitsOf(*this), maskBytes(), value);
}

Variant kvArrayNode::FileLock() const {
    return combinedState(bitsOf(*this), fileLockBytes());
}

void kvArrayNode::LetFileLock(const Variant& value) const {
    setState(bitsOf(*this), fileLockBytes(), value);
}

}  // namespace kvcom3
