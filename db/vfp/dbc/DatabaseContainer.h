#pragma once

#include "db/vfp/TableSource.h"

#include <filesystem>
#include <memory>

namespace db::vfp {

// Opens a database container (.dbc with its .dct and .dcx) as the tables of a connection. Throws with a
// description a user can act on when the file is missing or not a container.
std::unique_ptr<TableSource> openDatabaseContainer(const std::filesystem::path& dbcFile);

} // namespace db::vfp
