#include "ManifestData.h"

#include <fstream>
#include <regex>
#include <stdexcept>

namespace manifest {

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.rfind(prefix, 0) == 0;
}

std::vector<std::string> split(const std::string& s, const std::string& sep)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        auto next = s.find(sep, pos);
        out.push_back(s.substr(pos, next - pos));
        if (next == std::string::npos)
            return out;
        pos = next + sep.size();
    }
}

Field parseField(const std::string& text)
{
    static const std::regex re(R"(^(.*) (.)\((\d+)(?:,(\d+))?\)(?: \[(.*)\])?$)");
    std::smatch m;
    if (!std::regex_match(text, m, re))
        throw std::runtime_error("manifest field not understood: " + text);
    Field f;
    f.name = m[1];
    f.type = m[2].str()[0];
    f.length = std::stoi(m[3]);
    f.decimals = m[4].matched ? std::stoi(m[4]) : 0;
    std::string flags = m[5];
    f.nullable = flags.find("null") != std::string::npos;
    f.binary = flags.find("bin") != std::string::npos;
    f.autoIncrement = flags.find("autoinc") != std::string::npos;
    return f;
}

void parseHeaderLine(const std::string& line, Table& t)
{
    static const std::regex re(R"(Version byte 0x([0-9A-F]{2}).*records in header (\d+), header length (\d+), )"
                               R"(record length (\d+); table flags 0x([0-9A-F]{2}); code page mark 0x([0-9A-F]{2}))");
    std::smatch m;
    if (!std::regex_search(line, m, re))
        throw std::runtime_error("manifest header line not understood: " + line);
    t.version = static_cast<std::uint8_t>(std::stoi(m[1], nullptr, 16));
    t.records = static_cast<std::uint32_t>(std::stoul(m[2]));
    t.headerLength = std::stoi(m[3]);
    t.recordLength = std::stoi(m[4]);
    t.tableFlags = static_cast<std::uint8_t>(std::stoi(m[5], nullptr, 16));
    t.codePageMark = static_cast<std::uint8_t>(std::stoi(m[6], nullptr, 16));
}

void parseLine(const std::string& line, Table& t, bool& inRows)
{
    if (startsWith(line, "- Version byte")) {
        parseHeaderLine(line, t);
    } else if (startsWith(line, "- Deleted records: ")) {
        t.deleted = static_cast<std::uint32_t>(std::stoul(line.substr(19)));
        auto b = line.find("backlink: `");
        if (b != std::string::npos)
            t.backlink = line.substr(b + 11, line.find('`', b + 11) - b - 11);
    } else if (startsWith(line, "- Fields: ")) {
        for (const auto& f : split(line.substr(10), "; "))
            t.fields.push_back(parseField(f));
    } else if (startsWith(line, "- dbfread (")) {
        auto c = line.find("columns ");
        std::string cols = line.substr(c + 8);
        cols.pop_back(); // the ':'
        t.columns = split(cols, ", ");
        inRows = true;
        return;
    } else if (inRows && startsWith(line, "  - ")) {
        std::string row = line.substr(4);
        if (startsWith(row, "note:") || startsWith(row, "(no live rows)"))
            return;
        // "… (row shortened)" may cut a value in half: the cell it ends in is dropped.
        auto shortened = row.find(kEllipsis + " (row shortened)");
        if (shortened != std::string::npos) {
            row = row.substr(0, shortened);
            t.rowShortened = true;
        }
        std::vector<Cell> cells;
        auto pieces = split(row, " \\| ");
        if (shortened != std::string::npos)
            pieces.pop_back();
        for (const auto& v : pieces)
            cells.push_back(parseCell(v));
        t.rows.push_back(std::move(cells));
        return;
    }
    inRows = false;
}

void appendEscape(const std::string& s, std::size_t& i, std::u32string& out)
{
    char e = s[++i];
    auto hexValue = [&](std::size_t n) {
        char32_t v = static_cast<char32_t>(std::stoul(s.substr(i + 1, n), nullptr, 16));
        i += n;
        return v;
    };
    switch (e) {
    case 'n':
        out += U'\n';
        break;
    case 'r':
        out += U'\r';
        break;
    case 't':
        out += U'\t';
        break;
    case 'x':
        out += hexValue(2);
        break;
    case 'u':
        out += hexValue(4);
        break;
    default:
        out += static_cast<char32_t>(static_cast<unsigned char>(e));
    }
}

} // namespace

std::u32string utf32(const std::string& s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
        out += cp;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

Cell parseCell(const std::string& raw)
{
    Cell c;
    std::string s = raw;
    if (s == "None")
        return c;
    if (s == "True" || s == "False") {
        c.kind = Cell::Bool;
        c.flag = s == "True";
        return c;
    }
    if (s.size() >= 2 && (s[0] == '\'' || s[0] == '"')) {
        c.kind = Cell::Text;
        std::string body = s.substr(1, s.size() - 2);
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '\\') {
                appendEscape(body, i, c.text);
            } else {
                std::size_t start = i;
                auto b = static_cast<unsigned char>(body[i]);
                i += b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
                c.text += utf32(body.substr(start, i - start + 1));
            }
        }
        if (c.text.size() == 41 && c.text.back() == U'\u2026') { // shortened by the manifest's writer
            c.truncated = true;
            c.text.pop_back();
        }
        return c;
    }
    if (startsWith(s, "0x")) {
        c.kind = Cell::Hex;
        std::string digits = s.substr(2);
        if (digits.size() >= 3 && digits.compare(digits.size() - 3, 3, kEllipsis) == 0) {
            c.truncated = true;
            digits.resize(digits.size() - 3);
        }
        for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
            c.hex.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
        return c;
    }
    static const std::regex date(R"((\d{4})-(\d\d)-(\d\d)(?:T(\d\d):(\d\d):(\d\d)(?:\.(\d{6}))?)?)");
    std::smatch m;
    if (std::regex_match(s, m, date)) {
        c.kind = m[4].matched ? Cell::DateTime : Cell::Date;
        c.year = std::stoi(m[1]);
        c.month = std::stoi(m[2]);
        c.day = std::stoi(m[3]);
        if (m[4].matched)
            c.msOfDay = (std::stoll(m[4]) * 3600 + std::stoll(m[5]) * 60 + std::stoll(m[6])) * 1000 +
                        (m[7].matched ? std::stoll(m[7]) / 1000 : 0);
        return c;
    }
    c.kind = Cell::Number;
    c.number = std::stod(s);
    return c;
}

std::vector<Table> readManifest(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::vector<Table> tables;
    std::string line;
    bool inRows = false;
    while (std::getline(in, line)) {
        if (startsWith(line, "### `")) {
            tables.emplace_back();
            tables.back().path = line.substr(5, line.find('`', 5) - 5);
            inRows = false;
        } else if (startsWith(line, "## ")) {
            inRows = false;
        } else if (!tables.empty()) {
            parseLine(line, tables.back(), inRows);
        }
    }
    return tables;
}

} // namespace manifest
