#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace station {

// One value bound to a statement's `?` placeholder, in the order the placeholders appear.
using SqlValue = std::variant<std::nullptr_t, std::int64_t, double, std::string>;

// One result row; a column is empty where the database holds NULL.
using SqlRow = std::vector<std::optional<std::string>>;

// A database the records can live in. The record store talks only to this, so SQLite and
// PostgreSQL share one schema, one set of statements and one report code; a backend only turns
// `?` placeholders and values into its own calls.
class SqlConnection {
  public:
    virtual ~SqlConnection() = default;

    virtual void execute(std::string_view sql, const std::vector<SqlValue>& params = {}) = 0;
    virtual std::vector<SqlRow> query(std::string_view sql,
                                      const std::vector<SqlValue>& params = {}) = 0;
    // Runs work inside one transaction; an exception from work rolls it back and is rethrown.
    virtual void transaction(const std::function<void()>& work) = 0;
    // "sqlite" or "postgresql", for the few statements whose spelling differs.
    [[nodiscard]] virtual std::string_view dialect() const = 0;
};

// A database that cannot be opened, read or written; what() names the location and the cause.
class SqlError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A file path (created with its folder if missing, WAL mode) or a postgresql:// URI.
std::unique_ptr<SqlConnection> openSqlite(const std::string& path);
std::unique_ptr<SqlConnection> openPostgres(const std::string& uri);

}  // namespace station
