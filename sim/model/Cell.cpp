#include "model/Cell.h"

#include <cctype>

namespace kvsim {

bool splitIndexedName(const std::string& name, std::string& base, int& index) {
    const auto underscore = name.rfind('_');
    if (underscore == std::string::npos || underscore + 1 == name.size()) return false;
    const std::string digits = name.substr(underscore + 1);
    if (digits.size() > 3) return false;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    base = name.substr(0, underscore + 1);
    index = std::stoi(digits);
    return true;
}

std::uint32_t eepromAddress(std::int32_t address, std::size_t eepromSize) {
    const auto size = static_cast<std::int64_t>(eepromSize);
    const std::int64_t a = address < 0 ? size + address : address;
    return static_cast<std::uint32_t>(a & (size - 1));
}

}  // namespace kvsim
