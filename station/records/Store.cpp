#include "records/Store.h"

#include <cstdlib>

namespace station {

std::string defaultDatabase() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data && *data) {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return folder + "/kvsensor/station.db";
}

std::unique_ptr<SqlConnection> openStore(const std::string& location) {
    if (location.starts_with("postgresql://") || location.starts_with("postgres://"))
        return openPostgres(location);
    return openSqlite(location);
}

}  // namespace station
