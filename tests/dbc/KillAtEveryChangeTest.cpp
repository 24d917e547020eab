// A send, a replace and a drop stopped by a kill before each change to the files (every write, creation, rename and
// removal), in a free folder and in a container. A forked child runs the work and _exit()s at the chosen change, so
// nothing is undone and nothing more is written. After each stop the files must still make sense to every reader:
// the table opens (ours, python3-dbfread, python3-dbf agree on its rows), every row the child reported is there,
// the container's records, parents and index agree, and sending the table again works.
#include "DbcTestSupport.h"
#include "db/ConnectionString.h"
#include "db/vfp/FreeTableFolder.h"
#include "db/vfp/dbc/CdxReader.h"
#include "db/vfp/dbc/DbcContainer.h"
#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/dbc/DbcIndex.h"
#include "db/vfp/table/TableFiles.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace db::vfp;
using db::toLowerAscii;

namespace {

namespace fs = std::filesystem;

constexpr int kKilled = 77;   // the child stopped at the chosen change
constexpr int kCompleted = 0; // the child ran to its end: there is no change left to stop at
constexpr int kEngineFailed = 3;

const std::string kPython = "/usr/bin/python3";

std::vector<FieldDef> columns()
{
    return {makeField("ID", 'I'), makeField("NAME", 'C', {.length = 20}), makeField("NOTE", 'M')};
}

std::vector<db::Value> row(const std::string& prefix, int n)
{
    return {std::int64_t{n}, prefix + " " + std::to_string(n), std::string(100 + n, 'm')};
}

std::unique_ptr<TableSource> openSource(const fs::path& where)
{
    if (fs::is_directory(where))
        return std::make_unique<FreeTableFolder>(where);
    return std::make_unique<DatabaseContainer>(where);
}

bool listed(TableSource& source, const std::string& name)
{
    for (const TableEntry& e : source.listTables())
        if (toLowerAscii(e.name) == toLowerAscii(name))
            return true;
    return false;
}

// CREATE and INSERTs as a send makes them; reports each completed step on `report` (C create, D drop, R a row).
void send(TableSource& source, const std::string& prefix, int rows, const std::function<void(char)>& report)
{
    source.createTable("t", columns());
    report('C');
    TableAppender appender(source.tableFile("t"));
    for (int i = 1; i <= rows; ++i) {
        appender.append(row(prefix, i));
        report('R');
    }
}

std::vector<std::vector<db::Value>> readRows(TableSource& source, const std::string& name)
{
    auto cursor = openTableCursor(source.tableFile(name), source.longFieldNames(name));
    std::vector<std::vector<db::Value>> rows;
    std::vector<db::Value> r;
    while (cursor->next(r))
        rows.push_back(r);
    EXPECT_EQ(static_cast<long long>(rows.size()), cursor->recordCount());
    return rows;
}

// The live row count each other reader sees, by table file, in one run of each reader (a run per table would
// take minutes). Readers that are not installed give nothing.
std::map<std::string, std::map<std::string, long>> otherReadersCounts(const std::vector<fs::path>& tables)
{
    const std::vector<std::pair<std::string, std::string>> readers = {
        {"dbfread", "import dbfread,sys\n"
                    "for p in sys.argv[1:]:\n"
                    "    try: print(len(list(dbfread.DBF(p))), p)\n"
                    "    except Exception as e: print('error', p, e)\n"},
        {"dbf", "import dbf,sys\n"
                "for p in sys.argv[1:]:\n"
                "    try:\n"
                "        t = dbf.Table(p); t.open(dbf.READ_ONLY)\n"
                "        print(sum(1 for r in t if not dbf.is_deleted(r)), p); t.close()\n"
                "    except Exception as e: print('error', p, e)\n"}};
    std::map<std::string, std::map<std::string, long>> out;
    for (const auto& [name, code] : readers) {
        std::string ignored;
        if (tables.empty() || testsupport::runShell(kPython + " -c 'import " + name + "'", ignored) != 0)
            continue;
        std::string command = kPython + " -c \"" + code + "\"";
        for (const fs::path& t : tables)
            command += " '" + t.string() + "'";
        std::string text;
        testsupport::runShell(command, text);
        std::istringstream lines(text);
        std::string count;
        std::string path;
        while (lines >> count) {
            std::getline(lines, path);
            path.erase(0, 1);
            out[name][path] = count == "error" ? -1 : std::stol(count);
        }
    }
    return out;
}

// Every live record's parent is a live record: no Field is left under a dropped Table.
void expectParentsLive(const fs::path& dbc)
{
    DbcFile file(dbc, realFileOpener(), false);
    std::set<std::int32_t> live;
    for (const DbcRecord& r : file.records())
        if (!r.deleted)
            live.insert(r.objectId);
    for (const DbcRecord& r : file.records())
        if (!r.deleted && r.parentId != 1) {
            EXPECT_TRUE(live.count(r.parentId)) << r.objectType << " " << r.objectName << " has no live parent";
        }
}

// The index holds exactly the live records.
void expectIndexMatchesRecords(const fs::path& dbc)
{
    DbcFile file(dbc, realFileOpener(), false);
    const auto onDisk = cdx::readCompoundIndex(companionFile(dbc, ".dcx"));
    auto tags = containerIndexTags(file.records(), file.codePageMark());
    ASSERT_EQ(onDisk.tags.size(), tags.size());
    for (std::size_t t = 0; t < tags.size(); ++t) {
        std::sort(tags[t].keys.begin(), tags[t].keys.end(), [](const cdx::KeyEntry& a, const cdx::KeyEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        EXPECT_EQ(onDisk.tags[t].keys, tags[t].keys) << "the index is out of step with the records";
    }
}

std::vector<std::string> leftovers(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = toLowerAscii(e.path().filename().string());
        if (name.size() > 4 && name.substr(name.size() - 4) == ".new")
            out.push_back(name);
    }
    return out;
}

struct Scenario {
    const char* name;
    bool oldTable; // the base holds t with two "old" rows
    std::function<void(TableSource&, const std::function<void(char)>&)> work;
};

const std::vector<Scenario>& scenarios()
{
    static const std::vector<Scenario> all = {
        {"send", false, [](TableSource& s, const auto& report) { send(s, "new", 2, report); }},
        {"replace", true,
         [](TableSource& s, const auto& report) {
             s.dropTable("t");
             report('D');
             send(s, "new", 2, report);
         }},
        {"drop", true,
         [](TableSource& s, const auto& report) {
             s.dropTable("t");
             report('D');
         }},
    };
    return all;
}

// One stop: the child's report and where its files are.
struct Stop {
    int change = 0;
    std::string report;
    fs::path folder;
    fs::path source; // the folder, or the container in it
};

class KillAtEveryChange : public ::testing::TestWithParam<bool> {
protected:
    bool inContainer() const { return GetParam(); }

    // A base folder: a table "keep" with one row, and t with two old rows when the scenario wants it.
    fs::path makeBase(const Scenario& s)
    {
        fs::path base = m_dir.path() / (std::string(s.name) + "-base");
        fs::create_directory(base);
        fs::path source = base;
        if (inContainer()) {
            dbctest::copyFixtureFiles(testsupport::vfpFixtures() / "vfpclient/blank-dbc", base);
            source = base / "Blank.dbc";
        }
        auto src = openSource(source);
        src->createTable("keep", columns());
        TableAppender(src->tableFile("keep")).append(row("keep", 1));
        if (s.oldTable)
            send(*src, "old", 2, [](char) {});
        return source;
    }

    // Runs the scenario in a child that stops before change `n`; kKilled, kCompleted or kEngineFailed.
    static int runChild(const Scenario& s, const fs::path& source, int n, std::string& report)
    {
        return testsupport::runInChild(
            [&](const std::function<void(char)>& note) {
                int changes = 0;
                setFileChangeHook([&](const fs::path&) {
                    if (changes++ == n)
                        _exit(kKilled);
                });
                try {
                    auto src = openSource(source);
                    s.work(*src, note);
                } catch (const std::exception& e) {
                    for (char c : std::string("!") + e.what())
                        note(c);
                    return kEngineFailed;
                }
                return kCompleted;
            },
            report);
    }

    void checkStop(const Scenario& s, const Stop& stop)
    {
        SCOPED_TRACE(std::string(s.name) + ", stopped before change " + std::to_string(stop.change) + ", reported '" +
                     stop.report + "'");
        const bool dropped = stop.report.find('D') != std::string::npos;
        const bool created = stop.report.find('C') != std::string::npos;
        const auto reportedRows = std::count(stop.report.begin(), stop.report.end(), 'R');
        auto src = openSource(stop.source);
        if (inContainer())
            expectParentsLive(stop.source);
        ASSERT_TRUE(listed(*src, "keep"));
        EXPECT_EQ(readRows(*src, "keep").size(), 1u);
        if (created) {
            EXPECT_TRUE(listed(*src, "t")) << "a create that completed is not listed";
        }
        if (dropped && !created && std::string(s.name) == "drop") {
            EXPECT_FALSE(listed(*src, "t")) << "a drop that completed still lists the table";
        }
        std::vector<std::string> names;
        for (const TableEntry& e : src->listTables())
            names.push_back(toLowerAscii(e.name));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "a table is listed twice";
        for (const std::string& n : names)
            EXPECT_TRUE(n == "keep" || n == "t") << "an orphan is listed: " << n;
        if (listed(*src, "t")) {
            auto rows = readRows(*src, "t");
            if (created) {
                ASSERT_EQ(rows.size(), static_cast<std::size_t>(reportedRows)) << "reported rows are missing";
                for (std::size_t i = 0; i < rows.size(); ++i)
                    EXPECT_EQ(rows[i], row("new", static_cast<int>(i) + 1));
            } else if (!rows.empty() && rows[0] == row("old", 1)) {
                EXPECT_FALSE(dropped) << "a drop that completed left the old rows";
                EXPECT_EQ(rows, (std::vector<std::vector<db::Value>>{row("old", 1), row("old", 2)}));
            } else {
                EXPECT_TRUE(rows.empty()) << "a table whose create did not complete has rows";
            }
            m_counts[src->tableFile("t").string()] = static_cast<long>(rows.size());
        }
    }

    void resend(const Scenario& s, const Stop& stop)
    {
        SCOPED_TRACE(std::string(s.name) + ", sent again after the stop before change " + std::to_string(stop.change));
        auto src = openSource(stop.source);
        if (listed(*src, "t")) {
            ASSERT_NO_THROW(src->dropTable("t"));
        }
        ASSERT_NO_THROW(send(*src, "again", 2, [](char) {}));
        EXPECT_EQ(readRows(*src, "t"), (std::vector<std::vector<db::Value>>{row("again", 1), row("again", 2)}));
        EXPECT_EQ(readRows(*src, "keep").size(), 1u);
        EXPECT_EQ(leftovers(stop.folder), std::vector<std::string>{}) << "temporary files are left behind";
        if (inContainer()) {
            expectParentsLive(stop.source);
            expectIndexMatchesRecords(stop.source);
        }
        ASSERT_NO_THROW(src->dropTable("t"));
        EXPECT_FALSE(findFileIgnoreCase(stop.folder, "t.dbf")) << "a drop left the table's file";
        EXPECT_FALSE(findFileIgnoreCase(stop.folder, "t.fpt")) << "a drop left the table's memo file";
    }

    // A kill keeps what was written on any file system, so a memory one serves, and spares the test the disk's
    // flushes (seconds instead of tens of seconds).
    struct WorkDir {
        WorkDir()
        {
            std::error_code ec;
            if (fs::is_directory("/dev/shm", ec) &&
                fs::create_directory("/dev/shm/corvalen-kill-" + std::to_string(getpid()), ec))
                m_shm = "/dev/shm/corvalen-kill-" + std::to_string(getpid());
        }
        ~WorkDir()
        {
            std::error_code ec;
            if (!m_shm.empty())
                fs::remove_all(m_shm, ec);
        }
        WorkDir(const WorkDir&) = delete;
        WorkDir& operator=(const WorkDir&) = delete;
        fs::path path() const { return m_shm.empty() ? m_fallback.path() : m_shm; }
        fs::path m_shm;
        testsupport::TempDir m_fallback;
    };
    WorkDir m_dir;
    std::map<std::string, long> m_counts; // our reader's live rows of t at each stop, by file
};

TEST_P(KillAtEveryChange, SendReplaceAndDropLeaveFilesEveryReaderAgreesOn)
{
    if (inContainer())
        SKIP_WITHOUT_FIXTURES();
    for (const Scenario& s : scenarios()) {
        const fs::path baseSource = makeBase(s);
        const fs::path baseFolder = inContainer() ? baseSource.parent_path() : baseSource;
        std::vector<Stop> stops;
        for (int n = 0;; ++n) {
            ASSERT_LT(n, 200) << s.name << " should need far fewer changes";
            Stop stop{n, {}, m_dir.path() / (std::string(s.name) + "-" + std::to_string(n)), {}};
            fs::copy(baseFolder, stop.folder);
            stop.source = inContainer() ? stop.folder / baseSource.filename() : stop.folder;
            const int status = runChild(s, stop.source, n, stop.report);
            ASSERT_TRUE(status == kKilled || status == kCompleted)
                << s.name << " at change " << n << ": " << stop.report;
            checkStop(s, stop);
            stops.push_back(stop);
            if (status == kCompleted)
                break;
        }
        // The other readers see what ours sees, read at the stops before anything else changed the files.
        std::vector<fs::path> tables;
        for (const auto& [file, count] : m_counts)
            tables.emplace_back(file);
        for (const auto& [reader, counts] : otherReadersCounts(tables))
            for (const auto& [file, count] : m_counts) {
                auto it = counts.find(file);
                ASSERT_NE(it, counts.end()) << reader << " gave nothing for " << file;
                EXPECT_EQ(it->second, count) << reader << " sees other rows than we do in " << file;
            }
        m_counts.clear();
        for (const Stop& stop : stops)
            resend(s, stop);
    }
}

INSTANTIATE_TEST_SUITE_P(, KillAtEveryChange, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "InAContainer" : "InAFreeFolder";
                         });

} // namespace
