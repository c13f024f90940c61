#pragma once

#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "records/SqlConnection.h"
#include "util/Subprocess.h"

namespace station_test {

// kvstation with these arguments, killed after two minutes at the latest.
inline kvtest::RunResult kvstation(const std::vector<std::string>& args) {
    std::vector<std::string> argv{KVSTATION_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return kvtest::run(argv, std::chrono::minutes(2));
}

// Where a test keeps its records: a fresh SQLite file, or a fresh PostgreSQL schema of the
// server KV_TEST_POSTGRES_URI names, so no two tests see each other's rows.
inline std::string freshDatabase(const std::string& kind, const std::string& folder) {
    if (kind == "sqlite") return folder + "/records/station.db";
    const char* uri = std::getenv("KV_TEST_POSTGRES_URI");
    if (!uri || !*uri) return {};
    std::random_device random;
    const std::string schema = "station_test_" + std::to_string(random());
    station::openPostgres(uri)->execute("CREATE SCHEMA " + schema);
    const std::string base = uri;
    return base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" +
           schema;
}

}  // namespace station_test
