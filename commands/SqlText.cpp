#include "commands/SqlText.h"

#include <stdexcept>

namespace commands {

namespace {

std::string delimited(const std::string& name, char open, char close, const char* side)
{
    if (name.find(close) != std::string::npos)
        throw RefusedName("The name " + name + " holds the character " + std::string(1, close) +
                          ", which cannot be used in a " + side +
                          " name; nothing was sent for it. Rename it in its database first.");
    return open + name + close;
}

} // namespace

std::string aseName(const std::string& name)
{
    return delimited(name, '[', ']', "Sybase ASE");
}

std::string foxProName(const std::string& name)
{
    return delimited(name, '"', '"', "FoxPro");
}

std::string doubleQuotes(const std::string& text)
{
    std::size_t quote = text.find('\'');
    if (quote == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t from = 0; // copied in runs up to and with each quote
    for (; quote != std::string::npos; quote = text.find('\'', from)) {
        out.append(text, from, quote + 1 - from).push_back('\'');
        from = quote + 1;
    }
    return out.append(text, from);
}

std::string aseQuotes(const std::string& text)
{
    std::string out = doubleQuotes(text);
    for (std::size_t at = out.find('\\'); at != std::string::npos; at = out.find('\\', at + 1)) {
        if (at + 1 < out.size() && (out[at + 1] == '\r' || out[at + 1] == '\n')) {
            out.insert(at + 1, "' + '");
            at += 5;
        }
    }
    return out;
}

} // namespace commands
