#pragma once

#include "db/vfp/TableSource.h"

#include <filesystem>

namespace db::vfp {

// The free tables of a folder: every .dbf file in it is a table named by the file's base name. Names are
// matched against the files ignoring letter case, as on Windows.
class FreeTableFolder : public TableSource {
public:
    explicit FreeTableFolder(std::filesystem::path folder);

    std::vector<TableEntry> listTables() override;
    std::filesystem::path tableFile(const std::string& name) override;
    std::vector<std::string> longFieldNames(const std::string& name) override;
    void createTable(const std::string& name, const std::vector<FieldDef>& columns) override;
    void dropTable(const std::string& name) override;

    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
};

} // namespace db::vfp
