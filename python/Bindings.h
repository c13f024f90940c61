#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "VariantCaster.h"
#include "kvcom3/ISensMem.h"

// The pieces of the kvsensor module, each binding one concern of the libraries.
namespace kvsensor {

namespace py = pybind11;

void bindErrors(py::module_& m);
void bindEnums(py::module_& m);
void bindHooks(py::module_& m);
void bindNodes(py::module_& m);
void bindLevels(py::module_& m);
void bindFacade(py::module_& m);
void bindCalibration(py::module_& m);
void bindJournal(py::module_& m);

// Runs `body` (a call into the libraries) without the GIL, so other Python threads go on while the
// library waits for the sensor. One such call runs at a time in the process; a callback may make
// another on the same thread. Whatever a Python callback raised during the call is raised to the
// caller in place of the library error it ended the call with.
void runReleased(const std::function<void()>& body);

template <class F>
std::invoke_result_t<F> released(F&& body) {
    using R = std::invoke_result_t<F>;
    if constexpr (std::is_void_v<R>) {
        runReleased(body);
    } else {
        std::optional<R> result;
        runReleased([&] { result.emplace(body()); });
        return std::move(*result);
    }
}

// Turns the Python exception a callback raised into the library error that ends the running
// member: a kvsensor.KvError keeps its number and description; anything else is kept for the
// caller (see runReleased) and ends the member as a cancel does. Call with the GIL held.
[[noreturn]] void raiseIntoLibrary(py::error_already_set& error);

// Raises what raiseIntoLibrary kept for the caller, if anything. Call with the GIL held.
void raisePendingPythonError();

// Calls into Python from a library callback on the library's thread: takes the GIL for the
// call and hands what the Python code raised to raiseIntoLibrary.
template <class F>
std::invoke_result_t<F> callPython(F&& call) {
    py::gil_scoped_acquire gil;
    try {
        return call();
    } catch (py::error_already_set& error) {
        raiseIntoLibrary(error);
    } catch (py::builtin_exception& error) {
        // A result of the wrong type: raised as the Python error pybind11 would give.
        error.set_error();
        py::error_already_set fetched;
        raiseIntoLibrary(fetched);
    }
}

// A Python callable the libraries keep: copies share it without touching Python reference
// counts, so the library may copy it on any thread; the last copy releases it under the GIL.
class PyCallable {
  public:
    explicit PyCallable(py::function function);

    // Call with the GIL held.
    template <class... Args>
    py::object operator()(Args&&... args) const {
        return (*function_)(std::forward<Args>(args)...);
    }

  private:
    std::shared_ptr<py::function> function_;
};

// Cancel of a running library call, safe from any thread: the request is handed to the library
// on the thread that runs it, while it waits for the sensor or before its next call.
void requestCancel(std::shared_ptr<kvcom3::ISensMem> sensor);
// Hands a pending request to the library; called only on the thread inside the library.
void deliverCancel();

// Library text for Python; bytes that are not UTF-8 become replacement characters instead of
// failing the callback that passes them on.
py::str toText(const std::string& text);

}  // namespace kvsensor
