// The cube font and the banners through the recording layer: which unit
// cubes each banner lays on the ground plane, in which colour and order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <GL/gl.h>

#include "call_log.h"
#include "drawn_shapes.h"
#include "show/banners.h"
#include "show/camera_track.h"
#include "show/cube_font.h"

namespace {

// One banner cube: the column (x) and row (z) of its minimum corner and its
// colour, b blue, c cyan or m magenta.
struct Cell {
    int x, z;
    char colour;
    bool operator==(const Cell& o) const { return x == o.x && z == o.z && colour == o.colour; }
    bool operator<(const Cell& o) const {
        return std::tie(x, z, colour) < std::tie(o.x, o.z, o.colour);
    }
};

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
    return out << "(" << cell.x << ", " << cell.z << ", " << cell.colour << ")";
}

char ColourLetter(const DrawnVertex& v) {
    if (v.red == 0 && v.green == 0 && v.blue == 192) {
        return 'b';
    }
    if (v.red == 0 && v.green == 255 && v.blue == 255) {
        return 'c';
    }
    if (v.red == 255 && v.green == 0 && v.blue == 255) {
        return 'm';
    }
    return '?';
}

// The recorded cubes in the order drawn, each checked to be a one-coloured
// unit cube at whole coordinates with its top face in the ground plane.
std::vector<Cell> DrawnCells() {
    std::vector<Cell> cells;
    for (const DrawnShape& shape : DrawnShapes()) {
        EXPECT_EQ(shape.mode, GL_QUADS);
        EXPECT_EQ(shape.vertices.size(), 24u);
        if (shape.vertices.empty()) {
            continue;
        }
        double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
        for (const DrawnVertex& v : shape.vertices) {
            const double xyz[3] = {v.x, v.y, v.z};
            for (int axis = 0; axis < 3; ++axis) {
                lo[axis] = std::min(lo[axis], xyz[axis]);
                hi[axis] = std::max(hi[axis], xyz[axis]);
            }
            EXPECT_EQ(ColourLetter(v), ColourLetter(shape.vertices[0]));
        }
        EXPECT_EQ(lo[1], -1);
        EXPECT_EQ(hi[1], 0);
        EXPECT_EQ(hi[0] - lo[0], 1);
        EXPECT_EQ(hi[2] - lo[2], 1);
        EXPECT_EQ(lo[0], int(lo[0]));
        EXPECT_EQ(lo[2], int(lo[2]));
        cells.push_back({int(lo[0]), int(lo[2]), ColourLetter(shape.vertices[0])});
    }
    return cells;
}

// A banner as it looks from above: rows top (smallest z) first, '.' empty,
// '#' a cube of `colour`, or a colour letter for a cube of that colour.
std::vector<Cell> Picture(int x0, int z0, const std::vector<const char*>& rows, char colour = 'b') {
    std::vector<Cell> cells;
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; rows[r][c] != '\0'; ++c) {
            if (rows[r][c] != '.') {
                cells.push_back({x0 + c, z0 + r, rows[r][c] == '#' ? colour : rows[r][c]});
            }
        }
    }
    return cells;
}

std::vector<Cell> Sorted(std::vector<Cell> cells) {
    std::sort(cells.begin(), cells.end());
    return cells;
}

std::vector<Cell> Joined(std::vector<Cell> a, const std::vector<Cell>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// For each column of a one-line picture, which glyph it belongs to: glyphs
// are separated by wholly empty columns.
std::vector<int> GlyphOfColumn(const std::vector<const char*>& rows) {
    std::vector<int> glyphOf;
    int glyph = 0;
    bool inGap = false;
    for (int c = 0; rows[0][c] != '\0'; ++c) {
        bool empty = true;
        for (const char* row : rows) {
            empty = empty && row[c] == '.';
        }
        if (empty && !inGap) {
            ++glyph;
        }
        inGap = empty;
        glyphOf.push_back(glyph);
    }
    return glyphOf;
}

// Glyphs are drawn in reading order: the glyph of each cube never goes back.
void ExpectReadingOrder(const std::vector<Cell>& drawn, int x0,
                        const std::vector<const char*>& rows) {
    const std::vector<int> glyphOf = GlyphOfColumn(rows);
    int last = 0;
    for (const Cell& cell : drawn) {
        const int column = cell.x - x0;
        ASSERT_GE(column, 0);
        ASSERT_LT(column, int(glyphOf.size()));
        EXPECT_GE(glyphOf[column], last) << cell << " drawn after a later glyph";
        last = glyphOf[column];
    }
}

std::vector<Cell> Draw(void (*banner)()) {
    ClearCallLog();
    banner();
    return DrawnCells();
}

std::vector<Cell> DrawSlot(int slot) {
    ClearCallLog();
    DrawAddressSlot(slot);
    return DrawnCells();
}

class Banners : public ::testing::Test {
  protected:
    void SetUp() override { ClearCallLog(); }
};

// Cells of a glyph as (column, row) pairs, read through the font's lookup.
std::set<std::pair<int, int>> FilledCells(char name) {
    std::set<std::pair<int, int>> cells;
    const CubeGlyph* glyph = FindGlyph(name);
    if (glyph == nullptr) {
        return cells;
    }
    for (int row = 0; row < kGlyphRows; ++row) {
        for (int column = 0; column < GlyphWidth(*glyph); ++column) {
            if (IsFilled(*glyph, column, row)) {
                cells.insert({column, row});
            }
        }
    }
    return cells;
}

TEST_F(Banners, FontHasNineteenGlyphsOfTheirWidthsAndCubeCounts) {
    struct Expected {
        char name;
        int width, cubes;
    };
    const Expected font[] = {
        {'A', 3, 10}, {'B', 3, 10}, {'C', 3, 7},  {'D', 4, 12}, {'E', 4, 13},
        {'G', 3, 10}, {'H', 4, 12}, {'I', 1, 5},  {'K', 4, 10}, {'L', 4, 8},
        {'M', 5, 13}, {'N', 5, 13}, {'O', 4, 10}, {'R', 3, 10}, {'S', 4, 14},
        {'T', 5, 9},  {'U', 4, 12}, {'V', 3, 9},  {'.', 1, 1},
    };
    for (const Expected& expected : font) {
        const CubeGlyph* glyph = FindGlyph(expected.name);
        ASSERT_NE(glyph, nullptr) << expected.name;
        EXPECT_EQ(glyph->name, expected.name);
        EXPECT_EQ(GlyphWidth(*glyph), expected.width) << expected.name;
        for (const char* row : glyph->rows) {
            EXPECT_EQ(int(std::string(row).size()), expected.width) << expected.name;
        }
        EXPECT_EQ(int(FilledCells(expected.name).size()), expected.cubes) << expected.name;
    }
    // Capital letters and the period only.
    for (char missing :
         {'F', 'J', 'P', 'Q', 'W', 'X', 'Y', 'Z', 'a', 'e', 's', '0', '1', ' ', '-'}) {
        EXPECT_EQ(FindGlyph(missing), nullptr) << "'" << missing << "'";
    }
}

TEST_F(Banners, FontShapesMatchTheirDrawings) {
    using Cells = std::set<std::pair<int, int>>;
    // (column, row), row 0 at the top.
    EXPECT_EQ(FilledCells('M'), (Cells{{0, 0},
                                       {4, 0},
                                       {0, 1},
                                       {1, 1},
                                       {3, 1},
                                       {4, 1},
                                       {0, 2},
                                       {2, 2},
                                       {4, 2},
                                       {0, 3},
                                       {4, 3},
                                       {0, 4},
                                       {4, 4}}));
    EXPECT_EQ(FilledCells('N'), (Cells{{0, 0},
                                       {4, 0},
                                       {0, 1},
                                       {1, 1},
                                       {4, 1},
                                       {0, 2},
                                       {2, 2},
                                       {4, 2},
                                       {0, 3},
                                       {3, 3},
                                       {4, 3},
                                       {0, 4},
                                       {4, 4}}));
    EXPECT_EQ(
        FilledCells('K'),
        (Cells{{0, 0}, {3, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {0, 3}, {2, 3}, {0, 4}, {3, 4}}));
    EXPECT_EQ(FilledCells('.'), (Cells{{0, 4}}));
    EXPECT_EQ(FilledCells('I'), (Cells{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}));
    EXPECT_FALSE(IsFilled(*FindGlyph('I'), 1, 0)) << "outside the glyph is empty";
    EXPECT_FALSE(IsFilled(*FindGlyph('I'), 0, 5));

    // B appears in no banner: draw it alone, one cube per cell, in one colour.
    const int next = DrawCubeGlyph('B', 7, 2, DrawCyanCube);
    EXPECT_EQ(next, 7 + 3 + 1) << "the next glyph starts after one empty column";
    EXPECT_EQ(Sorted(DrawnCells()), Sorted(Picture(7, 2,
                                                   {"##.", //
                                                    "#.#", //
                                                    "##.", //
                                                    "#.#", //
                                                    "##."},
                                                   'c')));
}

TEST_F(Banners, GlyphOutsideTheFontDrawsNothing) {
    EXPECT_EQ(DrawCubeGlyph('Q', 3, 0, DrawBlueCube), 3);
    EXPECT_TRUE(callLog.empty());
}

// clang-format off
const std::vector<const char*> kOpeningPicture = {
    "#.#.#.##..#.#.####.#....####.#####..##..##..#...#..##..#..##..###..####.#...#",
    "#.#.#.#.#.#.#.#....#....#......#...#..#.#.#.##.##.#...#.#.#.#.#..#.#....##..#",
    "#.#.#.##..#.#.###..#....####...#...#..#.##..#.#.#.#.#.###.##..#..#.###..#.#.#",
    "#.#.#.#.#.#.#.#....#.......#...#...#..#.#.#.#...#.#.#.#.#.#.#.#..#.#....#..##",
    ".#..#.#.#..#..####.####.####...#....##..#.#.#...#.###.#.#.#.#.###..####.#...#",
};
const std::vector<const char*> kAddressPicture = {
    "####..##.####.#...#.####.#####.#..#.#...#.####.##.....##..##..#...#",
    "#....#...#....##..#.#......#...#..#.##..#.#....#.#...#...#..#.##.##",
    "####.#...###..#.#.#.###....#...#..#.#.#.#.###..##....#...#..#.#.#.#",
    "...#.#...#....#..##.#......#...#..#.#..##.#....#.#...#...#..#.#...#",
    "####..##.####.#...#.####...#...####.#...#.####.#.#.#..##..##..#...#",
};
// clang-format on

TEST_F(Banners, OpeningBannerSpellsTheNameAcrossSeventySevenColumns) {
    const std::vector<Cell> drawn = Draw(DrawOpeningBanner);
    EXPECT_EQ(drawn.size(), 178u);
    EXPECT_EQ(Sorted(drawn), Sorted(Picture(-40, -5, kOpeningPicture)));
    ExpectReadingOrder(drawn, -40, kOpeningPicture);
    ASSERT_FALSE(drawn.empty());
    const auto [minX, maxX] = std::minmax_element(
        drawn.begin(), drawn.end(), [](const Cell& a, const Cell& b) { return a.x < b.x; });
    const auto [minZ, maxZ] = std::minmax_element(
        drawn.begin(), drawn.end(), [](const Cell& a, const Cell& b) { return a.z < b.z; });
    EXPECT_EQ(minX->x, -40);
    EXPECT_EQ(maxX->x, 36);
    EXPECT_EQ(minZ->z, -5);
    EXPECT_EQ(maxZ->z, -1);
}

// The slots as the address is typed: left column and width of each.
struct Slot {
    int left, width;
};
const Slot kSlots[] = {
    {-40, 4}, {-35, 3}, {-31, 4}, {-26, 5}, {-20, 4}, {-15, 5}, {-9, 4},
    {-4, 5},  {2, 4},   {7, 3},   {11, 1},  {13, 3},  {17, 4},  {22, 5},
};

TEST_F(Banners, AddressHasALetterOfTheSlotWidthInEverySlotAndThePeriodEleventh) {
    ASSERT_EQ(kAddressSlots, 14);
    ASSERT_EQ(std::string(kWebAddress).size(), 14u);
    EXPECT_EQ(kWebAddress[10], '.');
    for (int slot = 0; slot < kAddressSlots; ++slot) {
        const CubeGlyph* glyph = FindGlyph(kWebAddress[slot]);
        ASSERT_NE(glyph, nullptr) << "slot " << slot;
        EXPECT_EQ(GlyphWidth(*glyph), kSlots[slot].width) << "slot " << slot;
    }
}

TEST_F(Banners, EachAddressSlotFillsItsOwnColumnsOnly) {
    for (int slot = 0; slot < kAddressSlots; ++slot) {
        const std::vector<Cell> drawn = DrawSlot(slot);
        ASSERT_FALSE(drawn.empty()) << "slot " << slot;
        int minX = drawn[0].x, maxX = drawn[0].x;
        for (const Cell& cell : drawn) {
            EXPECT_EQ(cell.colour, 'b') << "slot " << slot;
            EXPECT_GE(cell.z, -5) << "slot " << slot;
            EXPECT_LE(cell.z, -1) << "slot " << slot;
            minX = std::min(minX, cell.x);
            maxX = std::max(maxX, cell.x);
        }
        EXPECT_EQ(minX, kSlots[slot].left) << "slot " << slot;
        EXPECT_EQ(maxX, kSlots[slot].left + kSlots[slot].width - 1) << "slot " << slot;
    }
    EXPECT_EQ(DrawSlot(10), (std::vector<Cell>{{11, -1, 'b'}})) << "the period";
    EXPECT_TRUE(DrawSlot(-1).empty());
    EXPECT_TRUE(DrawSlot(14).empty());
}

TEST_F(Banners, AllSlotsTogetherSpellTheAddressAsOneLine) {
    std::vector<Cell> all;
    for (int slot = 0; slot < kAddressSlots; ++slot) {
        all = Joined(all, DrawSlot(slot));
    }
    EXPECT_EQ(Sorted(all), Sorted(Picture(-40, -5, kAddressPicture)));
}

TEST_F(Banners, CameraFollowingTheAddressLooksAtEachSlotWhileItIsTyped) {
    for (int slot = 0; slot < kAddressSlots; ++slot) {
        const std::vector<Cell> drawn = DrawSlot(slot);
        ASSERT_FALSE(drawn.empty());
        int minX = drawn[0].x, maxX = drawn[0].x;
        for (const Cell& cell : drawn) {
            minX = std::min(minX, cell.x);
            maxX = std::max(maxX, cell.x);
        }
        const double middle = (minX + maxX + 1) / 2.0; // of the cubes' x extent
        ClearCallLog();
        PlaceCamera(50.5f + float(slot));
        const std::vector<LoggedCall> lookAt = CallsNamed("gluLookAt");
        ASSERT_EQ(lookAt.size(), 1u);
        EXPECT_LE(std::abs(lookAt[0].args[0] - middle), 1.0) << "eye, slot " << slot;
        EXPECT_LE(std::abs(lookAt[0].args[3] - middle), 1.0) << "centre, slot " << slot;
    }
}

TEST_F(Banners, GreetingsEndsAtColumnMinusFourWithToBelowIt) {
    const std::vector<const char*> greetings = {
        ".##.##..####.####.#####.#.#...#..##.####", //
        "#...#.#.#....#......#...#.##..#.#...#...", //
        "#.#.##..###..###....#...#.#.#.#.#.#.####", //
        "#.#.#.#.#....#......#...#.#..##.#.#....#", //
        "###.#.#.####.####...#...#.#...#.###.####", //
    };
    const std::vector<const char*> to = {
        "#####..##.", //
        "..#...#..#", //
        "..#...#..#", //
        "..#...#..#", //
        "..#....##.", //
    };
    const std::vector<Cell> drawn = Draw(DrawGreetings);
    EXPECT_EQ(Sorted(drawn), Sorted(Joined(Picture(-43, -15, greetings), Picture(-10, -5, to))));

    // GREETINGS first, in rows -15..-11, its last column at x = -4.
    const auto firstOfTo =
        std::find_if(drawn.begin(), drawn.end(), [](const Cell& cell) { return cell.z >= -5; });
    const std::vector<Cell> greetingsDrawn(drawn.begin(), firstOfTo);
    const std::vector<Cell> toDrawn(firstOfTo, drawn.end());
    ASSERT_FALSE(greetingsDrawn.empty());
    ASSERT_FALSE(toDrawn.empty());
    int maxX = -100;
    for (const Cell& cell : greetingsDrawn) {
        EXPECT_GE(cell.z, -15);
        EXPECT_LE(cell.z, -11);
        maxX = std::max(maxX, cell.x);
    }
    EXPECT_EQ(maxX, -4);
    int minX = 100;
    for (const Cell& cell : toDrawn) {
        EXPECT_GE(cell.z, -5) << "GREETINGS is drawn before TO";
        EXPECT_LE(cell.z, -1);
        minX = std::min(minX, cell.x);
    }
    EXPECT_EQ(minX, -10);
    ExpectReadingOrder(greetingsDrawn, -43, greetings);
    ExpectReadingOrder(toDrawn, -10, to);
}

TEST_F(Banners, GreetedNamesInMagenta) {
    const std::vector<const char*> dromska = {
        "###..##...##..#...#.####.#..#..#.", //
        "#..#.#.#.#..#.##.##.#....#.#..#.#", //
        "#..#.##..#..#.#.#.#.####.##...###", //
        "#..#.#.#.#..#.#...#....#.#.#..#.#", //
        "###..#.#..##..#...#.####.#..#.#.#", //
    };
    const std::vector<const char*> glt = {
        ".##.#....#####", //
        "#...#......#..", //
        "#.#.#......#..", //
        "#.#.#......#..", //
        "###.####...#..", //
    };
    const std::vector<Cell> first = Draw(DrawFirstGreetedName);
    EXPECT_EQ(Sorted(first), Sorted(Picture(-10, 1, dromska, 'm')));
    ExpectReadingOrder(first, -10, dromska);
    const std::vector<Cell> second = Draw(DrawSecondGreetedName);
    EXPECT_EQ(Sorted(second), Sorted(Picture(16, 11, glt, 'm')));
    ExpectReadingOrder(second, 16, glt);
}

TEST_F(Banners, EndTitleLettersAlternateInColourAndNeverShareAColumn) {
    const std::vector<const char*> the = {
        "ccccc.b..b.mmmm", //
        "..c...b..b.m...", //
        "..c...bbbb.mmm.", //
        "..c...b..b.m...", //
        "..c...b..b.mmmm", //
    };
    const std::vector<const char*> end = {
        "mmmm.b...b.ccc.", //
        "m....bb..b.c..c", //
        "mmm..b.b.b.c..c", //
        "m....b..bb.c..c", //
        "mmmm.b...b.ccc.", //
    };
    const std::vector<Cell> drawn = Draw(DrawEndTitle);
    EXPECT_EQ(Sorted(drawn), Sorted(Joined(Picture(-10, -5, the), Picture(-8, 1, end))));

    // Letter by letter in reading order, THE before END: the colour runs of
    // the drawing, with each run's columns clear of the next run's.
    struct Run {
        char colour;
        int z0, minX, maxX;
    };
    std::vector<Run> runs;
    for (const Cell& cell : drawn) {
        const int z0 = cell.z < 0 ? -5 : 1;
        if (runs.empty() || runs.back().colour != cell.colour || runs.back().z0 != z0) {
            runs.push_back({cell.colour, z0, cell.x, cell.x});
        }
        runs.back().minX = std::min(runs.back().minX, cell.x);
        runs.back().maxX = std::max(runs.back().maxX, cell.x);
    }
    ASSERT_EQ(runs.size(), 6u);
    const char colours[] = {'c', 'b', 'm', 'm', 'b', 'c'}; // T H E, E N D
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(runs[i].colour, colours[i]) << "letter " << i;
        EXPECT_EQ(runs[i].z0, i < 3 ? -5 : 1) << "letter " << i;
    }
    for (int i : {0, 1, 3, 4}) {
        EXPECT_LT(runs[i].maxX + 1, runs[i + 1].minX) << "letters " << i << " and " << i + 1;
    }
}

} // namespace
