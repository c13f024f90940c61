#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "records/RecordStore.h"

namespace station {

enum class ReportFormat { Text, Csv, Json };

// The positions of a report: text is a line per position (with `steps`, each step indented
// under it); csv a header and a row per step of each position (a position without steps
// gets one row with empty step columns); json one array of positions, each with its steps.
void writeReport(const std::vector<PositionReport>& rows, ReportFormat format, bool steps,
                 std::ostream& out);

}  // namespace station
