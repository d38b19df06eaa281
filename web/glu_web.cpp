// The two GLU calls the show makes, written from their definitions in the
// GLU reference: Emscripten's own gluLookAt passes its vectors in the wrong
// order and drops the result, and its gluPerspective replaces the matrix
// instead of multiplying it. The native show keeps the system's GLU.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vector {
    double x, y, z;
};

Vector Cross(Vector a, Vector b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector Normalized(Vector v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0) {
        return v;
    }
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

extern "C" void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double f = 1.0 / std::tan(fovy * kPi / 360.0); // cotangent of half the field
    const double depth = zNear - zFar;
    // Column-major, as glMultMatrixd takes it.
    const GLdouble m[16] = {
        f / aspect,
        0,
        0,
        0, //
        0,
        f,
        0,
        0, //
        0,
        0,
        (zFar + zNear) / depth,
        -1,
        0,
        0,
        2 * zFar * zNear / depth,
        0,
    };
    glMultMatrixd(m);
}

extern "C" void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
    const Vector f = Normalized({centerX - eyeX, centerY - eyeY, centerZ - eyeZ});
    const Vector s = Normalized(Cross(f, Normalized({upX, upY, upZ})));
    const Vector u = Cross(s, f);
    // Rows s, u and -f, stored column-major.
    const GLdouble m[16] = {
        s.x, u.x, -f.x, 0, //
        s.y, u.y, -f.y, 0, //
        s.z, u.z, -f.z, 0, //
        0,   0,   0,    1,
    };
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}
