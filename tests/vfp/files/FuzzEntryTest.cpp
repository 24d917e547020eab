// The fuzz entry point over every fixture table and mutations of it, so the damaged-input paths run in every
// build (and under the sanitizers in the sanitizer build). Failing cleanly is fine; escaping or crashing is not.
#include "db/vfp/table/TableFiles.h"
#include "fuzz/TableReaderFuzzEntry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::string packed(const std::string& dbf, const std::string& memo)
{
    std::string input(4, '\0');
    for (int i = 0; i < 4; ++i)
        input[static_cast<std::size_t>(i)] = static_cast<char>((dbf.size() >> (8 * i)) & 0xFF);
    return input + dbf + memo;
}

void run(const std::string& input)
{
    EXPECT_NO_THROW(fuzzing::runTableReader(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()));
}

std::string memoBeside(const std::filesystem::path& dbf)
{
    for (const char* ext : {".fpt", ".FPT", ".dbt", ".dct", ".DCT"}) {
        auto memo = dbf.parent_path() / (dbf.stem().string() + ext);
        if (std::filesystem::exists(memo) && std::filesystem::file_size(memo) < 64 * 1024)
            return testsupport::readFile(memo);
    }
    return {};
}

std::string mutate(std::string bytes, std::mt19937& rng)
{
    if (bytes.empty())
        return bytes;
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    switch (pick(4)) {
    case 0: // a few random bytes, mostly in the header where the structure lives
        for (int i = 0; i < 4; ++i)
            bytes[pick(std::min<std::size_t>(bytes.size(), 600))] = static_cast<char>(pick(256));
        break;
    case 1: // cut short
        bytes.resize(pick(bytes.size()));
        break;
    case 2: // extreme counts and lengths
        if (bytes.size() >= 12)
            bytes[4 + pick(8)] = static_cast<char>(0xFF);
        break;
    default: // anywhere
        bytes[pick(bytes.size())] = static_cast<char>(pick(256));
    }
    return bytes;
}

TEST(FuzzEntry, fixturesAndTheirMutationsNeverEscapeOrCrash)
{
    SKIP_WITHOUT_FIXTURES();
    std::mt19937 rng(20240531);
    int tables = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(testsupport::vfpFixtures())) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((ext != ".dbf" && ext != ".dbc") || entry.file_size() > 200 * 1024)
            continue;
        SCOPED_TRACE(entry.path().string());
        std::string dbf = testsupport::readFile(entry.path());
        std::string memo = memoBeside(entry.path());
        run(packed(dbf, memo));
        for (int i = 0; i < 40; ++i)
            run(i % 4 == 3 ? packed(dbf, mutate(memo, rng)) : packed(mutate(dbf, rng), memo));
        ++tables;
    }
    EXPECT_GT(tables, 50);
}

TEST(FuzzEntry, tinyAndEmptyInputs)
{
    run("");
    run(std::string("\x05\0\0\0\x30\0\0", 7));
    run(packed(std::string(32, '\0'), ""));
    run(packed(std::string(32, '\xFF'), std::string(8, '\xFF')));
}

} // namespace

namespace {

// Inputs the fuzzer found: a displacement that wraps the record around, and an autoincrement flag on a text field.
TEST(FuzzEntry, damagedDescriptorsFoundByTheFuzzer)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "t.dbf";
    db::vfp::FieldDef name{"NAME", 'C', 2};
    db::vfp::createTableFiles(dbf, {name}, 0x03);
    db::vfp::TableAppender(dbf).append({"ab"});
    std::string clean = testsupport::readFile(dbf);

    std::string wrapped = clean;
    wrapped.replace(32 + 12, 4, "\xFF\xFF\xFF\xFF"); // + length 2 wraps to 1
    testsupport::writeFile(dbf, wrapped);
    EXPECT_THROW(db::vfp::openTableCursor(dbf), std::runtime_error);
    EXPECT_THROW(db::vfp::TableAppender{dbf}, std::runtime_error);

    std::string counting = clean;
    counting[32 + 18] = '\x0C';
    testsupport::writeFile(dbf, counting);
    db::vfp::TableAppender(dbf).append({db::Null{}});
    auto cursor = db::vfp::openTableCursor(dbf);
    EXPECT_EQ(cursor->recordCount(), 2);
}

} // namespace
