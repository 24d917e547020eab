#include "commands/AseConnection.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "commands/Datatype.h"
#include "commands/FoxProConnection.h"
#include "commands/SendCommand.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"
#include "frame/ListHelpers.h"
#include "frame/Locations.h"

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace commands {

namespace {

using namespace detail;

// The FoxPro column type for a source column, from the lower-cased ADO type name.
const char* foxProColumnType(const std::string& typeName)
{
    if (typeName.find("double") != std::string::npos)
        return " FLOAT,";
    if (typeName.find("adlongvarbinary") != std::string::npos)
        return " BLOB,";
    return " M,";
}

// Send Table/s To FoxPro: the mirror image of the send to ASE, with FoxPro column types and NULL for empty values.
class FoxProSend : SendCommand {
public:
    explicit FoxProSend(TablesWindowSeam& window) : SendCommand(window, frame::loc::Form2_PushButton4_Click) {}
    void run();

private:
    void sendTable(int index);
    bool writeCreate(const std::string& name);
    void sendRows(const std::string& name);
    void sendRow(const std::string& name, std::int32_t row);
    void insertRow(const std::string& name);
    void appendValue(int field);
    void endTable(const std::string& name, bool created);
};

void FoxProSend::run()
{
    m_trap.step(100, [&] { m_target = std::make_unique<db::Connection>(); });
    m_trap.step(102, [&] { m_source = std::make_unique<db::Connection>(); });
    m_trap.step(104, [&] { m_rs = std::make_unique<db::Recordset>(); });
    // The engine may hold the rows sent last in a group not yet written; whatever a box reports is on disk first.
    const frame::BeforeMessageBox commitFirst([this] {
        if (m_target)
            m_target->commitGroup();
    });
    if (!m_trap.test(108, [&] { return m_w.aseList->currentRow() != -1; })) {
        m_trap.step(266, [] { frame::MsgBox("Please select a table to send.", frame::OkOnly); });
        return;
    }
    m_trap.step(110, [&] { m_w.setPointer(frame::PointerState::Hourglass); });
    m_trap.step(112, [&] { obj(m_source).CursorLocation = db::CursorLocation::Client; });
    m_trap.step(114, [&] { obj(m_source).Open(aseConnectionString(m_w.fields())); });
    m_trap.step(116, [&] { obj(m_target).CursorLocation = db::CursorLocation::Server; });
    const int openLine = m_trap.test(118, [&] { return m_w.fields().useDbcFile; }) ? 120 : 122;
    m_trap.step(openLine, [&] { obj(m_target).Open(foxProConnectionString(m_w.fields())); });
    int lastIndex = -1;
    m_trap.step(124, [&] { lastIndex = m_w.aseList->count() - 1; });
    for (int index = lastIndex; index >= 0; --index)
        sendTable(index);
    m_trap.step(260, [&] { m_w.setPointer(frame::PointerState::Default); });
    m_trap.step(262, [&] { obj(m_target).Close(); });
    m_trap.step(264, [&] { obj(m_source).Close(); });
}

void FoxProSend::sendTable(int index)
{
    if (!m_trap.test(126, [&] { return m_w.aseList->isSelected(index); }))
        return;
    std::string name;
    m_trap.step(128, [&] { name = m_w.aseList->text(index); });
    tableBegun(name);
    bool replace = false;
    if (!askOverwrite(*m_w.foxProList, name, replace)) {
        tableEnded(SendObserver::Outcome::Kept);
        return;
    }
    if (!openSource(name, aseName, db::CursorType::Unspecified, db::LockType::Unspecified)) {
        tableEnded(SendObserver::Outcome::NotSent);
        return;
    }
    // What can refuse the table (its source, its names) comes before the DROP, so that "Yes" never costs the user
    // the table it was to replace for a table that cannot be sent.
    const bool created = writeCreate(name) &&
                         (!replace || dropReplaced(*m_w.foxProList, name, foxProName, name)) && // 138
                         createTable(198);
    if (created)
        sendRows(name);
    endTable(name, created);
    tableEnded(created ? SendObserver::Outcome::Created : SendObserver::Outcome::NotSent);
}

// The CREATE TABLE statement: FLOAT for adDouble, BLOB for adLongVarBinary, a memo for every other type. False when
// a name was refused: nothing is dropped or sent then.
bool FoxProSend::writeCreate(const std::string& name)
{
    if (!nameStep(m_trap, 146, [&] { m_statement = "CREATE TABLE " + foxProName(name) + "("; }))
        return false;
    int fieldCount = 0;
    m_trap.step(148, [&] { fieldCount = obj(m_rs).FieldCount(); });
    for (int col = 0; col < fieldCount; ++col) {
        m_trap.step(150, [&] { m_yield(); });
        std::string column;
        if (!nameStep(m_trap, 152, [&] { column = foxProName(obj(m_rs).fields(col).Name()); }))
            return false;
        std::string typeName;
        m_trap.step(154, [&] {
            typeName = db::toLowerAscii(AdoTypeName(static_cast<std::int16_t>(obj(m_rs).fields(col).Type())));
        });
        m_trap.step(156, [&] { m_statement += column + foxProColumnType(typeName); });
    }
    m_trap.step(192, [&] { dropLast(m_statement, 1); });
    m_trap.step(194, [&] { m_statement += ")"; });
    return true;
}

void FoxProSend::sendRows(const std::string& name)
{
    startRows();
    // The engine may write the rows in groups; the table's rows are all written before the next table.
    beginRowGroup(240);
    m_trap.step(206, [&] { m_lastRow = static_cast<std::int32_t>(obj(m_rs).RecordCount() - 1); });
    for (std::int32_t row = 0; row <= m_lastRow && !rowsRanOut(m_rs); ++row)
        sendRow(name, row);
    endRowGroup();
}

// One INSERT per row; a value that is Null or empty text goes as NULL, every other one quoted. A record whose read
// failed at the last move (reported there) is skipped: it has no values to send.
void FoxProSend::sendRow(const std::string& name, std::int32_t row)
{
    m_trap.step(210, [&] { m_yield(); });
    m_trap.step(212, [&] { m_w.progress->setValue(percent(row, m_lastRow)); });
    sendCurrentRow([&] { insertRow(name); });
    moveNext(242);
}

void FoxProSend::insertRow(const std::string& name)
{
    m_trap.step(214, [&] { m_statement = "INSERT INTO " + foxProName(name) + " VALUES('"; });
    int fieldCount = 0;
    m_trap.step(216, [&] { fieldCount = obj(m_rs).FieldCount(); });
    for (int f = 0; f < fieldCount; ++f)
        appendValue(f);
    m_trap.step(234, [&] { dropLast(m_statement, 3); });
    m_trap.step(236, [&] { m_statement += ")"; });
    m_trap.step(240, [&] { obj(m_target).Execute(m_statement); });
}

void FoxProSend::appendValue(int field)
{
    m_trap.step(218, [&] { m_yield(); });
    // A text value is read where the row holds it; only other values, and texts with quotes, are copied.
    std::string copy;
    std::string_view value;
    m_trap.step(220, [&] {
        const db::Value& v = obj(m_rs).fields(field).value();
        if (v.is<std::string>()) {
            value = v.get<std::string>();
        } else {
            copy = frame::NullToDefault(v, db::Value("")).toText();
            value = copy;
        }
    });
    if (value.empty()) {                                     // 222
        m_trap.step(224, [&] { dropLast(m_statement, 1); }); // the opening quote left for this value
        m_trap.step(226, [&] { m_statement += "NULL, '"; });
    } else {
        m_trap.step(228, [&] {
            if (value.find('\'') != std::string_view::npos) {
                copy = doubleQuotes(std::string(value));
                value = copy;
            }
        });
        m_trap.step(230, [&] { m_statement.append(value).append("', '"); });
    }
}

void FoxProSend::endTable(const std::string& name, bool created)
{
    m_trap.step(244, [&] { m_w.setPointer(frame::PointerState::Default); });
    m_trap.step(246, [&] {
        m_w.progress->setValue(0);
        m_w.progress->setText(kProgressIdle);
    });
    m_trap.step(248, [&] { obj(m_rs).Close(); });
    if (created)
        m_trap.step(250, [&] { m_w.foxProList->add(name); });
}

} // namespace

void sendToFoxPro(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (!busy.entered())
        return;
    FoxProSend(window).run();
}

} // namespace commands
