#include "kvcom3/Variant.h"

#include <optional>

#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

[[noreturn]] void typeMismatch() {
    raisePlatformError(platform_error::TypeMismatch);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

bool Variant::isNumeric() const noexcept {
    switch (kind()) {
        case VariantKind::Integer:
        case VariantKind::Long:
        case VariantKind::Single:
        case VariantKind::Double:
        case VariantKind::Boolean: return true;
        default: return false;
    }
}

double Variant::toDouble() const {
    switch (kind()) {
        case VariantKind::Empty: return 0.0;
        case VariantKind::Integer: return std::get<1>(value_);
        case VariantKind::Long: return std::get<2>(value_);
        case VariantKind::Single: return std::get<3>(value_);
        case VariantKind::Double: return std::get<4>(value_);
        case VariantKind::Boolean: return std::get<6>(value_);
        case VariantKind::String: {
            const std::optional<double> number = parseNumber(std::get<5>(value_));
            if (!number) typeMismatch();
            return *number;
        }
        case VariantKind::Object: break;
    }
    typeMismatch();
}

VbSingle Variant::toSingle() const {
    if (kind() == VariantKind::Single) return std::get<3>(value_);
    return kvcom3::toSingle(toDouble());
}

VbLong Variant::toLong() const {
    return kvcom3::toLong(toDouble());
}

VbInteger Variant::toInteger() const {
    return kvcom3::toInteger(toDouble());
}

VbByte Variant::toByte() const {
    return kvcom3::toByte(toDouble());
}

VbBool Variant::toBoolean() const {
    if (kind() == VariantKind::String) {
        const std::string& text = std::get<5>(value_);
        if (equalsIgnoringCase(text, "True")) return VbTrue;
        if (equalsIgnoringCase(text, "False")) return VbFalse;
    }
    return toVbBool(toDouble() != 0.0);
}

std::string Variant::toString() const {
    switch (kind()) {
        case VariantKind::Empty: return {};
        case VariantKind::Integer: return std::to_string(std::get<1>(value_));
        case VariantKind::Long: return std::to_string(std::get<2>(value_));
        case VariantKind::Single: return singleToText(std::get<3>(value_));
        case VariantKind::Double: return doubleToText(std::get<4>(value_));
        case VariantKind::String: return std::get<5>(value_);
        case VariantKind::Boolean: return isTrue(std::get<6>(value_)) ? "True" : "False";
        case VariantKind::Object: break;
    }
    typeMismatch();
}

const std::shared_ptr<VariantObject>& Variant::toObject() const {
    if (kind() != VariantKind::Object) typeMismatch();
    return std::get<7>(value_);
}

bool operator==(const Variant& a, const Variant& b) {
    const VariantKind ka = a.kind();
    const VariantKind kb = b.kind();
    if (ka == VariantKind::Object || kb == VariantKind::Object)
        return ka == kb && std::get<7>(a.value_) == std::get<7>(b.value_);
    if (ka == VariantKind::String || kb == VariantKind::String) {
        if (ka == kb) return std::get<5>(a.value_) == std::get<5>(b.value_);
        const Variant& text = ka == VariantKind::String ? a : b;
        const Variant& other = ka == VariantKind::String ? b : a;
        return other.isEmpty() && std::get<5>(text.value_).empty();
    }
    return a.toDouble() == b.toDouble();
}

}  // namespace kvcom3
