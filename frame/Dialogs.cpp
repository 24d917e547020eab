#include "frame/Dialogs.h"

#include <stdexcept>

namespace frame {

namespace {
Dialogs* g_dialogs = nullptr;
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
    return dialogs().messageBox(text, style, title);
}

} // namespace frame
