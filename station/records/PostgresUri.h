#pragma once

#include <string>
#include <string_view>

namespace station {

// True for the two URI schemes libpq reads: postgresql:// and postgres://.
bool isPostgresUri(std::string_view uri);

// The URI as messages may show it: the password of the user part and a password parameter are
// left out.
std::string withoutPassword(std::string_view uri);

// The URI with connect_timeout added unless it names one, so a server that never answers fails
// the connection instead of holding it for the system's TCP timeout.
std::string withConnectTimeout(std::string_view uri, int seconds);

}  // namespace station
