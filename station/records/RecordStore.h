#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/Records.h"
#include "records/SqlConnection.h"

namespace station {

// The rows a report selects: positions with their run, newest last.
struct ReportFilter {
    std::string since;  // ISO 8601 date or time, compared with the position's start
    std::string serial;
    bool failedOnly = false;  // failed and interrupted
};

struct PositionReport {
    RunRecord run;
    PositionRecord position;
    std::vector<StepRecord> steps;
};

// The production records over any SqlConnection: the schema (created and versioned on first
// use) and the statements that write and read it. Every statement is plain SQL with `?`
// placeholders that SQLite and PostgreSQL both take; times are ISO 8601 UTC text and ids are
// made here, so no database numbering is needed.
class RecordStore {
  public:
    // Creates the schema when the database has none; SqlError when it holds a newer one.
    explicit RecordStore(SqlConnection& db);

    static constexpr int kSchemaVersion = 1;

    void beginRun(const RunRecord& run);
    void finishRun(const std::string& runId, const std::string& finished);
    // The position's row goes in when it starts, so a worker that dies still leaves it.
    void beginPosition(const PositionRecord& position);
    void identify(const PositionRecord& position);
    void addStep(const PositionRecord& position, const StepRecord& step);
    void finishPosition(const PositionRecord& position);

    std::vector<PositionReport> report(const ReportFilter& filter);

  private:
    void createSchema();
    SqlConnection& db_;
};

// A new run id: the start time and random digits, unique across stations sharing a store.
std::string newRunId();

}  // namespace station
