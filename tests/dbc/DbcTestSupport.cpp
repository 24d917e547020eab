#include "DbcTestSupport.h"

#include <algorithm>

namespace dbctest {

void copyFixtureFiles(const std::filesystem::path& fromFolder, const std::filesystem::path& to,
                      const std::vector<std::string>& names)
{
    for (const auto& entry : std::filesystem::directory_iterator(fromFolder)) {
        if (!entry.is_regular_file())
            continue;
        const std::string name = entry.path().filename().string();
        if (!names.empty() && std::find(names.begin(), names.end(), name) == names.end())
            continue;
        std::filesystem::copy_file(entry.path(), to / name);
        std::filesystem::permissions(to / name, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
}

std::vector<std::pair<std::string, std::string>> folderContents(const std::filesystem::path& folder)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            out.emplace_back(entry.path().filename().string(), testsupport::readFile(entry.path()));
    std::sort(out.begin(), out.end());
    return out;
}

std::string firstDifference(const std::vector<std::pair<std::string, std::string>>& a,
                            const std::vector<std::pair<std::string, std::string>>& b)
{
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i >= a.size() || i >= b.size() || a[i].first != b[i].first)
            return "file lists differ at " + (i < a.size() ? a[i].first : b[i].first);
        const std::string &x = a[i].second, &y = b[i].second;
        if (x.size() != y.size())
            return a[i].first + ": size " + std::to_string(x.size()) + " vs " + std::to_string(y.size());
        for (std::size_t k = 0; k < x.size(); ++k)
            if (x[k] != y[k])
                return a[i].first + ": byte " + std::to_string(k);
    }
    return {};
}

} // namespace dbctest
