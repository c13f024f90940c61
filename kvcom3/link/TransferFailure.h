#pragma once

#include <functional>
#include <string>

#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/ComPort.h"

namespace kvcom3 {

// Every transfer ends the same way on failure: port closed, the description logged, the cancel
// flag cleared (a cancel ends one transfer only), and the error passed on unchanged.
template <class Body>
void failSafely(clsAdressLevel& level, Body&& body,
                const std::function<void()>& beforeLog = nullptr) {
    try {
        body();
    } catch (const KvError& e) {
        try {
            CloseCOMport();
        } catch (const KvError&) {
            // The first error is the one the caller must see.
        }
        if (beforeLog) beforeLog();
        std::string text = e.description();
        level.ComLogg.raise(text);
        gCancel = false;
        throw;
    }
}

}  // namespace kvcom3
