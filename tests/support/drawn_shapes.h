// Reads the recorded GL calls back as shapes: each glBegin/glEnd pair with
// its vertices, each vertex with the colour current when it was sent.
#pragma once

#include <vector>

#include "call_log.h"

struct DrawnVertex {
    double x, y, z;
    int red, green, blue;
};

struct DrawnShape {
    double mode;
    std::vector<DrawnVertex> vertices;
};

inline std::vector<DrawnShape> DrawnShapes() {
    std::vector<DrawnShape> shapes;
    int red = -1, green = -1, blue = -1; // no colour set yet
    for (const LoggedCall& call : callLog) {
        if (call.name == "glBegin") {
            shapes.push_back({call.args.at(0), {}});
        } else if (call.name == "glColor3ub") {
            red = int(call.args.at(0));
            green = int(call.args.at(1));
            blue = int(call.args.at(2));
        } else if (call.name == "glVertex3f" && !shapes.empty()) {
            shapes.back().vertices.push_back(
                {call.args.at(0), call.args.at(1), call.args.at(2), red, green, blue});
        }
    }
    return shapes;
}
