// Draws the hand pointer shown over the windows' buttons and writes it as a Windows cursor file (.cur): 32 × 32
// pixels, 32-bit colour with alpha and the matching transparency mask, hot spot at the tip of the index finger.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int Size = 32;
constexpr int HotX = 5, HotY = 0;

// 'X' outline, '.' fill, blank transparent.
const char* const Picture[] = {
    "     XX",           "    X..X",          "    X..X",          "    X..X",          "    X..X",
    "    X..XXX",        "    X..X..XXX",     "    X..X..X..XXX",  " XX X..X..X..X..X", "X..XX..X..X..X..X",
    "X...X...........X", " X..X...........X", "  X.............X", "  X.............X", "   X............X",
    "   X...........X",  "    X..........X",  "    X..........X",  "     X........X",   "     X........X",
    "     XXXXXXXXXX",
};

char pixelAt(int x, int y)
{
    if (y >= int(sizeof Picture / sizeof *Picture))
        return ' ';
    const std::string row = Picture[y];
    return x < int(row.size()) ? row[x] : ' ';
}

void put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::vector<std::uint8_t> cursorFile()
{
    const std::uint32_t colourBytes = Size * Size * 4, maskBytes = Size * Size / 8;
    const std::uint32_t imageBytes = 40 + colourBytes + maskBytes;
    std::vector<std::uint8_t> out;
    put16(out, 0), put16(out, 2), put16(out, 1);                // directory: a cursor with one image
    out.insert(out.end(), {Size, Size, 0, 0});                  // width, height, no palette
    put16(out, HotX), put16(out, HotY), put32(out, imageBytes); // hot spot, size
    put32(out, 22);                                             // offset of the image
    put32(out, 40), put32(out, Size), put32(out, Size * 2);     // bitmap header: height counts both masks
    put16(out, 1), put16(out, 32), put32(out, 0), put32(out, colourBytes + maskBytes);
    put32(out, 0), put32(out, 0), put32(out, 0), put32(out, 0);
    for (int y = Size - 1; y >= 0; --y) // rows bottom-up, blue green red alpha
        for (int x = 0; x < Size; ++x) {
            const char p = pixelAt(x, y);
            const std::uint8_t shade = p == '.' ? 0xFF : 0x00;
            const std::uint8_t alpha = p == ' ' ? 0x00 : 0xFF;
            out.insert(out.end(), {shade, shade, shade, alpha});
        }
    for (int y = Size - 1; y >= 0; --y) // transparency mask: a set bit lets the screen show through
        for (int byte = 0; byte < Size / 8; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (pixelAt(byte * 8 + bit, y) == ' ')
                    bits = std::uint8_t(bits | (0x80 >> bit));
            out.push_back(bits);
        }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-hand-cursor <file.cur>\n";
        return 2;
    }
    const std::vector<std::uint8_t> bytes = cursorFile();
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        std::cerr << "make-hand-cursor: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
