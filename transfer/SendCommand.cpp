#include "transfer/SendCommand.h"

#include "app/Dialogs.h"
#include "app/ListHelpers.h"
#include "transfer/CommandSupport.h"

namespace transfer::detail {

bool SendCommand::replaceExisting(QListWidget& target, const std::string& name, Delimit delimit,
                                  const std::string& listed)
{
    int answer = 0;
    if (m_trap.test(130, [&] { return app::ListContains(target, qt(name)); }))
        m_trap.step(
            132, [&] { answer = app::MsgBox("Would you like to overwrite " + name + "?", app::YesNo, "Overwrite?"); });
    else
        m_trap.step(134, [&] { answer = 0; });
    if (answer == app::AnswerNo) // 136
        return false;
    if (answer == app::AnswerYes) { // 138
        if (!nameStep(m_trap, 140, [&] { obj(m_target).Execute("DROP TABLE " + delimit(name)); }))
            return false;
        m_trap.step(142, [&] { app::RemoveListItem(target, qt(listed)); });
    }
    return true;
}

bool SendCommand::openSource(const std::string& name, Delimit delimit, int cursorType, int lockType)
{
    return stepSucceeded(
        m_trap, 144, [&] { obj(m_rs).Open("SELECT * FROM " + delimit(name), obj(m_source), cursorType, lockType); });
}

} // namespace transfer::detail
