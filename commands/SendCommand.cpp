#include "commands/SendCommand.h"

#include "commands/CommandSupport.h"
#include "frame/Dialogs.h"
#include "frame/ListHelpers.h"

#include <exception>
#include <utility>

namespace commands::detail {

bool SendCommand::askOverwrite(frame::ListControl& target, const std::string& name, bool& replace)
{
    int answer = 0;
    if (m_trap.test(130, [&] { return frame::ListContains(target, name); }))
        m_trap.step(132, [&] {
            answer = frame::MsgBox("Would you like to overwrite " + name + "?", frame::YesNo, "Overwrite?");
        });
    else
        m_trap.step(134, [&] { answer = 0; });
    replace = answer == frame::AnswerYes;
    return answer != frame::AnswerNo; // 136
}

bool SendCommand::dropReplaced(frame::ListControl& target, const std::string& name, Delimit delimit,
                               const std::string& listed)
{
    if (!stepSucceeded(m_trap, 140, [&] { obj(m_target).Execute("DROP TABLE " + delimit(name)); }))
        return false;
    m_trap.step(142, [&] { frame::RemoveListItem(target, listed); });
    return true;
}

bool SendCommand::createTable(int line)
{
    return stepSucceeded(m_trap, line, [&] { obj(m_target).Execute(m_statement); });
}

void SendCommand::moveNext(int line)
{
    m_rowUnread = !stepSucceeded(m_trap, line, [&] { obj(m_rs).MoveNext(); });
}

bool SendCommand::openSource(const std::string& name, Delimit delimit, db::CursorType cursorType, db::LockType lockType)
{
    return stepSucceeded(
        m_trap, 144, [&] { obj(m_rs).Open("SELECT * FROM " + delimit(name), obj(m_source), cursorType, lockType); });
}

void SendCommand::tableBegun(const std::string& name) const
{
    if (m_w.sendObserver)
        m_w.sendObserver->tableBegun(name);
}

void SendCommand::tableEnded(SendObserver::Outcome outcome) const
{
    if (m_w.sendObserver)
        m_w.sendObserver->tableEnded(outcome);
}

void SendCommand::rowDone(bool failed) const
{
    if (m_w.sendObserver)
        m_w.sendObserver->rowDone(failed);
}

void SendCommand::beginRowGroup(int insertLine)
{
    if (m_target && m_target->isOpen())
        m_target->beginGroup([this, insertLine](const std::string& sql, const std::exception_ptr& error) {
            reportGroupRow(insertLine, sql, error);
        });
}

void SendCommand::endRowGroup()
{
    if (m_target)
        m_target->endGroup();
}

void SendCommand::reportGroupRow(int insertLine, const std::string& sql, const std::exception_ptr& error)
{
    const std::string current = std::exchange(m_statement, sql);
    ++m_replayedFailures;
    if (m_w.sendObserver)
        m_w.sendObserver->doneRowFailed();
    m_trap.step(insertLine, [&] { std::rethrow_exception(error); });
    m_statement = current;
}

} // namespace commands::detail
