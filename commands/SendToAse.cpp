#include "commands/AseConnection.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "commands/FoxProConnection.h"
#include "commands/SendCommand.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"
#include "frame/ListHelpers.h"
#include "frame/Locations.h"

#include <exception>
#include <utility>

namespace commands {

namespace {

using namespace detail;

// Send Table/s To Sybase ASE. Each step carries the line number its error report shows; the statement text
// (the CREATE TABLE or INSERT built last) follows "sql: " in every report.
class AseSend : SendCommand {
public:
    explicit AseSend(TablesWindowSeam& window) : SendCommand(window, frame::loc::Form2_PushButton3_Click) {}
    void run();

private:
    void sendTable(int index);
    bool writeCreate(const std::string& name);
    void sendRows(const std::string& name);
    void sendRow(const std::string& name, std::int32_t row);
    void insertRow(const std::string& name);
    void endTable(const std::string& name, bool created);
};

void AseSend::run()
{
    m_trap.step(100, [&] { m_target = std::make_unique<db::Connection>(); });
    m_trap.step(102, [&] { m_source = std::make_unique<db::Connection>(); });
    m_trap.step(104, [&] { m_rs = std::make_unique<db::Recordset>(); });
    // The server may hold the rows sent last in a group not yet committed; whatever a box reports is on disk first.
    const frame::BeforeMessageBox commitFirst([this] {
        if (m_target)
            m_target->commitGroup();
    });
    if (!m_trap.test(106, [&] { return m_w.foxProList->currentRow() != -1; })) {
        m_trap.step(264, [] { frame::MsgBox("Please select a table", frame::OkOnly); });
        return;
    }
    m_trap.step(108, [&] { m_w.setPointer(frame::PointerState::Hourglass); });
    m_trap.step(110, [&] { obj(m_target).CursorLocation = db::CursorLocation::Server; });
    m_trap.step(112, [&] { obj(m_target).Open(aseConnectionString(m_w.fields())); });
    m_trap.step(114, [&] { obj(m_source).CursorLocation = db::CursorLocation::Client; });
    const int openLine = m_trap.test(116, [&] { return m_w.fields().useDbcFile; }) ? 118 : 120;
    m_trap.step(openLine, [&] { obj(m_source).Open(foxProConnectionString(m_w.fields())); });
    int lastIndex = -1;
    m_trap.step(122, [&] { lastIndex = m_w.foxProList->count() - 1; });
    for (int index = lastIndex; index >= 0; --index)
        sendTable(index);
    m_trap.step(258, [&] { obj(m_source).Close(); });
    m_trap.step(260, [&] { obj(m_target).Close(); });
    m_trap.step(262, [&] { m_w.setPointer(frame::PointerState::Default); });
}

void AseSend::sendTable(int index)
{
    m_trap.step(124, [&] { m_yield(); });
    if (!m_trap.test(126, [&] { return m_w.foxProList->isSelected(index); }))
        return;
    std::string name;
    m_trap.step(128, [&] { name = m_w.foxProList->text(index); });
    tableBegun(name);
    bool replace = false;
    if (!askOverwrite(*m_w.aseList, name, replace)) {
        tableEnded(SendObserver::Outcome::Kept);
        return;
    }
    if (!openSource(name, foxProName, db::CursorType::Static, db::LockType::Optimistic)) {
        tableEnded(SendObserver::Outcome::NotSent);
        return;
    }
    // What can refuse the table (its source, its names) comes before the DROP, so that "Yes" never costs the user
    // the table it was to replace for a table that cannot be sent.
    const bool created = writeCreate(name) &&
                         (!replace || dropReplaced(*m_w.aseList, name, aseName, frame::lowerText(name))) && // 138
                         createTable(196);
    if (created)
        sendRows(name);
    endTable(name, created);
    tableEnded(created ? SendObserver::Outcome::Created : SendObserver::Outcome::NotSent);
}

// The CREATE TABLE statement, every column TEXT whatever its type in the source. False when a name was refused:
// nothing is dropped or sent then.
bool AseSend::writeCreate(const std::string& name)
{
    if (!nameStep(m_trap, 146, [&] { m_statement = "CREATE TABLE " + aseName(name) + "("; }))
        return false;
    int fieldCount = 0;
    m_trap.step(150, [&] { fieldCount = obj(m_rs).FieldCount(); });
    for (int col = 0; col < fieldCount; ++col) {
        m_trap.step(152, [&] { m_yield(); });
        std::string column;
        if (!nameStep(m_trap, 154, [&] { column = aseName(obj(m_rs).fields(col).Name()); }))
            return false;
        m_trap.step(160, [&] { m_statement += column + " TEXT,"; });
    }
    m_trap.step(190, [&] { dropLast(m_statement, 1); });
    m_trap.step(192, [&] { m_statement += ")"; });
    return true;
}

void AseSend::sendRows(const std::string& name)
{
    startRows();
    // The server may commit the rows in groups; the table's rows are all committed before the next table.
    beginRowGroup(238);
    m_trap.step(204, [&] { m_lastRow = static_cast<std::int32_t>(obj(m_rs).RecordCount() - 1); });
    if (m_trap.test(206, [&] { return !obj(m_rs).Eof(); }))
        for (std::int32_t row = 0; row <= m_lastRow && !rowsRanOut(m_rs); ++row)
            sendRow(name, row);
    endRowGroup();
}

// One INSERT per row; every value quoted, Null as ''. A record whose read failed at the last move (reported there)
// is skipped: it has no values to send.
void AseSend::sendRow(const std::string& name, std::int32_t row)
{
    m_trap.step(212, [&] { m_yield(); });
    m_trap.step(216, [&] { m_w.progress->setValue(percent(row, m_lastRow)); });
    sendCurrentRow([&] { insertRow(name); });
    moveNext(240);
}

void AseSend::insertRow(const std::string& name)
{
    m_trap.step(218, [&] { m_statement = "INSERT INTO " + aseName(name) + " VALUES('"; });
    int fieldCount = 0;
    m_trap.step(220, [&] { fieldCount = obj(m_rs).FieldCount(); });
    for (int f = 0; f < fieldCount; ++f) {
        m_trap.step(222, [&] { m_yield(); });
        std::string value;
        m_trap.step(224, [&] { value = frame::NullToDefault(obj(m_rs).fields(f).value(), db::Value("")).toText(); });
        // A character the server's set lacks would make the driver cut the statement there: the row is refused
        // whole instead, naming the column, and nothing of it is sent.
        const bool storable = stepSucceeded(m_trap, 226, [&] {
            if (const auto refused = obj(m_target).findUnstorable(value))
                throw std::runtime_error("The server's character set " + refused->charset +
                                         " cannot store the character \"" + refused->character + "\" of column " +
                                         obj(m_rs).fields(f).Name() + "; the row was not sent.");
            value = aseQuotes(value);
        });
        if (!storable)
            return;
        m_trap.step(228, [&] { m_statement.append(value).append("', '"); });
    }
    m_trap.step(232, [&] { dropLast(m_statement, 3); });
    m_trap.step(234, [&] { m_statement += ")"; });
    m_trap.step(238, [&] { obj(m_target).Execute(m_statement); });
}

void AseSend::endTable(const std::string& name, bool created)
{
    m_trap.step(242, [&] { m_w.setPointer(frame::PointerState::Default); });
    m_trap.step(244, [&] {
        m_w.progress->setValue(0);
        m_w.progress->setText(kProgressIdle);
    });
    m_trap.step(246, [&] { obj(m_rs).Close(); });
    if (created)
        m_trap.step(248, [&] { m_w.aseList->add(frame::lowerText(name)); });
}

} // namespace

void sendToAse(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (!busy.entered())
        return;
    AseSend(window).run();
}

} // namespace commands
