// Reads a sensor's serial number on port 1. Port 1 is the device given as the argument, else
// whatever KVCOM3_PORT_1 or the default names.
#include <iostream>

#include <kvcom3/ISensMem.h>
#include <kvcom3/KvError.h>
#include <kvcom3/Ports.h>

int main(int argc, char** argv) {
    try {
        if (argc > 1) kvcom3::bindPort(1, argv[1]);
        kvcom3::ISensMem sensor;
        sensor.LetProtokoll(kvcom3::kvKV);
        sensor.Connect(1);
        std::cout << sensor.SerialNr(true) << '\n';
        sensor.ClosePort(1);
    } catch (const kvcom3::KvError& error) {
        std::cerr << "error " << error.number() << ": " << error.description() << '\n';
        return 1;
    }
    return 0;
}
