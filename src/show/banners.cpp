#include "show/banners.h"

#include "show/cube_font.h"

namespace {

// Every banner cube is a unit cube whose top face lies in the ground plane.
constexpr float kCubeY = -1.0f;
constexpr int kCubeSize = 1;
constexpr int kGlyphGap = 1; // empty columns between two glyphs

// One line of a banner. The colours string gives one letter per glyph of the
// text: b blue, c cyan, m magenta.
struct BannerLine {
    const char* text;
    int firstColumn; // x of the first glyph's left column
    int topRow;      // z of the glyphs' top row
    const char* colours;
};

constexpr bool ColoursFitText(const BannerLine& line) {
    int i = 0;
    for (; line.text[i] != '\0'; ++i) {
        const char colour = line.colours[i];
        if (colour != 'b' && colour != 'c' && colour != 'm') {
            return false;
        }
    }
    return line.colours[i] == '\0';
}

template <int N> constexpr bool ColoursFitText(const BannerLine (&lines)[N]) {
    for (const BannerLine& line : lines) {
        if (!ColoursFitText(line)) {
            return false;
        }
    }
    return true;
}

// clang-format off
constexpr BannerLine kOpeningBanner[] = {
    {"VIRVELSTORMGARDEN", -40, -5,
     "bbbbbbbbbbbbbbbbb"},
};

constexpr BannerLine kGreetings[] = { // drawn top line first
    {"GREETINGS", -43, -15,
     "bbbbbbbbb"},
    {"TO",        -10, -5,
     "bb"},
};

constexpr BannerLine kFirstGreetedName[] = {
    {"DROMSKA", -10, 1,
     "mmmmmmm"},
};

constexpr BannerLine kSecondGreetedName[] = {
    {"GLT", 16, 11,
     "mmm"},
};

constexpr BannerLine kEndTitle[] = { // neighbouring letters differ in colour
    {"THE", -10, -5,
     "cbm"},
    {"END", -8, 1,
     "mbc"},
};

// The address slots, typed left to right along the top row z = -5; the
// camera track follows these columns.
constexpr int kAddressTopRow = -5;
constexpr int kAddressSlotColumns[kAddressSlots] = {
//   S    C    E    N    E    T   U   N  E  R  .   C   O   M
    -40, -35, -31, -26, -20, -15, -9, -4, 2, 7, 11, 13, 17, 22,
};
// clang-format on

static_assert(ColoursFitText(kOpeningBanner) && ColoursFitText(kGreetings) &&
                  ColoursFitText(kFirstGreetedName) && ColoursFitText(kSecondGreetedName) &&
                  ColoursFitText(kEndTitle),
              "every glyph of a banner line needs its colour");

CubeFunction CubeOfColour(char colour) {
    switch (colour) {
    case 'c':
        return DrawCyanCube;
    case 'm':
        return DrawMagentaCube;
    default:
        return DrawBlueCube;
    }
}

template <int N> void DrawLines(const BannerLine (&lines)[N]) {
    for (const BannerLine& line : lines) {
        int column = line.firstColumn;
        for (int i = 0; line.text[i] != '\0'; ++i) {
            column =
                DrawCubeGlyph(line.text[i], column, line.topRow, CubeOfColour(line.colours[i]));
        }
    }
}

} // namespace

int DrawCubeGlyph(char name, int column, int topRow, CubeFunction cube) {
    const CubeGlyph* glyph = FindGlyph(name);
    if (glyph == nullptr) {
        return column; // the font has nothing to draw for it
    }
    const int width = GlyphWidth(*glyph);
    for (int row = 0; row < kGlyphRows; ++row) {
        for (int c = 0; c < width; ++c) {
            if (IsFilled(*glyph, c, row)) {
                cube(static_cast<float>(column + c), kCubeY, static_cast<float>(topRow + row),
                     kCubeSize);
            }
        }
    }
    return column + width + kGlyphGap;
}

void DrawOpeningBanner() {
    DrawLines(kOpeningBanner);
}

void DrawAddressSlot(int slot) {
    if (slot < 0 || slot >= kAddressSlots) {
        return;
    }
    DrawCubeGlyph(kWebAddress[slot], kAddressSlotColumns[slot], kAddressTopRow, DrawBlueCube);
}

void DrawGreetings() {
    DrawLines(kGreetings);
}

void DrawFirstGreetedName() {
    DrawLines(kFirstGreetedName);
}

void DrawSecondGreetedName() {
    DrawLines(kSecondGreetedName);
}

void DrawEndTitle() {
    DrawLines(kEndTitle);
}
