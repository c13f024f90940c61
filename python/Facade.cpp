#include <cstdint>
#include <memory>
#include <string>

#include "Bindings.h"
#include "kvcom3/ISensMem.h"

namespace kvsensor {

using kvcom3::ISensMem;

void bindFacade(py::module_& m) {
    py::class_<ISensMem, std::shared_ptr<ISensMem>>(
        m, "ISensMem",
        "The sensor: choose the protocol, Connect to a port and sensor address, then work through "
        "the levels it hands out. Members that reach the sensor release the GIL while they wait; "
        "Cancel may come from any thread.")
        .def(py::init<>())
        .def_property(
            "ArrayLevel", [](ISensMem& s) { return released([&] { return s.ArrayLevel(); }); },
            [](ISensMem& s, std::shared_ptr<kvcom3::clsArrayLevel> level) {
                released([&] { s.SetArrayLevel(std::move(level)); });
            })
        .def_property(
            "AdressLevel", [](ISensMem& s) { return released([&] { return s.AdressLevel(); }); },
            [](ISensMem& s, std::shared_ptr<kvcom3::clsAdressLevel> level) {
                released([&] { s.SetAdressLevel(std::move(level)); });
            })
        .def_property_readonly("Enums", &ISensMem::Enums)
        .def(
            "ClearAll", [](ISensMem& s) { released([&] { s.ClearAll(); }); },
            "Releases the levels; the next access builds them anew.")
        .def(
            "ClosePort",
            [](ISensMem& s, std::int16_t PortNr) { released([&] { s.ClosePort(PortNr); }); },
            py::arg("PortNr") = 1)
        .def_property(
            "ObjectLevel", [](ISensMem& s) { return released([&] { return s.ObjectLevel(); }); },
            [](ISensMem& s, std::shared_ptr<kvcom3::clsObjectLevel> level) {
                released([&] { s.SetObjectLevel(std::move(level)); });
            })
        .def(
            "Cancel", [](std::shared_ptr<ISensMem> s) { requestCancel(std::move(s)); },
            "Makes the running transfer (with none running, the next one) end with KvError 32755; "
            "callable from any thread.")
        .def(
            "Connect",
            [](ISensMem& s, std::int16_t intComPort, std::int16_t intComID, std::int16_t intComIDx,
               std::int16_t intComIDy) {
                released([&] { s.Connect(intComPort, intComID, intComIDx, intComIDy); });
            },
            py::arg("intComPort") = 1, py::arg("intComID") = -1, py::arg("intComIDx") = 0,
            py::arg("intComIDy") = 0,
            "Stores the port (0-23), the sensor address (-1: any) and the production board "
            "position, and goes on line; sends nothing.")
        .def(
            "SerialNr",
            [](ISensMem& s, bool Force) { return released([&] { return s.SerialNr(Force); }); },
            py::arg("Force") = false,
            "The part number followed by the number, padded to five digits; read from the sensor "
            "when the image lacks it or when forced.")
        .def("DisConnect", [](ISensMem& s) { released([&] { s.DisConnect(); }); })
        .def_property_readonly("OnLine", &ISensMem::OnLine)
        .def_property_readonly("ComID", &ISensMem::ComID)
        .def_property_readonly("ComIDx", &ISensMem::ComIDx)
        .def_property_readonly("ComPort", &ISensMem::ComPort)
        .def_property_readonly("ComIDy", &ISensMem::ComIDy)
        .def(
            "MemSize",
            [](ISensMem& s, std::uint8_t enmMemType) {
                return released([&] { return s.MemSize(enmMemType); });
            },
            py::arg("enmMemType"))
        .def_property_readonly("Platform",
                               [](ISensMem& s) { return released([&] { return s.Platform(); }); })
        .def_property_readonly(
            "ProcessorVersion",
            [](ISensMem& s) { return released([&] { return s.ProcessorVersion(); }); })
        .def_property(
            "Protokoll", [](ISensMem& s) { return released([&] { return s.Protokoll(); }); },
            [](ISensMem& s, std::uint8_t value) { released([&] { s.LetProtokoll(value); }); })
        .def(
            "LetProtokoll",
            [](ISensMem& s, std::uint8_t value) { released([&] { s.LetProtokoll(value); }); },
            py::arg("value"), "Chooses the protocol for the whole library: kvKV or kvMB.")
        .def_property_readonly("PartNr",
                               [](ISensMem& s) { return released([&] { return s.PartNr(); }); })
        .def(
            "LetLeavePortOpen",
            [](ISensMem& s, bool value) { released([&] { s.LetLeavePortOpen(value); }); },
            py::arg("value"), "True keeps the port open between transfers until ClosePort.")
        .def_property_readonly(
            "ComLogg", [](ISensMem & s) -> auto& { return s.ComLogg; },
            py::return_value_policy::reference_internal)
        .def_property_readonly(
            "Action", [](ISensMem & s) -> auto& { return s.Action; },
            py::return_value_policy::reference_internal)
        .def_property_readonly(
            "Progress", [](ISensMem & s) -> auto& { return s.Progress; },
            py::return_value_policy::reference_internal);
}

}  // namespace kvsensor
