#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace db {

// Appends the UTF-8 bytes of a code point.
void appendUtf8(std::string& out, std::uint32_t cp);

// The code point whose UTF-8 sequence starts at `at`, moving `at` past it; nothing, and `at` unmoved, when the bytes
// there are no valid sequence (overlong, a surrogate, past U+10FFFF, or cut short).
std::optional<std::uint32_t> nextUtf8(const std::string& text, std::size_t& at);

} // namespace db
