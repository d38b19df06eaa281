#include "fake_media.h"

#include <cstdarg>
#include <cstdio>

#include <SDL_mixer.h>

#include "call_log.h"

Uint32 fakeTicks;
std::deque<SDL_Event> fakeEvents;
bool fakeSetVideoModeFails;
bool fakeToggleFails;
bool fakeVideoInfoMissing;
SDL_Surface fakeSurface;
SDL_GrabMode fakeGrab;
bool fakeResizeAfterEveryModeSet;
Uint32 fakeModeSetMs;

namespace {
constexpr char kDefaultError[] = "fake media error";
char errorText[128] = "fake media error";
} // namespace

void ResetFakeMedia() {
    fakeTicks = 0;
    fakeEvents.clear();
    fakeSetVideoModeFails = false;
    fakeToggleFails = false;
    fakeVideoInfoMissing = false;
    fakeSurface = SDL_Surface{};
    fakeGrab = SDL_GRAB_OFF;
    fakeResizeAfterEveryModeSet = false;
    fakeModeSetMs = 0;
    std::snprintf(errorText, sizeof errorText, "%s", kDefaultError);
}

void PushKeyDown(SDLKey key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    fakeEvents.push_back(event);
}

void PushKeyUp(SDLKey key) {
    SDL_Event event{};
    event.type = SDL_KEYUP;
    event.key.type = SDL_KEYUP;
    event.key.keysym.sym = key;
    fakeEvents.push_back(event);
}

void PushResize(int width, int height) {
    SDL_Event event{};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = width;
    event.resize.h = height;
    fakeEvents.push_back(event);
}

void PushQuit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    fakeEvents.push_back(event);
}

extern "C" {

Uint32 SDL_GetTicks() {
    return fakeTicks;
}

int SDL_PollEvent(SDL_Event* event) {
    if (fakeEvents.empty()) {
        return 0;
    }
    *event = fakeEvents.front();
    fakeEvents.pop_front();
    LogCall("SDL_PollEvent", {double(event->type)});
    return 1;
}

void SDL_GL_SwapBuffers() {
    LogCall("SDL_GL_SwapBuffers");
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    LogCall("SDL_SetVideoMode", {double(width), double(height), double(bpp), double(flags)});
    fakeTicks += fakeModeSetMs;
    if (fakeSetVideoModeFails) {
        return nullptr;
    }
    if (fakeResizeAfterEveryModeSet) {
        constexpr int kScreenWidth = 1280, kScreenHeight = 1024;
        width == kScreenWidth ? PushResize(800, 600) : PushResize(kScreenWidth, kScreenHeight);
    }
    fakeSurface.w = width;
    fakeSurface.h = height;
    fakeSurface.flags = flags;
    if (flags & SDL_FULLSCREEN) {
        fakeGrab = SDL_GRAB_ON;
    }
    return &fakeSurface;
}

int SDL_WM_ToggleFullScreen(SDL_Surface* surface) {
    LogCall("SDL_WM_ToggleFullScreen");
    if (fakeToggleFails || surface == nullptr) {
        return 0;
    }
    surface->flags ^= SDL_FULLSCREEN; // the grab stays as it was
    return 1;
}

SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) {
    LogCall("SDL_WM_GrabInput", {double(mode)});
    if (mode != SDL_GRAB_QUERY) {
        fakeGrab = mode;
    }
    return fakeGrab;
}

int SDL_ShowCursor(int toggle) {
    LogCall("SDL_ShowCursor", {double(toggle)});
    return toggle;
}

void SDL_WM_SetCaption(const char*, const char*) {
    LogCall("SDL_WM_SetCaption");
}

const SDL_VideoInfo* SDL_GetVideoInfo() {
    static SDL_VideoInfo info{};
    LogCall("SDL_GetVideoInfo");
    return fakeVideoInfoMissing ? nullptr : &info;
}

int SDL_GL_SetAttribute(SDL_GLattr attribute, int value) {
    LogCall("SDL_GL_SetAttribute", {double(attribute), double(value)});
    return 0;
}

char* SDL_GetError() {
    return errorText;
}

void SDL_SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(errorText, sizeof errorText, format, args);
    va_end(args);
}

void SDL_Delay(Uint32 ms) {
    LogCall("SDL_Delay", {double(ms)});
}
void SDL_Quit() {
    LogCall("SDL_Quit");
}

Mix_Music* Mix_LoadMUS(const char*) {
    LogCall("Mix_LoadMUS");
    return nullptr;
}

int Mix_FadeOutChannel(int channel, int ms) {
    LogCall("Mix_FadeOutChannel", {double(channel), double(ms)});
    return 0;
}

int Mix_FadeOutMusic(int ms) {
    LogCall("Mix_FadeOutMusic", {double(ms)});
    return 0;
}

} // extern "C"
