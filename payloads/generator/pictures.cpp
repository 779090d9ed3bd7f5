// The placeholder pictures: the picture's number as a big white digit on a plain background of
// its own colour. Pixels are RGB565, low byte first; each byte sits in the low byte of a 16-bit
// cell whose high byte is 0.
#include "payloads/generator/generated_payloads.h"

namespace kell::payloads {
namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kScale = 9;  // 45 x 63 pixels of digit

constexpr const char* kGlyphs[4][kGlyphHeight] = {
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
};

constexpr std::uint16_t kBackgrounds[4] = {0x0010, 0x0320, 0x8000, 0x8010};
constexpr std::uint16_t kForeground = 0xFFFF;

}  // namespace

std::vector<std::uint8_t> GeneratePicture(int number) {
    const auto& glyph = kGlyphs[number - 1];
    const int left = (kPictureWidth - kGlyphWidth * kScale) / 2;
    const int top = (kPictureHeight - kGlyphHeight * kScale) / 2;
    std::vector<std::uint8_t> cells;
    cells.reserve(kPictureLength);
    for (int y = 0; y < kPictureHeight; ++y) {
        for (int x = 0; x < kPictureWidth; ++x) {
            const int gx = (x - left) / kScale;
            const int gy = (y - top) / kScale;
            const bool inGlyph = x >= left && y >= top && gx < kGlyphWidth && gy < kGlyphHeight;
            const std::uint16_t pixel =
                inGlyph && glyph[gy][gx] == '#' ? kForeground : kBackgrounds[number - 1];
            for (std::uint8_t byte :
                 {static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 8)}) {
                cells.push_back(byte);
                cells.push_back(0);
            }
        }
    }
    return cells;
}

}  // namespace kell::payloads
