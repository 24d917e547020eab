#include "db/vfp/table/FieldNames.h"

#include <algorithm>
#include <set>

namespace db::vfp {

namespace {

constexpr size_t kMaxNameLength = 10;

// Descriptor names are plain ASCII; anything else (blanks, punctuation, bytes of UTF-8 sequences) becomes '_'.
std::string descriptorForm(const std::string& name)
{
    std::string out;
    for (unsigned char c : name) {
        if (c >= 'a' && c <= 'z')
            out += static_cast<char>(c - 32);
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            out += static_cast<char>(c);
        else
            out += '_';
        if (out.size() == kMaxNameLength)
            break;
    }
    return out.empty() ? std::string("FIELD") : out;
}

} // namespace

std::vector<std::string> shortFieldNames(const std::vector<std::string>& names)
{
    std::vector<std::string> result;
    std::set<std::string> used;
    for (const auto& name : names) {
        std::string candidate = descriptorForm(name);
        for (int n = 1; used.contains(candidate); ++n) {
            std::string suffix = std::to_string(n);
            std::string base = descriptorForm(name);
            base.resize(std::min(base.size(), kMaxNameLength - suffix.size()));
            candidate = base + suffix;
        }
        used.insert(candidate);
        result.push_back(candidate);
    }
    return result;
}

} // namespace db::vfp
