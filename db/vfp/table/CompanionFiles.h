#pragma once

#include "db/vfp/table/MemoFile.h"

#include <filesystem>
#include <optional>

namespace db::vfp {

// The memo file of a table (.fpt, or .dbt for dBASE tables), found case-insensitively beside it.
struct MemoLocation {
    std::filesystem::path path;
    MemoFile::Kind kind;
};
std::optional<MemoLocation> findMemoFile(const std::filesystem::path& dbf);

// The path a new memo file gets: the table's base name with .fpt, upper case when the table's extension is.
std::filesystem::path newMemoPath(const std::filesystem::path& dbf);

} // namespace db::vfp
