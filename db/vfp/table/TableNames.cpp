#include "db/vfp/table/TableNames.h"

#include <cstring>
#include <stdexcept>

namespace db::vfp {

namespace {

constexpr size_t kMaxFileNameBytes = 255 - 4; // room for ".dbf"

// Why the name is refused, or nullptr when it is fine.
const char* refusal(const std::string& name)
{
    if (name.empty())
        return "the name is empty";
    if (name.size() > kMaxFileNameBytes)
        return "the name is too long for a file name";
    if (name.find("..") != std::string::npos)
        return "the name contains \"..\"";
    for (unsigned char c : name) {
        if (c == '/' || c == '\\')
            return "the name contains a path separator";
        if (c < 0x20 || c == 0x7F)
            return "the name contains a control character";
        if (std::strchr(":*?<>|\"", c) != nullptr)
            return "the name contains a character a file name cannot hold (: * ? < > | \")";
    }
    if (name.back() == ' ' || name.back() == '.')
        return "the name ends with a blank or a dot";
    return nullptr;
}

} // namespace

void checkTableName(const std::string& name)
{
    if (const char* why = refusal(name))
        throw std::runtime_error("Invalid table name \"" + name + "\": " + why + ".");
}

bool isSafeTableName(const std::string& name)
{
    return refusal(name) == nullptr;
}

} // namespace db::vfp
