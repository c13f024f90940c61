#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Bindings.h"
#include "Collections.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcal3/UserInteraction.h"
#include "kvcal3/kvCalChannel.h"
#include "kvcal3/kvCalProcInput.h"
#include "kvcal3/kvCalProcedure.h"

namespace kvsensor {

using namespace kvcal3;
using kvcom3::VariantObject;

namespace {

// The raw-signal reader a reading display hands to the script, usable only while the display is
// open: the library's reader does not outlive it.
class SignalReader {
  public:
    explicit SignalReader(const RawSignalReader& read) : read_(&read) {}
    float operator()() {
        if (!read_) throw py::value_error("the reading display has closed");
        return released([this] { return (*read_)(); });
    }
    void close() { read_ = nullptr; }

  private:
    const RawSignalReader* read_;
};

// The user a script plays: its callables answer the input boxes and reading displays; without
// one the question is cancelled, as with nobody at the screen.
class ScriptUser final : public UserInteraction {
  public:
    ScriptUser(std::optional<PyCallable> inputBox, std::optional<PyCallable> showReading)
        : inputBox_(std::move(inputBox)), showReading_(std::move(showReading)) {}

    std::optional<std::string> InputBox(const std::string& Prompt, const std::string& Title,
                                        const std::string& Default) override {
        if (!inputBox_) return std::nullopt;
        return callPython([&]() -> std::optional<std::string> {
            const py::object answer = (*inputBox_)(toText(Prompt), toText(Title), toText(Default));
            if (answer.is_none()) return std::nullopt;
            // A number answers as the text a user would type for it.
            return py::str(answer).cast<std::string>();
        });
    }

    ReadingChoice ShowReading(const std::string& Prompt,
                              const RawSignalReader& readRawSignal) override {
        if (!showReading_) return ReadingChoice::Cancel;
        return callPython([&] {
            auto reader = std::make_shared<SignalReader>(readRawSignal);
            struct Close {
                SignalReader& reader;
                ~Close() { reader.close(); }
            } close{*reader};
            const py::object choice = (*showReading_)(toText(Prompt), reader);
            if (!py::isinstance<ReadingChoice>(choice))
                throw py::type_error("show_reading must return a kvsensor.ReadingChoice");
            return choice.cast<ReadingChoice>();
        });
    }

  private:
    std::optional<PyCallable> inputBox_;
    std::optional<PyCallable> showReading_;
};

template <class T>
using Shared = py::class_<T, VariantObject, std::shared_ptr<T>>;

template <class Items>
void bindItems(py::module_& m, const char* name, const char* doc) {
    Shared<Items> items(m, name, doc);
    items.def(py::init<>())
        .def(
            "Add",
            [](Items& c, const std::string& strName, const std::string& strKey) {
                return c.Add(strName, strKey);
            },
            py::arg("strName"), py::arg("strKey") = "",
            "Creates an item under strKey (the name when empty); KvError 457 when the key is "
            "there.");
    defineCollection(items);
}

void bindCatalogue(py::module_& m) {
    Shared<kvCalProcInput>(m, "kvCalProcInput", "An input of a procedure, set before Run.")
        .def(py::init<>())
        .def_readwrite("Name", &kvCalProcInput::Name)
        .def_readwrite("Key", &kvCalProcInput::Key)
        .def_readwrite("Value", &kvCalProcInput::Value,
                       "The input's value; -32767 (not set) until the caller sets it.");
    bindItems<kvCalProcInputs>(m, "kvCalProcInputs", "The inputs of a procedure.");

    using P = kvCalProcedure;
    Shared<P>(m, "kvCalProcedure", "A calibration procedure; its Key selects what Run does.")
        .def(py::init<>())
        .def_readwrite("Name", &P::Name)
        .def_readwrite("Key", &P::Key)
        .def_property_readonly("InputVariables", &P::InputVariables)
        .def(
            "Run", [](P& p) { return released([&] { return p.Run(); }); },
            "Runs the procedure with the sensor given to ISensCalibration.SetSensor; questions "
            "go to the callables of set_user_interaction.")
        .def("ShowReadings", [](P& p) { released([&] { p.ShowReadings(); }); })
        .def("SpaceRH_Cal", [](P& p) { return released([&] { return p.SpaceRH_Cal(); }); })
        .def("lngToSint", &P::lngToSint, py::arg("lngValue"))
        .def("SintToLng", &P::SintToLng, py::arg("intValue"))
        .def(
            "ConvFromUser",
            [](P& p, const std::string& Txt, std::uint8_t Ch) {
                return released([&] { return p.ConvFromUser(Txt, Ch); });
            },
            py::arg("Txt"), py::arg("Ch"))
        .def(
            "GetChanUnit",
            [](P& p, std::uint8_t Ch) { return released([&] { return p.GetChanUnit(Ch); }); },
            py::arg("Ch"))
        .def(
            "ConvToUser",
            [](P& p, float Value, std::uint8_t Ch, bool Komma) {
                return released([&] { return p.ConvToUser(Value, Ch, Komma); });
            },
            py::arg("Value"), py::arg("Ch"), py::arg("Komma") = false)
        .def("getVal", &P::getVal, py::arg("Txt"))
        .def(
            "GetCO2Count",
            [](P& p, float sngUnit) { return released([&] { return p.GetCO2Count(sngUnit); }); },
            py::arg("sngUnit"))
        .def(
            "GetUnit",
            [](P& p, std::int32_t lngCount, std::int16_t intTable) {
                return released([&] { return p.GetUnit(lngCount, intTable); });
            },
            py::arg("lngCount"), py::arg("intTable"))
        .def(
            "GetCount",
            [](P& p, float sngUnit, std::int16_t intTable) {
                return released([&] { return p.GetCount(sngUnit, intTable); });
            },
            py::arg("sngUnit"), py::arg("intTable"))
        .def(
            "GetCO2Count05",
            [](P& p, std::uint8_t btePart, float sngUnit) {
                return released([&] { return p.GetCO2Count05(btePart, sngUnit); });
            },
            py::arg("btePart"), py::arg("sngUnit"))
        .def(
            "GetSnsDef",
            [](P& p, std::uint8_t btePart) {
                float dA = 0, dB = 0, dC = 0, dD = 0, dE = 0, dTmax = 0;
                released([&] { p.GetSnsDef(btePart, dA, dB, dC, dD, dE, dTmax); });
                return py::make_tuple(dA, dB, dC, dD, dE, dTmax);
            },
            py::arg("btePart"), "The definition file's coefficients (dA, dB, dC, dD, dE, dTmax).")
        .def(
            "TableGenerate05",
            [](P& p, std::uint8_t btePart) {
                std::array<float, 16> table{};
                released([&] { p.TableGenerate05(btePart, table); });
                return table;
            },
            py::arg("btePart"), "The 16 concentrations of the part's model at counts 4096 x i.");
    bindItems<kvCalProcedures>(m, "kvCalProcedures", "The procedures of a channel.");

    Shared<kvCalChannel>(m, "kvCalChannel", "A calibration channel with its procedures.")
        .def(py::init<>())
        .def_readwrite("Name", &kvCalChannel::Name)
        .def_readwrite("Key", &kvCalChannel::Key)
        .def_property_readonly("Procedures", &kvCalChannel::Procedures);
    bindItems<kvCalChannels>(m, "kvCalChannels", "The channels of the catalogue.");
}

}  // namespace

void bindCalibration(py::module_& m) {
    bindCatalogue(m);
    py::class_<ISensCalibration, std::shared_ptr<ISensCalibration>>(
        m, "ISensCalibration",
        "The calibrations that fit the sensor given to SetSensor: channels, procedures, inputs.")
        .def(py::init<>())
        .def_property_readonly(
            "Channels", [](ISensCalibration& c) { return released([&] { return c.Channels(); }); })
        .def(
            "GetProcedure",
            [](ISensCalibration& c, const std::string& strKey) {
                return released([&] { return c.GetProcedure(strKey); });
            },
            py::arg("strKey"), "The procedure of that key; KvError 1000 when there is none.")
        .def(
            "SetSensor",
            [](ISensCalibration& c, std::shared_ptr<kvcom3::ISensMem> sensor) {
                released([&] { c.SetSensor(std::move(sensor)); });
            },
            py::arg("sensor"), "The sensor every procedure talks to, for all ISensCalibration.")
        .def_property_readonly(
            "ComLogg", [](ISensCalibration & c) -> auto& { return c.ComLogg; },
            py::return_value_policy::reference_internal)
        .def_property_readonly(
            "Action", [](ISensCalibration & c) -> auto& { return c.Action; },
            py::return_value_policy::reference_internal)
        .def_property_readonly(
            "Progress", [](ISensCalibration & c) -> auto& { return c.Progress; },
            py::return_value_policy::reference_internal);

    py::class_<SignalReader, std::shared_ptr<SignalReader>>(
        m, "RawSignalReader", "Reads the raw signal anew while a reading display is open.")
        .def("__call__", &SignalReader::operator());

    m.def(
        "set_user_interaction",
        [](std::optional<py::function> input_box, std::optional<py::function> show_reading) {
            std::shared_ptr<UserInteraction> user;
            if (input_box || show_reading) {
                std::optional<PyCallable> ask;
                std::optional<PyCallable> show;
                if (input_box) ask.emplace(std::move(*input_box));
                if (show_reading) show.emplace(std::move(*show_reading));
                user = std::make_shared<ScriptUser>(std::move(ask), std::move(show));
            }
            released([&] { setUserInteraction(std::move(user)); });
        },
        py::arg("input_box"), py::arg("show_reading") = py::none(),
        "Answers the procedures' questions: input_box(prompt, title, default) returns the text "
        "typed (None or \"\" cancels); show_reading(prompt, read) watches read() and returns "
        "ReadingChoice.Next or Cancel. A missing callable cancels its questions; both None "
        "restores the default, which cancels every question.");
}

}  // namespace kvsensor
