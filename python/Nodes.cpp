#include <cstdint>
#include <memory>
#include <string>

#include "Bindings.h"
#include "Collections.h"
#include "kvcom3/kvArrayNode.h"
#include "kvcom3/kvEnum.h"
#include "kvcom3/kvObjectNode.h"

namespace kvsensor {

using namespace kvcom3;

namespace {

template <class T>
using Shared = py::class_<T, VariantObject, std::shared_ptr<T>>;

void bindArrayNodes(py::module_& m) {
    Shared<kvArrayNode> node(m, "kvArrayNode",
                             "A named cell of the sensor's memory; its value lives in the current "
                             "address level.");
    Shared<kvArrayNodes> nodes(m, "kvArrayNodes", "Memory cells in insertion order, by key.");
    node.def(py::init<>())
        .def_property("Nodes", &kvArrayNode::Nodes, &kvArrayNode::SetNodes)
        .def_property("Name", &kvArrayNode::Name, &kvArrayNode::LetName)
        .def_property("Adr", &kvArrayNode::Adr, &kvArrayNode::LetAdr)
        .def_property("NrOfBytes", &kvArrayNode::NrOfBytes, &kvArrayNode::LetNrOfBytes)
        .def_property("MemType", &kvArrayNode::MemType, &kvArrayNode::LetMemType)
        .def_property("ByteOrder", &kvArrayNode::ByteOrder, &kvArrayNode::LetByteOrder)
        .def_property("AdrMask", &kvArrayNode::AdrMask, &kvArrayNode::LetAdrMask)
        .def_property("Key", &kvArrayNode::Key, &kvArrayNode::LetKey)
        .def_property("Tag", &kvArrayNode::Tag, &kvArrayNode::LetTag)
        .def(
            "Value",
            [](const kvArrayNode& n, bool blnForce) {
                return released([&] { return n.Value(blnForce); });
            },
            py::arg("blnForce") = false,
            "The cell's value, read from the sensor when the image lacks it or when forced.")
        .def(
            "LetValue",
            [](const kvArrayNode& n, std::int32_t value) { released([&] { n.LetValue(value); }); },
            py::arg("value"), "Writes the value into the image.")
        .def(
            "LetValue",
            [](const kvArrayNode& n, bool blnForce, std::int32_t value) {
                released([&] { n.LetValue(blnForce, value); });
            },
            py::arg("blnForce"), py::arg("value"),
            "Writes the value into the image, and at once to the sensor when forced.")
        .def_property(
            "Mask", [](const kvArrayNode& n) { return released([&] { return n.Mask(); }); },
            [](const kvArrayNode& n, const Variant& value) { released([&] { n.LetMask(value); }); })
        .def_property(
            "FileLock", [](const kvArrayNode& n) { return released([&] { return n.FileLock(); }); },
            [](const kvArrayNode& n, const Variant& value) {
                released([&] { n.LetFileLock(value); });
            });

    nodes.def(py::init<>())
        .def(
            "Add",
            [](kvArrayNodes& c, const std::string& strName, std::int32_t lngAdr,
               std::int32_t lngNrOfBytes, std::uint8_t bteMemType, std::uint8_t bteByteOrder,
               std::int32_t lngMask, const std::string& strKey) {
                return released([&] {
                    return c.Add(strName, lngAdr, lngNrOfBytes, bteMemType, bteByteOrder, lngMask,
                                 strKey);
                });
            },
            py::arg("strName"), py::arg("lngAdr") = 0, py::arg("lngNrOfBytes") = 0,
            py::arg("bteMemType") = static_cast<std::uint8_t>(kvEEPROM),
            py::arg("bteByteOrder") = static_cast<std::uint8_t>(kvLSByteAtHighAdress),
            py::arg("lngMask") = 0, py::arg("strKey") = "",
            "Builds a cell and adds it; an empty key is derived from the memory type and name.");
    defineCollection(nodes);
}

void bindEnumerations(py::module_& m) {
    Shared<kvEnum> entry(m, "kvEnum", "One named value of an object's enumeration.");
    entry.def(py::init<>())
        .def_property("Name", &kvEnum::Name, &kvEnum::LetName)
        .def_property("Value", &kvEnum::Value, &kvEnum::LetValue)
        .def_property("Key", &kvEnum::Key, &kvEnum::LetKey);
    Shared<kvEnums> entries(m, "kvEnums", "Named values, keyed by the value followed by \"k\".");
    entries.def(py::init<>())
        .def(
            "Add",
            [](kvEnums& c, std::int32_t lngValue, const std::string& strName) {
                return c.Add(lngValue, strName);
            },
            py::arg("lngValue"), py::arg("strName"),
            "Adds the value under the key \"<lngValue>k\"; KvError 457 when it is there.")
        .def_property("ADSTree", &kvEnums::ADSTree, &kvEnums::LetADSTree);
    defineCollection(entries);
}

void bindObjectNodes(py::module_& m) {
    Shared<kvObjectNode> node(m, "kvObjectNode",
                              "A sensor quantity as the user sees it: a value with its unit, over "
                              "a memory cell.");
    Shared<kvObjectNodes> nodes(m, "kvObjectNodes", "Object nodes in insertion order, by key.");
    node.def(py::init<>())
        .def_property("Nodes", &kvObjectNode::Nodes, &kvObjectNode::SetNodes)
        .def_property("Name", &kvObjectNode::Name, &kvObjectNode::LetName)
        .def_property("ArrayNodeKey", &kvObjectNode::ArrayNodeKey, &kvObjectNode::LetArrayNodeKey)
        .def_property("Unit", &kvObjectNode::Unit, &kvObjectNode::LetUnit)
        .def_property("Format", &kvObjectNode::Format, &kvObjectNode::LetFormat)
        .def_property("Tag", &kvObjectNode::Tag, &kvObjectNode::LetTag)
        .def_property("Key", &kvObjectNode::Key, &kvObjectNode::LetKey)
        .def_property("Enums", &kvObjectNode::Enums, &kvObjectNode::SetEnums)
        .def_property("BitMask", &kvObjectNode::BitMask, &kvObjectNode::LetBitMask)
        .def(
            "Value",
            [](kvObjectNode& n, bool blnForce) {
                return released([&] { return n.Value(blnForce); });
            },
            py::arg("blnForce") = false,
            "The user value (a number, or an enumeration's name), read from the sensor when the "
            "image lacks it or when forced.")
        .def(
            "LetValue",
            [](kvObjectNode& n, const Variant& value) { released([&] { n.LetValue(value); }); },
            py::arg("value"), "Writes a user value into the image.")
        .def(
            "LetValue",
            [](kvObjectNode& n, bool blnForce, const Variant& value) {
                released([&] { n.LetValue(blnForce, value); });
            },
            py::arg("blnForce"), py::arg("value"),
            "Writes a user value into the image, and at once to the sensor when forced.")
        .def_property(
            "Mask", [](kvObjectNode& n) { return released([&] { return n.Mask(); }); },
            [](kvObjectNode& n, const Variant& value) { released([&] { n.LetMask(value); }); })
        .def("GetFormats", &kvObjectNode::GetFormats, py::arg("strFormat"))
        .def(
            "ConvToUser",
            [](kvObjectNode& n, float Value, std::int16_t Ch) {
                return released([&] { return n.ConvToUser(Value, Ch); });
            },
            py::arg("Value"), py::arg("Ch"))
        .def(
            "ConvToUserReg",
            [](kvObjectNode& n, float Value, std::int16_t Ch) {
                return released([&] { return n.ConvToUserReg(Value, Ch); });
            },
            py::arg("Value"), py::arg("Ch"))
        .def(
            "ConvFromUser",
            [](kvObjectNode& n, float sngValue, std::int16_t Ch) {
                return released([&] { return n.ConvFromUser(sngValue, Ch); });
            },
            py::arg("sngValue"), py::arg("Ch"))
        .def(
            "ConvFromUserReg",
            [](kvObjectNode& n, float sngValue, std::int16_t Ch) {
                return released([&] { return n.ConvFromUserReg(sngValue, Ch); });
            },
            py::arg("sngValue"), py::arg("Ch"))
        .def(
            "GetUnit",
            [](kvObjectNode& n, std::int32_t lngCount, std::int16_t intTable) {
                return released([&] { return n.GetUnit(lngCount, intTable); });
            },
            py::arg("lngCount"), py::arg("intTable"))
        .def(
            "GetCount",
            [](kvObjectNode& n, float sngUnit, std::int16_t intTable) {
                return released([&] { return n.GetCount(sngUnit, intTable); });
            },
            py::arg("sngUnit"), py::arg("intTable"))
        .def(
            "GetTargetCount",
            [](kvObjectNode& n, float sngUnit, std::int16_t intTable,
               const std::string& strSpanKey) {
                return released([&] { return n.GetTargetCount(sngUnit, intTable, strSpanKey); });
            },
            py::arg("sngUnit"), py::arg("intTable"), py::arg("strSpanKey"))
        .def(
            "GetSampleCount",
            [](kvObjectNode& n, float sngUnit, std::int16_t intTable, const std::string& strSpanKey,
               const std::string& strZeroKey) {
                return released(
                    [&] { return n.GetSampleCount(sngUnit, intTable, strSpanKey, strZeroKey); });
            },
            py::arg("sngUnit"), py::arg("intTable"), py::arg("strSpanKey"), py::arg("strZeroKey"))
        .def("GetTWATime", &kvObjectNode::GetTWATime, py::arg("Value"))
        .def("LetTWAtime", &kvObjectNode::LetTWAtime, py::arg("Value"));

    nodes.def(py::init<>())
        .def(
            "Add",
            [](kvObjectNodes& c, const std::string& Name, const std::string& ArrayNodeKey,
               const std::string& Unit, const std::string& Format, const std::string& Key,
               std::int32_t BitMask) {
                return c.Add(Name, ArrayNodeKey, Unit, Format, Key, BitMask);
            },
            py::arg("Name"), py::arg("ArrayNodeKey") = "", py::arg("Unit") = "",
            py::arg("Format") = "", py::arg("Key") = "", py::arg("BitMask") = 0,
            "Builds an object node and adds it; an empty key is \"fo\" and the name.");
    defineCollection(nodes);
}

}  // namespace

void bindNodes(py::module_& m) {
    py::class_<VariantObject, std::shared_ptr<VariantObject>>(
        m, "VariantObject", "Base of the library objects a Tag or a value may hold.");
    bindArrayNodes(m);
    bindEnumerations(m);
    bindObjectNodes(m);
}

}  // namespace kvsensor
