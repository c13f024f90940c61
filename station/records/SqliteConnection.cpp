#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>
#include <system_error>

#include "records/SqlConnection.h"

namespace station {

namespace {

// Long enough for the other lines' workers to finish their short writes.
constexpr int kBusyTimeoutMs = 30000;

class SqliteConnection final : public SqlConnection {
  public:
    explicit SqliteConnection(const std::string& path)
        : path_(path), db_(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs) {
        // WAL lets every line's worker write while the others read and write.
        db_.exec("PRAGMA journal_mode=WAL");
        db_.exec("PRAGMA synchronous=NORMAL");
    }

    void execute(std::string_view sql, const std::vector<SqlValue>& params) override {
        guarded([&] {
            SQLite::Statement statement = prepare(sql, params);
            statement.exec();
        });
    }

    std::vector<SqlRow> query(std::string_view sql, const std::vector<SqlValue>& params) override {
        std::vector<SqlRow> rows;
        guarded([&] {
            SQLite::Statement statement = prepare(sql, params);
            while (statement.executeStep()) {
                SqlRow row;
                for (int i = 0; i < statement.getColumnCount(); ++i) {
                    const SQLite::Column column = statement.getColumn(i);
                    if (column.isNull())
                        row.emplace_back();
                    else
                        row.emplace_back(column.getString());
                }
                rows.push_back(std::move(row));
            }
        });
        return rows;
    }

    void transaction(const std::function<void()>& work) override {
        // IMMEDIATE takes the write lock at once, so two workers never both read and then
        // fail to upgrade.
        guarded([&] { db_.exec("BEGIN IMMEDIATE"); });
        try {
            work();
            guarded([&] { db_.exec("COMMIT"); });
        } catch (...) {
            try {
                db_.exec("ROLLBACK");
            } catch (const SQLite::Exception&) {
                // The transaction is gone already; the first failure is the one to report.
            }
            throw;
        }
    }

    std::string_view dialect() const override { return "sqlite"; }

  private:
    SQLite::Statement prepare(std::string_view sql, const std::vector<SqlValue>& params) {
        SQLite::Statement statement(db_, std::string(sql));
        int index = 1;
        for (const SqlValue& value : params) {
            std::visit(
                [&](const auto& v) {
                    using T = std::decay_t<decltype(v)>;
                    if constexpr (std::is_same_v<T, std::nullptr_t>)
                        statement.bind(index);
                    else if constexpr (std::is_same_v<T, std::int64_t>)
                        statement.bind(index, static_cast<int64_t>(v));
                    else
                        statement.bind(index, v);
                },
                value);
            ++index;
        }
        return statement;
    }

    template <class Work>
    void guarded(Work&& work) {
        try {
            work();
        } catch (const SQLite::Exception& e) {
            throw SqlError("record database " + path_ + ": " + e.what());
        }
    }

    std::string path_;
    SQLite::Database db_;
};

}  // namespace

std::unique_ptr<SqlConnection> openSqlite(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    if (error)
        throw SqlError("record database " + path + ": cannot create " + folder.string() + ": " +
                       error.message());
    try {
        return std::make_unique<SqliteConnection>(path);
    } catch (const SQLite::Exception& e) {
        throw SqlError("record database " + path + ": " + e.what());
    }
}

}  // namespace station
