#pragma once

#include "db/vfp/table/FieldDef.h"
#include "db/vfp/table/NullFlags.h"
#include "db/vfp/table/TableFiles.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace db::vfp {

class FileIo;

inline constexpr std::size_t kBacklinkSize = 263;
inline constexpr std::uint8_t kNullFlagsType = '0';

// One field as it sits in the record.
struct FieldLayout {
    FieldDef def;
    std::uint32_t offset = 0; // from the start of the record; the deletion flag is byte 0
    std::uint8_t flags = 0;   // descriptor byte 18 as stored
    std::uint32_t autoIncNext = 0;
    std::uint8_t autoIncStep = 0;
    NullBits bits;
    bool asciiMemoPointer = false; // FoxPro 2 / dBASE: 10 ASCII digits instead of a 4-byte block number
    bool isMemo() const { return def.type == 'M' || def.type == 'G' || def.type == 'W'; }
};

// Everything the header says, in the form the record code needs.
struct TableLayout {
    TableInfo info;
    std::vector<FieldLayout> fields; // without _NullFlags
    std::uint32_t nullFlagsOffset = 0;
    std::uint32_t nullFlagsLength = 0; // 0: the table has no _NullFlags field
    std::array<std::uint8_t, 3> date{};
    bool hasMemoFields() const;
};

bool isVfpVersion(std::uint8_t version);

// Reads and checks the header of `file`; every inconsistency is an error naming the table.
TableLayout readHeader(FileIo& file);
// Parses header bytes: `size` may be less than the header length when the file is cut short.
TableLayout parseHeader(const std::uint8_t* data, std::size_t size, const std::string& tableName);

// The layout of a new table as Visual FoxPro would create it (version, flags, _NullFlags, backlink space).
TableLayout layoutForNewTable(const std::vector<FieldDef>& columns, std::uint8_t codePageMark,
                              const std::string& backlink);
// Header bytes for `layout` (header, descriptors, terminator, backlink area).
std::vector<std::uint8_t> serializeHeader(const TableLayout& layout);

// Date bytes as Visual FoxPro writes them: year % 100, month, day of the local date, by the header clock.
std::array<std::uint8_t, 3> todayDateBytes();

// The clock the engine dates headers by (tables and containers); tests put in a fixed day. An empty one puts back
// the system clock. Returns the one it replaces.
using HeaderClock = std::function<std::chrono::system_clock::time_point()>;
HeaderClock setHeaderClock(HeaderClock clock);

std::uint16_t readLe16(const std::uint8_t* p);
std::uint32_t readLe32(const std::uint8_t* p);
void writeLe16(std::uint8_t* p, std::uint16_t v);
void writeLe32(std::uint8_t* p, std::uint32_t v);

} // namespace db::vfp
