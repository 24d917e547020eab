#pragma once

#include "db/ConnectionFields.h"

#include <functional>
#include <string>

class QListWidget;
class QProgressBar;

namespace transfer {

// The progress display of the tables window: a value from 0 to 100 and a caption text.
class ProgressControl {
public:
    virtual ~ProgressControl() = default;
    virtual void setValue(int value) = 0;
    virtual void setText(const std::string& text) = 0;
};

// A QProgressBar as the progress display; its text is the bar's format.
class ProgressBarControl : public ProgressControl {
public:
    explicit ProgressBarControl(QProgressBar& bar) : m_bar(&bar) {}
    void setValue(int value) override;
    void setText(const std::string& text) override;

private:
    QProgressBar* m_bar;
};

// Whether one of the window's commands is running. The commands yield to the event loop, so a click can arrive
// in the middle of a send; the commands here ignore such clicks themselves, and the window's other handlers
// (select all, back, help) should ignore them too by checking active().
class Busy {
public:
    bool active() const { return m_active; }

    // Holds the busy state for one command; entered() is false when another command was already running.
    class Scope {
    public:
        explicit Scope(Busy& busy) : m_busy(busy), m_entered(!busy.m_active) { m_busy.m_active = true; }
        ~Scope()
        {
            if (m_entered)
                m_busy.m_active = false;
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool entered() const { return m_entered; }

    private:
        Busy& m_busy;
        bool m_entered;
    };

private:
    bool m_active = false;
};

// Closing the tables window ends the program at once, also while a command yields in the middle of a send: every
// statement already sent stands on its own, so nothing is gained by unwinding. Call from the window's close.
void endProgram(const Busy& busy);

// What the table commands need of the tables window. The window holds one of these for its life and fills it
// with its own widgets; tests fill it with plain ones.
struct TablesWindowSeam {
    QListWidget* list1 = nullptr; // FoxPro tables
    QListWidget* list2 = nullptr; // ASE tables
    ProgressControl* progress = nullptr;
    db::SetPointerFn setPointer;                         // 0 default, 11 hourglass
    std::function<const db::ConnectionFields&()> fields; // the connection window's fields as they stand
    db::YieldFn yield; // lets the window repaint; empty: QCoreApplication::processEvents. Called at most every 30 ms.
    Busy busy;
};

} // namespace transfer
