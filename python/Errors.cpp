#include <pybind11/eval.h>

#include <optional>
#include <string>

#include "Bindings.h"
#include "kvcom3/KvError.h"

namespace kvsensor {

namespace {

constexpr std::int32_t kCancelNumber = 32755;
constexpr const char* kCancelText = "Cancel was selected";

// The exception class, created once when the module loads and kept by the module; a handle, so
// that nothing touches it after the interpreter has gone.
py::handle kvErrorType;

// What a Python callback raised during the running library call of this thread, raised to the
// caller when the call returns.
thread_local std::optional<py::error_already_set> pendingError;

const char* const kKvErrorSource = R"(
class KvError(RuntimeError):
    """A failure reported by the sensor libraries: the error number and its English description
    (32755 when the user or a script cancelled)."""

    def __init__(self, number, description, source=""):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.source = source

    def __str__(self):
        return f"error {self.number}: {self.description}"

    @property
    def cancelled(self):
        return self.number == CANCEL
)";

// A kvsensor.KvError as the library's error; nothing when its number or description is not
// what the class holds (a script that set them to something else).
std::optional<kvcom3::KvError> libraryError(py::error_already_set& error) {
    if (!error.matches(kvErrorType)) return std::nullopt;
    try {
        const py::object raised = error.value();
        return kvcom3::KvError(raised.attr("number").cast<std::int32_t>(),
                               raised.attr("description").cast<std::string>());
    } catch (const py::error_already_set&) {
        // Fall through: handled as any other exception of the script.
    } catch (const py::cast_error&) {
        // Likewise.
    }
    return std::nullopt;
}

}  // namespace

[[noreturn]] void raiseIntoLibrary(py::error_already_set& error) {
    if (auto known = libraryError(error)) throw *known;
    if (!pendingError) pendingError = std::move(error);
    throw kvcom3::KvError(kCancelNumber, kCancelText);
}

void raisePendingPythonError() {
    if (!pendingError) return;
    py::error_already_set error = std::move(*pendingError);
    pendingError.reset();
    throw error;
}

void bindErrors(py::module_& m) {
    m.attr("CANCEL") = kCancelNumber;
    py::exec(kKvErrorSource, m.attr("__dict__"));
    kvErrorType = m.attr("KvError");
    py::register_exception_translator([](std::exception_ptr raised) {
        try {
            if (raised) std::rethrow_exception(raised);
        } catch (const kvcom3::KvError& error) {
            const py::object instance =
                kvErrorType(error.number(), error.description(), error.source());
            PyErr_SetObject(kvErrorType.ptr(), instance.ptr());
        }
    });
}

}  // namespace kvsensor
