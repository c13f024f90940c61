#include <algorithm>
#include <chrono>

#include "kvcom3/Clock.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/COCells.h"
#include "procedures/COHeaterInputs.h"
#include "procedures/COHeaterLog.h"
#include "procedures/COProcedures.h"
#include "procedures/PumpedWait.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

constexpr int kMaxCycles = 20;
constexpr double kCoarseStep = 10000;
constexpr double kFullDrive = 65535;
// Readings of a cycle after the first: the fine phase watches the element settle longer.
constexpr int kCoarseReadings = 5;
constexpr int kFineReadings = 20;
// The drive may fall this far below its start before the element counts as too weak.
constexpr double kMaxDriveDrop = 17000;
constexpr std::chrono::seconds kReadingInterval{1};

enum class Phase { coarse, fine };

// Coarse steps lower the drive until the signal falls below the target once; the fine phase
// then halves the step around it until the signal lies in the window.
void calibrateHeater(double R, double W) {
    const double H0 = startingHeaterValue(R);
    const HeaterWindow window = checkedHeaterWindow(W);
    double H = H0;
    std::int32_t old = liveCOSignal();
    double step = kCoarseStep;
    int readings = kCoarseReadings;
    Phase phase = Phase::coarse;
    COHeaterLog log(calSensor().SerialNr(false));

    for (int cycles = 1;; ++cycles) {
        kvcom3::pumpEvents();
        if (cycles > kMaxCycles) clsErrors().Raise(calCantCalibrateHeater);
        writeThrough(kCOHeaterCell, kvcom3::toLong(H));
        for (int j = 0; j <= readings; ++j) {
            log.reading(liveCOSignal(), H, window.upper, window.lower);
            waitPumpingEvents(kReadingInterval);
        }
        const std::int32_t now = liveCOSignal();

        // A signal that did not move says nothing about the drive: start over coarsely.
        if (old == 0 || old == now) {
            phase = Phase::coarse;
            step = kCoarseStep;
            readings = kCoarseReadings;
        } else if (now < window.target && phase == Phase::coarse) {
            step = step / 2;
            phase = Phase::fine;
            readings = kFineReadings;
        }
        if (now >= window.target || phase == Phase::coarse) {
            H = std::max(0.0, H - step);
        } else {
            if (H == kFullDrive) clsErrors().Raise(calSignalTooLow);
            H = std::min(kFullDrive, H + step);
        }
        // The drive written at the top of this cycle stays in the sensor.
        if (window.lower < now && now < window.upper && phase == Phase::fine) return;
        if (H < H0 - kMaxDriveDrop && step < 1000) clsErrors().Raise(calSignalTooLow);
        if (step < 5) {
            if (now > window.upper) clsErrors().Raise(calCODividerTooHigh);
            if (now < window.lower) clsErrors().Raise(calCODividerTooLow);
            clsErrors().Raise(calCantCalibrateHeater);
        }
        if (phase == Phase::fine) step = step / 2;
        old = now;
    }
}

}  // namespace

void COHeaterCal(kvCalProcedure& procedure) {
    auto heater = procedure.InputVariables()->Item("cvHeaterCalOHR");
    auto wetAir = procedure.InputVariables()->Item("cvHeaterCalRIWA");
    resetInputsOnFailure({heater, wetAir}, [&] {
        calibrateHeater(heater->Value.toDouble(), wetAir->Value.toDouble());
    });
}

}  // namespace kvcal3
