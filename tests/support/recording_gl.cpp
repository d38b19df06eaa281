// Link-time substitute for the GL and GLU entry points the show uses: records
// each call instead of drawing. Floats are logged as the exact values passed.
#include <GL/gl.h>
#include <GL/glu.h>

#include "call_log.h"

extern "C" {

void glBegin(GLenum mode) {
    LogCall("glBegin", {double(mode)});
}
void glEnd() {
    LogCall("glEnd");
}
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
    LogCall("glColor3ub", {double(r), double(g), double(b)});
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    LogCall("glVertex3f", {x, y, z});
}
void glClear(GLbitfield mask) {
    LogCall("glClear", {double(mask)});
}
void glLoadIdentity() {
    LogCall("glLoadIdentity");
}
void glMatrixMode(GLenum mode) {
    LogCall("glMatrixMode", {double(mode)});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    LogCall("glViewport", {double(x), double(y), double(w), double(h)});
}
void glEnable(GLenum cap) {
    LogCall("glEnable", {double(cap)});
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    LogCall("glRotatef", {angle, x, y, z});
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    LogCall("gluPerspective", {fovy, aspect, zNear, zFar});
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
    LogCall("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}

} // extern "C"
