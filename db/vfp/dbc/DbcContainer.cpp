#include "db/vfp/dbc/DbcContainer.h"

#include "db/ConnectionString.h"
#include "db/vfp/dbc/DbcCatalog.h"
#include "db/vfp/dbc/DbcIndex.h"
#include "db/vfp/table/FieldNames.h"
#include "db/vfp/table/TableFiles.h"
#include "db/vfp/table/TableNames.h"

#include <set>
#include <stdexcept>

namespace db::vfp {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxNameLength = 128;

fs::path resolveContainer(const fs::path& dbc)
{
    std::error_code ec;
    if (fs::is_regular_file(dbc, ec))
        return dbc;
    const fs::path folder = dbc.parent_path().empty() ? "." : dbc.parent_path();
    if (auto found = findFileIgnoreCase(folder, dbc.filename().string()))
        return *found;
    throw std::runtime_error("File '" + dbc.string() + "' does not exist.");
}

void checkLongName(const std::string& name, const char* what)
{
    if (name.empty() || name.size() > kMaxNameLength)
        throw std::runtime_error(std::string(what) + " name \"" + name + "\" must have 1 to 128 characters.");
}

std::vector<std::string> longColumnNames(const std::vector<FieldDef>& columns)
{
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const FieldDef& c : columns) {
        std::string lower = toLowerAscii(c.name);
        checkLongName(lower, "Field");
        if (!seen.insert(lower).second)
            throw std::runtime_error("Field name \"" + c.name + "\" is duplicated.");
        names.push_back(std::move(lower));
    }
    return names;
}

// Runs `undo` when the change fails, swallowing its own errors so the first failure is the one reported.
template <typename Change, typename Undo> void withUndo(Change change, Undo undo)
{
    try {
        change();
    } catch (...) {
        try {
            undo();
        } catch (...) {
        }
        throw;
    }
}

fs::path folderOf(const fs::path& file)
{
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

// Removes whatever files of the table are there, without failing on those that are not.
void removeTableFilesQuietly(const fs::path& dbf)
{
    std::error_code ec;
    removeFile(dbf, ec);
    for (const char* ext : {".fpt", ".cdx"})
        if (auto file = findFileIgnoreCase(folderOf(dbf), dbf.stem().string() + ext))
            removeFile(*file, ec);
}

// Whether the table's backlink, relative to the table's folder, names the container.
bool linksBackTo(const fs::path& dbf, std::string backlink, const fs::path& dbc)
{
    if (backlink.empty())
        return false;
    for (char& c : backlink)
        if (c == '\\')
            c = '/';
    fs::path target = folderOf(dbf) / backlink;
    std::error_code ec;
    if (!fs::exists(target, ec)) {
        auto found = findFileIgnoreCase(folderOf(target), target.filename().string());
        if (!found)
            return false;
        target = *found;
    }
    return fs::equivalent(target, dbc, ec);
}

// The Table record and one Field record per column, numbered from `firstRecno` (object id = record number).
std::vector<NewDbcRecord> recordsForTable(std::uint32_t firstRecno, const std::string& tableName,
                                          std::uint32_t propertyBlock, const std::vector<std::string>& fieldNames)
{
    const auto tableId = static_cast<std::int32_t>(firstRecno);
    std::vector<NewDbcRecord> out{{tableId, 1, "Table", tableName, propertyBlock}};
    for (std::size_t i = 0; i < fieldNames.size(); ++i)
        out.push_back({tableId + static_cast<std::int32_t>(i) + 1, tableId, "Field", fieldNames[i], 0});
    return out;
}

} // namespace

DatabaseContainer::DatabaseContainer(const fs::path& dbc, FileOpener opener, StepHook afterStep)
    : m_dbc(resolveContainer(dbc)), m_opener(std::move(opener)), m_afterStep(std::move(afterStep))
{
    DbcFile check(m_dbc, m_opener, false);
}

void DatabaseContainer::step(const std::string& what)
{
    if (m_afterStep)
        m_afterStep(what);
}

fs::path DatabaseContainer::dcxPath() const
{
    return companionFile(m_dbc, ".dcx");
}

std::vector<TableEntry> DatabaseContainer::listTables()
{
    DbcFile file(m_dbc, m_opener, false);
    DbcCatalog catalog(file);
    std::vector<TableEntry> out;
    for (const DbcRecord& r : file.records()) {
        if (r.deleted)
            continue;
        if (equalsIgnoreCase(r.objectType, "Table"))
            out.push_back({catalog.nameOf(r), "TABLE"});
        else if (equalsIgnoreCase(r.objectType, "View"))
            out.push_back({catalog.nameOf(r), "VIEW"});
    }
    return out;
}

fs::path DatabaseContainer::tableFile(const std::string& name)
{
    DbcFile file(m_dbc, m_opener, false);
    DbcCatalog catalog(file);
    const DbcRecord* table = catalog.findTable(name);
    if (!table)
        throw std::runtime_error("Table \"" + name + "\" is not in the database " + m_dbc.filename().string() + ".");
    return catalog.fileOf(*table);
}

std::vector<std::string> DatabaseContainer::longFieldNames(const std::string& name)
{
    DbcFile file(m_dbc, m_opener, false);
    DbcCatalog catalog(file);
    const DbcRecord* table = catalog.findTable(name);
    if (!table)
        throw std::runtime_error("Table \"" + name + "\" is not in the database " + m_dbc.filename().string() + ".");
    return catalog.fieldNamesOf(*table);
}

void DatabaseContainer::createTable(const std::string& name, const std::vector<FieldDef>& columns)
{
    checkTableName(name);
    checkLongName(name, "Table");
    const std::vector<std::string> longNames = longColumnNames(columns);
    DbcFile file(m_dbc, m_opener, true);
    recoverForChange(file);
    DbcCatalog catalog(file);
    // Visual FoxPro keeps the table's name as written, names its file in lower case, and its fields too.
    const std::string fileName = toLowerAscii(name) + ".dbf";
    if (catalog.findTable(name) != nullptr)
        throw std::runtime_error("Table \"" + name + "\" already exists.");
    if (auto existing = findFileIgnoreCase(folderOf(m_dbc), fileName);
        existing && !isLeftover(file, catalog, *existing))
        throw std::runtime_error("Table \"" + name + "\" already exists.");
    std::vector<FieldDef> fields = columns;
    const std::vector<std::string> shortNames = shortFieldNames(longNames);
    std::vector<std::string> storedNames;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i].name = shortNames[i];
        storedNames.push_back(catalog.codec().encode(longNames[i], longNames[i]));
    }
    const std::string storedTable = catalog.codec().encode(name, name);
    const std::string storedFile = catalog.codec().encode(fileName, name);
    const fs::path dbf = folderOf(m_dbc) / fileName;
    removeTableFilesQuietly(dbf); // companions left by a table that is gone would be taken for the new one's
    const DbcSnapshot before = file.snapshot();
    bool recordsTouched = false;
    withUndo(
        [&] {
            createTableFiles(dbf, fields, file.codePageMark(), toLowerAscii(m_dbc.filename().string()));
            step("table files");
            const std::uint32_t block = file.appendMemo(encodeDbcProperties(tablePropertiesFor(storedFile)));
            step("property memo");
            const auto firstRecno = static_cast<std::uint32_t>(file.records().size() + 1);
            recordsTouched = true;
            file.appendRecords(recordsForTable(firstRecno, storedTable, block, storedNames));
            step("records");
            writeContainerIndex(dcxPath(), file.records(), file.codePageMark(), m_opener);
            step("index");
        },
        [&] { undoCreate(file, before, recordsTouched, name, dbf); });
}

// Each part of the undo is tried on its own: when the disk refuses the restore, the table files stay as long as
// the container still lists the table, so it is never left without its file.
void DatabaseContainer::undoCreate(DbcFile& file, const DbcSnapshot& before, bool recordsTouched,
                                   const std::string& name, const fs::path& dbf)
{
    try {
        file.restore(before);
    } catch (...) {
    }
    DbcFile now(m_dbc, m_opener, false);
    if (recordsTouched) {
        try {
            writeContainerIndex(dcxPath(), now.records(), now.codePageMark(), m_opener);
        } catch (...) {
        }
    }
    if (DbcCatalog(now).findTable(name) == nullptr)
        removeTableFilesQuietly(dbf);
}

void DatabaseContainer::dropTable(const std::string& name)
{
    DbcFile file(m_dbc, m_opener, true);
    recoverForChange(file);
    DbcCatalog catalog(file);
    const DbcRecord* table = catalog.findTable(name);
    if (!table)
        throw std::runtime_error("Table \"" + name + "\" is not in the database " + m_dbc.filename().string() + ".");
    const fs::path dbf = catalog.fileOf(*table);
    std::error_code ec;
    const bool present = fs::exists(dbf, ec);
    if (present)
        checkOwned(name, dbf);
    const std::vector<std::uint32_t> doomed = catalog.recordsOfTable(*table);
    std::vector<std::uint32_t> marked;
    bool indexWritten = false;
    withUndo(
        [&] {
            file.setDeleted(doomed, true);
            marked = doomed;
            step("records");
            writeContainerIndex(dcxPath(), file.records(), file.codePageMark(), m_opener);
            indexWritten = true;
            step("index");
        },
        [&] {
            file.setDeleted(marked, false);
            if (indexWritten)
                writeContainerIndex(dcxPath(), file.records(), file.codePageMark(), m_opener);
        });
    if (!present) { // already gone: the drop still clears the container of it, and of companions beside it
        if (fs::equivalent(folderOf(dbf), folderOf(m_dbc), ec))
            removeTableFilesQuietly(dbf);
        return step("table files");
    }
    try {
        removeTableFiles(dbf);
    } catch (const std::exception& e) {
        throw std::runtime_error("Table \"" + name +
                                 "\" was removed from the database, but its files could not be "
                                 "deleted: " +
                                 e.what());
    }
    step("table files");
}

// A change killed part-way may have left a create's temporary files, the index's new file, or an index that lacks
// the last records: all are put right before the next change, under the container's lock.
void DatabaseContainer::recoverForChange(DbcFile& file)
{
    std::error_code ec;
    const fs::path dcx = dcxPath();
    for (fs::directory_iterator it(folderOf(m_dbc), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        std::error_code ignored;
        if (isTemporaryTableFile(p) ||
            equalsIgnoreCase(p.filename().string(), temporaryIndexFile(dcx).filename().string()))
            removeFile(p, ignored);
    }
    if (!containerIndexMatches(dcx, file.records(), file.codePageMark()))
        writeContainerIndex(dcx, file.records(), file.codePageMark(), m_opener);
}

// A table file the container does not list, which links back to it, is what a create or drop killed part-way
// leaves: the new create takes it over. A file any listed table uses, or that is not ours, is never touched.
bool DatabaseContainer::isLeftover(const DbcFile& file, DbcCatalog& catalog, const fs::path& dbf) const
{
    std::error_code ec;
    try {
        for (const DbcRecord& r : file.records())
            if (!r.deleted && equalsIgnoreCase(r.objectType, "Table") && fs::equivalent(catalog.fileOf(r), dbf, ec))
                return false;
        return linksBackTo(dbf, readTableInfo(dbf).backlink, m_dbc);
    } catch (const std::runtime_error&) {
        return false;
    }
}

// A damaged or hand-edited path property must not make a drop delete the container, a file elsewhere or a file
// that is no table: only a table that links back to this container goes.
void DatabaseContainer::checkOwned(const std::string& name, const fs::path& dbf) const
{
    auto refuse = [&](const std::string& why) {
        throw std::runtime_error("Table \"" + name + "\" was not dropped: its file " + dbf.string() + " " + why +
                                 ", so it is not deleted.");
    };
    std::error_code ec;
    for (const fs::path& own : {m_dbc, companionFile(m_dbc, ".dct"), dcxPath()})
        if (fs::equivalent(dbf, own, ec))
            refuse("is part of the database container itself");
    TableInfo info;
    try {
        info = readTableInfo(dbf);
    } catch (const std::exception& e) {
        refuse(std::string("is not a table (") + e.what() + ")");
    }
    if (!linksBackTo(dbf, info.backlink, m_dbc))
        refuse(info.backlink.empty() ? "is a free table, not one of this database's"
                                     : "belongs to the database " + info.backlink);
}

std::unique_ptr<TableSource> openDatabaseContainer(const fs::path& dbcFile)
{
    return std::make_unique<DatabaseContainer>(dbcFile);
}

} // namespace db::vfp
