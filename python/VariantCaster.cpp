#include "VariantCaster.h"

#include <charconv>
#include <limits>
#include <string>
#include <utility>

#include "kvcom3/VbTypes.h"

namespace pybind11::detail {

bool type_caster<kvcom3::Variant>::load(handle source, bool) {
    if (source.is_none()) {
        value = kvcom3::Variant();
    } else if (PyBool_Check(source.ptr())) {
        value = kvcom3::Variant(source.ptr() == Py_True);
    } else if (PyLong_Check(source.ptr())) {
        int overflow = 0;
        const long long number = PyLong_AsLongLongAndOverflow(source.ptr(), &overflow);
        if (number == -1 && PyErr_Occurred()) {
            PyErr_Clear();
            return false;
        }
        if (overflow == 0 && number >= std::numeric_limits<kvcom3::VbLong>::min() &&
            number <= std::numeric_limits<kvcom3::VbLong>::max()) {
            value = kvcom3::Variant(static_cast<kvcom3::VbLong>(number));
        } else {
            // Too large for a Long: the library's conversions then raise Overflow (6).
            const double wide = PyLong_AsDouble(source.ptr());
            if (wide == -1.0 && PyErr_Occurred()) {
                PyErr_Clear();
                value = kvcom3::Variant(number < 0 ? -std::numeric_limits<double>::infinity()
                                                   : std::numeric_limits<double>::infinity());
            } else {
                value = kvcom3::Variant(wide);
            }
        }
    } else if (PyFloat_Check(source.ptr())) {
        value = kvcom3::Variant(PyFloat_AsDouble(source.ptr()));
    } else if (PyUnicode_Check(source.ptr())) {
        make_caster<std::string> text;
        if (!text.load(source, false)) return false;
        value = kvcom3::Variant(cast_op<std::string&&>(std::move(text)));
    } else if (isinstance<kvcom3::VariantObject>(source)) {
        value = kvcom3::Variant(source.cast<std::shared_ptr<kvcom3::VariantObject>>());
    } else {
        return false;
    }
    return true;
}

handle type_caster<kvcom3::Variant>::cast(const kvcom3::Variant& value, return_value_policy,
                                          handle) {
    using kvcom3::VariantKind;
    switch (value.kind()) {
        case VariantKind::Empty: return none().release();
        case VariantKind::Integer:
        case VariantKind::Long: return int_(value.toLong()).release();
        case VariantKind::Single: {
            const std::string text = kvcom3::singleToText(value.toSingle());
            // from_chars leaves the plain float where it cannot read the text (infinities).
            double shortest = value.toSingle();
            std::from_chars(text.data(), text.data() + text.size(), shortest);
            return float_(shortest).release();
        }
        case VariantKind::Double: return float_(value.toDouble()).release();
        case VariantKind::String: return str(value.toString()).release();
        case VariantKind::Boolean: return bool_(kvcom3::isTrue(value.toBoolean())).release();
        case VariantKind::Object: return pybind11::cast(value.toObject()).release();
    }
    return none().release();
}

}  // namespace pybind11::detail
