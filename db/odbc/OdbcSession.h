#pragma once

#include "db/Provider.h"
#include "db/odbc/OdbcConnect.h"
#include "db/odbc/ServerCharset.h"

#include <functional>
#include <memory>
#include <string>

namespace db::odbc {

// The statement that counts the rows of a query before they are read: "SELECT * FROM <table>" becomes
// "SELECT COUNT(*) FROM <table>"; anything else is counted as a derived table with an alias, which both ASE
// and SQLite accept.
std::string countStatement(const std::string& sql);

// An open ASEOLEDB session: statements one at a time in autocommit, rows streamed with an exact count first.
// Rows may be read through a second connection of their own (`openReader`, opened at the first query); without
// one they come through the session's connection.
class OdbcSession : public ProviderConnection {
public:
    using ReaderFactory = std::function<std::unique_ptr<OdbcLink>()>;

    OdbcSession(std::shared_ptr<OdbcLink> link, bool standIn, ReaderFactory openReader = {})
        : m_link(std::move(link)), m_standIn(standIn), m_openReader(std::move(openReader))
    {
    }

    void execute(const std::string& sql) override;
    std::optional<UnstorableCharacter> findUnstorable(const std::string& text) const override;
    // Asks the server for the connection's character set (ASE only; the stand-in stores UTF-8 as it is).
    void learnCharset();
    std::unique_ptr<Cursor> query(const std::string& sql) override;
    std::unique_ptr<Cursor> tablesSchema() override;

private:
    long long countRows(const std::string& sql);

    std::shared_ptr<OdbcLink> m_link;
    bool m_standIn;
    ReaderFactory m_openReader;
    std::shared_ptr<OdbcLink> m_reader;
    std::optional<ServerCharset> m_charset;
};

} // namespace db::odbc
