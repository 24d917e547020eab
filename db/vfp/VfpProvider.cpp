#include "db/vfp/VfpProvider.h"

#include "db/ConnectionString.h"
#include "db/Provider.h"
#include "db/vfp/FreeTableFolder.h"
#include "db/vfp/VfpConnection.h"
#include "db/vfp/dbc/DatabaseContainer.h"
#include "db/vfp/table/TableFiles.h"

#include <algorithm>
#include <stdexcept>

namespace db::vfp {

namespace fs = std::filesystem;

namespace {

bool pathExists(const fs::path& p)
{
    std::error_code ec;
    return fs::exists(p, ec);
}

// The path a Data Source names. Paths typed with Windows separators are taken with ours when that is what
// exists here.
fs::path dataSourcePath(const std::string& text)
{
    fs::path p(text);
#ifndef _WIN32
    if (!pathExists(p) && text.find('\\') != std::string::npos) {
        std::string slashed = text;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        if (pathExists(slashed))
            p = slashed;
    }
#endif
    return p;
}

// The .dbc file itself, found ignoring the letter case of its name.
std::optional<fs::path> findContainer(const fs::path& p)
{
    std::error_code ec;
    if (fs::is_regular_file(p, ec))
        return p;
    fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
        return std::nullopt;
    return findFileIgnoreCase(folder, p.filename().string());
}

std::unique_ptr<TableSource> openSource(const db::ConnectionString& cs)
{
    std::string text = cs.getOr("Data Source", "");
    if (text.empty())
        throw std::runtime_error("Invalid path or file name: the connection string names no Data Source.");
    fs::path p = dataSourcePath(text);
    std::error_code ec;
    if (fs::is_directory(p, ec))
        return std::make_unique<FreeTableFolder>(p);
    if (toLowerAscii(p.extension().string()) == ".dbc") {
        auto file = findContainer(p);
        if (!file)
            throw std::runtime_error("Invalid path or file name: the database container " + text + " does not exist.");
        return openDatabaseContainer(*file);
    }
    if (pathExists(p))
        throw std::runtime_error("Invalid path or file name: " + text +
                                 " is neither a folder of free tables nor a database container (.dbc).");
    throw std::runtime_error("Invalid path or file name: the folder " + text + " does not exist.");
}

std::unique_ptr<db::ProviderConnection> openVfp(const db::ConnectionString& cs, const db::OpenOptions& /*options*/)
{
    return std::make_unique<VfpConnection>(openSource(cs));
}

} // namespace

void registerVfpProvider()
{
    db::registerProvider("vfpoledb", openVfp);
    db::registerProvider("vfpoledb.1", openVfp);
}

} // namespace db::vfp
