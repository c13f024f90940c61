#pragma once

#include <string>
#include <string_view>

namespace station {

// The statement with each `?` placeholder turned into PostgreSQL's $1, $2, ... in order of
// appearance. A `?` inside a quoted literal, a quoted name or a comment is text and stays.
std::string numberPlaceholders(std::string_view sql);

}  // namespace station
