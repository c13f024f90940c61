#include "StartOptions.h"

namespace {

std::optional<int> numberIn(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

QString startUsage() {
    return "Usage: kvworkbench [--device PATH | --port N] [--protocol kvbus|modbus] [--id N]\n"
           "  --device PATH   connect at start to the serial device or pseudo-terminal PATH\n"
           "  --port N        connect at start to port N (0-23; KVCOM3_PORT_<N> or the default)\n"
           "  --protocol P    kvbus (default) or modbus\n"
           "  --id N          sensor address, -1 (default) reaches any sensor\n";
}

StartOptions parseStartOptions(const QStringList& arguments) {
    StartOptions options;
    ConnectionChoice choice;
    bool connect = false;
    bool connectDetail = false;
    // The first argument is the program.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return options;
        }
        if (name != "--device" && name != "--port" && name != "--protocol" && name != "--id" &&
            name != "--screenshots") {
            options.error = "unknown option " + name;
            return options;
        }
        if (i + 1 >= arguments.size()) {
            options.error = name + " needs a value";
            return options;
        }
        const QString value = arguments[++i];
        if (name == "--screenshots") {
            options.screenshots = value;
        } else if (name == "--device") {
            if (value.isEmpty()) {
                options.error = "--device needs a path";
                return options;
            }
            choice.device = value;
            connect = true;
        } else if (name == "--port") {
            const auto port = numberIn(value, 0, kMaxPort);
            if (!port) {
                options.error = "--port takes 0-23, not " + value;
                return options;
            }
            choice.port = *port;
            connect = true;
        } else if (name == "--protocol") {
            if (value != "kvbus" && value != "modbus") {
                options.error = "--protocol takes kvbus or modbus, not " + value;
                return options;
            }
            choice.modbus = value == "modbus";
            connectDetail = true;
        } else {
            const auto id = numberIn(value, -1, kMaxId);
            if (!id) {
                options.error = "--id takes -1-255, not " + value;
                return options;
            }
            choice.id = *id;
            connectDetail = true;
        }
    }
    // A protocol or address alone names no sensor.
    if (connectDetail && !connect) {
        options.error = "--protocol and --id need --device or --port";
        return options;
    }
    if (connect) options.connect = choice;
    return options;
}
