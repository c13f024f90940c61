#include "records/PostgresUri.h"

#include <array>
#include <vector>

namespace station {

namespace {

constexpr std::array kSchemes{std::string_view{"postgresql://"}, std::string_view{"postgres://"}};

struct Parts {
    std::string_view head;                     // scheme, user, host, port and database
    std::vector<std::string_view> parameters;  // "name=value" after '?', split at '&'
};

Parts split(std::string_view uri) {
    const auto mark = uri.find('?');
    Parts parts{uri.substr(0, mark), {}};
    if (mark == std::string_view::npos) return parts;
    for (auto rest = uri.substr(mark + 1); !rest.empty();) {
        const auto end = rest.find('&');
        parts.parameters.push_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return parts;
}

bool isNamed(std::string_view parameter, std::string_view name) {
    return parameter.starts_with(name) && parameter.substr(name.size()).starts_with('=');
}

}  // namespace

bool isPostgresUri(std::string_view uri) {
    for (const auto scheme : kSchemes)
        if (uri.starts_with(scheme)) return true;
    return false;
}

std::string withoutPassword(std::string_view uri) {
    const auto [head, parameters] = split(uri);
    std::string shown;
    // libpq ends the user part at the first '@' before the first '/' after the scheme.
    const auto scheme = head.find("://");
    const auto user = scheme == std::string_view::npos ? 0 : scheme + 3;
    const auto at = head.find_first_of("@/", user);
    if (at != std::string_view::npos && head[at] == '@') {
        shown.append(head.substr(0, user));
        const auto credentials = head.substr(user, at - user);
        shown.append(credentials.substr(0, credentials.find(':')));
        shown.append(head.substr(at));
    } else {
        shown.append(head);
    }
    char separator = '?';
    for (const auto parameter : parameters) {
        if (isNamed(parameter, "password")) continue;
        shown += separator;
        shown.append(parameter);
        separator = '&';
    }
    return shown;
}

std::string withConnectTimeout(std::string_view uri, int seconds) {
    std::string full(uri);
    const auto parameters = split(uri).parameters;
    for (const auto parameter : parameters)
        if (isNamed(parameter, "connect_timeout")) return full;
    full += uri.find('?') == std::string_view::npos ? '?' : '&';
    return full + "connect_timeout=" + std::to_string(seconds);
}

}  // namespace station
