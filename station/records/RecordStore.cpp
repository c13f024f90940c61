#include "records/RecordStore.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "kvcom3/UtcTime.h"

namespace station {

namespace {

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS station_schema (version INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS station_runs ("
    " id TEXT PRIMARY KEY, station TEXT NOT NULL, operator TEXT NOT NULL,"
    " recipe TEXT NOT NULL, started TEXT NOT NULL, finished TEXT)",
    "CREATE TABLE IF NOT EXISTS station_positions ("
    " run_id TEXT NOT NULL REFERENCES station_runs (id), line TEXT NOT NULL,"
    " board INTEGER NOT NULL, position INTEGER NOT NULL, serial TEXT, platform INTEGER,"
    " part INTEGER, status TEXT NOT NULL, error_number INTEGER, error_text TEXT,"
    " started TEXT NOT NULL, finished TEXT, PRIMARY KEY (run_id, line, position))",
    "CREATE INDEX IF NOT EXISTS station_positions_serial ON station_positions (serial)",
    "CREATE TABLE IF NOT EXISTS station_steps ("
    " run_id TEXT NOT NULL, line TEXT NOT NULL, position INTEGER NOT NULL,"
    " step INTEGER NOT NULL, kind TEXT NOT NULL, target TEXT NOT NULL, value_before TEXT,"
    " value_after TEXT, passed INTEGER, error_number INTEGER, error_text TEXT,"
    " started TEXT NOT NULL, finished TEXT NOT NULL, PRIMARY KEY (run_id, line, position, step),"
    " FOREIGN KEY (run_id, line, position)"
    " REFERENCES station_positions (run_id, line, position))",
};

SqlValue text(const std::string& value) {
    if (value.empty()) return nullptr;
    return value;
}

SqlValue number(const std::optional<int>& value) {
    if (!value) return nullptr;
    return static_cast<std::int64_t>(*value);
}

std::string textAt(const SqlRow& row, std::size_t i) {
    return row.at(i).value_or("");
}

std::optional<int> numberAt(const SqlRow& row, std::size_t i) {
    if (!row.at(i)) return std::nullopt;
    return std::stoi(*row.at(i));
}

}  // namespace

RecordStore::RecordStore(SqlConnection& db) : db_(db) {
    try {
        createSchema();
    } catch (const SqlError&) {
        // Another station may have been creating the same tables at this moment; by now they
        // are there.
        createSchema();
    }
}

void RecordStore::createSchema() {
    db_.transaction([this] {
        for (const char* statement : kSchema) db_.execute(statement);
        const auto rows = db_.query("SELECT version FROM station_schema");
        if (rows.empty()) {
            db_.execute("INSERT INTO station_schema (version) VALUES (?)",
                        {static_cast<std::int64_t>(kSchemaVersion)});
            return;
        }
        const int version = numberAt(rows.front(), 0).value_or(0);
        if (version > kSchemaVersion)
            throw SqlError("the record database holds schema version " + std::to_string(version) +
                           ", newer than this program's " + std::to_string(kSchemaVersion));
    });
}

void RecordStore::beginRun(const RunRecord& run) {
    db_.execute(
        "INSERT INTO station_runs (id, station, operator, recipe, started) VALUES (?, ?, ?, ?, ?)",
        {run.id, run.station, run.operatorName, run.recipe, run.started});
}

void RecordStore::finishRun(const std::string& runId, const std::string& finished) {
    db_.execute("UPDATE station_runs SET finished = ? WHERE id = ?", {finished, runId});
}

void RecordStore::beginPosition(const PositionRecord& p) {
    db_.execute(
        "INSERT INTO station_positions (run_id, line, board, position, status, started)"
        " VALUES (?, ?, ?, ?, ?, ?)",
        {p.runId, p.line, static_cast<std::int64_t>(p.board), static_cast<std::int64_t>(p.position),
         p.status, p.started});
}

void RecordStore::identify(const PositionRecord& p) {
    db_.execute(
        "UPDATE station_positions SET serial = ?, platform = ?, part = ?"
        " WHERE run_id = ? AND line = ? AND position = ?",
        {text(p.serial), number(p.platform), number(p.part), p.runId, p.line,
         static_cast<std::int64_t>(p.position)});
}

void RecordStore::addStep(const PositionRecord& p, const StepRecord& s) {
    SqlValue passed = nullptr;
    if (s.passed) passed = static_cast<std::int64_t>(*s.passed ? 1 : 0);
    db_.execute(
        "INSERT INTO station_steps (run_id, line, position, step, kind, target, value_before,"
        " value_after, passed, error_number, error_text, started, finished)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {p.runId, p.line, static_cast<std::int64_t>(p.position), static_cast<std::int64_t>(s.index),
         s.kind, s.target, text(s.before), text(s.after), passed, number(s.errorNumber),
         text(s.errorText), s.started, s.finished});
}

void RecordStore::finishPosition(const PositionRecord& p) {
    db_.execute(
        "UPDATE station_positions SET serial = ?, platform = ?, part = ?, status = ?,"
        " error_number = ?, error_text = ?, finished = ?"
        " WHERE run_id = ? AND line = ? AND position = ?",
        {text(p.serial), number(p.platform), number(p.part), p.status, number(p.errorNumber),
         text(p.errorText), text(p.finished), p.runId, p.line,
         static_cast<std::int64_t>(p.position)});
}

std::vector<PositionReport> RecordStore::report(const ReportFilter& filter) {
    std::string sql =
        "SELECT r.id, r.station, r.operator, r.recipe, r.started, r.finished, p.line, p.board,"
        " p.position, p.serial, p.platform, p.part, p.status, p.error_number, p.error_text,"
        " p.started, p.finished FROM station_positions p JOIN station_runs r ON r.id = p.run_id"
        " WHERE 1 = 1";
    std::vector<SqlValue> params;
    if (!filter.since.empty()) {
        sql += " AND p.started >= ?";
        params.emplace_back(filter.since);
    }
    if (!filter.serial.empty()) {
        sql += " AND p.serial = ?";
        params.emplace_back(filter.serial);
    }
    if (filter.failedOnly) {
        sql += " AND p.status <> ?";
        params.emplace_back(std::string(kPassed));
    }
    sql += " ORDER BY p.started, p.line, p.position";
    std::vector<PositionReport> reports;
    for (const SqlRow& row : db_.query(sql, params)) {
        PositionReport r;
        r.run = {textAt(row, 0), textAt(row, 1), textAt(row, 2),
                 textAt(row, 3), textAt(row, 4), textAt(row, 5)};
        PositionRecord& p = r.position;
        p.runId = r.run.id;
        p.line = textAt(row, 6);
        p.board = numberAt(row, 7).value_or(0);
        p.position = numberAt(row, 8).value_or(0);
        p.serial = textAt(row, 9);
        p.platform = numberAt(row, 10);
        p.part = numberAt(row, 11);
        p.status = textAt(row, 12);
        p.errorNumber = numberAt(row, 13);
        p.errorText = textAt(row, 14);
        p.started = textAt(row, 15);
        p.finished = textAt(row, 16);
        const auto steps = db_.query(
            "SELECT step, kind, target, value_before, value_after, passed, error_number,"
            " error_text, started, finished FROM station_steps"
            " WHERE run_id = ? AND line = ? AND position = ? ORDER BY step",
            {p.runId, p.line, static_cast<std::int64_t>(p.position)});
        for (const SqlRow& s : steps) {
            StepRecord step;
            step.index = numberAt(s, 0).value_or(0);
            step.kind = textAt(s, 1);
            step.target = textAt(s, 2);
            step.before = textAt(s, 3);
            step.after = textAt(s, 4);
            if (const auto passed = numberAt(s, 5)) step.passed = *passed != 0;
            step.errorNumber = numberAt(s, 6);
            step.errorText = textAt(s, 7);
            step.started = textAt(s, 8);
            step.finished = textAt(s, 9);
            r.steps.push_back(std::move(step));
        }
        reports.push_back(std::move(r));
    }
    return reports;
}

std::string newRunId() {
    std::random_device random;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", random());
    // The start time first, so ids sort the way the runs happened.
    std::string time = kvcom3::utcTimestamp();
    std::erase_if(time, [](char c) { return c == '-' || c == ':' || c == '.'; });
    return time + "-" + digits;
}

}  // namespace station
