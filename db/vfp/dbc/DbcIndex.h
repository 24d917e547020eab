#pragma once

#include "db/vfp/dbc/CdxWriter.h"
#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/table/FileIo.h"

#include <filesystem>
#include <vector>

namespace db::vfp {

// The container's structural index: two tags over the live records, keyed as Visual FoxPro keys them:
//   OBJECTNAME  STR(parentid)+objecttype+LOWER(objectname)  FOR .NOT.DELETED()  (148 bytes)
//   OBJECTTYPE  STR(parentid)+objecttype                    FOR .NOT.DELETED()  (20 bytes)
std::vector<cdx::TagSpec> containerIndexTags(const std::vector<DbcRecord>& records, std::uint8_t codePageMark);

// Writes the whole index next to its final place and renames it over the old one, so a reader sees either the
// old index or the new, never a half-written file.
void writeContainerIndex(const std::filesystem::path& dcx, const std::vector<DbcRecord>& records,
                         std::uint8_t codePageMark, const FileOpener& opener);

// Whether the index on disk holds exactly the keys of the live records (false when it is missing or unreadable).
bool containerIndexMatches(const std::filesystem::path& dcx, const std::vector<DbcRecord>& records,
                           std::uint8_t codePageMark);

// The name the index is written under before it replaces the old one.
std::filesystem::path temporaryIndexFile(const std::filesystem::path& dcx);

} // namespace db::vfp
