#include "tools/corvalen-sql/JsonLines.h"

#include <cstdio>

namespace tools {

namespace {

// The length of the valid UTF-8 sequence starting at s[i], or 0.
size_t utf8Length(const std::string& s, size_t i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
    if ((n == 2 && c < 0xC2) || (n == 3 && c == 0xE0 && byte(i + 1) < 0xA0) ||
        (n == 3 && c == 0xED && byte(i + 1) >= 0xA0) || (n == 4 && c == 0xF0 && byte(i + 1) < 0x90) ||
        (n == 4 && (c > 0xF4 || (c == 0xF4 && byte(i + 1) >= 0x90))))
        return 0;
    return n;
}

} // namespace

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (n > 1) {
            out.append(text, i, n);
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += c;
        }
        i += n;
    }
    return out + "\"";
}

std::string fieldsLine(const std::vector<db::FieldInfo>& fields)
{
    std::string out = "[";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ",";
        out += "{\"name\":" + jsonString(fields[i].name) + ",\"type\":" + std::to_string(fields[i].type) + "}";
    }
    return out + "]";
}

std::string rowLine(const std::vector<db::Value>& row)
{
    std::string out = "[";
    for (size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            out += ",";
        out += row[i].isNull() ? std::string("null") : jsonString(row[i].toText());
    }
    return out + "]";
}

} // namespace tools
