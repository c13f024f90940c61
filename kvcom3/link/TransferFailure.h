#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/ComPort.h"
#include "link/LineLog.h"

namespace kvcom3 {

// The text of the exception being handled: a library error's description, another exception's
// what(); nothing for an exception that carries no text.
inline std::optional<std::string> handledDescription() {
    try {
        throw;
    } catch (const KvError& e) {
        return e.description();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return std::nullopt;
    }
}

// Every transfer ends the same way on failure, whatever was thrown (an allocation failure
// too): port closed, the description logged, the cancel flag cleared (a cancel ends one transfer
// only), and the exception passed on unchanged.
template <class Body>
void failSafely(clsAdressLevel& level, Body&& body,
                const std::function<void()>& beforeLog = nullptr) {
    try {
        LineLogScope lineLog(
            [&level](const std::string& text) { level.ComLogg.raise(std::string(text)); });
        body();
    } catch (...) {
        try {
            CloseCOMport();
        } catch (...) {
            // The first failure is the one the caller must see.
        }
        if (beforeLog) beforeLog();
        if (auto text = handledDescription()) level.ComLogg.raise(*text);
        gCancel = false;
        throw;
    }
}

}  // namespace kvcom3
