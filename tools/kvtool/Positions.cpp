#include "Positions.h"

#include <iostream>
#include <sstream>

#include "Interrupt.h"
#include "Json.h"
#include "Numbers.h"
#include "Run.h"

namespace kvtool {

namespace {

constexpr int kLastPosition = 255;

std::optional<int> position(std::string_view text) {
    // Plain decimal only: a list like "0x10-0x20" would be easy to misread.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const auto value = parseNumber(text);
    if (!value || *value > kLastPosition) return std::nullopt;
    return static_cast<int>(*value);
}

// A result as the command printed it: one line stays on the position's line, more lines
// follow it indented.
void printText(std::ostream& out, int at, const std::string& result) {
    std::string body = result;
    while (!body.empty() && body.back() == '\n') body.pop_back();
    out << "position " << at << ':';
    if (body.find('\n') == std::string::npos) {
        out << (body.empty() ? "" : " ") << body << '\n';
        return;
    }
    std::istringstream lines(body);
    std::string line;
    out << '\n';
    while (std::getline(lines, line)) out << "  " << line << '\n';
}

std::string jsonEntry(const ConnectionOptions& options, int at, const std::string& result,
                      const Outcome& outcome) {
    JsonObject entry;
    entry.number("board", options.board).number("position", at);
    if (!outcome.failed) {
        std::string body = result;
        while (!body.empty() && body.back() == '\n') body.pop_back();
        return entry.raw("result", body.empty() ? "null" : body).str();
    }
    JsonObject error;
    if (outcome.number) error.number("number", *outcome.number);
    error.text("description", outcome.description);
    return entry.raw("error", error.str()).str();
}

}  // namespace

std::optional<std::vector<int>> parsePositions(std::string_view text) {
    std::vector<int> list;
    std::vector<bool> seen(kLastPosition + 1, false);
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = position(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : position(item.substr(dash + 1));
        if (!first || !last || *last < *first) return std::nullopt;
        for (int p = *first; p <= *last; ++p) {
            if (seen[static_cast<std::size_t>(p)]) return std::nullopt;
            seen[static_cast<std::size_t>(p)] = true;
            list.push_back(p);
        }
        if (comma == std::string_view::npos) return list;
        text.remove_prefix(comma + 1);
    }
}

CLI::Validator positionList() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (!parsePositions(text))
                return "'" + text +
                       "' is not a list of positions 0-255 such as 1-8 or 1,3,5-7, each once";
            return {};
        },
        "");
}

int runAtPositions(const CommandList& commands, const ConnectionOptions& options, bool json) {
    ConnectionOptions one = options;
    int run = 0;
    int failed = 0;
    if (json) std::cout << "[\n";
    for (const int at : options.positions) {
        one.position = at;
        std::ostringstream result;
        const Outcome outcome = runOnce(commands, one, json, result);
        ++run;
        if (outcome.failed) ++failed;
        if (json)
            std::cout << (run > 1 ? ",\n" : "") << jsonEntry(options, at, result.str(), outcome);
        else
            printText(std::cout, at, outcome.failed ? outcome.text() : result.str());
        std::cout.flush();
        // Ctrl-C stops the whole list, not just the position it came during.
        if (interruptRequested()) break;
    }
    if (json) std::cout << "\n]\n";
    // Scripts reading JSON get the array alone on stdout.
    (json ? std::cerr : std::cout) << failed << " of " << run << " positions failed\n";
    return failed > 0 ? 1 : 0;
}

}  // namespace kvtool
