// The cube font: the letter shapes every banner is built from. Each glyph is
// five rows high; a filled cell becomes one unit cube.
#pragma once

constexpr int kGlyphRows = 5;

struct CubeGlyph {
    char name;
    // Top row first; '#' a cube, '.' an empty cell. All rows are as long as
    // the glyph is wide.
    const char* rows[kGlyphRows];
};

// The glyph drawn for `name`, or nullptr when the font has none (it holds
// capital letters and the period only).
const CubeGlyph* FindGlyph(char name);

int GlyphWidth(const CubeGlyph& glyph);

// Whether the cell at `column` (0 = left) and `row` (0 = top) holds a cube.
bool IsFilled(const CubeGlyph& glyph, int column, int row);
