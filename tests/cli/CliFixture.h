#pragma once

#include "db/Value.h"
#include "frame/ConnectionFields.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace clitest {

using Rows = std::vector<std::vector<std::string>>;

// A FoxPro free-table folder holding a copy of the shipped sample tables, a stand-in server file, and a settings
// folder of the test's own (the user's settings are never read or written).
class CliTest : public ::testing::Test {
protected:
    CliTest();

    // Runs the built corvalen-cli with these arguments, standard input from a file (so no terminal).
    testsupport::ProgramRun cli(const std::vector<std::string>& args);
    // The settings that point at this test's folder and stand-in, as --set arguments, followed by `args`.
    std::vector<std::string> withSides(const std::vector<std::string>& args) const;

    // Statements and reads on either side, values as text.
    void fox(const std::string& sql);
    void ase(const std::string& sql);
    Rows foxRows(const std::string& table);
    Rows aseRows(const std::string& table);
    Rows sampleRows(const std::string& table); // as shipped, beside the program
    bool aseHas(const std::string& table);
    // Points the first memo of record `record` (from 1) of a free table past the end of its memo file, as a crash
    // or a faulty program would leave it: that record cannot be read.
    void pointMemoPastEnd(const std::string& table, int record);

    // The rows of a table file as python3-dbfread reads them, one line a row, values tab-separated.
    std::string dbfread(const std::filesystem::path& dbf);

    testsupport::TempDir m_dir;
    std::filesystem::path m_foxFolder;
    std::filesystem::path m_serverFile;
    std::filesystem::path m_config; // XDG_CONFIG_HOME of the runs
    frame::ConnectionFields m_fields;
};

bool dbfreadInstalled();

// The sample tables made at build time beside the programs.
std::filesystem::path samplesFolder();

} // namespace clitest
