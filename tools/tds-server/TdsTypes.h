#pragma once

#include "TdsWire.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace tds {

// An error as ASE reports it: message number, severity (class), state and text.
struct AseError : std::runtime_error {
    AseError(int messageNumber, int messageClass, const std::string& text, int messageState = 1)
        : std::runtime_error(text), number(messageNumber), severity(messageClass), state(messageState)
    {
    }
    int number;
    int severity;
    int state;
    std::string sqlState; // empty: FreeTDS derives one
};

// The ASE types a result column can travel as.
enum class WireType {
    VarChar,
    Char,
    Text,
    Int,
    SmallInt,
    TinyInt,
    BigInt,
    Float,
    Real,
    Numeric,
    Money,
    SmallMoney,
    DateTime,
    Bit,
    Binary,
    VarBinary,
    Image
};

struct ColumnFormat {
    std::string name;
    WireType type = WireType::VarChar;
    std::uint32_t length = 255;    // declared length of char, varchar, binary and varbinary
    int precision = 18, scale = 0; // numeric only
};

// The wire type for a column: from the declared SQLite type (`CREATE TABLE [T]([c] MONEY)` travels as money),
// else, for expressions and untyped columns, from the first row's value (`sqliteType` is SQLITE_NULL when none).
ColumnFormat chooseFormat(std::string name, const char* declaredType, int sqliteType, std::size_t valueBytes);

// ROWFMT (0xEE) describing the columns.
void writeRowFormat(TokenWriter& out, const std::vector<ColumnFormat>& columns);

// One column value of the current row of `stmt` in its wire form; throws AseError when it does not convert. Text
// and image values are cut to `textSize` bytes, as ASE cuts them to the session's text size.
void writeValue(TokenWriter& out, const ColumnFormat& column, sqlite3_stmt* stmt, int index,
                std::size_t textSize = SIZE_MAX);

// Helpers exposed for the unit tests.
std::int64_t scaledDecimal(const std::string& text, int scale); // "12.345" scale 2 -> 1235; throws AseError
bool parseDateTime(const std::string& text, std::int32_t& days, std::uint32_t& ticks);
int numericBytes(int precision);

} // namespace tds
