// Frames of the show rendered for real and read back by pixel: what a viewer
// sees of the banners and the spiral at chosen show times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "pixel_frame.h"
#include "show/cube_font.h"
#include "show/motion.h"

namespace {

class Rendered : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { OpenPixelTestWindow(); }
    void SetUp() override { rotX = rotY = rotZ = 0.0f; }
};

struct Letter {
    char name;
    Pixel colour;
};

struct Box {
    double left, right, bottom, top;
};

// The window rectangle of the square [x, x + 1] × [z, z + 1] at height y.
Box ProjectCell(float t, int x, int z, double y) {
    Box box = {1e9, -1e9, 1e9, -1e9};
    for (int dx = 0; dx <= 1; ++dx) {
        for (int dz = 0; dz <= 1; ++dz) {
            const WindowPoint p = ProjectAt(t, x + dx, y, z + dz);
            box.left = std::min(box.left, double(p.x));
            box.right = std::max(box.right, double(p.x));
            box.bottom = std::min(box.bottom, double(p.y));
            box.top = std::max(box.top, double(p.y));
        }
    }
    return box;
}

// Checks one banner line drawn at show time t: the middle of every cube's top
// face shows the letter's colour, and looking down the shaft of an empty cell
// of a glyph (top and bottom square both in sight) shows no cube.
void ExpectLine(float t, const std::vector<Letter>& letters, int firstColumn, int topRow) {
    constexpr double kMargin = 1.5; // pixels kept clear of every edge
    int column = firstColumn;
    int checkedEmpty = 0;
    for (const Letter& letter : letters) {
        const CubeGlyph* glyph = FindGlyph(letter.name);
        ASSERT_NE(glyph, nullptr) << letter.name;
        for (int row = 0; row < kGlyphRows; ++row) {
            for (int c = 0; c < GlyphWidth(*glyph); ++c) {
                const int x = column + c;
                const int z = topRow + row;
                if (IsFilled(*glyph, c, row)) {
                    const WindowPoint p = ProjectAt(t, x + 0.5, 0.0, z + 0.5);
                    ASSERT_TRUE(p.visible) << letter.name << " cube at x " << x << " z " << z;
                    const Pixel seen = PixelAt(p.x, p.y);
                    EXPECT_EQ(seen, letter.colour)
                        << letter.name << " cube at x " << x << " z " << z << " shows "
                        << int(seen.red) << "," << int(seen.green) << "," << int(seen.blue);
                    continue;
                }
                const Box top = ProjectCell(t, x, z, 0.0);
                const Box bottom = ProjectCell(t, x, z, -1.0);
                const double left = std::max(top.left, bottom.left) + kMargin;
                const double right = std::min(top.right, bottom.right) - kMargin;
                const double low = std::max(top.bottom, bottom.bottom) + kMargin;
                const double high = std::min(top.top, bottom.top) - kMargin;
                if (left > right || low > high) {
                    continue; // the shaft is hidden by its walls from here
                }
                const Pixel seen = PixelAt(int((left + right) / 2), int((low + high) / 2));
                EXPECT_EQ(seen, kBlack) << letter.name << " empty cell at x " << x << " z " << z;
                ++checkedEmpty;
            }
        }
        column += GlyphWidth(*glyph) + 1;
    }
    EXPECT_GT(checkedEmpty, 0) << "no empty cell could be seen into";
}

std::vector<Letter> InOneColour(const char* text, Pixel colour) {
    std::vector<Letter> letters;
    for (const char* c = text; *c != '\0'; ++c) {
        letters.push_back({*c, colour});
    }
    return letters;
}

TEST_F(Rendered, OpeningBannerIsBlueCubesSeenFromAbove) {
    const float t = 2.0f; // before the grid joins
    RenderShowFrameAt(t);
    ExpectLine(t, InOneColour("VIRVELSTORMGARDEN", kBlue), -40, -5);
    // Beyond both ends of the banner, and above and below it, nothing is drawn.
    for (const auto& [x, z] : {std::pair{-42.5, -3.0}, {38.5, -3.0}, {0.0, -8.0}, {0.0, 2.5}}) {
        const WindowPoint p = ProjectAt(t, x, 0.0, z);
        ASSERT_TRUE(p.visible);
        EXPECT_EQ(PixelAt(p.x, p.y), kBlack) << "x " << x << " z " << z;
    }
}

TEST_F(Rendered, GridLinesRunAcrossTheOpeningBanner) {
    const float t = 7.0f;
    RenderShowFrameAt(t);
    // The line z = -3 crosses the banner; drawn after the cubes, it covers them.
    int green = 0;
    for (double x = -39.75; x < 36; x += 0.5) {
        const WindowPoint p = ProjectAt(t, x, 0.0, -3.0);
        green += PixelAt(p.x, p.y) == kGreen;
    }
    EXPECT_GT(green, 100) << "the grid line z = -3 should show over the letters";
}

TEST_F(Rendered, EndTitleLettersEachShowTheirColour) {
    const float t = 101.0f;
    RenderShowFrameAt(t);
    ExpectLine(t, {{'T', kCyan}, {'H', kBlue}, {'E', kMagenta}}, -10, -5);
    ExpectLine(t, {{'E', kMagenta}, {'N', kBlue}, {'D', kCyan}}, -8, 1);
}

TEST_F(Rendered, GreetingsShowNamesInTurn) {
    RenderShowFrameAt(93.0f);
    ExpectLine(93.0f, InOneColour("GREETINGS", kBlue), -43, -15);
    ExpectLine(93.0f, InOneColour("TO", kBlue), -10, -5);
    ExpectLine(93.0f, InOneColour("DROMSKA", kMagenta), -10, 1);
    const WindowPoint glt = ProjectAt(93.0f, 17.5, 0.0, 11.5); // the top of the G: not yet
    EXPECT_EQ(PixelAt(glt.x, glt.y), kBlack);
    RenderShowFrameAt(95.0f);
    ExpectLine(95.0f, InOneColour("GLT", kMagenta), 16, 11);
}

struct Point2 {
    double x, y;
};

double Cross(Point2 o, Point2 a, Point2 b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Convex hull, counter-clockwise (monotone chain).
std::vector<Point2> Hull(std::vector<Point2> points) {
    std::sort(points.begin(), points.end(),
              [](Point2 a, Point2 b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    std::vector<Point2> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0)
            --k;
        hull[k++] = points[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

// Whether p lies inside the hull with at least `margin` pixels to spare
// (negative margin: within that distance outside it).
bool Inside(const std::vector<Point2>& hull, Point2 p, double margin) {
    for (size_t i = 0; i < hull.size(); ++i) {
        const Point2 a = hull[i];
        const Point2 b = hull[(i + 1) % hull.size()];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (Cross(a, b, p) / length < margin) {
            return false;
        }
    }
    return true;
}

// The spiral from the camera that sinks lowest over it: every pixel that no
// pyramid's outline covers is black, and just under every apex that no
// pyramid drawn after it covers, the sides show the colours of the tip.
TEST_F(Rendered, SpiralShowsYellowTipsAndBlackGapsFromTheLowCamera) {
    const float t = 81.0f; // eye at (0, 25, 2), no turn yet
    RenderShowFrameAt(t);

    // Where the pyramids stand: 32 to a turn from radius 40 inwards, 97 in all.
    std::vector<std::vector<Point2>> outlines;
    std::vector<Point2> apexes;
    float angle = 0.0f, radius = 40.0f;
    while (angle < 18.84954f) {
        const float x = std::cos(angle) * radius;
        const float z = std::sin(angle) * radius;
        std::vector<Point2> corners;
        const double pointsX[] = {x, x - 1.0, x + 1.0, x + 1.0, x - 1.0};
        const double pointsY[] = {6, 0, 0, 0, 0};
        const double pointsZ[] = {z, z - 1.0, z - 1.0, z + 1.0, z + 1.0};
        for (int i = 0; i < 5; ++i) {
            const WindowPoint p = ProjectAt(t, pointsX[i], pointsY[i], pointsZ[i]);
            corners.push_back({double(p.x), double(p.y)});
        }
        // The apex itself is a corner of the outline; a point on the axis just
        // under it lies well inside.
        const WindowPoint tip = ProjectAt(t, x, 5.0, z);
        apexes.push_back({double(tip.x), double(tip.y)});
        outlines.push_back(Hull(corners));
        radius -= 0.41666666f;
        angle += 0.19634938f;
    }
    ASSERT_EQ(outlines.size(), 97u);

    int tips = 0, yellow = 0;
    for (size_t k = 0; k < apexes.size(); ++k) {
        const Point2 apex = apexes[k];
        if (apex.x < 2 || apex.x > 797 || apex.y < 2 || apex.y > 597) {
            continue;
        }
        bool covered = false;
        for (size_t later = k + 1; later < outlines.size(); ++later) {
            covered = covered || Inside(outlines[later], apex, -3.0);
        }
        if (covered) {
            continue;
        }
        // Every side runs from the yellow tip to white and red corners, so its
        // red channel is full; with no depth test the side painted last may
        // be the far one, lower down, so not every tip pixel is pure yellow.
        const Pixel seen = PixelAt(int(apex.x), int(apex.y));
        EXPECT_GE(seen.red, 240) << "tip of pyramid " << k << " shows " << int(seen.red) << ","
                                 << int(seen.green) << "," << int(seen.blue);
        yellow += seen.green > 200 && seen.blue < 80;
        ++tips;
    }
    EXPECT_GE(yellow * 2, tips) << "most tips should show yellow";
    EXPECT_GE(tips, 5);

    int gaps = 0;
    for (int y = 10; y < 600; y += 20) {
        for (int x = 10; x < 800; x += 20) {
            const Point2 p = {double(x), double(y)};
            const bool near = std::any_of(outlines.begin(), outlines.end(),
                                          [&](const auto& hull) { return Inside(hull, p, -3.0); });
            if (!near) {
                EXPECT_EQ(PixelAt(x, y), kBlack) << "gap pixel " << x << "," << y;
                ++gaps;
            }
        }
    }
    EXPECT_GT(gaps, 100);
}

} // namespace
