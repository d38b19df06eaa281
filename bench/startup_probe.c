/* LD_PRELOAD library of the benchmark: times the start-up calls of the real
 * show (and of the floor program) from outside, so the show itself carries no
 * timing code and no option.
 *
 * TROMVISK_BENCH_LAUNCH_NS   monotonic time (ns) at which the benchmark
 *                            started the process: the origin of every figure.
 * TROMVISK_BENCH_PROBE_OUT   file that receives one "name value" line per
 *                            figure once the first frame is presented.
 * TROMVISK_BENCH_STOP_AT_FIRST_FRAME=1
 *                            end the process right after that frame.
 * TROMVISK_BENCH_CLOCK_SCALE run the tick count faster (default 1), so that a
 *                            whole show passes in a few seconds.
 */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <SDL.h>
#include <SDL_mixer.h>

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

enum { kBegin, kEnd };

static struct {
    long long sdlInit[2], setVideoMode[2], openAudio[2], loadMusic[2], playMusic[2], firstSwap[2];
    unsigned videoFlags;
    int audioResult, musicLoaded;
    Uint32 ticksSampled;   /* the last tick count the program read before its first swap */
    Uint32 ticksPresented; /* the tick count once the first frame is presented */
} probe = {.audioResult = 1, .musicLoaded = -1};

static long long NowNs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void Mark(long long span[2], int which) {
    if (span[which] == 0) { /* only the first call of each kind counts */
        span[which] = NowNs();
    }
}

static double ClockScale(void) {
    static double scale = -1;
    if (scale < 0) {
        const char* text = getenv("TROMVISK_BENCH_CLOCK_SCALE");
        scale = text ? strtod(text, NULL) : 1;
    }
    return scale;
}

static void WriteSpan(FILE* file, const char* name, const long long span[2]) {
    if (span[kBegin] != 0) {
        fprintf(file, "%s_begin %lld\n%s_end %lld\n", name, span[kBegin], name, span[kEnd]);
    }
}

static void WriteProbe(void) {
    const char* path = getenv("TROMVISK_BENCH_PROBE_OUT");
    FILE* file = path ? fopen(path, "w") : NULL;
    if (file == NULL) {
        return;
    }
    const char* launch = getenv("TROMVISK_BENCH_LAUNCH_NS");
    fprintf(file, "launch %s\n", launch ? launch : "0");
    WriteSpan(file, "sdl_init", probe.sdlInit);
    WriteSpan(file, "set_video_mode", probe.setVideoMode);
    WriteSpan(file, "open_audio", probe.openAudio);
    WriteSpan(file, "load_music", probe.loadMusic);
    WriteSpan(file, "play_music", probe.playMusic);
    WriteSpan(file, "first_swap", probe.firstSwap);
    fprintf(file, "video_flags %u\naudio_result %d\nmusic_loaded %d\n", probe.videoFlags,
            probe.audioResult, probe.musicLoaded);
    fprintf(file, "ticks_sampled %u\nticks_presented %u\n", probe.ticksSampled,
            probe.ticksPresented);
    fclose(file);
}

Uint32 SDL_GetTicks(void) {
    const Uint32 ticks = (Uint32)(REAL(SDL_GetTicks)() * ClockScale());
    if (probe.firstSwap[kBegin] == 0) {
        probe.ticksSampled = ticks;
    }
    return ticks;
}

int SDL_Init(Uint32 flags) {
    Mark(probe.sdlInit, kBegin);
    const int result = REAL(SDL_Init)(flags);
    Mark(probe.sdlInit, kEnd);
    return result;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    const int first = probe.setVideoMode[kBegin] == 0;
    Mark(probe.setVideoMode, kBegin);
    SDL_Surface* surface = REAL(SDL_SetVideoMode)(width, height, bpp, flags);
    Mark(probe.setVideoMode, kEnd);
    if (first) {
        probe.videoFlags = flags;
    }
    return surface;
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
    Mark(probe.openAudio, kBegin);
    const int result = REAL(Mix_OpenAudio)(frequency, format, channels, chunkSize);
    Mark(probe.openAudio, kEnd);
    probe.audioResult = result;
    return result;
}

Mix_Music* Mix_LoadMUS(const char* file) {
    Mark(probe.loadMusic, kBegin);
    Mix_Music* music = REAL(Mix_LoadMUS)(file);
    Mark(probe.loadMusic, kEnd);
    probe.musicLoaded = music != NULL;
    return music;
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
    Mark(probe.playMusic, kBegin);
    const int result = REAL(Mix_PlayMusic)(music, loops);
    Mark(probe.playMusic, kEnd);
    return result;
}

void SDL_GL_SwapBuffers(void) {
    const int first = probe.firstSwap[kBegin] == 0;
    Mark(probe.firstSwap, kBegin);
    REAL(SDL_GL_SwapBuffers)();
    if (!first) {
        return;
    }
    Mark(probe.firstSwap, kEnd);
    probe.ticksPresented = (Uint32)(REAL(SDL_GetTicks)() * ClockScale());
    WriteProbe();
    const char* stop = getenv("TROMVISK_BENCH_STOP_AT_FIRST_FRAME");
    if (stop != NULL && stop[0] == '1') {
        _exit(0); /* nothing after the first frame is measured */
    }
}
