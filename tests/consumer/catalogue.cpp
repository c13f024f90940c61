// Lists the calibration channels and procedures that fit the sensor on port 1 (the device given
// as the argument, else what KVCOM3_PORT_1 or the default names), one "channel: procedure" a line.
#include <iostream>
#include <memory>

#include <kvcal3/ISensCalibration.h>
#include <kvcom3/ISensMem.h>
#include <kvcom3/KvError.h>
#include <kvcom3/Ports.h>

int main(int argc, char** argv) {
    try {
        if (argc > 1) kvcom3::bindPort(1, argv[1]);
        auto sensor = std::make_shared<kvcom3::ISensMem>();
        sensor->LetProtokoll(kvcom3::kvKV);
        sensor->LetLeavePortOpen(true);
        sensor->Connect(1);
        kvcal3::ISensCalibration calibration;
        calibration.SetSensor(sensor);
        for (const auto& channel : *calibration.Channels())
            for (const auto& procedure : *channel->Procedures())
                std::cout << channel->Key << ": " << procedure->Key << '\n';
        sensor->ClosePort(1);
    } catch (const kvcom3::KvError& error) {
        std::cerr << "error " << error.number() << ": " << error.description() << '\n';
        return 1;
    }
    return 0;
}
