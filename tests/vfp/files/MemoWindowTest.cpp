// Memos are read through a window over the memo file. It must serve whole memos wherever they fall, and never
// bytes older than the record pointing at them while another program writes beside us.
#include "TableTestSupport.h"
#include "db/vfp/table/DbfHeader.h"
#include "db/vfp/table/FileIo.h"
#include "db/vfp/table/MemoFile.h"
#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using db::Value;
using db::vfp::MemoFile;
using db::vfp::OpenMode;
using filetest::field;
namespace fs = std::filesystem;

constexpr std::size_t kWindow = MemoFile::kWindowSize;

// Text of `length` bytes of UTF-8 with Windows-1252 letters in it, different for each `seed`.
std::string noteText(std::size_t length, std::size_t seed)
{
    static const std::string pieces[] = {"plain words ", "Zürich € ", "O'Brien ", "line\r\n", "naïve “quoted” "};
    std::string s;
    for (std::size_t i = seed; s.size() < length; ++i)
        s += pieces[i % 5];
    while (s.size() > length) // cut back to whole characters
        s.pop_back();
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80)
        s.pop_back();
    if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0)
        s.pop_back();
    return s;
}

db::Bytes pictureBytes(std::size_t length, std::size_t seed)
{
    db::Bytes b(length);
    for (std::size_t i = 0; i < length; ++i)
        b[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return b;
}

struct Patch {
    db::vfp::TableLayout layout;
    std::unique_ptr<db::vfp::FileIo> dbf;
    std::uint64_t fieldAt(std::uint32_t record, std::size_t field) const
    {
        return layout.info.headerLength + std::uint64_t{record - 1} * layout.info.recordLength +
               layout.fields[field].offset;
    }
    std::uint32_t memoBlock(std::uint32_t record, std::size_t field)
    {
        std::uint8_t p[4];
        dbf->readExact(fieldAt(record, field), p, 4, "a memo pointer");
        return db::vfp::readLe32(p);
    }
    void setMemoBlock(std::uint32_t record, std::size_t field, std::uint32_t block)
    {
        std::uint8_t p[4];
        db::vfp::writeLe32(p, block);
        dbf->writeAt(fieldAt(record, field), p, 4);
    }
};

// Another program's handle on the table's files, as Visual FoxPro beside us would have.
Patch openForPatching(const fs::path& dbf)
{
    auto file = db::vfp::openFile(dbf, OpenMode::ReadWrite);
    auto layout = db::vfp::readHeader(*file);
    return {std::move(layout), std::move(file)};
}

std::string readError(const fs::path& dbf)
{
    try {
        filetest::readRows(dbf);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(read)";
}

} // namespace

// Small memos that straddle the window's edges, memos about the window's size and larger, text and bytes: each
// comes back whole, and the ones after a large memo too.
TEST(MemoWindow, memosAcrossTheWindowsEdgesAndLargerThanItReadBackWhole)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "t.dbf";
    std::vector<std::vector<Value>> rows;
    const std::size_t large[] = {kWindow - 100, kWindow - 8, kWindow, kWindow + 1, 3 * kWindow};
    for (std::size_t i = 0; i < 900; ++i) {
        const std::size_t length = i % 150 == 75 ? large[(i / 150) % 5] : (i * 37) % 1500;
        rows.push_back({static_cast<std::int64_t>(i), noteText(length, i), pictureBytes((i * 53) % 900, i)});
    }
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M'), field("PIC", 'M', 0, 0, false, true)}, rows);
    ASSERT_GT(fs::file_size(dir.path() / "t.fpt"), 4 * kWindow);

    const auto got = filetest::readRows(dbf);
    ASSERT_EQ(got.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_TRUE(got[i] == rows[i]) << "row " << i << " (a note of " << rows[i][1].get<std::string>().size()
                                       << " bytes) differs";
}

// While we read, another program gives record 280 a new memo at the end of the file and rewrites record 290's
// memo where it lies. Both records are read after the change and show it; before, the new memo past the memo
// file's size at opening read as damage.
TEST(MemoWindow, memosAnotherProgramChangesWhileWeReadAreReadAsTheyAreNow)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "t.dbf";
    std::vector<std::vector<Value>> rows;
    for (int i = 1; i <= 300; ++i) // four wide columns: fewer records than that in one read of records
        rows.push_back({i, "a", "b", "c", "d", "note " + std::to_string(i)});
    filetest::writeTable(dbf,
                         {field("ID", 'I'), field("A", 'C', 250), field("B", 'C', 250), field("C", 'C', 250),
                          field("D", 'C', 250), field("NOTE", 'M')},
                         rows);

    auto cursor = db::vfp::openTableCursor(dbf);
    std::vector<Value> row;
    ASSERT_TRUE(cursor->next(row));
    EXPECT_EQ(row[5], Value("note 1"));

    Patch patch = openForPatching(dbf);
    MemoFile memo(db::vfp::openFile(dir.path() / "t.fpt", OpenMode::ReadWrite), MemoFile::Kind::Fpt);
    const std::string replaced = "a new note for record 280";
    memo.prepareAppend(memo.runBytes(replaced.size()));
    const std::uint32_t block = memo.append({{1, replaced}})[0];
    memo.writeHeader();
    patch.setMemoBlock(280, 5, block);
    const std::string inPlace = "NOTE 290";
    memo.file().writeAt(std::uint64_t{patch.memoBlock(290, 5)} * memo.blockSize() + 8, inPlace.data(), inPlace.size());

    std::vector<std::vector<Value>> got;
    while (cursor->next(row))
        got.push_back(row);
    ASSERT_EQ(got.size(), 299u);
    EXPECT_EQ(got[278][5], Value(replaced));
    EXPECT_EQ(got[288][5], Value(inPlace));
    EXPECT_EQ(got[298][5], Value("note 300"));
}

// A writer has put a memo's blocks in the file but not yet its whole data nor the header's next free block when
// our window is filled over them. Once it has finished, the memo is read as finished, not as the window saw it.
TEST(MemoWindow, blocksPastTheHeadersNextFreeBlockAreNotServedFromTheWindow)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "t.dbf";
    filetest::writeTable(dbf, {field("NOTE", 'M')}, {{"first"}, {"second"}});
    const auto fpt = dir.path() / "t.fpt";
    MemoFile reader(db::vfp::openFile(fpt, OpenMode::Read), MemoFile::Kind::Fpt);
    MemoFile writer(db::vfp::openFile(fpt, OpenMode::ReadWrite), MemoFile::Kind::Fpt);

    const std::string done = "the finished memo";
    const std::string half(done.size(), '?');
    writer.prepareAppend(writer.runBytes(half.size()));
    const std::uint32_t block = writer.append({{1, half}})[0];

    EXPECT_EQ(reader.readText(8, "NOTE"), "first"); // fills the window, over the unfinished blocks too

    writer.file().writeAt(std::uint64_t{block} * writer.blockSize() + 8, done.data(), done.size());
    writer.writeHeader();
    EXPECT_EQ(reader.readText(block, "NOTE"), done);
    reader.dropWindow(); // as a cursor does on reading further records: the window is filled afresh
    auto view = reader.view(block, "NOTE");
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(std::string(view->begin(), view->end()), done);
}

// A cursor opened after an append sees the new row and its memo; one opened before reads the rows it counted.
TEST(MemoWindow, aCursorOpenedAfterAnAppendSeesIt)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "t.dbf";
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M')}, {{1, "one"}, {2, "two"}});
    auto before = db::vfp::openTableCursor(dbf);
    std::vector<Value> row;
    ASSERT_TRUE(before->next(row));

    db::vfp::TableAppender(dbf).append({3, "three, appended"});

    ASSERT_TRUE(before->next(row));
    EXPECT_EQ(row[1], Value("two"));
    EXPECT_FALSE(before->next(row));
    const auto after = filetest::readRows(dbf);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[2][1], Value("three, appended"));
}

// A memo pointer past the end of the memo file, or a block whose length runs past it, is the damage it always was.
TEST(MemoWindow, aPointerOrLengthPastTheEndIsReportedAsDamage)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "t.dbf";
    const auto fpt = dir.path() / "t.fpt";
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M')}, {{1, "one"}, {2, "two"}, {3, "three"}});
    {
        Patch patch = openForPatching(dbf);
        patch.setMemoBlock(2, 1, 0x00FFFFFF);
    }
    EXPECT_EQ(readError(dbf), "The table t.dbf cannot be read: in record 2, The memo file " + fpt.string() +
                                  " is damaged: the memo of NOTE (block 16777215) lies past its end");
    {
        Patch patch = openForPatching(dbf);
        patch.setMemoBlock(2, 1, 9);
        const std::uint8_t length[4] = {0x7F, 0xFF, 0xFF, 0xFF};
        db::vfp::openFile(fpt, OpenMode::ReadWrite)->writeAt(std::uint64_t{9} * 64 + 4, length, 4);
    }
    EXPECT_EQ(readError(dbf), "The table t.dbf cannot be read: in record 2, The memo file " + fpt.string() +
                                  " is damaged: the memo of NOTE (block 9) runs past its end");
}
