// The records' PostgreSQL backend against a real server: under ctest the one the test fixture
// starts, named by KV_TEST_POSTGRES_URI.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "records/SqlConnection.h"

namespace {

using station::SqlConnection;
using station::SqlError;
using station::SqlRow;
using station::SqlValue;
using Text = std::optional<std::string>;

struct Stopped {};

class PostgresConnection : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* uri = std::getenv("KV_TEST_POSTGRES_URI");
        if (uri == nullptr)
            GTEST_SKIP() << "KV_TEST_POSTGRES_URI is not set; ctest starts a PostgreSQL server "
                            "and sets it (ctest -L station)";
        m_uri = uri;
        m_db = station::openPostgres(m_uri);
        // A schema per test and process: runs side by side never share a table.
        m_schema = std::string("kv_") +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                   std::to_string(::getpid());
        m_db->execute("DROP SCHEMA IF EXISTS " + m_schema + " CASCADE; CREATE SCHEMA " + m_schema);
    }
    void TearDown() override {
        if (m_db) m_db->execute("DROP SCHEMA " + m_schema + " CASCADE");
    }

    std::string table(const std::string& name) const { return m_schema + "." + name; }

    std::string m_uri;
    std::string m_schema;
    std::unique_ptr<SqlConnection> m_db;
};

TEST_F(PostgresConnection, EachValueKindRoundTripsThroughATypedColumn) {
    const auto values = table("v");
    m_db->execute("CREATE TABLE " + values +
                  " (k BIGINT PRIMARY KEY, i BIGINT, d DOUBLE PRECISION, t TEXT)");
    struct Case {
        const char* column;
        SqlValue value;
        Text stored;
    };
    const std::string odd = "it's a \"?\" -- not a comment, 23.5 \u00b0C";
    const std::vector<Case> cases{
        {"i", std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
        {"i", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
        {"i", nullptr, std::nullopt},
        {"d", 0.1, "0.1"},
        {"d", -2.5e-300, "-2.5e-300"},
        {"d", nullptr, std::nullopt},
        {"t", odd, odd},
        {"t", std::string(), ""},
        {"t", nullptr, std::nullopt},
    };
    for (std::int64_t k = 0; k < std::ssize(cases); ++k) {
        const auto& c = cases[k];
        SCOPED_TRACE(std::string(c.column) + " case " + std::to_string(k));
        m_db->execute("INSERT INTO " + values + " (k, " + c.column + ") VALUES (?, ?)",
                      {k, c.value});
        EXPECT_EQ(m_db->query(
                      "SELECT " + std::string(c.column) + " FROM " + values + " WHERE k = ?", {k}),
                  std::vector<SqlRow>{SqlRow{c.stored}});
    }
}

TEST_F(PostgresConnection, OnlyPlaceholdersOutsideQuotesAndCommentsAreBound) {
    struct Case {
        const char* sql;
        std::vector<SqlValue> params;
        SqlRow row;
    };
    const std::vector<Case> cases{
        {"SELECT 'why?', ?::text", {std::string("a")}, {"why?", "a"}},
        {"SELECT 'it''s ?', ?::bigint, ?::text",
         {std::int64_t{7}, std::string("b")},
         {"it's ?", "7", "b"}},
        {"SELECT ?::text AS \"what?\" -- one ? more\n", {std::string("c")}, {"c"}},
        {"SELECT /* ? */ ?::text || ?::text", {std::string("d"), std::string("e")}, {"de"}},
        {"SELECT 1; SELECT 'no parameters?'", {}, {"no parameters?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(m_db->query(c.sql, c.params), std::vector<SqlRow>{c.row});
    }
}

TEST_F(PostgresConnection, ATransactionKeepsAllOrNothing) {
    const auto kept = table("kept");
    m_db->execute("CREATE TABLE " + kept + " (n BIGINT)");
    const auto insert = [&](std::int64_t n) {
        m_db->execute("INSERT INTO " + kept + " (n) VALUES (?)", {n});
    };
    const auto rows = [&] { return m_db->query("SELECT n FROM " + kept + " ORDER BY n"); };

    // The work's own exception comes back unchanged.
    EXPECT_THROW(m_db->transaction([&] {
        insert(1);
        insert(2);
        throw Stopped{};
    }),
                 Stopped);
    EXPECT_EQ(rows(), std::vector<SqlRow>{});

    EXPECT_THROW(m_db->transaction([&] {
        insert(1);
        m_db->execute("INSERT INTO " + table("nowhere") + " (n) VALUES (1)");
    }),
                 SqlError);
    EXPECT_EQ(rows(), std::vector<SqlRow>{});

    // An inner transaction that fails takes only its own work with it.
    m_db->transaction([&] {
        insert(1);
        EXPECT_THROW(m_db->transaction([&] {
            insert(2);
            throw Stopped{};
        }),
                     Stopped);
        insert(3);
    });
    EXPECT_EQ(rows(), (std::vector<SqlRow>{{"1"}, {"3"}}));
}

TEST_F(PostgresConnection, EveryFailureIsAnSqlErrorNamingTheDatabase) {
    const std::filesystem::path quiet =
        std::filesystem::temp_directory_path() / ("kv-pg-nobody-" + std::to_string(::getpid()));
    std::filesystem::create_directories(quiet);
    const auto name = m_uri.find("/kvtest?");
    ASSERT_NE(name, std::string::npos) << "expects the test server's URI, not " << m_uri;
    const std::string database = m_uri.substr(0, name) + "/kv_no_such_db" + m_uri.substr(name + 7);
    const auto lost = station::openPostgres(m_uri);
    struct Case {
        const char* what;
        std::function<void()> fail;
        std::string named;
        std::string cause;
    };
    const std::vector<Case> cases{
        {"a statement the server rejects", [&] { m_db->execute("SELEC 1"); }, m_uri, "SELEC"},
        {"a missing table", [&] { m_db->query("SELECT * FROM " + table("missing")); }, m_uri,
         "missing"},
        {"too few values", [&] { m_db->query("SELECT ?::text, ?::text", {std::string("1")}); },
         m_uri, "requires 2"},
        {"text with a NUL byte", [&] { m_db->query("SELECT ?::text", {std::string("a\0b", 3)}); },
         m_uri, "NUL"},
        {"a lost connection",
         [&] {
             const auto pid = lost->query("SELECT pg_backend_pid()").at(0).at(0).value();
             m_db->execute("SELECT pg_terminate_backend(?::int, 5000)", {std::stoll(pid)});
             lost->query("SELECT 1");
         },
         m_uri, "connection lost: "},
        {"a database that does not exist", [&] { station::openPostgres(database); }, database,
         "kv_no_such_db"},
        {"nothing listening on the socket",
         [&] {
             station::openPostgres("postgresql://kvtest:hunter2@/kvtest?host=" + quiet.string() +
                                   "&password=hunter2");
         },
         "postgresql://kvtest@/kvtest?host=" + quiet.string(), quiet.string()},
        {"not a URI", [] { station::openPostgres("host=/tmp password=hunter2"); }, "PostgreSQL",
         "postgresql://"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.fail();
            ADD_FAILURE() << "no error";
        } catch (const SqlError& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message.starts_with(c.named)) << message;
            EXPECT_NE(message.find(c.cause, c.named.size()), std::string::npos) << message;
            EXPECT_EQ(message.find("hunter2"), std::string::npos) << message;
        }
    }
    std::filesystem::remove(quiet);
    // The lost session is opened afresh for the next statement.
    EXPECT_EQ(lost->query("SELECT 1"), std::vector<SqlRow>{{"1"}});
}

TEST_F(PostgresConnection, TwoConnectionsWriteSideBySide) {
    const auto log = table("log");
    m_db->execute("CREATE TABLE " + log + " (station TEXT, n BIGINT)");
    const auto other = station::openPostgres(m_uri);
    const auto insert = [&](SqlConnection& db, const char* station, std::int64_t n) {
        db.execute("INSERT INTO " + log + " (station, n) VALUES (?, ?)", {std::string(station), n});
    };
    const std::string count = "SELECT count(*) FROM " + log;
    m_db->transaction([&] {
        insert(*m_db, "a", 1);
        insert(*other, "b", 1);
        insert(*m_db, "a", 2);
        // The other connection sees its own row, not the open transaction's.
        EXPECT_EQ(other->query(count), std::vector<SqlRow>{{"1"}});
        EXPECT_EQ(m_db->query(count), std::vector<SqlRow>{{"3"}});
    });
    EXPECT_EQ(other->query(count), std::vector<SqlRow>{{"3"}});
    EXPECT_EQ(m_db->dialect(), "postgresql");
}

}  // namespace
