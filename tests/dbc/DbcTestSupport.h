#pragma once

#include "support/TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace dbctest {

// Copies the files of a fixture folder (or the named files) into `to`, so a test may change them.
void copyFixtureFiles(const std::filesystem::path& fromFolder, const std::filesystem::path& to,
                      const std::vector<std::string>& names = {});

// Every file of a folder with its bytes, for before/after comparisons.
std::vector<std::pair<std::string, std::string>> folderContents(const std::filesystem::path& folder);

// Empty when both listings are equal, else the first difference (file, size or offset) in words.
std::string firstDifference(const std::vector<std::pair<std::string, std::string>>& a,
                            const std::vector<std::pair<std::string, std::string>>& b);

} // namespace dbctest
