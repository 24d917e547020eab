#include "db/vfp/dbc/DbcIndex.h"

#include "db/vfp/dbc/CdxHeader.h"
#include "db/vfp/dbc/CdxReader.h"
#include "db/vfp/table/FileLocks.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace db::vfp {

namespace {

constexpr std::size_t kIdWidth = 10;
constexpr std::size_t kTypeWidth = 10;
constexpr std::size_t kNameWidth = 128;
constexpr std::uint8_t kTagOptions = cdx::OptCompact | cdx::OptCompound | cdx::OptHasFor; // 0x68
constexpr const char* kLiveOnly = ".NOT.DELETED()";

// STR(n): right-aligned in ten characters, asterisks when it does not fit.
std::string str10(std::int32_t n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%10d", n);
    std::string s = buf;
    return s.size() > kIdWidth ? std::string(kIdWidth, '*') : s;
}

// LOWER() on code-page bytes: ASCII, plus the Windows-1252 capitals when the container is in that code page.
std::string lowerName(std::string s, std::uint8_t codePageMark)
{
    for (char& c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 'A' && u <= 'Z')
            c = static_cast<char>(u + 32);
        else if (codePageMark == 0x03 && ((u >= 0xC0 && u <= 0xDE && u != 0xD7) || u == 0x8A || u == 0x8C || u == 0x8E))
            c = static_cast<char>(u + (u >= 0xC0 ? 32 : 16));
        else if (codePageMark == 0x03 && u == 0x9F)
            c = static_cast<char>(0xFF);
    }
    return s;
}

std::string padded(std::string s, std::size_t width)
{
    s.resize(width, ' ');
    return s;
}

} // namespace

std::vector<cdx::TagSpec> containerIndexTags(const std::vector<DbcRecord>& records, std::uint8_t codePageMark)
{
    cdx::TagSpec byName{"OBJECTNAME", "STR(parentid)+objecttype+LOWER(objectname)",
                        kLiveOnly,    static_cast<std::uint16_t>(kIdWidth + kTypeWidth + kNameWidth),
                        kTagOptions,  {}};
    cdx::TagSpec byType{"OBJECTTYPE", "STR(parentid)+objecttype",
                        kLiveOnly,    static_cast<std::uint16_t>(kIdWidth + kTypeWidth),
                        kTagOptions,  {}};
    for (const DbcRecord& r : records) {
        if (r.deleted)
            continue;
        const std::string prefix = str10(r.parentId) + padded(r.objectType, kTypeWidth);
        byType.keys.push_back({prefix, r.recno});
        byName.keys.push_back({prefix + padded(lowerName(r.objectName, codePageMark), kNameWidth), r.recno});
    }
    return {byName, byType};
}

void writeContainerIndex(const std::filesystem::path& dcx, const std::vector<DbcRecord>& records,
                         std::uint8_t codePageMark, const FileOpener& opener)
{
    const std::vector<std::uint8_t> bytes = cdx::buildCompoundIndex(containerIndexTags(records, codePageMark));
    const std::filesystem::path temp = temporaryIndexFile(dcx);
    std::error_code ec;
    // Visual FoxPro's index lock on the file being replaced, held until the new one is in place.
    std::unique_ptr<FileIo> old;
    FileLocks locks;
    if (std::filesystem::exists(dcx, ec)) {
        old = opener(dcx, OpenMode::ReadWrite);
        locks.take(*old, indexLockRanges(),
                   "The index " + dcx.filename().string() +
                       " is in use by another program, which kept it locked for several seconds. Try again when "
                       "it is free.");
    }
    removeFile(temp, ec);
    try {
        auto file = opener(temp, OpenMode::CreateNew);
        file->writeAt(0, bytes.data(), bytes.size());
        file->sync();
    } catch (...) {
        removeFile(temp, ec);
        throw;
    }
    renameFile(temp, dcx, ec);
    if (ec) {
        const std::string reason = ec.message();
        removeFile(temp, ec);
        throw std::runtime_error("Cannot replace the index " + dcx.string() + ": " + reason);
    }
}

std::filesystem::path temporaryIndexFile(const std::filesystem::path& dcx)
{
    return dcx.string() + ".new";
}

bool containerIndexMatches(const std::filesystem::path& dcx, const std::vector<DbcRecord>& records,
                           std::uint8_t codePageMark)
{
    std::error_code ec;
    if (!std::filesystem::exists(dcx, ec))
        return false;
    std::vector<cdx::TagSpec> wanted = containerIndexTags(records, codePageMark);
    cdx::CompoundIndex onDisk;
    try {
        onDisk = cdx::readCompoundIndex(dcx);
    } catch (const std::runtime_error&) {
        return false;
    }
    if (onDisk.tags.size() != wanted.size())
        return false;
    for (std::size_t t = 0; t < wanted.size(); ++t) {
        std::sort(wanted[t].keys.begin(), wanted[t].keys.end(), [](const cdx::KeyEntry& a, const cdx::KeyEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        if (onDisk.tags[t].name != wanted[t].name || onDisk.tags[t].keys != wanted[t].keys)
            return false;
    }
    return true;
}

} // namespace db::vfp
