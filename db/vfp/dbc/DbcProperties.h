#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db::vfp {

// The PROPERTY memo of a container record: a sequence of entries, each `length (LE uint32, header included),
// 1 (LE uint16), id (byte), value`. Strings are NUL-terminated, flags one byte, numbers 4 bytes big-endian.
struct DbcProperty {
    std::uint8_t id = 0;
    std::string value; // raw bytes of the value
    bool operator==(const DbcProperty&) const = default;
};

// Ids this program reads or writes.
enum DbcPropertyId : std::uint8_t {
    PropTablePath = 1,
    PropObjectClass = 2,
};

std::string encodeDbcProperties(const std::vector<DbcProperty>& properties);
// Throws std::runtime_error when an entry's length runs past the memo.
std::vector<DbcProperty> decodeDbcProperties(const std::string& memo);

// A string property's text (up to its NUL), or nothing when the list has no such entry.
std::optional<std::string> dbcStringProperty(const std::vector<DbcProperty>& properties, std::uint8_t id);

// What Visual FoxPro writes for a new table: object class 1 (table), then the table file relative to the
// container's folder.
std::vector<DbcProperty> tablePropertiesFor(const std::string& relativeFile);

} // namespace db::vfp
