#include "db/vfp/dbc/DbcProperties.h"

#include <stdexcept>

namespace db::vfp {

namespace {

constexpr std::size_t kEntryHeader = 7;

} // namespace

std::string encodeDbcProperties(const std::vector<DbcProperty>& properties)
{
    std::string out;
    for (const DbcProperty& p : properties) {
        const std::size_t length = kEntryHeader + p.value.size();
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
        out.push_back('\x01');
        out.push_back('\x00');
        out.push_back(static_cast<char>(p.id));
        out += p.value;
    }
    return out;
}

std::vector<DbcProperty> decodeDbcProperties(const std::string& memo)
{
    std::vector<DbcProperty> out;
    std::size_t pos = 0;
    while (pos < memo.size()) {
        if (memo.size() - pos < kEntryHeader)
            throw std::runtime_error("damaged property list in the database container");
        std::size_t length = 0;
        for (int i = 3; i >= 0; --i)
            length = (length << 8) | static_cast<unsigned char>(memo[pos + static_cast<std::size_t>(i)]);
        if (length < kEntryHeader || length > memo.size() - pos)
            throw std::runtime_error("damaged property list in the database container");
        out.push_back(
            {static_cast<std::uint8_t>(memo[pos + 6]), memo.substr(pos + kEntryHeader, length - kEntryHeader)});
        pos += length;
    }
    return out;
}

std::optional<std::string> dbcStringProperty(const std::vector<DbcProperty>& properties, std::uint8_t id)
{
    for (const DbcProperty& p : properties)
        if (p.id == id)
            return p.value.substr(0, p.value.find('\0'));
    return std::nullopt;
}

std::vector<DbcProperty> tablePropertiesFor(const std::string& relativeFile)
{
    return {{PropObjectClass, std::string(1, '\x01')}, {PropTablePath, relativeFile + '\0'}};
}

} // namespace db::vfp
