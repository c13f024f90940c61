#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "Bindings.h"
#include "kvcom3/Clock.h"
#include "kvcom3/Event.h"
#include "kvcom3/Ports.h"
#include "kvcom3/Trace.h"

namespace kvsensor {

namespace {

// The script's own pump, run while the library waits; changed only between library calls.
std::optional<PyCallable> scriptPump;

void pump() {
    deliverCancel();
    if (scriptPump) callPython([] { (*scriptPump)(); });
}

template <class Arg, class ToPython>
void bindEvent(py::module_& m, const char* name, const char* doc, ToPython toPython) {
    using Event = kvcom3::Event<Arg>;
    py::class_<Event>(m, name, doc)
        .def(
            "connect",
            [toPython](Event& event, py::function handler) {
                return event.connect(
                    [toPython, handler = PyCallable(std::move(handler))](Arg& value) {
                        callPython([&] { handler(toPython(value)); });
                    });
            },
            py::arg("handler"),
            "Calls handler(value) at each raise, after the handlers connected before; returns the "
            "id disconnect takes.")
        .def("disconnect", &Event::disconnect, py::arg("id"),
             "Removes the handler of id; an unknown id changes nothing.");
}

}  // namespace

void bindHooks(py::module_& m) {
    bindEvent<std::string>(m, "TextEvent", "An event with a line of text: ComLogg or Action.",
                           [](const std::string& text) { return toText(text); });
    bindEvent<std::int16_t>(m, "ProgressEvent", "The Progress event: 0-100 as a transfer goes.",
                            [](std::int16_t value) { return value; });

    kvcom3::setEventPump(pump);

    m.def(
        "bind_port",
        [](int port, const std::string& path) { released([&] { kvcom3::bindPort(port, path); }); },
        py::arg("port"), py::arg("path"),
        "Makes port number 0-23 lead to the serial device at path, ahead of KVCOM3_PORT_<N> and "
        "the default; closes what the port had open.");
    m.def(
        "unbind_port", [](int port) { released([&] { kvcom3::unbindPort(port); }); },
        py::arg("port"), "Returns the port to KVCOM3_PORT_<N> and the default.");
    m.def(
        "port_device_path",
        [](int port) { return released([&] { return kvcom3::portDevicePath(port); }); },
        py::arg("port"), "The device path the port number leads to now.");
    m.def(
        "set_frame_trace",
        [](std::optional<py::function> trace) {
            kvcom3::FrameTrace observer;
            if (trace) {
                observer = [callback = PyCallable(std::move(*trace))](
                               kvcom3::TraceDirection direction,
                               std::span<const std::uint8_t> bytes, double seconds) {
                    callPython([&] {
                        callback(
                            direction,
                            py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                            seconds);
                    });
                };
            }
            released([&] { kvcom3::setFrameTrace(std::move(observer)); });
        },
        py::arg("trace"),
        "Calls trace(direction, data, seconds) for every block of bytes written to (Sent) or read "
        "from (Received) a serial port, seconds counted from this call; None removes it.");
    m.def(
        "set_event_pump",
        [](std::optional<py::function> function) {
            std::optional<PyCallable> next;
            if (function) next.emplace(std::move(*function));
            released([&] { scriptPump = std::move(next); });
        },
        py::arg("pump"),
        "Calls pump() again and again while the library waits for the sensor (a GUI's event "
        "processing, say); None removes it.");
}

}  // namespace kvsensor
