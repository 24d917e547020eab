// A memo of tens of MiB goes in through INSERT and comes back through SELECT unchanged, at about its own size in
// memory.
#include "db/Provider.h"
#include "db/Utf8.h"
#include "db/vfp/VfpProvider.h"
#include "support/TestSupport.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

using db::Value;

namespace {

constexpr std::size_t kMemoBytes = std::size_t{50} << 20;

// Mostly plain text, with every character Windows-1252 holds, quotes and line breaks mixed in, cut to whole
// characters of about `bytes` bytes.
std::string largeText(std::size_t bytes)
{
    std::string every;
    for (std::uint32_t cp : {0x20AC, 0x201A, 0x0192, 0x2030, 0x0160, 0x0152, 0x017D, 0x2122, 0x0178, 0x0081, 0x008D})
        db::appendUtf8(every, cp);
    for (std::uint32_t cp = 0xA0; cp <= 0xFF; ++cp)
        db::appendUtf8(every, cp);
    const std::string piece = "Line of a long note: O'Brien said ''hello'' in Zürich.\r\n";
    std::string text;
    text.reserve(bytes + every.size() + piece.size());
    for (int i = 0; text.size() < bytes; ++i)
        text += i % 97 == 0 ? every : piece;
    return text;
}

std::string quoted(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    out += '\'';
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

std::vector<std::vector<Value>> selectAll(db::ProviderConnection& c, const std::string& table)
{
    auto cursor = c.query("SELECT * FROM " + table);
    std::vector<std::vector<Value>> rows;
    std::vector<Value> row;
    while (cursor->next(row))
        rows.push_back(std::move(row));
    return rows;
}

std::unique_ptr<db::ProviderConnection> openFolder(const testsupport::TempDir& dir)
{
    db::vfp::registerVfpProvider();
    return db::openProvider("Provider=vfpoledb.1;Data Source=" + dir.str() + ";", {});
}

// How far the peak resident size rises over the present one while `work` runs, in KiB; -1 when this system
// cannot restart the peak.
long peakGrowthKiB(const std::function<void()>& work)
{
    auto status = [](const std::string& key) {
        std::ifstream in("/proc/self/status");
        std::string word;
        while (in >> word) {
            if (word == key) {
                long kib = 0;
                in >> kib;
                return kib;
            }
            in.ignore(1 << 16, '\n');
        }
        return -1L;
    };
    std::ofstream clear("/proc/self/clear_refs");
    if (!(clear << "5" << std::flush))
        return -1;
    const long before = status("VmRSS:");
    work();
    const long peak = status("VmHWM:");
    return before < 0 || peak < 0 ? -1 : peak - before;
}

} // namespace

// A large text memo (every 1252 character, doubled quotes) and a large byte memo come back byte for byte, and
// the memos written after them are intact.
TEST(LargeMemoTest, FiftyMebibyteMemosRoundTripByteForByte)
{
    testsupport::TempDir dir;
    auto c = openFolder(dir);
    c->execute("CREATE TABLE notes (id I, note M, picture BLOB)");
    const std::string text = largeText(kMemoBytes);
    db::Bytes picture(std::size_t{3} << 20);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    c->execute("INSERT INTO notes VALUES(1, " + quoted(text) + ", '" + Value(picture).toText() + "')");
    c->execute("INSERT INTO notes VALUES(2, 'after ''the'' big one', '0x0102')");

    auto rows = selectAll(*c, "notes");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_TRUE(rows[0][1].is<std::string>());
    const auto& note = rows[0][1].get<std::string>();
    EXPECT_EQ(note.size(), text.size());
    EXPECT_TRUE(note == text) << "the memo read back differs from the one inserted";
    ASSERT_TRUE(rows[0][2].is<db::Bytes>());
    EXPECT_TRUE(rows[0][2].get<db::Bytes>() == picture) << "the byte memo read back differs";
    EXPECT_EQ(rows[1][1], Value("after 'the' big one"));
    EXPECT_EQ(rows[1][2], Value(db::Bytes{1, 2}));
}

// Inserting and reading a 50 MiB memo each take little more than the memo itself on top of what the caller
// holds (the statement text, the row). The bound is loose on purpose: it fails when the value is copied a few
// times over on the way, as it once was.
TEST(LargeMemoTest, FiftyMebibyteMemoTakesAboutItsOwnSizeInMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine, so resident memory says nothing here";
#endif
    testsupport::TempDir dir;
    auto c = openFolder(dir);
    c->execute("CREATE TABLE notes (id I, note M)");
    std::string sql = "INSERT INTO notes VALUES(1, " + quoted(largeText(kMemoBytes)) + ")";
    const long insert = peakGrowthKiB([&] { c->execute(sql); });
    if (insert < 0)
        GTEST_SKIP() << "this system cannot restart the peak resident size";
    std::string().swap(sql);

    std::size_t length = 0;
    const long read = peakGrowthKiB([&] {
        auto rows = selectAll(*c, "notes");
        length = rows.at(0).at(1).get<std::string>().size();
    });
    EXPECT_GE(length, kMemoBytes);
    const long limit = 5 * static_cast<long>(kMemoBytes / 1024) / 2;
    EXPECT_LT(insert, limit) << "inserting a 50 MiB memo raised the peak by " << insert << " KiB";
    EXPECT_LT(read, limit) << "reading a 50 MiB memo raised the peak by " << read << " KiB";
}
