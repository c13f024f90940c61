#include "records/SqlConnection.h"

namespace station {

std::unique_ptr<SqlConnection> openPostgres(const std::string&) {
    throw SqlError("PostgreSQL support is not built into this program");
}

}  // namespace station
