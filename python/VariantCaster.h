#pragma once

#include <pybind11/pybind11.h>

#include <memory>

#include "kvcom3/Variant.h"

// kvcom3::Variant as Python sees it: None, bool, int, float, str or one of the library's objects.
namespace pybind11::detail {

template <>
struct type_caster<kvcom3::Variant> {
    PYBIND11_TYPE_CASTER(kvcom3::Variant, const_name("object"));

    // None is Empty, an int that fits 32 bits a Long (a larger one a Double), a float a Double;
    // any other type is refused.
    bool load(handle source, bool convert);
    // Numbers as int or float (a Single by its shortest decimal text, so 23.63 stays 23.63),
    // Booleans as bool, objects as the library class they are.
    static handle cast(const kvcom3::Variant& value, return_value_policy policy, handle parent);
};

}  // namespace pybind11::detail
