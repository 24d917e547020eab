// Every table the fixtures' manifest describes, read by our reader and compared with the manifest's record of it:
// header facts, field definitions, the live count and python3-dbfread's first rows (with its known faults).
#include "ManifestData.h"
#include "db/vfp/table/CodePage.h"
#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

using db::Value;
using manifest::Cell;

// Files the manifest lists as suspect or broken, with the words our error must contain.
const std::map<std::string, std::string> kKnownBad = {
    {"dbase-rs/stations_with_deleted.dbf", "outside the record length"},
    {"dbfread/no_memofile.dbf", "memo file"},
    {"javadbf/books.dbf", "memo file"},
    {"pgdbf/SystemParameter.dbf", "impossible length"},
    {"php-xbase/vfp.dbf", "points into its header"},
    {"infused-dbf/mazovia.dbf", "code page 620"},
};

bool isBlankCell(const Cell& c)
{
    switch (c.kind) {
    case Cell::None:
        return true;
    case Cell::Text:
        return c.text.find_first_not_of(U' ') == std::u32string::npos;
    case Cell::Number:
        return c.number == 0;
    case Cell::Bool:
        return !c.flag;
    case Cell::Hex:
        return std::all_of(c.hex.begin(), c.hex.end(), [](auto b) { return b == 0 || b == ' '; });
    default:
        return false;
    }
}

// U+FFFD in dbfread's text stands for a byte its codec could not map: it matches any character of ours.
bool sameText(const std::u32string& expected, const std::u32string& ours)
{
    if (expected.size() != ours.size())
        return false;
    for (std::size_t i = 0; i < ours.size(); ++i)
        if (expected[i] != ours[i] && expected[i] != U'\uFFFD')
            return false;
    return true;
}

// dbfread leaves V/Q values padded with their length byte; a full-width value has none.
bool matchesText(const Cell& e, std::u32string ours, char type)
{
    bool varying = type == 'V' || type == 'Q';
    if (e.truncated) {
        std::u32string shown = e.text;
        if (varying && ours.size() < shown.size())
            ours.append(std::u32string(shown.size() - ours.size(), U' ')); // the padding dbfread shows
        return ours.size() >= shown.size() && sameText(shown, ours.substr(0, shown.size()));
    }
    auto rstrip = [](std::u32string s) {
        while (!s.empty() && s.back() == U' ')
            s.pop_back();
        return s;
    };
    if (sameText(rstrip(e.text), rstrip(ours))) // the manifest shows values without trailing blanks
        return true;
    if (varying && e.text.size() > ours.size() && e.text.back() == ours.size())
        return sameText(e.text.substr(0, ours.size()), ours);
    return false;
}

bool matchesBytes(const Cell& e, const db::Bytes& ours, char type)
{
    if (e.truncated)
        return ours.size() >= e.hex.size() && std::equal(e.hex.begin(), e.hex.end(), ours.begin());
    if (e.hex == ours)
        return true;
    return (type == 'Q' || type == 'V') && e.hex.size() > ours.size() && e.hex.back() == ours.size() &&
           std::equal(ours.begin(), ours.end(), e.hex.begin());
}

double numberOf(const Value& v)
{
    if (v.is<std::int64_t>())
        return static_cast<double>(v.get<std::int64_t>());
    if (v.is<double>())
        return v.get<double>();
    if (v.is<db::Currency>())
        return static_cast<double>(v.get<db::Currency>().scaled) / 10000.0;
    if (v.is<db::Decimal>())
        return std::stod(v.get<db::Decimal>().digits);
    return NAN;
}

std::string explain(const Cell& e)
{
    switch (e.kind) {
    case Cell::None:
        return "None";
    case Cell::Number:
        return std::to_string(e.number);
    case Cell::Bool:
        return e.flag ? "True" : "False";
    default:
        return "(kind " + std::to_string(static_cast<int>(e.kind)) + ")";
    }
}

// Whether our value agrees with dbfread's, given the column; dbfread ignores null flags, so a NULL of ours
// (decided by the bits) agrees with the blank it shows.
bool agrees(const Cell& e, const Value& v, const db::vfp::FieldDef& f, db::vfp::TextCodec& codec)
{
    if (v.isNull())
        return e.kind == Cell::None || (f.nullable && isBlankCell(e));
    switch (e.kind) {
    case Cell::None:
        return (v.is<std::string>() && v.get<std::string>().empty()) ||
               (v.is<db::Bytes>() && v.get<db::Bytes>().empty());
    case Cell::Bool:
        return v.is<bool>() && v.get<bool>() == e.flag;
    case Cell::Number: {
        double ours = numberOf(v);
        return std::fabs(ours - e.number) <= 1e-9 * std::max(1.0, std::fabs(e.number));
    }
    case Cell::Date:
        return v.is<db::Date>() && v.get<db::Date>() == db::Date{e.year, e.month, e.day};
    case Cell::DateTime: {
        if (!v.is<db::DateTime>())
            return false;
        const auto& t = v.get<db::DateTime>();
        long long ms = (t.hour * 3600LL + t.minute * 60 + t.second) * 1000 + t.millisecond;
        bool sameDay = t.date == db::Date{e.year, e.month, e.day};
        return (sameDay && std::llabs(ms - e.msOfDay) <= 500) || (!sameDay && e.msOfDay >= 86399500 && ms == 0);
    }
    case Cell::Hex:
        return v.is<db::Bytes>() && matchesBytes(e, v.get<db::Bytes>(), f.type);
    case Cell::Text: {
        std::string text = v.is<std::string>() ? v.get<std::string>()
                           : v.is<db::Bytes>() ? codec.decode(v.get<db::Bytes>().data(), v.get<db::Bytes>().size())
                                               : v.toText();
        return matchesText(e, manifest::utf32(text), f.type);
    }
    }
    return false;
}

std::vector<std::vector<Value>> readAll(const std::filesystem::path& file, long long& count)
{
    auto cursor = db::vfp::openTableCursor(file);
    count = cursor->recordCount();
    std::vector<std::vector<Value>> rows;
    std::vector<Value> row;
    while (cursor->next(row))
        rows.push_back(row);
    return rows;
}

// dbfread hands rows out as dicts: a name that occurs twice keeps its first place and its last value.
std::vector<std::size_t> columnSources(const manifest::Table& t, std::size_t cells)
{
    std::vector<std::string> unique;
    std::vector<std::size_t> source;
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        auto at = std::find(unique.begin(), unique.end(), t.columns[i]);
        if (at == unique.end()) {
            unique.push_back(t.columns[i]);
            source.push_back(i);
        } else {
            source[static_cast<std::size_t>(at - unique.begin())] = i;
        }
    }
    source.resize(std::min(source.size(), cells));
    return source;
}

void checkHeader(const manifest::Table& t, const db::vfp::TableInfo& info)
{
    EXPECT_EQ(info.version, t.version);
    EXPECT_EQ(info.recordCount, t.records);
    EXPECT_EQ(info.headerLength, t.headerLength);
    EXPECT_EQ(info.recordLength, t.recordLength);
    EXPECT_EQ(info.tableFlags, t.tableFlags);
    EXPECT_EQ(info.codePageMark, t.codePageMark);
    EXPECT_EQ(info.backlink, t.backlink);
    std::vector<manifest::Field> expected;
    for (const auto& f : t.fields)
        if (f.type != '0')
            expected.push_back(f);
    ASSERT_EQ(info.fields.size(), expected.size());
    bool vfp = t.version >= 0x30 && t.version <= 0x32;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& e = expected[i];
        const auto& f = info.fields[i];
        SCOPED_TRACE("field " + e.name);
        bool longChar = !vfp && e.type == 'C';
        bool dbaseBinaryMemo = !vfp && e.type == 'B';
        EXPECT_EQ(f.type, dbaseBinaryMemo ? 'M' : e.type);
        EXPECT_EQ(f.length, longChar ? e.length + 256 * e.decimals : e.length);
        if (e.type == 'N' || e.type == 'F') {
            EXPECT_EQ(f.decimals, e.decimals);
        }
        EXPECT_EQ(f.nullable, e.nullable);
        EXPECT_EQ(f.autoIncrement, e.autoIncrement);
        if (e.type == 'C' || e.type == 'V' || e.type == 'M') {
            EXPECT_EQ(f.binary, e.binary);
        }
    }
    if (t.columns.size() < expected.size())
        return;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(info.fields[i].name, t.columns[i]) << "name of field " << i;
    }
}

void checkRows(const manifest::Table& t, const db::vfp::TableInfo& info, const std::vector<std::vector<Value>>& rows)
{
    db::vfp::TextCodec codec(info.codePageMark);
    for (std::size_t r = 0; r < t.rows.size() && r < rows.size(); ++r) {
        const auto& cells = t.rows[r];
        auto sources = columnSources(t, cells.size());
        for (std::size_t k = 0; k < sources.size(); ++k) {
            std::size_t field = sources[k];
            if (field >= info.fields.size())
                continue; // _NullFlags, which we do not hand out
            EXPECT_TRUE(agrees(cells[k], rows[r][field], info.fields[field], codec))
                << "row " << r + 1 << ", column " << t.columns[field] << ": ours " << rows[r][field].toText()
                << ", dbfread " << explain(cells[k]);
        }
    }
}

class FixtureRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_FIXTURES();
        m_tables = manifest::readManifest(testsupport::vfpFixtures() / "MANIFEST.md");
        ASSERT_GT(m_tables.size(), 60u);
    }
    std::vector<manifest::Table> m_tables;
};

TEST_F(FixtureRead, everyReadableTableMatchesTheManifest)
{
    int checked = 0;
    for (const auto& t : m_tables) {
        if (kKnownBad.count(t.path))
            continue;
        SCOPED_TRACE(t.path);
        auto file = testsupport::vfpFixtures() / t.path;
        db::vfp::TableInfo info;
        ASSERT_NO_THROW(info = db::vfp::readTableInfo(file));
        checkHeader(t, info);
        long long count = -1;
        std::vector<std::vector<Value>> rows;
        ASSERT_NO_THROW(rows = readAll(file, count)) << "reading all rows";
        EXPECT_EQ(count, static_cast<long long>(t.records - t.deleted));
        EXPECT_EQ(rows.size(), static_cast<std::size_t>(count));
        checkRows(t, info, rows);
        ++checked;
    }
    EXPECT_GE(checked, 55);
}

TEST_F(FixtureRead, knownBadFilesFailWithAClearError)
{
    for (const auto& [path, words] : kKnownBad) {
        SCOPED_TRACE(path);
        try {
            long long count = 0;
            readAll(testsupport::vfpFixtures() / path, count);
            ADD_FAILURE() << "read without complaint";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    }
}

TEST_F(FixtureRead, longFieldNamesReplaceTheDescriptorsByPosition)
{
    auto cursor = db::vfp::openTableCursor(testsupport::vfpFixtures() / "vfpclient/northwind/region.dbf",
                                           {"regionid", "regiondescription"});
    ASSERT_EQ(cursor->fields().size(), 2u);
    EXPECT_EQ(cursor->fields()[1].name, "regiondescription");
    EXPECT_EQ(cursor->fields()[1].type, db::ado::Char);
}

TEST_F(FixtureRead, nullBitsFollowTheAllocationRuleInTwoByteFlags)
{
    // orders.dbf row 1: flags 00 04 = bit 10, the eleventh nullable field SHIPREGION; SHIPCITY keeps 'Reims'.
    long long count = 0;
    auto rows = readAll(testsupport::vfpFixtures() / "vfpclient/northwind/orders.dbf", count);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][10], Value("Reims"));
    EXPECT_TRUE(rows[0][11].isNull());
    // suppliers.dbf row 1: flags 10 03 = REGION, FAX, HOMEPAGE null; ADDRESS, COUNTRY, PHONE are not.
    rows = readAll(testsupport::vfpFixtures() / "vfpclient/northwind/suppliers.dbf", count);
    EXPECT_TRUE(rows[0][6].isNull());
    EXPECT_TRUE(rows[0][10].isNull());
    EXPECT_TRUE(rows[0][11].isNull());
    EXPECT_EQ(rows[0][4], Value("49 Gilbert St."));
    EXPECT_EQ(rows[0][8], Value("UK"));
}

TEST_F(FixtureRead, varcharLengthsAndTimeOnlyDateTimes)
{
    long long count = 0;
    auto rows = readAll(testsupport::vfpFixtures() / "go-dbase/table/TEST.DBF", count);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][13], Value(db::Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa}));
    EXPECT_EQ(rows[1][13], Value(db::Bytes{0xaa, 0xbb, 0xcc}));
    EXPECT_EQ(rows[0][15], Value(std::string())); // VAR: empty, not NULL
    EXPECT_EQ(rows[0][2], Value(db::Currency{123456}));
    rows = readAll(testsupport::vfpFixtures() / "infused-dbf/foxprodb/calls.dbf", count);
    // 13:35:38.999 as stored means 13:35:39, on VFP's day of a bare time.
    EXPECT_EQ(rows[0][3], Value(db::DateTime{{1899, 12, 30}, 13, 35, 39, 0}));
}

} // namespace
