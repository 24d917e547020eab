// Reading the Visual FoxPro containers of the fixtures: tables, files, long names, first rows, and the index
// rebuilt from each container's records against Visual FoxPro's own.
#include "DbcTestSupport.h"
#include "db/vfp/dbc/CdxReader.h"
#include "db/vfp/dbc/DbcContainer.h"
#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/dbc/DbcIndex.h"
#include "db/vfp/table/TableFiles.h"

#include <gtest/gtest.h>

using namespace db::vfp;

namespace {

struct ExpectedTable {
    std::string name;
    std::string file;
    std::vector<std::string> someFields; // the first long field names
    std::vector<std::string> firstRow;   // leading values of the first row, as text
};

struct ExpectedContainer {
    std::string dbc;
    std::vector<std::string> tables; // in container order
    std::size_t views = 0;
    std::vector<ExpectedTable> samples;
};

const std::vector<ExpectedContainer>& containers()
{
    static const std::vector<ExpectedContainer> all = {
        {"vfpclient/blank-dbc/Blank.dbc", {}, 0, {}},
        {"foxprodbextractor/data1.dbc",
         {"table1"},
         0,
         {{"table1", "table1.dbf", {"blob", "character", "characterbin", "currency", "date"}, {}}}},
        {"go-dbase/database/EXPENSES.DBC",
         {"employees", "expense_categories", "expense_details", "expense_reports"},
         0,
         {{"expense_categories",
           "expense categories.dbf",
           {"expensecategoryid", "expensecategory", "expensecategoryaccount"},
           {"1", "Meals", "500"}},
          {"employees", "employees.dbf", {"employeeid", "departmentname"}, {"1", "Sales"}}}},
        {"infused-dbf/foxprodb/FOXPRO-DB-TEST.DBC",
         {"types", "setup", "contacts", "calls"},
         0,
         {{"setup", "setup.dbf", {"key_name", "value"}, {"CALLS", "21"}},
          {"types", "types.dbf", {"contact_type_id", "contact_type"}, {"1", "Buyer"}}}},
        {"vfpclient/northwind/northwind.dbc",
         {"Categories", "Customers", "Employees", "OrderDetails", "Orders", "Products", "Shippers", "Suppliers",
          "Territories", "EmployeeTerritories", "CustomerDemographics", "CustomerCustomerDemo", "Region"},
         17,
         {{"Region", "region.dbf", {"regionid", "regiondescription"}, {"1", "Eastern"}},
          {"Categories", "categories.dbf", {"categoryid", "categoryname"}, {"1", "Beverages"}}}},
    };
    return all;
}

std::vector<std::string> firstRowText(const std::filesystem::path& dbf, const std::vector<std::string>& names,
                                      std::vector<std::string>& fieldNames)
{
    auto cursor = openTableCursor(dbf, names);
    for (const auto& f : cursor->fields())
        fieldNames.push_back(f.name);
    std::vector<db::Value> row;
    std::vector<std::string> out;
    if (cursor->next(row))
        for (const auto& v : row)
            out.push_back(v.toText());
    return out;
}

} // namespace

TEST(DbcRead, EveryFixtureContainerListsItsTablesNamesAndRows)
{
    SKIP_WITHOUT_FIXTURES();
    for (const ExpectedContainer& c : containers()) {
        SCOPED_TRACE(c.dbc);
        DatabaseContainer dbc(testsupport::vfpFixtures() / c.dbc);
        std::vector<std::string> tables;
        std::size_t views = 0;
        for (const TableEntry& e : dbc.listTables()) {
            if (e.type == "TABLE")
                tables.push_back(e.name);
            else if (e.type == "VIEW")
                ++views;
            else
                ADD_FAILURE() << "unexpected type " << e.type;
        }
        EXPECT_EQ(tables, c.tables);
        EXPECT_EQ(views, c.views);
        for (const ExpectedTable& t : c.samples) {
            SCOPED_TRACE(t.name);
            const std::filesystem::path file = dbc.tableFile(t.name);
            EXPECT_EQ(file.filename().string(), t.file);
            const std::vector<std::string> names = dbc.longFieldNames(t.name);
            ASSERT_GE(names.size(), t.someFields.size());
            EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(t.someFields.size())),
                      t.someFields);
            std::vector<std::string> shown;
            const std::vector<std::string> row = firstRowText(file, names, shown);
            EXPECT_EQ(shown, names);
            ASSERT_GE(row.size(), t.firstRow.size());
            EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + static_cast<long>(t.firstRow.size())),
                      t.firstRow);
        }
    }
}

TEST(DbcRead, NamesMatchIgnoringCaseAndUnknownTablesFail)
{
    SKIP_WITHOUT_FIXTURES();
    testsupport::TempDir dir;
    dbctest::copyFixtureFiles(testsupport::vfpFixtures() / "go-dbase/database", dir.path());
    // The container itself is found whatever the case of the path given.
    auto source = openDatabaseContainer(dir.path() / "expenses.dbc");
    EXPECT_EQ(source->tableFile("EXPENSE_CATEGORIES").filename().string(), "expense categories.dbf");
    EXPECT_EQ(source->longFieldNames("Expense_Details").size(), 6u);
    EXPECT_THROW(source->tableFile("expense categories"), std::runtime_error);
    EXPECT_THROW(source->longFieldNames("nothing"), std::runtime_error);
    EXPECT_THROW(openDatabaseContainer(dir.path() / "missing.dbc"), std::runtime_error);
    EXPECT_THROW(openDatabaseContainer(dir.path() / "employees.dbf"), std::runtime_error);
}

TEST(DbcRead, IndexRebuiltFromEachContainerMatchesVisualFoxPros)
{
    SKIP_WITHOUT_FIXTURES();
    for (const ExpectedContainer& c : containers()) {
        SCOPED_TRACE(c.dbc);
        const std::filesystem::path dbcPath = testsupport::vfpFixtures() / c.dbc;
        DbcFile file(dbcPath, realFileOpener(), false);
        const auto ours = cdx::readCompoundIndex(cdx::buildCompoundIndex(containerIndexTags(file.records(), 0x03)));
        const auto theirs = cdx::readCompoundIndex(companionFile(dbcPath, ".dcx"));
        ASSERT_EQ(ours.tags.size(), theirs.tags.size());
        for (std::size_t t = 0; t < ours.tags.size(); ++t) {
            EXPECT_EQ(ours.tags[t].name, theirs.tags[t].name);
            EXPECT_EQ(ours.tags[t].header.keyLength, theirs.tags[t].header.keyLength);
            EXPECT_EQ(ours.tags[t].header.options, theirs.tags[t].header.options);
            EXPECT_EQ(ours.tags[t].keys, theirs.tags[t].keys);
            if (c.dbc.find("northwind") != std::string::npos || theirs.tags[t].nodes.size() == 1) {
                ASSERT_EQ(ours.tags[t].nodes.size(), theirs.tags[t].nodes.size());
                for (std::size_t n = 0; n < ours.tags[t].nodes.size(); ++n) {
                    EXPECT_EQ(ours.tags[t].nodes[n].node.keys, theirs.tags[t].nodes[n].node.keys);
                    EXPECT_EQ(ours.tags[t].nodes[n].node.dupTrail, theirs.tags[t].nodes[n].node.dupTrail);
                    EXPECT_EQ(ours.tags[t].nodes[n].node.layout, theirs.tags[t].nodes[n].node.layout);
                }
            }
        }
    }
}
