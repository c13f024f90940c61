// The records' PostgreSQL backend: libpqxx behind the SqlConnection seam.
#include <array>
#include <charconv>
#include <memory>
#include <optional>
#include <pqxx/connection>
#include <pqxx/errorhandler>
#include <pqxx/nontransaction>
#include <pqxx/prepared_statement>
#include <pqxx/result>
#include <pqxx/transaction>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "records/Placeholders.h"
#include "records/PostgresUri.h"
#include "records/SqlConnection.h"

namespace station {

namespace {

constexpr int kConnectTimeoutSeconds = 10;

std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return text;
}

// Values go to the server as text and take the type of the column or cast they meet there.
std::optional<std::string> asText(const SqlValue& value) {
    return std::visit(
        [](const auto& v) -> std::optional<std::string> {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::nullptr_t>) {
                return std::nullopt;
            } else if constexpr (std::is_same_v<T, double>) {
                std::array<char, 32> text{};
                const auto end = std::to_chars(text.data(), text.data() + text.size(), v).ptr;
                return std::string(text.data(), end);
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                return std::to_string(v);
            } else {
                return v;
            }
        },
        value);
}

// What the server says outside a statement's result is kept rather than written to stderr:
// notices ("already exists, skipping") mean nothing to the station, and a server that ends the
// session says why only this way.
class LastWord final : public pqxx::errorhandler {
  public:
    using pqxx::errorhandler::errorhandler;
    bool operator()(const char message[]) noexcept override {
        try {
            m_text = message;
        } catch (const std::bad_alloc&) {
            m_text.clear();
        }
        return false;
    }
    std::string take() { return trimmed(std::exchange(m_text, {})); }

  private:
    std::string m_text;
};

struct Session {
    explicit Session(const std::string& uri) : connection(uri) {}
    pqxx::connection connection;
    LastWord lastWord{connection};
};

class PostgresConnection final : public SqlConnection {
  public:
    explicit PostgresConnection(const std::string& uri)
        : m_uri(withConnectTimeout(uri, kConnectTimeoutSeconds)), m_database(withoutPassword(uri)) {
        guarded([&] { m_session = std::make_unique<Session>(m_uri); });
    }

    void execute(std::string_view sql, const std::vector<SqlValue>& params) override {
        run(sql, params);
    }

    std::vector<SqlRow> query(std::string_view sql, const std::vector<SqlValue>& params) override {
        const pqxx::result result = run(sql, params);
        std::vector<SqlRow> rows;
        rows.reserve(result.size());
        for (const auto& row : result) {
            SqlRow& values = rows.emplace_back();
            values.reserve(row.size());
            for (const auto& field : row) {
                if (field.is_null())
                    values.emplace_back();
                else
                    values.emplace_back(std::in_place, field.c_str(), field.size());
            }
        }
        return rows;
    }

    void transaction(const std::function<void()>& work) override {
        if (m_work) return nested(work);
        m_work = guarded([&] { return std::make_unique<pqxx::work>(live()); });
        try {
            work();
        } catch (...) {
            // Destroying the uncommitted transaction rolls it back.
            m_work.reset();
            throw;
        }
        const auto done = std::move(m_work);
        guarded([&] { done->commit(); });
    }

    [[nodiscard]] std::string_view dialect() const override { return "postgresql"; }

  private:
    template <typename Work>
    auto guarded(Work&& work) -> decltype(work()) {
        try {
            return work();
        } catch (const std::exception& failure) {
            throw SqlError(m_database + ": " + explain(failure));
        }
    }

    // A session that closed under a statement is said to be lost, with the server's reason when
    // it gave one.
    std::string explain(const std::exception& failure) {
        if (!m_session || m_session->connection.is_open()) return trimmed(failure.what());
        const std::string said = m_session->lastWord.take();
        return "connection lost: " + (said.empty() ? trimmed(failure.what()) : said);
    }

    // The session, opened afresh when the last one was lost. libpqxx would reopen it on its own,
    // but its first attempt fails without a reason.
    pqxx::connection& live() {
        if (!m_session->connection.is_open()) m_session = std::make_unique<Session>(m_uri);
        return m_session->connection;
    }

    // A transaction opened inside another is a savepoint, so the inner one's failure can be
    // caught without losing the outer one's work. Savepoints of one name nest: each rollback or
    // release meets the latest.
    void nested(const std::function<void()>& work) {
        run("SAVEPOINT kv_nested", {});
        try {
            work();
        } catch (...) {
            // A rollback that fails leaves the outer transaction failed, and its commit says so.
            try {
                run("ROLLBACK TO SAVEPOINT kv_nested; RELEASE SAVEPOINT kv_nested", {});
            } catch (const SqlError&) {
            }
            throw;
        }
        run("RELEASE SAVEPOINT kv_nested", {});
    }

    pqxx::result run(std::string_view sql, const std::vector<SqlValue>& params) {
        std::vector<std::optional<std::string>> texts;
        texts.reserve(params.size());
        for (const auto& param : params) {
            texts.push_back(asText(param));
            // libpq passes text as C strings: a NUL would cut it short without a word.
            if (texts.back() && texts.back()->find('\0') != std::string::npos)
                throw SqlError(m_database + ": text with a NUL byte cannot be stored");
        }
        std::vector<const char*> values;
        values.reserve(texts.size());
        for (const auto& text : texts) values.push_back(text ? text->c_str() : nullptr);
        // Without parameters the statement goes as it is, so one call may hold several.
        const std::string statement = params.empty() ? std::string(sql) : numberPlaceholders(sql);
        const auto exec = [&](pqxx::transaction_base& in) {
            if (params.empty()) return in.exec(statement);
            return in.exec_params(statement, pqxx::prepare::make_dynamic_params(values));
        };
        return guarded([&] {
            m_session->lastWord.take();
            if (m_work) return exec(*m_work);
            pqxx::nontransaction alone{live()};
            pqxx::result result = exec(alone);
            alone.commit();
            return result;
        });
    }

    const std::string m_uri;       // as given, with a connect timeout
    const std::string m_database;  // as given, without its password: for messages
    std::unique_ptr<Session> m_session;
    std::unique_ptr<pqxx::work> m_work;  // the open transaction, if any
};

}  // namespace

std::unique_ptr<SqlConnection> openPostgres(const std::string& uri) {
    if (!isPostgresUri(uri))
        throw SqlError("PostgreSQL records need a postgresql:// or postgres:// URI");
    return std::make_unique<PostgresConnection>(uri);
}

}  // namespace station
