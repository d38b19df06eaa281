#include "frame_cost.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <GL/gl.h>
#include <SDL.h>

#ifdef TROMVISK_BENCH_HAVE_CALLGRIND
#include <valgrind/callgrind.h>
#endif

#include "heap_counter.h"
#include "host/input.h"
#include "host/start_settings.h"
#include "host/window.h"
#include "object_kind.h"
#include "show/render_scene.h"
#include "show/view.h"

namespace {

constexpr float kEmpty = -1.0f;
constexpr double kPercentile = 0.95;
constexpr int kSettleFrames = 3; // untimed empty frames after a mode switch
constexpr int kMaxOrigins = 32;

using Clock = std::chrono::steady_clock;

void DrainEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            std::fputs("benchmark interrupted\n", stderr);
            SDL_Quit();
            std::exit(1);
        }
    }
}

void DrawScene(const Scene& scene) {
    if (scene.showTime < 0) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    } else {
        DrawShowFrame(scene.showTime);
    }
}

// What RenderScene does for one frame, with the clock held at the scene's
// time; glFinish waits for the software renderer's threads, so that a frame's
// time is all of its work.
void PresentFrame(const Scene& scene) {
    DrawScene(scene);
    SDL_GL_SwapBuffers();
    glFinish();
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

FrameCost Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const double median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    // Nearest rank: the smallest sample with at least 95 % of all at or below it.
    const size_t rank = static_cast<size_t>(std::ceil(kPercentile * static_cast<double>(n)));
    return {median, samples[std::max<size_t>(rank, 1) - 1]};
}

void DrawEveryScene(int frames) {
    for (const Scene& scene : BenchScenes()) {
        for (int i = 0; i < frames; ++i) {
            DrainEvents();
            PresentFrame(scene);
        }
    }
}

bool IsFullScreen() {
    return (MainWindow->flags & SDL_FULLSCREEN) != 0;
}

// The f key's way between full screen and a window.
bool SwitchTo(bool fullScreen) {
    if (IsFullScreen() != fullScreen) {
        ToggleFullScreen();
        DrainEvents();
    }
    return IsFullScreen() == fullScreen;
}

// Allocation origins gathered while counting: nothing here may allocate.
struct OriginTally {
    HeapOrigin entries[kMaxOrigins];
    int size;
};

void TakeOrigins(OriginTally& tally) {
    HeapOrigin origins[kMaxOrigins];
    const int count = HeapOrigins(origins, kMaxOrigins);
    HeapClearOrigins();
    for (int i = 0; i < count; ++i) {
        int slot = 0;
        while (slot < tally.size && tally.entries[slot].object != origins[i].object) {
            ++slot;
        }
        if (slot == tally.size) {
            if (tally.size == kMaxOrigins) {
                continue;
            }
            tally.entries[tally.size++] = {origins[i].object, 0};
        }
        tally.entries[slot].count += origins[i].count;
    }
}

AllocationOrigins PerFrame(const OriginTally& tally, const std::string& ourObject, double frames) {
    AllocationOrigins origins{};
    for (int i = 0; i < tally.size; ++i) {
        const double n = static_cast<double>(tally.entries[i].count) / frames;
        const char* object = tally.entries[i].object;
        if (object == nullptr) {
            origins.ours += n;
            continue;
        }
        switch (KindOfObject(object, ourObject)) {
        case ObjectKind::Ours:
            origins.ours += n;
            break;
        case ObjectKind::Gl:
            origins.gl += n;
            break;
        case ObjectKind::Media:
            origins.media += n;
            break;
        case ObjectKind::System:
            origins.other += n; // includes "(unknown)": no object on the stack
            break;
        }
    }
    return origins;
}

} // namespace

const std::vector<Scene>& BenchScenes() {
    static const std::vector<Scene> scenes = {
        {"empty frame (clear + swap)", kEmpty},
        {"3 s: opening banner from above", 3},
        {"7 s: banner and grid", 7},
        {"20 s: spinning cube over the grid", 20},
        {"30 s: inner and corner cubes", 30},
        {"40 s: reverse turn", 40},
        {"55 s: address being typed", 55},
        {"64 s: whole address, close", 64},
        {"68 s: address from above", 68},
        {"76 s: spiral, camera high", 76},
        {"81 s: spiral, camera low", 81},
        {"95 s: greetings", 95},
        {"104 s: end title", 104},
    };
    return scenes;
}

BenchWindow OpenBenchWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "cannot start video: %s\n", SDL_GetError());
        std::exit(1);
    }
    BenchWindow window{};
    if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
        window.desktopWidth = info->current_w;
        window.desktopHeight = info->current_h;
    }
    // The show's own start-up calls, in its order.
    SetVideoFlagsAndGlAttributes();
    OpenShowWindow(kCaption, kShowWidth, kShowHeight, VideoFlags);
    SDL_ShowCursor(SDL_DISABLE);
    SetUpView();
    char driver[64] = "?";
    SDL_VideoDriverName(driver, sizeof driver);
    window.videoDriver = driver;
    window.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    window.glVersion = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    window.windowWidth = MainWindow->w;
    window.windowHeight = MainWindow->h;
    window.fullScreen = IsFullScreen();
    return window;
}

ModeCosts MeasureFrameCosts(const TimingPlan& plan) {
    const std::vector<Scene>& scenes = BenchScenes();
    constexpr bool kModes[] = {true, false}; // full screen, then windowed
    ModeCosts costs{{}, {}, true};
    for (const bool fullScreen : kModes) {
        costs.toggled &= SwitchTo(fullScreen);
        DrawEveryScene(plan.warmUpFrames);
    }
    std::vector<std::vector<double>> samples[2] = {std::vector<std::vector<double>>(scenes.size()),
                                                   std::vector<std::vector<double>>(scenes.size())};
    // Modes and scenes take turns, each scene starting one place later every
    // round, so that a noisy moment of a shared machine spreads over all.
    for (int round = 0; round < plan.rounds; ++round) {
        for (int mode = 0; mode < 2; ++mode) {
            costs.toggled &= SwitchTo(kModes[mode]);
            for (int frame = 0; frame < kSettleFrames; ++frame) {
                PresentFrame(scenes[0]);
            }
            for (size_t turn = 0; turn < scenes.size(); ++turn) {
                const size_t index = (turn + static_cast<size_t>(round)) % scenes.size();
                for (int frame = 0; frame < plan.framesPerRound; ++frame) {
                    DrainEvents();
                    const Clock::time_point start = Clock::now();
                    PresentFrame(scenes[index]);
                    samples[mode][index].push_back(Milliseconds(Clock::now() - start));
                }
            }
        }
    }
    costs.toggled &= SwitchTo(true);
    for (size_t index = 0; index < scenes.size(); ++index) {
        costs.fullScreen.push_back(Summarise(samples[0][index]));
        costs.windowed.push_back(Summarise(samples[1][index]));
    }
    return costs;
}

AllocationCounts CountAllocations(int warmUpFrames, int countedFrames,
                                  const std::string& ourObject) {
    AllocationCounts counts{};
    OriginTally events{}, draw{}, swap{}, empty{};
    int actFrames = 0;
    for (const Scene& scene : BenchScenes()) {
        for (int frame = 0; frame < warmUpFrames; ++frame) {
            DrainEvents();
            PresentFrame(scene);
        }
        const bool act = scene.showTime >= 0;
        HeapClearOrigins();
        HeapTraceOrigins(1);
        const std::uint64_t start = HeapAllocationCount();
        for (int frame = 0; frame < countedFrames; ++frame) {
            DrainEvents();
            TakeOrigins(act ? events : empty);
            DrawScene(scene);
            TakeOrigins(act ? draw : empty);
            SDL_GL_SwapBuffers();
            glFinish();
            TakeOrigins(act ? swap : empty);
        }
        const double perPass = static_cast<double>(HeapAllocationCount() - start) / countedFrames;
        HeapTraceOrigins(0);
        if (act) {
            counts.worstActPass = std::max(counts.worstActPass, perPass);
            actFrames += countedFrames;
        } else {
            counts.emptyPass = perPass;
        }
    }
    counts.events = PerFrame(events, ourObject, actFrames);
    counts.draw = PerFrame(draw, ourObject, actFrames);
    counts.swap = PerFrame(swap, ourObject, actFrames);
    return counts;
}

void ProfileScenes(int frames) {
#ifdef TROMVISK_BENCH_HAVE_CALLGRIND
    const std::vector<Scene>& scenes = BenchScenes();
    DrawEveryScene(frames); // not instrumented: valgrind runs with --instr-atstart=no
    CALLGRIND_START_INSTRUMENTATION;
    for (size_t index = 0; index < scenes.size(); ++index) {
        DrainEvents();
        CALLGRIND_ZERO_STATS;
        for (int frame = 0; frame < frames; ++frame) {
            PresentFrame(scenes[index]);
        }
        char label[32];
        std::snprintf(label, sizeof label, "scene %zu", index);
        CALLGRIND_DUMP_STATS_AT(label);
    }
    CALLGRIND_STOP_INSTRUMENTATION;
#else
    (void)frames;
    std::fputs("built without valgrind/callgrind.h: no profile\n", stderr);
    std::exit(1);
#endif
}
