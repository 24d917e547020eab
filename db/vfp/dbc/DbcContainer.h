#pragma once

#include "db/vfp/TableSource.h"
#include "db/vfp/dbc/DatabaseContainer.h"
#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/table/FileIo.h"

#include <filesystem>
#include <functional>
#include <string>

namespace db::vfp {

class DbcCatalog;

// A Visual FoxPro database container as a table source: its live Table records are the tables, each stored in
// the file its properties name, with long field names from its Field records. Creating and dropping tables keeps
// the .dbc, its .dct and its .dcx as Visual FoxPro keeps them. Every call reads the container afresh.
//
// Changes run in an order that leaves a container Visual FoxPro opens at every step — on create the table files,
// then the property memo, then the records, then the index; on drop the deletion marks, then the index, then the
// files — and a change that fails is undone before the error goes on.
class DatabaseContainer : public TableSource {
public:
    // Called after each completed write of a change with its name; tests use it to stop a change there.
    using StepHook = std::function<void(const std::string& step)>;

    explicit DatabaseContainer(const std::filesystem::path& dbc, FileOpener opener = realFileOpener(),
                               StepHook afterStep = {});

    std::vector<TableEntry> listTables() override;
    std::filesystem::path tableFile(const std::string& name) override;
    std::vector<std::string> longFieldNames(const std::string& name) override;
    void createTable(const std::string& name, const std::vector<FieldDef>& columns) override;
    void dropTable(const std::string& name) override;

    const std::filesystem::path& path() const { return m_dbc; }

private:
    void step(const std::string& what);
    void undoCreate(DbcFile& file, const DbcSnapshot& before, bool recordsTouched, const std::string& name,
                    const std::filesystem::path& dbf);
    std::filesystem::path dcxPath() const;
    void checkOwned(const std::string& name, const std::filesystem::path& dbf) const;
    void recoverForChange(DbcFile& file);
    bool isLeftover(const DbcFile& file, DbcCatalog& catalog, const std::filesystem::path& dbf) const;

    std::filesystem::path m_dbc;
    FileOpener m_opener;
    StepHook m_afterStep;
};

} // namespace db::vfp
