// The capture's benchmark: frames a second for rendering alone (split into
// drawing, multisample resolve and readback), encoding alone and the whole
// pipeline, at 1280x720 and 1920x1080, 60 fps, 4 samples; and the whole show
// at 1280x720 against real time. Prints one table.
//
//   capture_bench [--frames N] [--no-whole-show]
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <iterator>
#include <string>
#include <vector>

#include "capture/capture_output.h"
#include "capture/capture_timeline.h"
#include "capture/egl_context.h"
#include "capture/frame_target.h"
#include "capture/output_format.h"
#include "capture/show_framing.h"
#include "capture/show_renderer.h"
#include "show/live_pace.h"
#include "show/motion.h"
#include "show/render_scene.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr double kRealTime = kVideoEnd; // the show and its fade, as the video runs
constexpr int kSamples = 4;
constexpr std::int64_t kFps = 60;
constexpr std::int64_t kMotionRate = kDefaultLiveFramesPerSecond;
constexpr double kVideoFrames = kVideoEnd * kFps;        // the whole show at kFps
constexpr double kPipelineFrames = (30.0 - 20.0) * kFps; // the pipeline's 20-30 s
// Stretches of the show the frames come from: every act.
constexpr double kActMoments[] = {3, 7, 20, 30, 40, 55, 64, 76, 81, 95, 104};

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{1280, 720}, {1920, 1080}};

struct Clocks {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = ProcessCpu();
    static double ProcessCpu() {
        timespec now;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return now.tv_sec + now.tv_nsec * 1e-9;
    }
    double Wall() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    }
    double Cpu() const { return ProcessCpu() - cpu; }
};

struct Figure {
    double fps = 0;
    double cpuMsPerFrame = 0;
};

Figure FigureOf(const Clocks& clocks, int frames) {
    return {frames / clocks.Wall(), clocks.Cpu() * 1000 / frames};
}

// Live frames of every act at 60 fps and 300 live frames a second.
std::vector<std::int64_t> LiveFrames(int perAct) {
    std::vector<std::int64_t> live;
    const CaptureTimeline timeline(kFps, 1, kMotionRate, 1, 0, -1);
    for (double act : kActMoments) {
        const auto first = static_cast<std::int64_t>(act * kFps);
        for (int i = 0; i < perAct; ++i) {
            live.push_back(timeline.LiveFrameOf(first + i));
        }
    }
    return live;
}

// Each step of rendering on its own, finished (glFinish) before the next.
struct Steps {
    double draw = 0, resolve = 0, readback = 0; // ms a frame
};

Steps TimeSteps(Size size, const std::vector<std::int64_t>& live) {
    EglContext context; // a bare context: the capture's renderer opens its own
    FrameTarget target(size.width, size.height, kSamples);
    const PictureBox box = FitPicture(size.width, size.height, false);
    target.LimitToPicture(box.x, box.y, box.width, box.height);
    SetUpShowView(box, 0, 0);
    std::vector<std::uint8_t> rgba(target.FrameBytes());
    LivePace pace(kMotionRate, 1);
    RestoreTurns({0, 0, 0});
    Steps steps;
    for (std::int64_t j : live) {
        const float t = pace.SeekFrame(j);
        glFinish();
        auto start = std::chrono::steady_clock::now();
        auto lap = [&start] {
            glFinish();
            const auto now = std::chrono::steady_clock::now();
            const double ms = std::chrono::duration<double, std::milli>(now - start).count();
            start = now;
            return ms;
        };
        target.BeginPass();
        DrawShowFrameKeepingTurns(t);
        steps.draw += lap();
        target.EndPass();
        steps.resolve += lap();
        target.ReadNow(rgba.data());
        steps.readback += lap();
    }
    steps.draw /= live.size();
    steps.resolve /= live.size();
    steps.readback /= live.size();
    return steps;
}

// Drawing and reading back as the capture does, with nothing encoded; keeps
// the frames for the encoding figure.
Figure TimeRendering(Size size, const std::vector<std::int64_t>& live,
                     std::vector<std::vector<std::uint8_t>>& kept) {
    ShowRenderer renderer(size.width, size.height, kSamples, false, kMotionRate, 1);
    RestoreTurns({0, 0, 0});
    std::vector<std::uint8_t> rgba(renderer.FrameBytes());
    const Clocks clocks;
    int handed = 0;
    for (std::size_t i = 0; i < live.size(); ++i) {
        if (i >= 2) {
            renderer.FinishFrame(rgba.data());
            ++handed;
        }
        renderer.NeedsDrawing(live[i]);
        renderer.Draw(); // every frame drawn, repeated or not: the cost of drawing
        if (i % 10 == 0 && handed > 0) {
            kept.push_back(rgba);
        }
    }
    while (renderer.Pending()) {
        renderer.FinishFrame(rgba.data());
    }
    return FigureOf(clocks, static_cast<int>(live.size()));
}

// The frames encoded to H.264 (veryfast) and written to an MP4, nothing drawn.
Figure TimeEncoding(Size size, const std::vector<std::vector<std::uint8_t>>& frames, int count) {
    char folder[] = "/tmp/capture-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    OutputSettings settings;
    settings.format = ChooseOutputFormat(ParseOutputName("bench.mp4"));
    settings.path = std::string(folder) + "/bench.mp4";
    settings.shown = settings.path;
    settings.width = size.width;
    settings.height = size.height;
    settings.fpsNum = kFps;
    Clocks clocks;
    {
        CaptureOutput output(settings);
        for (int i = 0; i < count; ++i) {
            output.AddFrame(frames[i % frames.size()].data(), i);
        }
        output.Finish(count);
    }
    const Figure figure = FigureOf(clocks, count);
    std::system((std::string("rm -rf ") + folder).c_str());
    return figure;
}

struct Run {
    double wall = 0, cpu = 0;
    bool ok = false;
};

// The real program, as a user runs it.
Run TimeCapture(const std::vector<std::string>& arguments) {
    char folder[] = "/tmp/capture-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::exit(1);
    }
    const Clocks clocks;
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv = {const_cast<char*>(TROMVISK_CAPTURE_BINARY)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        const std::string output = std::string(folder) + "/show.mp4";
        argv.push_back(const_cast<char*>("--quiet"));
        argv.push_back(const_cast<char*>(output.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage = {};
    wait4(child, &status, 0, &usage);
    Run run;
    run.wall = clocks.Wall();
    run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
              usage.ru_stime.tv_usec * 1e-6;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::system((std::string("rm -rf ") + folder).c_str());
    return run;
}

double LoadAverage() {
    double load[1] = {0};
    getloadavg(load, 1);
    return load[0];
}

} // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_QUIET);
    int perAct = 20;
    bool wholeShow = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            perAct = std::max(1, std::atoi(argv[++i]) / static_cast<int>(std::size(kActMoments)));
        } else if (arg == "--no-whole-show") {
            wholeShow = false;
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--no-whole-show]\n", argv[0]);
            return 2;
        }
    }
    const std::vector<std::int64_t> live = LiveFrames(perAct);
    const int frames = static_cast<int>(live.size());
    std::printf("## Capture\n\n");
    std::printf("Load average at the start: %.1f on %ld cores. %d frames from every act, 60 fps, "
                "%d samples, motion at %lld live frames a second.\n\n",
                LoadAverage(), sysconf(_SC_NPROCESSORS_ONLN), frames, kSamples,
                static_cast<long long>(kMotionRate));
    std::printf("| Measure | 1280x720 | 1920x1080 |\n|---|---|---|\n");
    const char* names[] = {
        "draw a frame (DrawShowFrame, finished)",
        "multisample resolve (blit, finished)",
        "readback (glReadPixels, RGBA)",
        "rendering alone: draw, resolve, asynchronous readback",
        "encoding alone: BT.709 conversion, x264 veryfast, MP4",
        "whole pipeline: tromvisk-capture, 20-30 s of the show with music",
        "whole show if every frame cost this (6480 frames, no still frames reused)",
    };
    std::string rows[std::size(names)];
    for (const Size size : kSizes) {
        Steps steps;
        Figure rendering, encoding, pipeline;
        {
            steps = TimeSteps(size, live);
            std::vector<std::vector<std::uint8_t>> kept;
            rendering = TimeRendering(size, live, kept);
            encoding = TimeEncoding(size, kept, frames);
        }
        const std::string sizeText = std::to_string(size.width) + "x" + std::to_string(size.height);
        // 10 s of show through the real program: drawing, encoding and music together.
        const Run run = TimeCapture({"--size", sizeText, "--from", "20", "--to", "30"});
        pipeline = {run.ok ? kPipelineFrames / run.wall : 0, run.cpu * 1000 / kPipelineFrames};
        char cell[128];
        auto add = [&](int row, const char* format, auto... values) {
            std::snprintf(cell, sizeof cell, format, values...);
            rows[row] += std::string(" ") + cell + " |";
        };
        add(0, "%.1f ms", steps.draw);
        add(1, "%.1f ms", steps.resolve);
        add(2, "%.1f ms", steps.readback);
        add(3, "%.1f fps (%.1f ms CPU a frame)", rendering.fps, rendering.cpuMsPerFrame);
        add(4, "%.1f fps (%.1f ms CPU a frame)", encoding.fps, encoding.cpuMsPerFrame);
        add(5, "%.1f fps (%.1f ms CPU a frame)", pipeline.fps, pipeline.cpuMsPerFrame);
        add(6, "%.0f s (%.2f× real time)", kVideoFrames / pipeline.fps,
            kVideoFrames / pipeline.fps / kRealTime);
    }
    for (std::size_t i = 0; i < std::size(names); ++i) {
        std::printf("| %s |%s\n", names[i], rows[i].c_str());
    }
    if (wholeShow) {
        const Run run = TimeCapture({"--size", "1280x720"});
        std::printf("\nWhole show, `tromvisk-capture --size 1280x720 show.mp4` (60 fps, 4 samples, "
                    "music): %s %.1f s wall (%.2f× real time, target ≤ 108 s), %.1f s CPU "
                    "(%.1f s over two cores). Load average after: %.1f.\n",
                    run.ok ? "" : "FAILED", run.wall, run.wall / kRealTime, run.cpu, run.cpu / 2,
                    LoadAverage());
    }
    return 0;
}
