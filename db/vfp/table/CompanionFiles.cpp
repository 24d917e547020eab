#include "db/vfp/table/CompanionFiles.h"

#include "db/vfp/table/TableFiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <map>
#include <stdexcept>

namespace db::vfp {

namespace {

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::filesystem::path folderOf(const std::filesystem::path& file)
{
    auto parent = file.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

std::string withExtension(const std::filesystem::path& dbf, const std::string& ext)
{
    return dbf.stem().string() + ext;
}

} // namespace

std::optional<std::filesystem::path> findFileIgnoreCase(const std::filesystem::path& folder,
                                                        const std::string& fileName)
{
    std::error_code ec;
    auto exact = folder / fileName;
    if (std::filesystem::is_regular_file(exact, ec))
        return exact;
    std::string wanted = lowerAscii(fileName);
    std::optional<std::filesystem::path> found;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (lowerAscii(it->path().filename().string()) != wanted || !it->is_regular_file(ec))
            continue;
        // Several spellings of one name: take the first in byte order so the choice does not vary.
        if (!found || it->path().filename() < found->filename())
            found = it->path();
    }
    return found;
}

std::optional<MemoLocation> findMemoFile(const std::filesystem::path& dbf)
{
    auto folder = folderOf(dbf);
    if (auto fpt = findFileIgnoreCase(folder, withExtension(dbf, ".fpt")))
        return MemoLocation{*fpt, MemoFile::Kind::Fpt};
    if (auto dbt = findFileIgnoreCase(folder, withExtension(dbf, ".dbt")))
        return MemoLocation{*dbt, MemoFile::Kind::Dbt};
    // A container's memo file goes with its .dbc.
    if (lowerAscii(dbf.extension().string()) == ".dbc")
        if (auto dct = findFileIgnoreCase(folder, withExtension(dbf, ".dct")))
            return MemoLocation{*dct, MemoFile::Kind::Fpt};
    return std::nullopt;
}

std::filesystem::path newMemoPath(const std::filesystem::path& dbf)
{
    std::string ext = dbf.extension().string();
    bool upper = !ext.empty() && std::all_of(ext.begin() + 1, ext.end(),
                                             [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
    std::string memoExt = lowerAscii(ext) == ".dbc" ? ".dct" : ".fpt";
    if (upper)
        for (char& c : memoExt)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folderOf(dbf) / withExtension(dbf, memoExt);
}

std::filesystem::path temporaryTableFile(const std::filesystem::path& file)
{
    return file.string() + ".new";
}

bool isTemporaryTableFile(const std::filesystem::path& file)
{
    const std::string name = lowerAscii(file.filename().string());
    const std::array<std::string, 2> suffixes = {".dbf.new", ".fpt.new"};
    return std::ranges::any_of(suffixes, [&](const std::string& suffix) {
        return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

// The .dbf goes first: a kill after it leaves only companions, which no listing shows and the next create of the
// name removes.
void removeTableFiles(const std::filesystem::path& dbf)
{
    auto folder = folderOf(dbf);
    std::vector<std::filesystem::path> files;
    if (auto table = findFileIgnoreCase(folder, dbf.filename().string()))
        files.push_back(*table);
    else
        throw std::runtime_error("The table file " + dbf.string() + " does not exist");
    for (const char* ext : {".fpt", ".cdx"})
        if (auto companion = findFileIgnoreCase(folder, withExtension(dbf, ext)))
            files.push_back(*companion);
    for (const auto& file : files) {
        std::error_code ec;
        if (!removeFile(file, ec) && ec)
            throw std::runtime_error("Cannot delete " + file.string() + ": " + ec.message());
    }
}

std::uint8_t codePageMarkForFolder(const std::filesystem::path& folder)
{
    std::map<std::uint8_t, int> marks;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (lowerAscii(it->path().extension().string()) != ".dbf")
            continue;
        std::ifstream in(it->path(), std::ios::binary);
        char head[32];
        if (in.read(head, sizeof head))
            ++marks[static_cast<std::uint8_t>(head[29])];
    }
    if (marks.size() == 1 && marks.begin()->first != 0)
        return marks.begin()->first;
    return 0x03;
}

} // namespace db::vfp
