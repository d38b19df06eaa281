#include "capture/frame_fingerprint.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

// Process-wide because the wrapped calls are: only the drawing thread records.
bool recording = false;
std::vector<double> record;

enum Call : int {
    kBegin = 1,
    kClear,
    kColor,
    kEnd,
    kLoadIdentity,
    kRotate,
    kVertex,
    kLookAt,
};

void Note(Call call, std::initializer_list<double> arguments) {
    record.push_back(call);
    record.insert(record.end(), arguments);
}

} // namespace

void FrameFingerprint::Begin() {
    record.clear();
    recording = true;
}

bool FrameFingerprint::End() {
    recording = false;
    const bool same = hasPrevious_ && record == previous_;
    previous_.swap(record);
    hasPrevious_ = true;
    return same;
}

// Every argument converts to double exactly, so equal records mean equal calls.
extern "C" {
void __real_glBegin(GLenum mode);
void __real_glClear(GLbitfield mask);
void __real_glColor3ub(GLubyte red, GLubyte green, GLubyte blue);
void __real_glEnd();
void __real_glLoadIdentity();
void __real_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void __real_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void __real_gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX,
                      GLdouble centreY, GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ);

void __wrap_glBegin(GLenum mode) {
    recording ? Note(kBegin, {static_cast<double>(mode)}) : __real_glBegin(mode);
}
void __wrap_glClear(GLbitfield mask) {
    recording ? Note(kClear, {static_cast<double>(mask)}) : __real_glClear(mask);
}
void __wrap_glColor3ub(GLubyte red, GLubyte green, GLubyte blue) {
    recording ? Note(kColor, {double(red), double(green), double(blue)})
              : __real_glColor3ub(red, green, blue);
}
void __wrap_glEnd() {
    recording ? Note(kEnd, {}) : __real_glEnd();
}
void __wrap_glLoadIdentity() {
    recording ? Note(kLoadIdentity, {}) : __real_glLoadIdentity();
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    recording ? Note(kRotate, {angle, x, y, z}) : __real_glRotatef(angle, x, y, z);
}
void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    recording ? Note(kVertex, {x, y, z}) : __real_glVertex3f(x, y, z);
}
void __wrap_gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX,
                      GLdouble centreY, GLdouble centreZ, GLdouble upX, GLdouble upY,
                      GLdouble upZ) {
    recording ? Note(kLookAt, {eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ})
              : __real_gluLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}
}
