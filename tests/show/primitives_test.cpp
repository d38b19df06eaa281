// The drawing primitives through the recording layer: the cubes, the pyramid,
// the spiral of pyramids and the ground grid, down to the order of their calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "call_log.h"
#include "drawn_shapes.h"
#include "primitives/cubes.h"
#include "primitives/grid.h"
#include "primitives/pyramid.h"
#include "primitives/spiral.h"

namespace {

using Xyz = std::vector<double>;
using Colour = std::vector<double>;

const Colour kBlue = {0, 0, 192};
const Colour kCyan = {0, 255, 255};
const Colour kMagenta = {255, 0, 255};
const Colour kYellow = {255, 255, 0};
const Colour kWhite = {255, 255, 255};
const Colour kRed = {255, 0, 0};
const Colour kGreen = {0, 255, 0};

class Primitives : public ::testing::Test {
  protected:
    void SetUp() override { ClearCallLog(); }
};

std::vector<Xyz> Vertices() {
    std::vector<Xyz> vertices;
    for (const LoggedCall& call : CallsNamed("glVertex3f")) {
        vertices.push_back(call.args);
    }
    return vertices;
}

std::vector<Colour> Colours() {
    std::vector<Colour> colours;
    for (const LoggedCall& call : CallsNamed("glColor3ub")) {
        colours.push_back(call.args);
    }
    return colours;
}

// glBegin, then `vertices` pairs of colour and vertex, then glEnd.
std::vector<std::string> ColouredVertexCalls(int vertices) {
    std::vector<std::string> names = {"glBegin"};
    for (int i = 0; i < vertices; ++i) {
        names.push_back("glColor3ub");
        names.push_back("glVertex3f");
    }
    names.push_back("glEnd");
    return names;
}

// The six faces of a cube with near corner n and far corner f, vertex by
// vertex: near z, far z, bottom, top, near x, far x.
std::vector<Xyz> CubeFaces(double nx, double ny, double nz, double fx, double fy, double fz) {
    return {
        {nx, ny, nz}, {nx, fy, nz}, {fx, fy, nz}, {fx, ny, nz}, //
        {nx, ny, fz}, {nx, fy, fz}, {fx, fy, fz}, {fx, ny, fz}, //
        {nx, ny, nz}, {nx, ny, fz}, {fx, ny, fz}, {fx, ny, nz}, //
        {nx, fy, nz}, {nx, fy, fz}, {fx, fy, fz}, {fx, fy, nz}, //
        {nx, ny, nz}, {nx, ny, fz}, {nx, fy, fz}, {nx, fy, nz}, //
        {fx, ny, nz}, {fx, ny, fz}, {fx, fy, fz}, {fx, fy, nz}, //
    };
}

struct CubeCase {
    const char* name;
    CubeFunction cube;
    Colour colour;
};

const CubeCase kCubeCases[] = {
    {"DrawBlueCube", DrawBlueCube, kBlue},
    {"DrawCyanCube", DrawCyanCube, kCyan},
    {"DrawMagentaCube", DrawMagentaCube, kMagenta},
};

void ExpectOneCube(const CubeCase& cube, const std::vector<Xyz>& faces) {
    EXPECT_EQ(CallNames(), ColouredVertexCalls(24)) << cube.name;
    EXPECT_EQ(CallsNamed("glBegin").at(0).args, std::vector<double>{GL_QUADS}) << cube.name;
    EXPECT_EQ(Colours(), std::vector<Colour>(24, cube.colour)) << cube.name;
    EXPECT_EQ(Vertices(), faces) << cube.name;
}

TEST_F(Primitives, CubesSendTheSixFacesInOrderWithTheirColourBeforeEveryVertex) {
    for (const CubeCase& cube : kCubeCases) {
        ClearCallLog();
        cube.cube(2, -1, 3, 1); // a banner-like cube: top face in y = 0
        ExpectOneCube(cube, CubeFaces(2, -1, 3, 3, 0, 4));

        ClearCallLog();
        cube.cube(-0.5f, -0.5f, -0.5f, 1); // not snapped to whole units
        ExpectOneCube(cube, CubeFaces(-0.5, -0.5, -0.5, 0.5, 0.5, 0.5));

        ClearCallLog();
        cube.cube(-1, -1, -1, 2); // edge 2 centred on the origin
        ExpectOneCube(cube, CubeFaces(-1, -1, -1, 1, 1, 1));
    }
}

TEST_F(Primitives, CubeCornerReachesGlUnchanged) {
    DrawBlueCube(0.3f, 1.7f, -2.2f, 1);
    const std::vector<Xyz> vertices = Vertices();
    ASSERT_EQ(vertices.size(), 24u);
    EXPECT_EQ(vertices[0], (Xyz{0.3f, 1.7f, -2.2f}));
    const Xyz far = vertices[6];
    EXPECT_NEAR(far[0], 1.3, 1e-6);
    EXPECT_NEAR(far[1], 2.7, 1e-6);
    EXPECT_NEAR(far[2], -1.2, 1e-6);
}

TEST_F(Primitives, CubeOfSizeZeroCollapsesAndNegativeSizeGrowsDownwards) {
    DrawCyanCube(4, 5, 6, 0);
    EXPECT_EQ(CallNames(), ColouredVertexCalls(24));
    EXPECT_EQ(Vertices(), std::vector<Xyz>(24, Xyz{4, 5, 6}));

    ClearCallLog();
    DrawMagentaCube(0, 0, 0, -1);
    EXPECT_EQ(CallNames(), ColouredVertexCalls(24)) << "all six faces are still sent";
    EXPECT_EQ(Vertices(), CubeFaces(0, 0, 0, -1, -1, -1));
}

TEST_F(Primitives, PyramidSidesGoApexThenTwoBaseCornersEachWithItsOwnColour) {
    DrawPyramid(40, 3, 0, 1, 3);
    EXPECT_EQ(CallNames(), ColouredVertexCalls(12));
    EXPECT_EQ(CallsNamed("glBegin").at(0).args, std::vector<double>{GL_TRIANGLES});
    const Xyz apex = {40, 6, 0};
    const Xyz minusMinus = {39, 0, -1}, plusMinus = {41, 0, -1};
    const Xyz plusPlus = {41, 0, 1}, minusPlus = {39, 0, 1};
    EXPECT_EQ(Vertices(), (std::vector<Xyz>{
                              apex, minusMinus, plusMinus, // z - 1 side
                              apex, plusPlus, minusPlus,   // z + 1 side
                              apex, minusPlus, minusMinus, // x - 1 side
                              apex, plusMinus, plusPlus,   // x + 1 side
                          }));
    EXPECT_EQ(Colours(), (std::vector<Colour>{
                             kYellow, kWhite, kRed, //
                             kYellow, kWhite, kRed, //
                             kYellow, kRed, kWhite, //
                             kYellow, kRed, kWhite, //
                         }));
}

TEST_F(Primitives, PyramidTakesFractionalMiddleAndSeparateExtents) {
    DrawPyramid(-0.5f, 1.25f, 7.75f, 2, 1);
    const std::vector<Xyz> vertices = Vertices();
    ASSERT_EQ(vertices.size(), 12u);
    EXPECT_EQ(vertices[0], (Xyz{-0.5, 2.25, 7.75})); // apex one half height up
    EXPECT_EQ(vertices[1], (Xyz{-2.5, 0.25, 5.75})); // (-, -)
    EXPECT_EQ(vertices[4], (Xyz{1.5, 0.25, 9.75}));  // (+, +)

    ClearCallLog();
    DrawPyramid(5, 3, 5, 0, 3); // no width: every side a line through x = z = 5
    for (const Xyz& v : Vertices()) {
        EXPECT_EQ(v[0], 5);
        EXPECT_EQ(v[2], 5);
    }
}

TEST_F(Primitives, SpiralDrawsNinetySevenPyramidsFromTheOutsideIn) {
    DrawPyramidSpiral();
    const std::vector<DrawnShape> pyramids = DrawnShapes();
    ASSERT_EQ(pyramids.size(), 97u) << "single-precision steps let a 97th pyramid in";
    EXPECT_EQ(CallsNamed("glVertex3f").size(), 97u * 12);
    EXPECT_EQ(CallsNamed("glColor3ub").size(), 97u * 12);
    for (const DrawnShape& pyramid : pyramids) {
        ASSERT_EQ(pyramid.mode, GL_TRIANGLES);
        ASSERT_EQ(pyramid.vertices.size(), 12u);
        const DrawnVertex& apex = pyramid.vertices[0];
        const DrawnVertex& corner = pyramid.vertices[1]; // (-, -)
        EXPECT_EQ(apex.y, 6);
        EXPECT_EQ(corner.y, 0) << "every base stands on the ground plane";
        EXPECT_NEAR(apex.x - corner.x, 1, 1e-5);
        EXPECT_NEAR(apex.z - corner.z, 1, 1e-5);
    }

    // The first stands on +x at radius 40: base 39..41 by -1..1.
    EXPECT_EQ(pyramids[0].vertices[1].x, 39);
    EXPECT_EQ(pyramids[0].vertices[1].z, -1);
    EXPECT_EQ(pyramids[0].vertices[4].x, 41);
    EXPECT_EQ(pyramids[0].vertices[4].z, 1);

    struct Telling {
        int k;
        double x, z;
    };
    const Telling telling[] = {
        {0, 40.0000, 0.0000},   {1, 38.8228, 7.7223},   {8, 0.0000, 36.6667},
        {32, 26.6667, -0.0002}, {64, 13.3333, -0.0003}, {95, 0.4087, -0.0813},
        {96, -0.0000, 0.0000},
    };
    for (const Telling& position : telling) {
        const DrawnVertex& apex = pyramids[position.k].vertices[0];
        EXPECT_NEAR(apex.x, position.x, 0.00005) << "pyramid " << position.k;
        EXPECT_NEAR(apex.z, position.z, 0.00005) << "pyramid " << position.k;
    }
    // The last stands at radius -0.000004708767, on the -x side of the centre.
    EXPECT_NEAR(pyramids[96].vertices[0].x, -0.000004708767, 1e-11);
    EXPECT_LT(pyramids[96].vertices[0].x, 0);
}

TEST_F(Primitives, SpiralTurnsFromXTowardsZAndShrinksEvenlyToTheCentre) {
    DrawPyramidSpiral();
    const std::vector<DrawnShape> pyramids = DrawnShapes();
    ASSERT_EQ(pyramids.size(), 97u);
    const double kRoughPi = 3.14159;
    const double kTurn = 2 * std::acos(-1.0);
    for (int k = 0; k < 96; ++k) {
        const DrawnVertex& apex = pyramids[k].vertices[0];
        EXPECT_NEAR(std::hypot(apex.x, apex.z), 40 - k * 40.0 / 96, 1e-4) << "pyramid " << k;
        // 32 pyramids to a turn, counter-clockwise from +x towards +z.
        const double angle = std::atan2(apex.z, apex.x);
        const double expected = std::remainder(k * kRoughPi / 16, kTurn);
        EXPECT_NEAR(std::remainder(angle - expected, kTurn), 0, 1e-4) << "pyramid " << k;
    }
}

TEST_F(Primitives, SpiralDrawsTheSameInEveryCall) {
    DrawPyramidSpiral();
    const std::vector<LoggedCall> first = callLog;
    ClearCallLog();
    DrawPyramidSpiral();
    ASSERT_EQ(callLog.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(callLog[i].args, first[i].args) << "call " << i;
    }
}

TEST_F(Primitives, GridSetsGreenOnceThenDrawsOneHundredAndOnePairsOfLines) {
    DrawGrid();
    std::vector<std::string> expected = {"glColor3ub"};
    for (int pass = 0; pass < 101; ++pass) {
        expected.insert(expected.end(), {"glBegin", "glVertex3f", "glVertex3f", "glVertex3f",
                                         "glVertex3f", "glEnd"});
    }
    EXPECT_EQ(CallNames(), expected);
    EXPECT_EQ(Colours(), std::vector<Colour>{kGreen});
    for (const LoggedCall& begin : CallsNamed("glBegin")) {
        EXPECT_EQ(begin.args, std::vector<double>{GL_LINES});
    }

    const std::vector<Xyz> vertices = Vertices();
    ASSERT_EQ(vertices.size(), 404u);
    for (const Xyz& v : vertices) {
        EXPECT_EQ(v[1], 0) << "every line lies in the ground plane";
    }
    // Pass by pass: the line along x at z = v, then the line along z at x = v.
    for (int pass = 0; pass < 101; ++pass) {
        const double v = -50 + pass;
        const Xyz* line = &vertices[4 * pass];
        EXPECT_EQ(line[0], (Xyz{-50, 0, v}));
        EXPECT_EQ(line[1], (Xyz{50, 0, v}));
        EXPECT_EQ(line[2], (Xyz{v, 0, -50}));
        EXPECT_EQ(line[3], (Xyz{v, 0, 50}));
    }
    // Both borders close the square.
    EXPECT_EQ(vertices.front(), (Xyz{-50, 0, -50}));
    EXPECT_EQ(vertices[400], (Xyz{-50, 0, 50}));
    EXPECT_EQ(vertices[403], (Xyz{50, 0, 50}));
}

} // namespace
