// A frame of the show allocates nothing: every heap allocation made while
// DrawShowFrame runs is counted, for frames all through the show. GL and GLU
// are replaced here by no-ops that only count vertices (the recording layer
// itself allocates for every call it logs); the media layer is the tests'
// usual substitute.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>

#include <GL/gl.h>
#include <GL/glu.h>

#include "show/render_scene.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

bool counting = false;
long allocations = 0;
long vertices = 0;

void CountAllocation() {
    if (counting) {
        ++allocations;
    }
}

// Allocations made by `work`, which runs with the counter on.
template <typename Work> long AllocationsDuring(Work work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations;
}

constexpr float kFrameStep = 0.01f; // 100 frames a second of show time
constexpr float kPastTheEnd = 108.0f;

} // namespace

// Every allocation of the process passes through here: operator new ends in
// malloc, and the C library's other allocators are covered too.
extern "C" {
void* malloc(std::size_t size) noexcept {
    CountAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    CountAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) noexcept {
    CountAllocation();
    return __libc_realloc(pointer, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    CountAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** result, std::size_t alignment, std::size_t size) noexcept {
    CountAllocation();
    *result = __libc_memalign(alignment, size);
    return *result != nullptr ? 0 : ENOMEM;
}

// GL and GLU as no-ops; vertices are counted to show that frames drew.
void glBegin(GLenum) {}
void glEnd() {}
void glColor3ub(GLubyte, GLubyte, GLubyte) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {
    ++vertices;
}
void glClear(GLbitfield) {}
void glLoadIdentity() {}
void glMatrixMode(GLenum) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glEnable(GLenum) {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
               GLdouble) {}
} // extern "C"

TEST(FrameAllocations, CounterSeesAnAllocation) {
    void* volatile block = nullptr;
    const long counted = AllocationsDuring([&] { block = std::malloc(64); });
    std::free(block);
    EXPECT_EQ(counted, 1);
    int* volatile number = nullptr;
    EXPECT_EQ(AllocationsDuring([&] { number = new int(7); }), 1) << "operator new";
    delete number;
}

TEST(FrameAllocations, NoFrameOfTheShowAllocates) {
    vertices = 0;
    long frames = 0;
    const long counted = AllocationsDuring([&] {
        for (float t = 0.0f; t < kPastTheEnd; t += kFrameStep) {
            DrawShowFrame(t);
            ++frames;
        }
    });
    EXPECT_EQ(counted, 0) << "heap allocations over " << frames << " frames";
    EXPECT_GT(vertices, frames) << "the frames drew next to nothing: the count proves little";
}

TEST(FrameAllocations, TheHeaviestFramesAllocateNothing) {
    // The spiral, the whole address and the banner with its grid.
    for (const float t : {7.0f, 64.0f, 81.0f}) {
        vertices = 0;
        EXPECT_EQ(AllocationsDuring([&] { DrawShowFrame(t); }), 0) << "t = " << t;
        EXPECT_GT(vertices, 0) << "t = " << t;
    }
}
