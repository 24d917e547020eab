#pragma once

#include <functional>
#include <string>

namespace db {

// The connection window's fields as they stand: every operation that opens a database builds its connection
// string from these, afresh, as plain text without trimming or escaping.
struct ConnectionFields {
    std::string text1;   // ASE server
    std::string text2;   // ASE port
    std::string text3;   // ASE user
    std::string text4;   // ASE password
    std::string text5;   // ASE database
    std::string text6;   // DBC file path
    std::string text7;   // free-table folder path
    bool option1 = true; // true: the DBC file; otherwise the free-table folder
};

// A list control the catalogue fills: emptied first, then one entry per table.
class TableListSink {
public:
    virtual ~TableListSink() = default;
    virtual void clear() = 0;
    virtual void add(const std::string& name) = 0;
};

// "Let the user interface process its pending events": the window passes its own, tests pass nothing.
using YieldFn = std::function<void()>;

// The window's mouse pointer: 0 default, 11 hourglass, 99 custom.
using SetPointerFn = std::function<void(int)>;

} // namespace db
