#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "ConnectionChoice.h"

// What the command line asks of the start: a sensor to connect to at once (--device PATH or
// --port N, with --protocol and --id), or nothing. `error` is set for a line the program cannot
// follow; it then does not start.
struct StartOptions {
    std::optional<ConnectionChoice> connect;
    QString error;
    bool help = false;
};

StartOptions parseStartOptions(const QStringList& arguments);

// The usage text --help prints.
QString startUsage();
