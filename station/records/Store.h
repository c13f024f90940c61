#pragma once

#include <memory>
#include <string>

#include "records/SqlConnection.h"

namespace station {

// $XDG_DATA_HOME/kvsensor/station.db, else ~/.local/share/kvsensor/station.db.
std::string defaultDatabase();

// A postgresql:// (or postgres://) URI opens PostgreSQL, anything else is a SQLite file.
std::unique_ptr<SqlConnection> openStore(const std::string& location);

}  // namespace station
