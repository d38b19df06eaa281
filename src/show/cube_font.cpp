#include "show/cube_font.h"

#include <cstring>

namespace {

constexpr char kFilled = '#';

// clang-format off
constexpr CubeGlyph kCubeFont[] = {
    {'A', {".#.",   "#.#",   "###",   "#.#",   "#.#"}},
    {'B', {"##.",   "#.#",   "##.",   "#.#",   "##."}},
    {'C', {".##",   "#..",   "#..",   "#..",   ".##"}},
    {'D', {"###.",  "#..#",  "#..#",  "#..#",  "###."}},
    {'E', {"####",  "#...",  "###.",  "#...",  "####"}},
    {'G', {".##",   "#..",   "#.#",   "#.#",   "###"}},
    {'H', {"#..#",  "#..#",  "####",  "#..#",  "#..#"}},
    {'I', {"#",     "#",     "#",     "#",     "#"}},
    {'K', {"#..#",  "#.#.",  "##..",  "#.#.",  "#..#"}},
    {'L', {"#...",  "#...",  "#...",  "#...",  "####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#"}},
    {'O', {".##.",  "#..#",  "#..#",  "#..#",  ".##."}},
    {'R', {"##.",   "#.#",   "##.",   "#.#",   "#.#"}},
    {'S', {"####",  "#...",  "####",  "...#",  "####"}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#..#",  "#..#",  "#..#",  "#..#",  "####"}},
    {'V', {"#.#",   "#.#",   "#.#",   "#.#",   ".#."}},
    {'.', {".",     ".",     ".",     ".",     "#"}},
};
// clang-format on

} // namespace

const CubeGlyph* FindGlyph(char name) {
    for (const CubeGlyph& glyph : kCubeFont) {
        if (glyph.name == name) {
            return &glyph;
        }
    }
    return nullptr;
}

int GlyphWidth(const CubeGlyph& glyph) {
    return static_cast<int>(std::strlen(glyph.rows[0]));
}

bool IsFilled(const CubeGlyph& glyph, int column, int row) {
    if (row < 0 || row >= kGlyphRows || column < 0 || column >= GlyphWidth(glyph)) {
        return false;
    }
    return glyph.rows[row][column] == kFilled;
}
