#include "records/Placeholders.h"

namespace station {

namespace {

// Where the quoted part or comment that opens at `at` ends, just past its closing mark. An
// escaped quote ('') closes one literal and opens the next, which comes to the same. Backslash
// escapes (E'...') and dollar quoting are not portable SQL and are not recognised.
std::size_t endOfOpaque(std::string_view sql, std::size_t at) {
    const auto through = [&](std::string_view close, std::size_t from) {
        const auto end = sql.find(close, from);
        return end == std::string_view::npos ? sql.size() : end + close.size();
    };
    const std::string_view rest = sql.substr(at);
    if (rest.starts_with('\'')) return through("'", at + 1);
    if (rest.starts_with('"')) return through("\"", at + 1);
    if (rest.starts_with("--")) return through("\n", at + 2);
    if (rest.starts_with("/*")) return through("*/", at + 2);
    return at;
}

}  // namespace

std::string numberPlaceholders(std::string_view sql) {
    std::string numbered;
    numbered.reserve(sql.size() + 16);
    int count = 0;
    std::size_t at = 0;
    while (at < sql.size()) {
        if (const auto end = endOfOpaque(sql, at); end != at) {
            numbered.append(sql.substr(at, end - at));
            at = end;
        } else if (sql[at] == '?') {
            numbered += '$' + std::to_string(++count);
            ++at;
        } else {
            numbered += sql[at++];
        }
    }
    return numbered;
}

}  // namespace station
