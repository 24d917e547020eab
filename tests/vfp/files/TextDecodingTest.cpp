// Windows-1252 text is decoded eight bytes at a time where it is ASCII, in one pass through a scratch string when
// short, and measured first when long. Every way gives the same UTF-8, whatever the alignment of the bytes.
#include "db/vfp/table/CodePage.h"

#include <gtest/gtest.h>

namespace {

// Every byte value, each after a run of `ascii` letters, so the bytes fall at every place in an eight-byte word.
std::string everyByteAmongAscii(std::size_t ascii)
{
    std::string s;
    for (int b = 0; b < 256; ++b) {
        s.append(ascii + static_cast<std::size_t>(b) % 9, 'a' + static_cast<char>(b % 26));
        s += static_cast<char>(b);
    }
    return s;
}

} // namespace

TEST(TextDecoding, everyWayOfDecodingGivesTheSameTextAndItEncodesBack)
{
    db::vfp::TextCodec codec(0x03);
    for (std::size_t ascii : {0u, 3u, 8u, 21u}) {
        for (std::size_t copies : {1u, 80u}) { // under and over the one-pass limit
            std::string bytes;
            for (std::size_t i = 0; i < copies; ++i)
                bytes += everyByteAmongAscii(ascii);
            const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());

            std::string oneByOne;
            for (std::uint8_t b : std::string_view(bytes))
                oneByOne += codec.decode(&b, 1);
            std::string into = "left over from the row before";
            codec.decodeInto(into, data, bytes.size());
            std::string inPlace = bytes;
            codec.decodeInPlace(inPlace);

            SCOPED_TRACE("ascii runs of " + std::to_string(ascii) + ", " + std::to_string(bytes.size()) + " bytes");
            EXPECT_TRUE(into == oneByOne);
            EXPECT_TRUE(inPlace == oneByOne);
            EXPECT_EQ(codec.decodedSize(data, bytes.size()), oneByOne.size());
            EXPECT_TRUE(codec.encode(into, "NOTE") == bytes) << "the decoded text does not encode back";
        }
    }
}
