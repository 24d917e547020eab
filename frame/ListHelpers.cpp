#include "frame/ListHelpers.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace frame {

bool ListContains(const ListControl& list, const std::string& text)
{
    bool found = false;
    const std::string wanted = lowerText(text);
    for (int i = 0; i < list.count(); ++i) {
        if (lowerText(list.text(i)) == wanted)
            found = true;
    }
    return found;
}

void RemoveListItem(ListControl& list, const std::string& text)
{
    const int count = list.count();
    for (int i = 0; i < count; ++i) {
        // Past the end once items have gone: the original's loop bound was fixed at the start.
        if (i >= list.count())
            break;
        if (list.text(i) == text)
            list.removeAt(i);
    }
}

db::Value NullToDefault(const db::Value& value, const db::Value& fallback)
{
    return value.isNull() ? fallback : value;
}

namespace {

// The case mapping of C.UTF-8, whatever locale the program runs in.
locale_t unicodeCase()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

// Decodes one UTF-8 sequence at `i`; 0 and no advance for a byte that does not start a valid one.
char32_t decode(const std::string& s, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (lead >= 0xF5)
        extra = -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size())
        return 0;
    char32_t c = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + static_cast<std::size_t>(k)) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i + static_cast<std::size_t>(k)) & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    i += static_cast<std::size_t>(extra) + 1;
    return c;
}

void encode(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string lowerText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    const locale_t locale = unicodeCase();
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char32_t c = decode(text, i);
        if (i == start) {
            out += text[i++];
            continue;
        }
        const auto lowered = locale ? towlower_l(static_cast<wint_t>(c), locale) : static_cast<wint_t>(c);
        encode(static_cast<char32_t>(lowered), out);
    }
    return out;
}

} // namespace frame
