#include "frame/Dialogs.h"

#include <stdexcept>
#include <utility>

namespace frame {

namespace {
Dialogs* g_dialogs = nullptr;
std::function<void()> g_beforeMessageBox;
} // namespace

BeforeMessageBox::BeforeMessageBox(std::function<void()> work)
    : m_previous(std::exchange(g_beforeMessageBox, std::move(work)))
{
}

BeforeMessageBox::~BeforeMessageBox()
{
    g_beforeMessageBox = std::move(m_previous);
}

void runBeforeMessageBox()
{
    // A box shown by the work itself must not run it again.
    if (auto work = std::exchange(g_beforeMessageBox, {})) {
        struct Restore {
            std::function<void()>& slot;
            std::function<void()>& work;
            ~Restore() { slot = std::move(work); }
        } restore{g_beforeMessageBox, work};
        work();
    }
}

Dialogs& dialogs()
{
    if (!g_dialogs)
        throw std::logic_error("no dialogs installed");
    return *g_dialogs;
}

void setDialogs(Dialogs* d)
{
    g_dialogs = d;
}

int MsgBox(const std::string& text, int style, const std::string& title)
{
    runBeforeMessageBox();
    return dialogs().messageBox(text, style, title);
}

} // namespace frame
