#include "frame/ListHelpers.h"

#include "db/Utf8.h"

#include <clocale>
#include <cwctype>

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

} // namespace

std::string lowerText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    const locale_t locale = unicodeCase();
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
            ++i;
            continue;
        }
        const std::optional<std::uint32_t> c = db::nextUtf8(text, i);
        if (!c) {
            out += text[i++];
            continue;
        }
        const auto lowered = locale ? towlower_l(static_cast<wint_t>(*c), locale) : static_cast<wint_t>(*c);
        db::appendUtf8(out, static_cast<std::uint32_t>(lowered));
    }
    return out;
}

} // namespace frame
