#include "db/vfp/DatabaseContainer.h"

#include <stdexcept>

namespace db::vfp {

std::unique_ptr<TableSource> openDatabaseContainer(const std::filesystem::path& dbcFile)
{
    throw std::runtime_error("Cannot open the database container " + dbcFile.string() +
                             ": this build reads free-table folders only.");
}

} // namespace db::vfp
