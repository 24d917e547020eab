#pragma once

#include <functional>
#include <string>

namespace frame {

// A list box of the windows, as the commands see it: entries by index from 0, each a text that may be selected.
class ListControl {
public:
    virtual ~ListControl() = default;
    virtual int count() const = 0;
    // The entry's text; throws "Invalid list index N" for an index outside the list.
    virtual std::string text(int index) const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual int selectedCount() const = 0;
    // The entry with the focus, or -1.
    virtual int currentRow() const = 0;
    virtual void add(const std::string& text) = 0;
    virtual void removeAt(int index) = 0;
    virtual void clear() = 0;
};

// The window's mouse pointer, by the numbers the window's design gives them.
enum class PointerState : int { Default = 0, Hourglass = 11, Custom = 99 };
using SetPointerFn = std::function<void(PointerState)>;

// "Let the user interface process its pending events": the window passes its own, tests pass nothing.
using YieldFn = std::function<void()>;

} // namespace frame
