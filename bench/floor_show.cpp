// The floor of start-up: the least a program can do to put one GL frame on the
// screen in the show's video mode. It starts video, asks for the same GL
// buffers, sets the same 800 x 600 16-bit mode with the same flags and presents
// one cleared frame. The benchmark times it beside the show.
#include <cstdio>

#include <GL/gl.h>
#include <SDL.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBitsPerPixel = 16;
constexpr int kDepthBits = 16;

struct GlAttribute {
    SDL_GLattr attribute;
    int value;
};

constexpr GlAttribute kGlAttributes[] = {
    {SDL_GL_DOUBLEBUFFER, 1},     {SDL_GL_DEPTH_SIZE, kDepthBits}, {SDL_GL_STENCIL_SIZE, 0},
    {SDL_GL_ACCUM_RED_SIZE, 0},   {SDL_GL_ACCUM_GREEN_SIZE, 0},    {SDL_GL_ACCUM_BLUE_SIZE, 0},
    {SDL_GL_ACCUM_ALPHA_SIZE, 0},
};

Uint32 ShowVideoFlags(const SDL_VideoInfo& info) {
    Uint32 flags = SDL_OPENGL | SDL_HWPALETTE | SDL_RESIZABLE | SDL_FULLSCREEN;
    if (info.hw_available) {
        flags |= SDL_HWSURFACE;
    }
    if (info.blit_hw) {
        flags |= SDL_HWACCEL;
    }
    return flags;
}

} // namespace

int main() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "floor: cannot start video: %s\n", SDL_GetError());
        return 1;
    }
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr) {
        std::fprintf(stderr, "floor: no video information: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    for (const GlAttribute& attribute : kGlAttributes) {
        SDL_GL_SetAttribute(attribute.attribute, attribute.value);
    }
    if (SDL_SetVideoMode(kWidth, kHeight, kBitsPerPixel, ShowVideoFlags(*info)) == nullptr) {
        std::fprintf(stderr, "floor: cannot set the video mode: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    SDL_Quit();
    return 0;
}
