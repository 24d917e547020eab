// Visual FoxPro opens no file past 2 GiB: an append that would take the table or its memo file there fails,
// naming the file and the limit, and writes nothing. Sparse files stand in for full ones.
#include "TableTestSupport.h"
#include "db/vfp/table/DbfHeader.h"
#include "db/vfp/table/MemoFile.h"
#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using db::Value;
using filetest::field;
namespace fs = std::filesystem;

void writeAt(const fs::path& file, off_t at, const void* data, std::size_t size)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_EQ(::pwrite(fd, data, size, at), static_cast<ssize_t>(size));
    ::close(fd);
}

std::string failure(const fs::path& dbf, const std::vector<Value>& row)
{
    try {
        db::vfp::TableAppender(dbf).append(row);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(succeeded)";
}

struct Sizes {
    std::uintmax_t dbf, fpt;
    bool operator==(const Sizes&) const = default;
};

TEST(SizeLimit, appendsStopAtTwoGiBInTheTableAndInTheMemoFile)
{
    testsupport::TempDir dir;
    const fs::path dbf = dir.path() / "big.dbf", fpt = dir.path() / "big.fpt";
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M')}, {});
    const auto info = db::vfp::readTableInfo(dbf);
    auto sizes = [&] { return Sizes{fs::file_size(dbf), fs::file_size(fpt)}; };

    // The table: as many records as leave room for exactly one more (with its end-of-file byte).
    const std::uint64_t room = db::vfp::kMaxFileSize - info.headerLength - 1;
    std::uint32_t count = static_cast<std::uint32_t>(room / info.recordLength) - 1;
    std::uint8_t le[4];
    db::vfp::writeLe32(le, count);
    writeAt(dbf, 4, le, sizeof le);
    fs::resize_file(dbf, info.headerLength + std::uint64_t{count} * info.recordLength);
    db::vfp::TableAppender(dbf).append({std::int64_t{1}, ""});
    const Sizes full = sizes();
    const std::string tableFull = failure(dbf, {std::int64_t{2}, ""});
    EXPECT_NE(tableFull.find("big.dbf would grow past 2 GiB (2147483647 bytes)"), std::string::npos) << tableFull;
    EXPECT_EQ(sizes(), full);
    EXPECT_EQ(db::vfp::readTableInfo(dbf).recordCount, count + 1);

    // The memo file: its next free block just under the limit; a small memo fits, a larger one does not.
    filetest::writeTable(dir.path() / "memo.dbf", {field("ID", 'I'), field("NOTE", 'M')}, {});
    const fs::path memoDbf = dir.path() / "memo.dbf", memoFpt = dir.path() / "memo.fpt";
    const std::uint32_t next = static_cast<std::uint32_t>((db::vfp::kMaxFileSize - 128) / 64);
    fs::resize_file(memoFpt, std::uint64_t{next} * 64);
    std::uint8_t be[4];
    db::vfp::writeBe32(be, next);
    writeAt(memoFpt, 0, be, sizeof be);
    db::vfp::TableAppender(memoDbf).append({std::int64_t{1}, std::string(50, 'a')});
    const Sizes memoBefore{fs::file_size(memoDbf), fs::file_size(memoFpt)};
    const std::string before = filetest::bytesOf(memoDbf);
    const std::string memoFull = failure(memoDbf, {std::int64_t{2}, std::string(100, 'b')});
    EXPECT_NE(memoFull.find("memo.fpt would grow past 2 GiB"), std::string::npos) << memoFull;
    EXPECT_EQ((Sizes{fs::file_size(memoDbf), fs::file_size(memoFpt)}), memoBefore);
    EXPECT_EQ(filetest::bytesOf(memoDbf), before);
    auto rows = filetest::readRows(memoDbf);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], Value(std::string(50, 'a')));
}

} // namespace
