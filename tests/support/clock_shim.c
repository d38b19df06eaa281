/* Test-only LD_PRELOAD library for the real show binary.
 *
 * Clock: SDL_GetTicks returns the real count, sped up by
 * TROMVISK_TEST_CLOCK_SCALE (default 1) and moved on by
 * TROMVISK_TEST_CLOCK_OFFSET_MS (default 0), so a test reaches any show time
 * at once.
 *
 * Trace: when TROMVISK_TEST_TRACE names a file, every call below is appended
 * to it as one line, so a test can see the order of frames, events, fades and
 * the shutdown of the real program.
 *
 * Snapshot: when TROMVISK_TEST_SNAPSHOT names a file, the frame about to be
 * presented at swap number TROMVISK_TEST_SNAPSHOT_FRAME (default 20) is read
 * back and written there as a binary PPM image.
 *
 * Signals: TROMVISK_TEST_RAISE lists calls as NAME or NAME@N (trace names,
 * e.g. "sdl_init,swap@50,delay"); on the Nth call of each (default the
 * first) the library sends the process TROMVISK_TEST_RAISE_SIGNAL (default
 * SIGTERM) before the call goes on, so a test can hit any phase exactly.
 * "flush_stdout" counts the program's flushes of standard output.
 *
 * Resize storm: with TROMVISK_TEST_RESIZE_STORM set, every mode set is
 * answered with a resize to the other of 1280x1024 and 800x600. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <signal.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <SDL_mixer.h>

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static void Trace(const char* format, ...) {
    static int fd = -2;
    if (fd == -2) {
        const char* path = getenv("TROMVISK_TEST_TRACE");
        fd = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    if (fd < 0) {
        return;
    }
    char line[256];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    if (length > (int)sizeof line - 2) {
        length = (int)sizeof line - 2;
    }
    line[length++] = '\n';
    ssize_t written = write(fd, line, (size_t)length);
    (void)written;
}

static double EnvNumber(const char* name, double fallback) {
    const char* text = getenv(name);
    return text ? strtod(text, NULL) : fallback;
}

static void MaybeRaise(const char* name) {
    enum { kMaxCounted = 16 };
    static const char* names[kMaxCounted];
    static long counts[kMaxCounted];
    const char* list = getenv("TROMVISK_TEST_RAISE");
    if (list == NULL) {
        return;
    }
    int slot = 0;
    while (slot < kMaxCounted && names[slot] != NULL && strcmp(names[slot], name) != 0) {
        ++slot;
    }
    if (slot == kMaxCounted) {
        return;
    }
    names[slot] = name;
    const long count = ++counts[slot];
    const size_t length = strlen(name);
    for (const char* entry = list; *entry != '\0';) {
        const char* end = strchr(entry, ',');
        if (end == NULL) {
            end = entry + strlen(entry);
        }
        long wanted = 1;
        const char* at = memchr(entry, '@', (size_t)(end - entry));
        const size_t nameLength = at ? (size_t)(at - entry) : (size_t)(end - entry);
        if (at != NULL) {
            wanted = strtol(at + 1, NULL, 10);
        }
        if (nameLength == length && strncmp(entry, name, length) == 0 && wanted == count) {
            const int signal = (int)EnvNumber("TROMVISK_TEST_RAISE_SIGNAL", SIGTERM);
            Trace("raise %s %d", name, signal);
            kill(getpid(), signal);
        }
        entry = *end == ',' ? end + 1 : end;
    }
}

int fflush(FILE* stream) {
    if (stream == stdout) {
        MaybeRaise("flush_stdout");
    }
    return REAL(fflush)(stream);
}

int SDL_Init(Uint32 flags) {
    MaybeRaise("sdl_init");
    return REAL(SDL_Init)(flags);
}

Uint32 SDL_GetTicks(void) {
    static double scale = -1;
    static double offset;
    if (scale < 0) {
        scale = EnvNumber("TROMVISK_TEST_CLOCK_SCALE", 1);
        offset = EnvNumber("TROMVISK_TEST_CLOCK_OFFSET_MS", 0);
    }
    return (Uint32)(REAL(SDL_GetTicks)() * scale + offset);
}

int SDL_PollEvent(SDL_Event* event) {
    int result = REAL(SDL_PollEvent)(event);
    if (result && event) {
        Trace("event %d", event->type);
    }
    return result;
}

static void WriteSnapshot(const char* path) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2], height = viewport[3];
    unsigned char* pixels = malloc((size_t)width * (size_t)height * 3);
    FILE* file = fopen(path, "wb");
    if (pixels != NULL && file != NULL) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        fprintf(file, "P6\n%d %d\n255\n", width, height);
        for (int row = height - 1; row >= 0; --row) { /* GL rows run bottom up */
            fwrite(pixels + (size_t)row * (size_t)width * 3, 3, (size_t)width, file);
        }
    }
    if (file != NULL) {
        fclose(file);
    }
    free(pixels);
    Trace("snapshot %s", path);
}

void SDL_GL_SwapBuffers(void) {
    MaybeRaise("swap");
    static long swaps;
    const char* snapshot = getenv("TROMVISK_TEST_SNAPSHOT");
    if (snapshot != NULL && ++swaps == (long)EnvNumber("TROMVISK_TEST_SNAPSHOT_FRAME", 20)) {
        WriteSnapshot(snapshot);
    }
    Trace("swap");
    REAL(SDL_GL_SwapBuffers)();
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    MaybeRaise("mode");
    SDL_Surface* surface = REAL(SDL_SetVideoMode)(width, height, bpp, flags);
    Trace("mode %d %d %d 0x%08x %s", width, height, bpp, flags, surface ? "ok" : "failed");
    if (surface != NULL && getenv("TROMVISK_TEST_RESIZE_STORM") != NULL) {
        /* A window manager that answers every mode set with a resize to the other of two sizes. */
        enum { kScreenWidth = 1280, kScreenHeight = 1024, kShowWidth = 800, kShowHeight = 600 };
        SDL_Event resize;
        memset(&resize, 0, sizeof resize);
        resize.type = SDL_VIDEORESIZE;
        resize.resize.w = width == kScreenWidth ? kShowWidth : kScreenWidth;
        resize.resize.h = width == kScreenWidth ? kShowHeight : kScreenHeight;
        REAL(SDL_PushEvent)(&resize);
    }
    return surface;
}

int SDL_WM_ToggleFullScreen(SDL_Surface* surface) {
    int result = REAL(SDL_WM_ToggleFullScreen)(surface);
    Trace("toggle %d fullscreen=%d", result, surface && (surface->flags & SDL_FULLSCREEN) ? 1 : 0);
    return result;
}

SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) {
    SDL_GrabMode result = REAL(SDL_WM_GrabInput)(mode);
    Trace("grab %d -> %d", (int)mode, (int)result);
    return result;
}

void SDL_WM_SetCaption(const char* title, const char* icon) {
    Trace("caption %s %s", title ? title : "(null)", icon ? icon : "(null)");
    REAL(SDL_WM_SetCaption)(title, icon);
}

int SDL_ShowCursor(int toggle) {
    MaybeRaise("cursor");
    Trace("cursor %d", toggle);
    return REAL(SDL_ShowCursor)(toggle);
}

void SDL_Delay(Uint32 ms) {
    MaybeRaise("delay");
    Trace("delay %u", ms);
    REAL(SDL_Delay)(ms);
}

void SDL_Quit(void) {
    Trace("sdl_quit");
    REAL(SDL_Quit)();
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize) {
    MaybeRaise("open_audio");
    int result = REAL(Mix_OpenAudio)(frequency, format, channels, chunksize);
    Trace("open_audio %d 0x%04x %d %d -> %d", frequency, format, channels, chunksize, result);
    return result;
}

Mix_Music* Mix_LoadMUS(const char* file) {
    MaybeRaise("load_music");
    Mix_Music* music = REAL(Mix_LoadMUS)(file);
    Trace("load_music %s %s", file, music ? "ok" : "failed");
    return music;
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
    int result = REAL(Mix_PlayMusic)(music, loops);
    Trace("play_music %d -> %d", loops, result);
    return result;
}

int Mix_FadeOutChannel(int channel, int ms) {
    Trace("fade_channels %d %d", channel, ms);
    return REAL(Mix_FadeOutChannel)(channel, ms);
}

int Mix_FadeOutMusic(int ms) {
    MaybeRaise("fade_music");
    Trace("fade_music %d", ms);
    return REAL(Mix_FadeOutMusic)(ms);
}

void Mix_FreeMusic(Mix_Music* music) {
    Trace("free_music");
    REAL(Mix_FreeMusic)(music);
}

void Mix_CloseAudio(void) {
    MaybeRaise("close_audio");
    Trace("close_audio");
    REAL(Mix_CloseAudio)();
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    Trace("perspective %g %.6f %g %g", fovy, aspect, zNear, zFar);
    REAL(gluPerspective)(fovy, aspect, zNear, zFar);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    Trace("viewport %d %d %d %d", x, y, width, height);
    REAL(glViewport)(x, y, width, height);
}
