// The journal's text format. One record a line, fields separated by tabs, each field
// "name=value" after the first:
//
//   W  id=7  op=7  time=2026-12-09T19:45:08.123Z  program=kvtool  operation=poke
//      platform=8  part=152  serial=12345  eeprom=2048  bytes=100:0a>07,101:00>ff  crc=1c291ca3
//   D  id=8  done=7  time=2026-12-09T19:45:08.901Z  crc=0f3a52d1
//
// W is an EEPROM write about to go out: its id (counting up through the file), the id of the
// first write of its operation, the time (UTC), the program, the operation, the sensor, and each
// byte it changes as decimal address, old value and new value in hexadecimal. D marks the write
// `done` verified. Program and operation texts escape '%', tab, newlines and other control
// characters as %XX. crc is the CRC-32 of everything before "\tcrc=", in hexadecimal. Lines
// starting with '#' are comments; a line that fails to parse or to match its checksum (the torn
// end of a write cut short) is skipped.
#include "journal/JournalFormat.h"

#include <array>
#include <charconv>
#include <map>
#include <vector>

namespace kvcom3 {

const char* const kJournalHeader = "# kvsensor EEPROM journal, format 1\n";

namespace {

constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

const char kHex[] = "0123456789abcdef";

std::string escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || byte < 0x20 || byte == 0x7F)
            out += "%" + hex(byte, 2);
        else
            out += c;
    }
    return out;
}

template <class T>
std::optional<T> number(std::string_view text, int base = 10) {
    T value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        auto byte = number<unsigned>(text.substr(i + 1, 2), 16);
        if (!byte) return std::nullopt;
        out += static_cast<char>(*byte);
        i += 2;
    }
    return out;
}

std::string formatBytes(const std::vector<JournalByte>& bytes) {
    std::string out;
    for (const JournalByte& b : bytes) {
        if (!out.empty()) out += ',';
        out += std::to_string(b.address) + ":" + hex(b.before, 2) + ">" + hex(b.after, 2);
    }
    return out;
}

std::optional<std::vector<JournalByte>> parseBytes(std::string_view text) {
    std::vector<JournalByte> bytes;
    while (!text.empty()) {
        const auto comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const auto colon = item.find(':');
        if (colon == std::string_view::npos || item.size() != colon + 6 || item[colon + 3] != '>')
            return std::nullopt;
        auto address = number<std::int32_t>(item.substr(0, colon));
        auto before = number<unsigned>(item.substr(colon + 1, 2), 16);
        auto after = number<unsigned>(item.substr(colon + 4, 2), 16);
        if (!address || *address < 0 || !before || !after) return std::nullopt;
        bytes.push_back(
            {*address, static_cast<std::uint8_t>(*before), static_cast<std::uint8_t>(*after)});
    }
    return bytes;
}

}  // namespace

std::string hex(std::uint32_t value, int digits) {
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kHex[value & 15];
    return text;
}

std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes) c = kCrcTable[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string formatJournalLine(const JournalLine& line) {
    const JournalRecord& r = line.record;
    std::string text;
    if (line.kind == JournalLine::Kind::Done) {
        text = "D\tid=" + std::to_string(r.id) + "\tdone=" + std::to_string(line.of) +
               "\ttime=" + escape(r.time);
    } else {
        text = "W\tid=" + std::to_string(r.id) + "\top=" + std::to_string(r.operation) +
               "\ttime=" + escape(r.time) + "\tprogram=" + escape(r.program) +
               "\toperation=" + escape(r.operationText) +
               "\tplatform=" + std::to_string(r.sensor.platform) +
               "\tpart=" + std::to_string(r.sensor.part) +
               "\tserial=" + std::to_string(r.sensor.serial) +
               "\teeprom=" + std::to_string(r.sensor.eepromSize) +
               "\tbytes=" + formatBytes(r.bytes);
    }
    return text + "\tcrc=" + hex(crc32(text), 8) + "\n";
}

std::optional<JournalLine> parseJournalLine(std::string_view text) {
    const auto crcAt = text.rfind("\tcrc=");
    if (crcAt == std::string_view::npos) return std::nullopt;
    const std::string_view body = text.substr(0, crcAt);
    const std::string_view crcText = text.substr(crcAt + 5);
    auto crc = number<std::uint32_t>(crcText, 16);
    if (!crc || crcText.size() != 8 || *crc != crc32(body)) return std::nullopt;

    std::map<std::string_view, std::string_view> fields;
    std::string_view kind;
    for (std::string_view rest = body; !rest.empty();) {
        const auto tab = rest.find('\t');
        std::string_view field = rest.substr(0, tab);
        rest = tab == std::string_view::npos ? std::string_view{} : rest.substr(tab + 1);
        if (kind.empty()) {
            kind = field;
            continue;
        }
        const auto eq = field.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        fields[field.substr(0, eq)] = field.substr(eq + 1);
    }
    auto field = [&](std::string_view name) -> std::optional<std::string_view> {
        auto it = fields.find(name);
        if (it == fields.end()) return std::nullopt;
        return it->second;
    };
    auto whole = [&](std::string_view name) -> std::optional<std::int64_t> {
        auto value = field(name);
        return value ? number<std::int64_t>(*value) : std::nullopt;
    };
    auto textOf = [&](std::string_view name) -> std::optional<std::string> {
        auto value = field(name);
        return value ? unescape(*value) : std::nullopt;
    };

    JournalLine line;
    auto id = whole("id");
    auto time = textOf("time");
    if (!id || !time) return std::nullopt;
    line.record.id = *id;
    line.record.time = *time;
    if (kind == "D") {
        auto of = whole("done");
        if (!of) return std::nullopt;
        line.kind = JournalLine::Kind::Done;
        line.of = *of;
        return line;
    }
    if (kind != "W") return std::nullopt;
    auto op = whole("op");
    auto program = textOf("program");
    auto operation = textOf("operation");
    auto platform = whole("platform");
    auto part = whole("part");
    auto serial = whole("serial");
    auto eeprom = whole("eeprom");
    auto bytesText = field("bytes");
    if (!op || !program || !operation || !platform || !part || !serial || !eeprom || !bytesText)
        return std::nullopt;
    auto bytes = parseBytes(*bytesText);
    if (!bytes) return std::nullopt;
    line.record.operation = *op;
    line.record.program = *program;
    line.record.operationText = *operation;
    line.record.sensor = {static_cast<int>(*platform), static_cast<int>(*part), *serial,
                          static_cast<std::int32_t>(*eeprom)};
    line.record.bytes = std::move(*bytes);
    return line;
}

}  // namespace kvcom3
