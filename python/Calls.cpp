#include <atomic>
#include <mutex>

#include "Bindings.h"
#include "kvcom3/ISensMem.h"

namespace kvsensor {

namespace {

// The libraries keep process-wide state and are not made for two threads at once: library calls
// take turns; the thread inside may call again from a callback.
std::recursive_mutex& libraryTurn() {
    static std::recursive_mutex turn;
    return turn;
}

// A Cancel asked for on any thread, handed to the library on the thread that runs it.
std::atomic<bool> cancelAsked{false};
std::mutex cancelMutex;
std::shared_ptr<kvcom3::ISensMem> cancelSensor;

}  // namespace

void requestCancel(std::shared_ptr<kvcom3::ISensMem> sensor) {
    {
        std::lock_guard lock(cancelMutex);
        cancelSensor = std::move(sensor);
    }
    cancelAsked = true;
}

void deliverCancel() {
    if (!cancelAsked.exchange(false)) return;
    std::shared_ptr<kvcom3::ISensMem> sensor;
    {
        std::lock_guard lock(cancelMutex);
        sensor = std::move(cancelSensor);
    }
    if (sensor) sensor->Cancel();
}

void runReleased(const std::function<void()>& body) {
    try {
        py::gil_scoped_release release;
        std::lock_guard turn(libraryTurn());
        deliverCancel();
        body();
    } catch (...) {
        raisePendingPythonError();
        throw;
    }
    raisePendingPythonError();
}

PyCallable::PyCallable(py::function function)
    : function_(new py::function(std::move(function)), [](py::function* held) {
          // After the interpreter has gone there is nothing left to release.
          if (!Py_IsInitialized()) {
              held->release();
              delete held;
              return;
          }
          py::gil_scoped_acquire gil;
          delete held;
      }) {}

py::str toText(const std::string& text) {
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
}

}  // namespace kvsensor
