#include "report/Report.h"

#include <nlohmann/json.hpp>

namespace station {

namespace {

std::string errorText(const std::optional<int>& number, const std::string& text) {
    if (!number && text.empty()) return {};
    return "error " + (number ? std::to_string(*number) + ": " : std::string()) + text;
}

std::string passText(const std::optional<bool>& passed) {
    if (!passed) return {};
    return *passed ? "passed" : "failed";
}

void writeText(const std::vector<PositionReport>& rows, bool steps, std::ostream& out) {
    for (const PositionReport& r : rows) {
        const PositionRecord& p = r.position;
        out << p.started << "  " << r.run.station << "  " << r.run.operatorName << "  line "
            << p.line << "  board " << p.board << " position " << p.position << "  serial "
            << (p.serial.empty() ? "-" : p.serial) << "  part "
            << (p.part ? std::to_string(*p.part) : "-") << "  " << p.status;
        const std::string error = errorText(p.errorNumber, p.errorText);
        if (!error.empty()) out << "  " << error;
        out << "  run " << r.run.id << '\n';
        if (!steps) continue;
        for (const StepRecord& s : r.steps) {
            out << "    " << s.index << " " << s.kind << " " << s.target;
            if (!s.before.empty()) out << ": " << s.before << " ->";
            if (!s.after.empty()) out << (s.before.empty() ? ": " : " ") << s.after;
            if (s.passed) out << "  " << passText(s.passed);
            const std::string stepError = errorText(s.errorNumber, s.errorText);
            if (!stepError.empty()) out << "  " << stepError;
            out << '\n';
        }
    }
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string optionalNumber(const std::optional<int>& n) {
    return n ? std::to_string(*n) : std::string();
}

void writeCsv(const std::vector<PositionReport>& rows, std::ostream& out) {
    out << "run,station,operator,line,board,position,serial,part,status,error_number,error_text,"
           "started,finished,step,kind,target,before,after,passed,step_error_number,"
           "step_error_text\n";
    for (const PositionReport& r : rows) {
        const PositionRecord& p = r.position;
        const std::string head = csvField(r.run.id) + "," + csvField(r.run.station) + "," +
                                 csvField(r.run.operatorName) + "," + csvField(p.line) + "," +
                                 std::to_string(p.board) + "," + std::to_string(p.position) + "," +
                                 csvField(p.serial) + "," + optionalNumber(p.part) + "," +
                                 p.status + "," + optionalNumber(p.errorNumber) + "," +
                                 csvField(p.errorText) + "," + p.started + "," + p.finished;
        if (r.steps.empty()) out << head << ",,,,,,,,\n";
        for (const StepRecord& s : r.steps)
            out << head << "," << s.index << "," << s.kind << "," << csvField(s.target) << ","
                << csvField(s.before) << "," << csvField(s.after) << "," << passText(s.passed)
                << "," << optionalNumber(s.errorNumber) << "," << csvField(s.errorText) << '\n';
    }
}

void putError(nlohmann::json& json, const std::optional<int>& number, const std::string& text) {
    if (!number && text.empty()) return;
    json["error"] = {{"number", number ? nlohmann::json(*number) : nlohmann::json()},
                     {"description", text}};
}

nlohmann::json orNull(const std::string& text) {
    if (text.empty()) return nullptr;
    return text;
}

void writeJson(const std::vector<PositionReport>& rows, std::ostream& out) {
    nlohmann::json list = nlohmann::json::array();
    for (const PositionReport& r : rows) {
        const PositionRecord& p = r.position;
        nlohmann::json json{{"run", r.run.id},
                            {"station", r.run.station},
                            {"operator", r.run.operatorName},
                            {"recipe", r.run.recipe},
                            {"line", p.line},
                            {"board", p.board},
                            {"position", p.position},
                            {"serial", orNull(p.serial)},
                            {"platform", p.platform ? nlohmann::json(*p.platform) : nullptr},
                            {"part", p.part ? nlohmann::json(*p.part) : nullptr},
                            {"status", p.status},
                            {"started", p.started},
                            {"finished", orNull(p.finished)}};
        putError(json, p.errorNumber, p.errorText);
        nlohmann::json steps = nlohmann::json::array();
        for (const StepRecord& s : r.steps) {
            nlohmann::json step{{"step", s.index},       {"kind", s.kind},   {"target", s.target},
                                {"before", s.before},    {"after", s.after}, {"started", s.started},
                                {"finished", s.finished}};
            if (s.passed) step["passed"] = *s.passed;
            putError(step, s.errorNumber, s.errorText);
            steps.push_back(step);
        }
        json["steps"] = steps;
        list.push_back(json);
    }
    out << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace

void writeReport(const std::vector<PositionReport>& rows, ReportFormat format, bool steps,
                 std::ostream& out) {
    switch (format) {
        case ReportFormat::Text: writeText(rows, steps, out); break;
        case ReportFormat::Csv: writeCsv(rows, out); break;
        case ReportFormat::Json: writeJson(rows, out); break;
    }
}

}  // namespace station
