#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the fixtures' MANIFEST.md records for one table, parsed so the tests can walk it.
namespace manifest {

struct Field {
    std::string name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    bool nullable = false, binary = false, autoIncrement = false;
};

// A value as python3-dbfread printed it.
struct Cell {
    enum Kind { None, Bool, Number, Text, Hex, Date, DateTime } kind = None;
    bool truncated = false; // shortened to 40 characters (or bytes) with '…'
    bool flag = false;
    double number = 0;
    std::u32string text;           // Text
    std::vector<std::uint8_t> hex; // Hex
    int year = 0, month = 0, day = 0;
    long long msOfDay = 0;
};

struct Table {
    std::string path; // relative to the fixtures folder
    std::uint8_t version = 0, tableFlags = 0, codePageMark = 0;
    std::uint32_t records = 0, deleted = 0;
    int headerLength = 0, recordLength = 0;
    std::string backlink;
    std::vector<Field> fields; // _NullFlags included, as listed
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;
    bool rowShortened = false;
};

std::vector<Table> readManifest(const std::filesystem::path& manifestFile);

// Parses one python literal as the manifest prints it.
Cell parseCell(const std::string& text);

std::u32string utf32(const std::string& utf8);

} // namespace manifest
