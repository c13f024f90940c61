#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Bindings.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/clsObjectLevel.h"

namespace kvsensor {

using namespace kvcom3;

namespace {

using Level = clsAdressLevel;

// The address level's members that reach the sensor; each runs without the GIL.
void bindAdressLevel(py::module_& m) {
    py::class_<Level, std::shared_ptr<Level>>(
        m, "clsAdressLevel",
        "The image of the sensor's memory, address by address, and the transfers that fill it "
        "and send it back.")
        .def(py::init<>())
        .def(
            "MemSize",
            [](Level& l, std::uint8_t kvMemType, bool blnForce) {
                return released([&] { return l.MemSize(kvMemType, blnForce); });
            },
            py::arg("kvMemType"), py::arg("blnForce") = false)
        .def(
            "LetMemSize",
            [](Level& l, std::uint8_t kvMemType, bool blnForce, std::int32_t value) {
                released([&] { l.LetMemSize(kvMemType, blnForce, value); });
            },
            py::arg("kvMemType"), py::arg("blnForce"), py::arg("value"))
        .def("Clear", [](Level& l) { released([&] { l.Clear(); }); })
        .def("ClearAdressMasks", &Level::ClearAdressMasks)
        .def("ClearFileLocks", &Level::ClearFileLocks)
        .def("ClearFileWarnings", &Level::ClearFileWarnings)
        .def("MaskAll", &Level::MaskAll)
        .def_property_readonly("EEPROMsize",
                               [](Level& l) { return released([&] { return l.EEPROMsize(); }); })
        .def_property_readonly("Platform",
                               [](Level& l) { return released([&] { return l.Platform(); }); })
        .def_property_readonly(
            "ProcessorVersion",
            [](Level& l) { return released([&] { return l.ProcessorVersion(); }); })
        .def(
            "RTSenable", [](Level& l, bool NewValue) { released([&] { l.RTSenable(NewValue); }); },
            py::arg("NewValue"))
        .def("AdressGotValueP", &Level::AdressGotValueP, py::arg("lngAdr"),
             py::arg("kvMemType") = static_cast<std::uint8_t>(kvEEPROM))
        .def("AdressGotValueS", &Level::AdressGotValueS, py::arg("lngAdr"), py::arg("kvMemType"))
        .def("Mask", &Level::Mask, py::arg("lngAdr"),
             py::arg("kvMemType") = static_cast<std::uint8_t>(kvEEPROM))
        .def("FileLock", &Level::FileLock, py::arg("lngAdr"),
             py::arg("kvMemType") = static_cast<std::uint8_t>(kvEEPROM))
        .def("FileWarning", &Level::FileWarning, py::arg("lngAdr"),
             py::arg("kvMemType") = static_cast<std::uint8_t>(kvEEPROM))
        .def("LetMask", &Level::LetMask, py::arg("lngAdr"), py::arg("kvMemType"), py::arg("value"))
        .def("LetFileLock", &Level::LetFileLock, py::arg("lngAdr"), py::arg("kvMemType"),
             py::arg("value"))
        .def("LetFileWarning", &Level::LetFileWarning, py::arg("lngAdr"), py::arg("kvMemType"),
             py::arg("value"))
        .def(
            "Transparent", [](Level& l, bool Value) { released([&] { l.Transparent(Value); }); },
            py::arg("Value"))
        .def(
            "Power", [](Level& l, bool Value) { released([&] { l.Power(Value); }); },
            py::arg("Value"))
        .def("SensorReset", [](Level& l) { released([&] { l.SensorReset(); }); })
        .def(
            "Value",
            [](Level& l, std::int32_t lngAdr, std::int32_t lngNrOfBytes, std::uint8_t kvMemType,
               bool blnForce, std::int32_t lngBitMask, std::uint8_t kvByteOrder) {
                return released([&] {
                    return l.Value(lngAdr, lngNrOfBytes, kvMemType, blnForce, lngBitMask,
                                   kvByteOrder);
                });
            },
            py::arg("lngAdr"), py::arg("lngNrOfBytes"),
            py::arg("kvMemType") = static_cast<std::uint8_t>(kvRAM), py::arg("blnForce") = false,
            py::arg("lngBitMask") = 0,
            py::arg("kvByteOrder") = static_cast<std::uint8_t>(kvLSByteAtHighAdress),
            "A value of 1-4 bytes from the image, read from the sensor first where the image has "
            "none or when forced.")
        .def(
            "ReadFromSensor",
            [](Level& l, std::int32_t lngStartAdr, std::int32_t lngNrOfBytes,
               std::uint8_t kvMemType, std::uint8_t kvReadSensOption) {
                released([&] {
                    l.ReadFromSensor(lngStartAdr, lngNrOfBytes, kvMemType, kvReadSensOption);
                });
            },
            py::arg("lngStartAdr") = 0, py::arg("lngNrOfBytes") = 0,
            py::arg("kvMemType") = static_cast<std::uint8_t>(kvRAM),
            py::arg("kvReadSensOption") = static_cast<std::uint8_t>(kvAutoReadFromSensor),
            "Reads a range (the whole memory when lngNrOfBytes is 0) into the image.")
        .def_property_readonly("IsFlashProc",
                               [](Level& l) { return released([&] { return l.IsFlashProc(); }); })
        .def(
            "WriteToSensor",
            [](Level& l, std::int32_t lngStartAdr, std::int32_t lngNrOfBytes,
               std::uint8_t kvMemType, std::uint8_t kvWriteSensOption) {
                released([&] {
                    l.WriteToSensor(lngStartAdr, lngNrOfBytes, kvMemType, kvWriteSensOption);
                });
            },
            py::arg("lngStartAdr") = 0, py::arg("lngNrOfBytes") = 0,
            py::arg("kvMemType") = static_cast<std::uint8_t>(kvRAM),
            py::arg("kvWriteSensOption") = static_cast<std::uint8_t>(kvAutoWriteToSensor),
            "Sends the image's values of a range to the sensor; EEPROM is unlocked, written, "
            "verified and locked again.")
        .def(
            "LetValue",
            [](Level& l, std::int32_t lngAdr, std::int32_t lngNrOfBytes, std::uint8_t kvMemType,
               bool blnForce, std::int32_t lngBitMask, std::uint8_t kvByteOrder,
               std::int32_t newValue) {
                released([&] {
                    l.LetValue(lngAdr, lngNrOfBytes, kvMemType, blnForce, lngBitMask, kvByteOrder,
                               newValue);
                });
            },
            py::arg("lngAdr"), py::arg("lngNrOfBytes"), py::arg("kvMemType"), py::arg("blnForce"),
            py::arg("lngBitMask"), py::arg("kvByteOrder"), py::arg("newValue"),
            "Puts a value into the image, and sends it at once when forced.")
        .def(
            "CRC",
            [](Level& l, const py::bytes& ByteArray, std::int32_t Size) {
                const std::string raw = ByteArray;
                const std::vector<std::uint8_t> bytes(raw.begin(), raw.end());
                return l.CRC(bytes, Size);
            },
            py::arg("ByteArray"), py::arg("Size") = -1,
            "Modbus CRC-16 of the first Size bytes (all when negative).")
        .def(
            "Part",
            [](Level& l, bool blnForce) { return released([&] { return l.Part(blnForce); }); },
            py::arg("blnForce") = false, "The part byte (RAM 65).")
        .def(
            "LetPart",
            [](Level& l, bool blnForce, std::uint8_t value) {
                released([&] { l.LetPart(blnForce, value); });
            },
            py::arg("blnForce"), py::arg("value"))
        .def("OpenCOMport", [](Level& l) { released([&] { l.OpenCOMport(); }); })
        .def("CloseCOMport", [](Level& l) { released([&] { l.CloseCOMport(); }); })
        .def_property_readonly(
            "ComLogg", [](Level & l) -> auto& { return l.ComLogg; },
            py::return_value_policy::reference_internal)
        .def_property_readonly(
            "Action", [](Level & l) -> auto& { return l.Action; },
            py::return_value_policy::reference_internal)
        .def_property_readonly(
            "Progress", [](Level & l) -> auto& { return l.Progress; },
            py::return_value_policy::reference_internal);
}

void bindArrayLevel(py::module_& m) {
    py::class_<clsArrayLevel, VariantObject, std::shared_ptr<clsArrayLevel>>(
        m, "clsArrayLevel", "The memory map: named cells, generated on first use.")
        .def(py::init<>())
        .def("Clear", &clsArrayLevel::Clear)
        .def_property(
            "Nodes", [](clsArrayLevel& a) { return released([&] { return a.Nodes(); }); },
            &clsArrayLevel::SetNodes)
        .def(
            "GetNode",
            [](clsArrayLevel& a, const std::string& strKey) {
                return released([&] { return a.GetNode(strKey); });
            },
            py::arg("strKey"),
            "The first cell, depth first, whose key matches; KvError 1110 when none does.")
        .def("Generate", [](clsArrayLevel& a) { released([&] { a.Generate(); }); });
}

void bindObjectLevel(py::module_& m) {
    py::class_<clsObjectLevel, VariantObject, std::shared_ptr<clsObjectLevel>>(
        m, "clsObjectLevel", "The object tree: the sensor's quantities, built on first use.")
        .def(py::init<>())
        .def("Clear", &clsObjectLevel::Clear)
        .def(
            "CommonNode",
            [](clsObjectLevel& o, kvCommonNodes NodeName, std::int16_t Index) {
                return released([&] { return o.CommonNode(NodeName, Index); });
            },
            py::arg("NodeName"), py::arg("Index") = 0,
            "The node of a well-known object; None when the tree has none.")
        .def_property(
            "Nodes", [](clsObjectLevel& o) { return released([&] { return o.Nodes(); }); },
            &clsObjectLevel::SetNodes)
        .def(
            "GetChanUnit",
            [](clsObjectLevel& o, std::int16_t Ch) {
                return released([&] { return o.GetChanUnit(Ch); });
            },
            py::arg("Ch"))
        .def(
            "GetNode",
            [](clsObjectLevel& o, const std::string& strKey) {
                return released([&] { return o.GetNode(strKey); });
            },
            py::arg("strKey"),
            "The first node, depth first, whose key matches; None when none does.");
}

}  // namespace

void bindLevels(py::module_& m) {
    bindAdressLevel(m);
    bindArrayLevel(m);
    bindObjectLevel(m);
}

}  // namespace kvsensor
