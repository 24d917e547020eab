#pragma once

#include "commands/TablesWindowSeam.h"
#include "commands/Yielder.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "frame/ErrorTrap.h"
#include "frame/WindowControls.h"

#include <cstdint>
#include <memory>
#include <string>

namespace commands::detail {

// What the two sends share: their state, and the steps that are the same in both directions (same line numbers).
// Each direction keeps its own step list for the rest.
class SendCommand {
protected:
    using Delimit = std::string (*)(const std::string&);

    SendCommand(TablesWindowSeam& window, const char* location)
        : m_w(window), m_trap(location, &m_statement), m_yield(window.yield)
    {
    }

    // Lines 130–136: asks before replacing a table the target list already holds. False when the user keeps the
    // existing one; `replace` tells whether the user agreed to replace it.
    bool askOverwrite(frame::ListControl& target, const std::string& name, bool& replace);

    // Line 144: opens "SELECT * FROM " and the delimited name on the source. False when it does not open (a refused
    // name included): the report says why and the next table goes on.
    bool openSource(const std::string& name, Delimit delimit, db::CursorType cursorType, db::LockType lockType);

    // Lines 138–142: drops the table the user agreed to replace and takes it out of the list (as `listed`). The
    // sends call it only once the new table can be built: the source is open and the CREATE TABLE statement is
    // written with every name accepted, so a table that cannot be sent never costs the one it was to replace.
    // False when the DROP fails: the table and its entry stay, and nothing is sent for it.
    bool dropReplaced(frame::ListControl& target, const std::string& name, Delimit delimit, const std::string& listed);

    // Runs the CREATE TABLE statement at `line`. False when it fails: no row is sent and no entry added then,
    // because the rows would go into whatever table of that name is there (one the list hides, or one made since
    // the listing).
    bool createTable(int line);

    // Line `line`: moves to the next row. A row that cannot be read is reported there once and then skipped:
    // unreadRow() tells the row loop that there is nothing to send this time round.
    void moveNext(int line);
    bool unreadRow() const { return m_rowUnread; }
    void startRows() { m_rowUnread = false; }

    // What the seam's send observer, when there is one, is told of each table and row.
    void tableBegun(const std::string& name) const;
    void tableEnded(SendObserver::Outcome outcome) const;
    // Sends the current row through `insert` unless its read failed at the last move (reported there: it has no
    // values to send), and tells the observer whether anything about the row was reported.
    template <class Insert> void sendCurrentRow(Insert insert)
    {
        const bool unread = unreadRow();
        const int reports = rowReports();
        if (!unread)
            insert();
        rowDone(unread || rowReports() != reports);
    }

    // The target may hold a table's rows in a group (see db::Connection::beginGroup) from beginRowGroup() to
    // endRowGroup(). A row that fails after its own Execute returned (sent with others, or run again on its own
    // after its group was lost) is reported at `insertLine`, as its INSERT is, with its own statement.
    void beginRowGroup(int insertLine);
    void endRowGroup();

    TablesWindowSeam& m_w;
    std::string m_statement; // the CREATE TABLE or INSERT built last, shown after "sql: " in every report
    frame::ErrorTrap m_trap;
    Yielder m_yield;
    std::unique_ptr<db::Connection> m_target;
    std::unique_ptr<db::Connection> m_source;
    std::unique_ptr<db::Recordset> m_rs;
    std::int32_t m_lastRow = 0;
    bool m_rowUnread = false; // the last move failed to read its row
    int m_replayedFailures = 0;

private:
    // The reports so far that can concern the current row (not those of rows of an earlier group run again).
    int rowReports() const { return m_trap.failures() - m_replayedFailures; }
    void rowDone(bool failed) const;
    void reportGroupRow(int insertLine, const std::string& sql, const std::exception_ptr& error);
};

} // namespace commands::detail
