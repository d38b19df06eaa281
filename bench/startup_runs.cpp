#include "startup_runs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

constexpr double kNsPerMs = 1e6;
constexpr auto kPollInterval = std::chrono::milliseconds(5);

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

bool Inherited(const char* entry) {
    return std::strncmp(entry, "LD_PRELOAD=", 11) != 0 &&
           std::strncmp(entry, "SDL_AUDIODRIVER=", 16) != 0 &&
           std::strncmp(entry, "TROMVISK_", 9) != 0;
}

std::map<std::string, double> ReadProbe(const std::string& path) {
    std::map<std::string, double> values;
    std::ifstream file(path);
    std::string name;
    double value = 0;
    while (file >> name >> value) {
        values[name] = value;
    }
    return values;
}

} // namespace

ChildRun RunUnderProbe(const ProbePaths& paths, const std::string& program,
                       const std::string& workDir, const std::vector<std::string>& extraEnvironment,
                       double timeoutSeconds) {
    const std::string probePath = workDir + "/probe.txt";
    unlink(probePath.c_str());

    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (Inherited(*entry)) {
            environment.emplace_back(*entry);
        }
    }
    environment.push_back("LD_PRELOAD=" + paths.probeLibrary);
    environment.push_back("SDL_AUDIODRIVER=dummy");
    environment.push_back("TROMVISK_BENCH_PROBE_OUT=" + probePath);
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    environment.push_back("TROMVISK_BENCH_LAUNCH_NS=" + std::to_string(MonotonicNs()));
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string programCopy = program;
    char* argv[] = {programCopy.data(), nullptr};

    ChildRun run;
    const pid_t pid = fork();
    if (pid < 0) {
        return run;
    }
    if (pid == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        const std::string errors = workDir + "/stderr.txt";
        const int errorFile = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(workDir.c_str()) != 0 || quiet < 0 || errorFile < 0) {
            _exit(127);
        }
        dup2(quiet, STDOUT_FILENO);
        dup2(errorFile, STDERR_FILENO);
        execve(argv[0], argv, envp.data());
        _exit(127);
    }

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    run.ended = status == 0;
    run.peakResidentKb = usage.ru_maxrss;
    run.probe = ReadProbe(probePath);
    return run;
}

const std::vector<StartupPhase>& StartupPhases() {
    static const std::vector<StartupPhase> phases = {
        {"process start to SDL_Init (loading, credits)", {"launch"}, "sdl_init_begin", false},
        {"video initialisation (SDL_Init)", {"sdl_init_begin"}, "sdl_init_end", false},
        {"video information, GL attributes", {"sdl_init_end"}, "set_video_mode_begin", false},
        {"mode set (SDL_SetVideoMode)", {"set_video_mode_begin"}, "set_video_mode_end", false},
        {"caption, audio open (Mix_OpenAudio)", {"set_video_mode_end"}, "open_audio_end", true},
        {"module load (Mix_LoadMUS)", {"open_audio_end"}, "load_music_end", true},
        {"music start (Mix_PlayMusic)", {"load_music_end"}, "play_music_end", true},
        {"cursor, view, first frame drawn",
         {"play_music_end", "set_video_mode_end"},
         "first_swap_begin",
         false},
        {"first swap (SDL_GL_SwapBuffers)", {"first_swap_begin"}, "first_swap_end", false},
        {"process start to first frame presented", {"launch"}, "first_swap_end", false},
    };
    return phases;
}

double PhaseMs(const ChildRun& run, const StartupPhase& phase) {
    const auto to = run.probe.find(phase.to);
    if (to == run.probe.end()) {
        return -1;
    }
    for (const char* mark : phase.from) {
        const auto from = run.probe.find(mark);
        if (from != run.probe.end()) {
            return (to->second - from->second) / kNsPerMs;
        }
    }
    return -1;
}

double ClockAtFirstFrameMs(const ChildRun& run) {
    const auto ticks = run.probe.find("ticks_presented");
    return ticks == run.probe.end() ? -1 : ticks->second;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
