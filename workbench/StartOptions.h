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
    // Not in the usage text: a folder to save a picture of every panel into, after which the
    // program ends; the documentation's pictures are made this way.
    QString screenshots;
    bool help = false;
};

StartOptions parseStartOptions(const QStringList& arguments);

// The usage text --help prints.
QString startUsage();
