#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "kvcom3/VbTypes.h"

namespace kvcom3 {

// Base of every object a Variant can hold, so that holders need not know its class.
class VariantObject {
  public:
    virtual ~VariantObject() = default;
};

// The kinds in the order of the stored alternatives.
enum class VariantKind : std::uint8_t {
    Empty,
    Integer,
    Long,
    Single,
    Double,
    String,
    Boolean,
    Object
};

// A tagged value as the public interfaces pass it: empty, a number, a string (UTF-8), a Boolean
// or an object. The conversions follow the classic rules: halves round to even, results that do
// not fit raise Overflow (6), a value of the wrong kind raises Type mismatch (13).
//
// A VbBool is a 16-bit integer, so Variant(VbTrue) is an Integer; use Variant(true) or
// Variant::boolean() for a Boolean.
class Variant {
  public:
    // Empty; each further constructor holds its argument as the kind of its type (a null C
    // string is ""; any object derived from VariantObject is held as an Object).
    Variant() = default;
    Variant(VbInteger value) : value_(std::in_place_index<1>, value) {}
    Variant(VbLong value) : value_(std::in_place_index<2>, value) {}
    Variant(VbSingle value) : value_(std::in_place_index<3>, value) {}
    Variant(double value) : value_(std::in_place_index<4>, value) {}
    Variant(std::string value) : value_(std::in_place_index<5>, std::move(value)) {}
    Variant(const char* value) : Variant(std::string(value ? value : "")) {}
    Variant(bool value) : value_(std::in_place_index<6>, toVbBool(value)) {}
    Variant(std::shared_ptr<VariantObject> object)
        : value_(std::in_place_index<7>, std::move(object)) {}
    template <std::derived_from<VariantObject> T>
    Variant(std::shared_ptr<T> object)
        : Variant(std::shared_ptr<VariantObject>(std::move(object))) {}

    // A Boolean from a 16-bit Boolean: any non-zero value is True.
    static Variant boolean(VbBool value) { return Variant(isTrue(value)); }

    VariantKind kind() const noexcept { return static_cast<VariantKind>(value_.index()); }
    bool isEmpty() const noexcept { return kind() == VariantKind::Empty; }
    // True for the number kinds and Boolean; text is not numeric even when it reads as one.
    bool isNumeric() const noexcept;

    // Numbers as they are, Empty as 0, Boolean as -1 or 0, numeric text read strictly; other
    // text and objects raise 13.
    double toDouble() const;
    // toDouble, then CSng, CLng, CInt or CByte: halves round to even, 6 when it does not fit.
    VbSingle toSingle() const;
    VbLong toLong() const;
    VbInteger toInteger() const;
    VbByte toByte() const;
    // Numbers: non-zero is True; text "True"/"False" in any case or a number; else 13.
    VbBool toBoolean() const;
    // Empty gives "", Booleans "True"/"False", numbers as CStr writes them; an object raises 13.
    std::string toString() const;
    // The held object; any other kind raises Type mismatch (13).
    const std::shared_ptr<VariantObject>& toObject() const;

    // Numbers (with Empty and Booleans) compare by value, strings exactly, objects by identity;
    // Empty equals "" and 0. Values of unrelated kinds are unequal.
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    std::variant<std::monostate, VbInteger, VbLong, VbSingle, double, std::string, VbBool,
                 std::shared_ptr<VariantObject>>
        value_;
};

}  // namespace kvcom3
