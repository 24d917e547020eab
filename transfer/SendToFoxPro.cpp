#include "app/Dialogs.h"
#include "app/ErrorTrap.h"
#include "app/ListHelpers.h"
#include "app/Locations.h"
#include "db/Connection.h"
#include "db/Foxpro.h"
#include "db/Recordset.h"
#include "db/SybaseAse.h"
#include "transfer/CommandSupport.h"
#include "transfer/Commands.h"
#include "transfer/Datatype.h"
#include "transfer/SendCommand.h"

namespace transfer {

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
class SendToFoxPro : SendCommand {
public:
    explicit SendToFoxPro(TablesWindowSeam& window) : SendCommand(window, app::loc::Form2_PushButton4_Click) {}
    void run();

private:
    void sendTable(int index);
    bool createTable(const std::string& name);
    void sendRows(const std::string& name);
    void sendRow(const std::string& name, std::int32_t row);
    void appendValue(int field);
    void endTable(const std::string& name, bool created);
};

void SendToFoxPro::run()
{
    m_trap.step(100, [&] { m_target = std::make_unique<db::Connection>(); });
    m_trap.step(102, [&] { m_source = std::make_unique<db::Connection>(); });
    m_trap.step(104, [&] { m_rs = std::make_unique<db::Recordset>(); });
    if (!m_trap.test(108, [&] { return m_w.list2->currentRow() != -1; })) {
        m_trap.step(266, [] { app::MsgBox("Please select a table to send.", app::OkOnly); });
        return;
    }
    m_trap.step(110, [&] { m_w.setPointer(Hourglass); });
    m_trap.step(112, [&] { obj(m_source).CursorLocation = db::ado::UseClient; });
    m_trap.step(114, [&] { obj(m_source).Open(db::AseConnectionString(m_w.fields())); });
    m_trap.step(116, [&] { obj(m_target).CursorLocation = db::ado::UseServer; });
    const int openLine = m_trap.test(118, [&] { return m_w.fields().option1; }) ? 120 : 122;
    m_trap.step(openLine, [&] { obj(m_target).Open(db::FoxProConnectionString(m_w.fields())); });
    int lastIndex = -1;
    m_trap.step(124, [&] { lastIndex = m_w.list2->count() - 1; });
    for (int index = lastIndex; index >= 0; --index)
        sendTable(index);
    m_trap.step(260, [&] { m_w.setPointer(DefaultPointer); });
    m_trap.step(262, [&] { obj(m_target).Close(); });
    m_trap.step(264, [&] { obj(m_source).Close(); });
}

void SendToFoxPro::sendTable(int index)
{
    if (!m_trap.test(126, [&] { return itemAt(*m_w.list2, index).isSelected(); }))
        return;
    std::string name;
    m_trap.step(128, [&] { name = text(itemAt(*m_w.list2, index)); });
    if (!replaceExisting(*m_w.list1, name, foxProName, name))
        return;
    if (!openSource(name, aseName, -1, -1))
        return;
    const bool created = createTable(name);
    if (created)
        sendRows(name);
    endTable(name, created);
}

// FLOAT for adDouble, BLOB for adLongVarBinary, a memo for every other type. False when a name was refused.
bool SendToFoxPro::createTable(const std::string& name)
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
    m_trap.step(198, [&] { obj(m_target).Execute(m_statement); });
    return true;
}

void SendToFoxPro::sendRows(const std::string& name)
{
    m_trap.step(206, [&] { m_lastRow = static_cast<std::int32_t>(obj(m_rs).RecordCount() - 1); });
    for (std::int32_t row = 0; row <= m_lastRow && !rowsRanOut(m_rs); ++row)
        sendRow(name, row);
}

// One INSERT per row; a value that is Null or empty text goes as NULL, every other one quoted.
void SendToFoxPro::sendRow(const std::string& name, std::int32_t row)
{
    m_trap.step(210, [&] { m_yield(); });
    m_trap.step(212, [&] { m_w.progress->setValue(percent(row, m_lastRow)); });
    m_trap.step(214, [&] { m_statement = "INSERT INTO " + foxProName(name) + " VALUES('"; });
    int fieldCount = 0;
    m_trap.step(216, [&] { fieldCount = obj(m_rs).FieldCount(); });
    for (int f = 0; f < fieldCount; ++f)
        appendValue(f);
    m_trap.step(234, [&] { dropLast(m_statement, 3); });
    m_trap.step(236, [&] { m_statement += ")"; });
    m_trap.step(240, [&] { obj(m_target).Execute(m_statement); });
    m_trap.step(242, [&] { obj(m_rs).MoveNext(); });
}

void SendToFoxPro::appendValue(int field)
{
    m_trap.step(218, [&] { m_yield(); });
    std::string value;
    m_trap.step(220, [&] { value = app::NullToDefault(obj(m_rs).fields(field).value(), db::Value("")).toText(); });
    if (value.empty()) {                                     // 222
        m_trap.step(224, [&] { dropLast(m_statement, 1); }); // the opening quote left for this value
        m_trap.step(226, [&] { m_statement += "NULL, '"; });
    } else {
        m_trap.step(228, [&] { value = doubleQuotes(value); });
        m_trap.step(230, [&] { m_statement.append(value).append("', '"); });
    }
}

void SendToFoxPro::endTable(const std::string& name, bool created)
{
    m_trap.step(244, [&] { m_w.setPointer(DefaultPointer); });
    m_trap.step(246, [&] {
        m_w.progress->setValue(0);
        m_w.progress->setText(kProgressIdle);
    });
    m_trap.step(248, [&] { obj(m_rs).Close(); });
    if (created)
        m_trap.step(250, [&] { m_w.list1->addItem(qt(name)); });
}

} // namespace

void PushButton4_Click(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (!busy.entered())
        return;
    SendToFoxPro(window).run();
}

} // namespace transfer
