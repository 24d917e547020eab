#pragma once

#include "frame/ConnectionFields.h"
#include "frame/WindowControls.h"

#include <functional>
#include <string>

namespace commands {

// The progress display of the tables window: a value from 0 to 100 and a caption text.
class ProgressControl {
public:
    virtual ~ProgressControl() = default;
    virtual void setValue(int value) = 0;
    virtual void setText(const std::string& text) = 0;
};

// Told what a send does with each selected table and its rows. The command line keeps its summary with it; the
// window has none. A row counts as failed when anything about it was reported.
class SendObserver {
public:
    enum class Outcome {
        Created, // the table was made and its rows went as told by rowDone
        Kept,    // the user kept the table it was to replace
        NotSent, // a report says why the table was not made
    };
    virtual ~SendObserver() = default;
    virtual void tableBegun(const std::string& name) = 0;
    virtual void rowDone(bool failed) = 0;
    // A row already counted as done without a report failed after all: its group of rows was lost and it failed
    // when it ran again on its own.
    virtual void doneRowFailed() = 0;
    virtual void tableEnded(Outcome outcome) = 0;
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

// What the table commands need of the tables window. The window holds one of these for its life and fills it
// with its own controls; tests fill it with plain ones.
struct TablesWindowSeam {
    frame::ListControl* foxProList = nullptr; // List1: FoxPro tables
    frame::ListControl* aseList = nullptr;    // List2: ASE tables
    ProgressControl* progress = nullptr;
    frame::SetPointerFn setPointer;
    std::function<const frame::ConnectionFields&()> fields; // the connection window's fields as they stand
    frame::YieldFn yield;                 // lets the window repaint; empty: nothing. Called at most every 30 ms.
    SendObserver* sendObserver = nullptr; // none in the window
    Busy busy;
};

} // namespace commands
