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

    // Lines 130–142: asks before replacing a table the target list already holds, then drops it and takes it out
    // of the list (as `listed`). False when the table is to be left alone: the user keeps the existing one, or its
    // name cannot be sent.
    bool replaceExisting(frame::ListControl& target, const std::string& name, Delimit delimit,
                         const std::string& listed);

    // Line 144: opens "SELECT * FROM " and the delimited name on the source. False when it does not open (a refused
    // name included): the report says why and the next table goes on.
    bool openSource(const std::string& name, Delimit delimit, db::CursorType cursorType, db::LockType lockType);

    TablesWindowSeam& m_w;
    std::string m_statement; // the CREATE TABLE or INSERT built last, shown after "sql: " in every report
    frame::ErrorTrap m_trap;
    Yielder m_yield;
    std::unique_ptr<db::Connection> m_target;
    std::unique_ptr<db::Connection> m_source;
    std::unique_ptr<db::Recordset> m_rs;
    std::int32_t m_lastRow = 0;
};

} // namespace commands::detail
