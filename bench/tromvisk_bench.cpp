// The benchmark: the frame cost of every act, the start-up latency beside a
// floor program, and the work done per frame. Prints one table.
//
//   tromvisk_bench [--runs N] [--profile] [--profile-frames N] [--demo-xm PATH]
//                  [--display-note TEXT]
//
// --profile runs this program once more under callgrind to split each
// frame's instructions between our code and the libraries.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "callgrind_share.h"
#include "frame_cost.h"
#include "startup_runs.h"

namespace {

constexpr TimingPlan kTimingPlan = {20, 24, 4};
constexpr int kAllocationWarmUpFrames = 20;
constexpr int kAllocationCountedFrames = 50;
constexpr double kWholeShowClockScale = 25; // the 107 s show passes in about 4 s
constexpr double kStartupTimeoutSeconds = 30;
constexpr double kWholeShowTimeoutSeconds = 60;
constexpr double kFrameTarget = 1.5;         // × the empty frame
constexpr double kOurShareTargetPercent = 5; // of a frame's instructions
constexpr double kStartupMarginMs = 20;      // show time lost beyond the floor's
constexpr double kKbPerMb = 1024;
constexpr int kColumns = 6;

struct Options {
    std::string show = TROMVISK_BENCH_SHOW;
    std::string floor = TROMVISK_BENCH_FLOOR;
    std::string probe = TROMVISK_BENCH_PROBE;
    std::string demoXm = TROMVISK_BENCH_DEMO_XM;
    std::string displayNote;
    int runs = 15;
    bool profile = false;
    int profileFrames = 3;
    int callgrindChild = 0; // > 0: this is the run under callgrind
};

[[noreturn]] void Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--runs N] [--profile] [--profile-frames N] [--demo-xm PATH] "
                 "[--display-note TEXT]\n",
                 program);
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--profile") {
            options.profile = true;
        } else if (arg == "--profile-frames" && hasValue) {
            options.profileFrames = std::atoi(argv[++i]);
        } else if (arg == "--demo-xm" && hasValue) {
            options.demoXm = argv[++i];
        } else if (arg == "--display-note" && hasValue) {
            options.displayNote = argv[++i];
        } else if (arg == "--callgrind-child" && hasValue) {
            options.callgrindChild = std::atoi(argv[++i]);
        } else {
            Usage(argv[0]);
        }
    }
    if (options.runs < 1 || options.profileFrames < 1) {
        Usage(argv[0]);
    }
    return options;
}

bool FileExists(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Signed(double value, int decimals) {
    return (value >= 0 ? "+" : "") + Fixed(value, decimals);
}

std::string Percent(double part, double whole) {
    return Fixed(100 * part / whole, 1) + " %";
}

std::string Verdict(bool met) {
    return met ? "yes" : "NO";
}

std::string CpuModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown CPU";
}

// This executable's path, as the loader and valgrind name it.
std::string OwnPath() {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        return "";
    }
    return self;
}

std::string MakeWorkDir(const char* name) {
    std::string pattern = std::string("/tmp/tromvisk-bench-") + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

void RemoveWorkDir(const std::string& dir) {
    const std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "could not remove %s\n", dir.c_str());
    }
}

// ---- The table: Markdown, padded so that it also reads as plain text ----

class Table {
  public:
    void Add(std::vector<std::string> row) {
        row.resize(kColumns);
        rows_.push_back(std::move(row));
    }

    void Print() const {
        std::vector<size_t> widths(kColumns, 3);
        for (const auto& row : rows_) {
            for (size_t c = 0; c < row.size(); ++c) {
                widths[c] = std::max(widths[c], Width(row[c]));
            }
        }
        for (size_t r = 0; r < rows_.size(); ++r) {
            PrintRow(rows_[r], widths);
            if (r == 0) {
                std::vector<std::string> rule;
                for (size_t width : widths) {
                    rule.push_back(std::string(width, '-'));
                }
                PrintRow(rule, widths);
            }
        }
    }

  private:
    // Characters on screen, not bytes: the table holds a few non-ASCII signs.
    static size_t Width(const std::string& text) {
        size_t width = 0;
        for (unsigned char c : text) {
            width += (c & 0xC0) != 0x80;
        }
        return width;
    }

    static void PrintRow(const std::vector<std::string>& row, const std::vector<size_t>& widths) {
        std::string line = "|";
        for (size_t c = 0; c < row.size(); ++c) {
            line += " " + row[c] + std::string(widths[c] - Width(row[c]), ' ') + " |";
        }
        std::puts(line.c_str());
    }

    std::vector<std::vector<std::string>> rows_;
};

// ---- Start-up ----

struct StartupResults {
    std::vector<ChildRun> floor, bare, withModule; // one of each per round
    ChildRun wholeShow;
    bool haveModule = false;
};

StartupResults RunStartups(const Options& options) {
    StartupResults results;
    results.haveModule = FileExists(options.demoXm);
    const ProbePaths paths = {options.show, options.floor, options.probe};
    const std::string bareDir = MakeWorkDir("bare");
    const std::string moduleDir = MakeWorkDir("module");
    if (results.haveModule) {
        std::ifstream source(options.demoXm, std::ios::binary);
        std::ofstream copy(moduleDir + "/demo.xm", std::ios::binary);
        copy << source.rdbuf();
    }
    const std::vector<std::string> stopAtFirstFrame = {"TROMVISK_BENCH_STOP_AT_FIRST_FRAME=1"};
    // Rounds of one run each, so that a noisy moment of a shared machine
    // spreads over all three.
    for (int run = 0; run < options.runs; ++run) {
        results.floor.push_back(
            RunUnderProbe(paths, options.floor, bareDir, {}, kStartupTimeoutSeconds));
        results.bare.push_back(
            RunUnderProbe(paths, options.show, bareDir, stopAtFirstFrame, kStartupTimeoutSeconds));
        if (results.haveModule) {
            results.withModule.push_back(RunUnderProbe(paths, options.show, moduleDir,
                                                       stopAtFirstFrame, kStartupTimeoutSeconds));
        }
    }
    const std::string scale = "TROMVISK_BENCH_CLOCK_SCALE=" + Fixed(kWholeShowClockScale, 0);
    results.wholeShow = RunUnderProbe(paths, options.show, results.haveModule ? moduleDir : bareDir,
                                      {scale}, kWholeShowTimeoutSeconds);
    RemoveWorkDir(bareDir);
    RemoveWorkDir(moduleDir);
    return results;
}

bool ReachedFrame(const ChildRun& run) {
    return run.ended && run.probe.count("first_swap_end") != 0;
}

// One figure per run that reached its first frame: a phase, or the clock.
std::vector<double> Figures(const std::vector<ChildRun>& runs, const StartupPhase* phase) {
    std::vector<double> values;
    for (const ChildRun& run : runs) {
        if (ReachedFrame(run)) {
            values.push_back(phase ? PhaseMs(run, *phase) : ClockAtFirstFrameMs(run));
        }
    }
    return values;
}

std::string MedianCell(const std::vector<ChildRun>& runs, const StartupPhase* phase) {
    const std::vector<double> values = Figures(runs, phase);
    return values.empty() ? "—" : Fixed(Median(values), 1);
}

// The clock at the first frame beyond the floor's, run by run within a round.
double MedianClockBeyondFloor(const std::vector<ChildRun>& show,
                              const std::vector<ChildRun>& floor) {
    std::vector<double> beyond;
    for (size_t i = 0; i < show.size() && i < floor.size(); ++i) {
        if (ReachedFrame(show[i]) && ReachedFrame(floor[i])) {
            beyond.push_back(ClockAtFirstFrameMs(show[i]) - ClockAtFirstFrameMs(floor[i]));
        }
    }
    return Median(beyond);
}

long MedianPeakKb(const std::vector<ChildRun>& runs) {
    std::vector<double> values;
    for (const ChildRun& run : runs) {
        values.push_back(static_cast<double>(run.peakResidentKb));
    }
    return static_cast<long>(Median(values));
}

unsigned ModeFlags(const std::vector<ChildRun>& runs) {
    for (const ChildRun& run : runs) {
        const auto flags = run.probe.find("video_flags");
        if (flags != run.probe.end()) {
            return static_cast<unsigned>(flags->second);
        }
    }
    return 0;
}

int RunsReachingFrame(const std::vector<ChildRun>& runs) {
    return static_cast<int>(std::count_if(runs.begin(), runs.end(), ReachedFrame));
}

// ---- Profile ----

std::vector<InstructionShare> RunProfile(const Options& options, std::string& note) {
    std::vector<InstructionShare> shares;
    if (std::system("command -v valgrind >/dev/null 2>&1") != 0) {
        note = "not measured: valgrind is not installed";
        return shares;
    }
    const std::string self = OwnPath();
    const std::string dir = MakeWorkDir("callgrind");
    const std::string command = "valgrind --tool=callgrind --instr-atstart=no --log-file='" + dir +
                                "/valgrind.log' --callgrind-out-file='" + dir +
                                "/callgrind.out' '" + self + "' --callgrind-child " +
                                std::to_string(options.profileFrames) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        note = "not measured: the run under callgrind failed";
        RemoveWorkDir(dir);
        return shares;
    }
    // Part n of the dump holds scene n - 1.
    for (size_t part = 1; part <= BenchScenes().size(); ++part) {
        InstructionShare share;
        if (!ReadCallgrindDump(dir + "/callgrind.out." + std::to_string(part), self, share)) {
            note = "not measured: callgrind dump " + std::to_string(part) + " is missing";
            shares.clear();
            break;
        }
        shares.push_back(share);
    }
    RemoveWorkDir(dir);
    return shares;
}

// ---- The rows ----

void AddFrameRows(Table& table, const ModeCosts& costs, const std::vector<InstructionShare>& shares,
                  int profileFrames) {
    const std::vector<Scene>& scenes = BenchScenes();
    const int samples = kTimingPlan.rounds * kTimingPlan.framesPerRound;
    table.Add({"**Frame cost**, ms: median / 95th percentile (median ÷ empty frame's), " +
                   std::to_string(samples) + " frames each",
               "**full screen**", "**windowed**", "**our code's share of the instructions**"});
    const double emptyFull = costs.fullScreen[0].medianMs;
    const double emptyWindowed = costs.windowed[0].medianMs;
    for (size_t i = 0; i < scenes.size(); ++i) {
        const bool empty = i == 0;
        auto cell = [&](const FrameCost& cost, double emptyMedian) {
            std::string text = Fixed(cost.medianMs, 2) + " / " + Fixed(cost.p95Ms, 2);
            return empty ? text : text + " (" + Fixed(cost.medianMs / emptyMedian, 2) + "×)";
        };
        std::string share = "—";
        if (!shares.empty()) {
            share = Percent(shares[i].ours, shares[i].total) + " of " +
                    Fixed(shares[i].total / profileFrames / 1e6, 1) + " M";
        }
        const double ratio = std::max(costs.fullScreen[i].medianMs / emptyFull,
                                      costs.windowed[i].medianMs / emptyWindowed);
        table.Add({scenes[i].name, cell(costs.fullScreen[i], emptyFull),
                   cell(costs.windowed[i], emptyWindowed), share,
                   empty ? "the floor" : "≤ " + Fixed(kFrameTarget, 1) + "× empty",
                   empty ? "" : Verdict(ratio <= kFrameTarget)});
    }
}

void AddStartupRows(Table& table, const StartupResults& startup, int runs) {
    const bool module = startup.haveModule;
    table.Add({"**Start-up**, ms from process start, median of " + std::to_string(runs) +
                   " runs, SDL_AUDIODRIVER=dummy",
               "**floor program**", "**show, no demo.xm**",
               module ? "**show with demo.xm**" : "**show with demo.xm: none built**"});
    for (const StartupPhase& phase : StartupPhases()) {
        table.Add({phase.name, phase.showOnly ? "—" : MedianCell(startup.floor, &phase),
                   MedianCell(startup.bare, &phase),
                   module ? MedianCell(startup.withModule, &phase) : "—"});
    }
    table.Add({"show time on the clock at the first frame (what the viewer misses)",
               MedianCell(startup.floor, nullptr), MedianCell(startup.bare, nullptr),
               module ? MedianCell(startup.withModule, nullptr) : "—"});
    const double bare = MedianClockBeyondFloor(startup.bare, startup.floor);
    const double withModule = MedianClockBeyondFloor(startup.withModule, startup.floor);
    std::string met = "no demo.xm " + Verdict(bare <= kStartupMarginMs);
    if (module) {
        met += ", demo.xm " + Verdict(withModule <= kStartupMarginMs);
    }
    table.Add({"**show time lost beyond the floor's** (median of the rounds' differences)", "—",
               Signed(bare, 1), module ? Signed(withModule, 1) : "—",
               "≤ " + Fixed(kStartupMarginMs, 0) + " ms", met});
    const unsigned floorFlags = ModeFlags(startup.floor);
    const unsigned showFlags = ModeFlags(startup.bare);
    char flags[64];
    std::snprintf(flags, sizeof flags, "0x%08x / 0x%08x", floorFlags, showFlags);
    table.Add({"runs that reached a frame; video mode flags floor / show",
               std::to_string(RunsReachingFrame(startup.floor)),
               std::to_string(RunsReachingFrame(startup.bare)),
               module ? std::to_string(RunsReachingFrame(startup.withModule)) : "—",
               floorFlags == showFlags ? "same mode" : "MODES DIFFER", flags});
}

std::string Origins(const AllocationOrigins& origins) {
    return "ours " + Fixed(origins.ours, 2) + ", GL " + Fixed(origins.gl, 2) + ", X/SDL " +
           Fixed(origins.media, 2) + ", other " + Fixed(origins.other, 2);
}

void AddWorkRows(Table& table, const AllocationCounts& allocations, const StartupResults& startup,
                 const std::vector<InstructionShare>& shares, const std::string& profileNote,
                 int profileFrames) {
    table.Add({"**Work per frame**", "**measured**", "**detail**", ""});
    const double ours = allocations.draw.ours + allocations.swap.ours + allocations.events.ours;
    table.Add({"heap allocations per frame by our code (all acts, steady state)", Fixed(ours, 2),
               std::to_string(kAllocationCountedFrames) + " frames per act, every thread", "", "0",
               Verdict(ours == 0)});
    table.Add({"heap allocations per frame in DrawShowFrame, by caller", Origins(allocations.draw),
               "GL: its vertex buffer refills"});
    table.Add({"heap allocations per frame in SDL_GL_SwapBuffers + glFinish, by caller",
               Origins(allocations.swap),
               "empty frame, whole pass: " + Fixed(allocations.emptyPass, 2)});
    table.Add({"heap allocations per frame-loop pass, whole process (worst act)",
               Fixed(allocations.worstActPass, 2), "event drain: " + Origins(allocations.events),
               "", "0",
               allocations.worstActPass == 0 ? "yes"
               : ours == 0                   ? "NO, none of them ours"
                                             : "NO"});
    table.Add(
        {"peak resident memory of the real show, whole run",
         startup.wholeShow.ended
             ? Fixed(static_cast<double>(startup.wholeShow.peakResidentKb) / kKbPerMb, 1) + " MB"
             : "the run failed",
         "107 s at " + Fixed(kWholeShowClockScale, 0) + "× clock, " +
             (startup.haveModule ? "with demo.xm" : "no demo.xm"),
         "floor program: " + Fixed(static_cast<double>(MedianPeakKb(startup.floor)) / kKbPerMb, 1) +
             " MB"});
    const std::string target = "≤ " + Fixed(kOurShareTargetPercent, 0) + " %";
    if (shares.empty()) {
        table.Add({"our code's share of a frame's instructions", profileNote, "", "", target, "—"});
        return;
    }
    InstructionShare acts;
    double worst = 0;
    std::string worstScene;
    for (size_t i = 1; i < shares.size(); ++i) {
        acts.total += shares[i].total;
        acts.ours += shares[i].ours;
        acts.gl += shares[i].gl;
        acts.media += shares[i].media;
        acts.system += shares[i].system;
        const double share = 100 * shares[i].ours / shares[i].total;
        if (share > worst) {
            worst = share;
            worstScene = BenchScenes()[i].name;
        }
    }
    table.Add({"our code's share of a frame's instructions (worst act)",
               Fixed(worst, 1) + " % (" + worstScene + ")",
               Percent(acts.ours, acts.total) + " over all acts", "", target,
               Verdict(worst <= kOurShareTargetPercent)});
    table.Add({"all acts' instructions: ours / GL and driver / X and SDL / C runtime",
               Percent(acts.ours, acts.total) + " / " + Percent(acts.gl, acts.total) + " / " +
                   Percent(acts.media, acts.total) + " / " + Percent(acts.system, acts.total),
               std::to_string(profileFrames) + " frames per act under callgrind, every thread"});
}

} // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    if (options.callgrindChild > 0) {
        OpenBenchWindow();
        ProfileScenes(options.callgrindChild);
        return 0;
    }

    // Child processes first, while this one holds no window.
    std::fputs("start-up runs...\n", stderr);
    const StartupResults startup = RunStartups(options);
    std::vector<InstructionShare> shares;
    std::string profileNote = "not measured (run with --profile)";
    if (options.profile) {
        std::fputs("callgrind run...\n", stderr);
        shares = RunProfile(options, profileNote);
    }
    std::fputs("frame timing...\n", stderr);
    const BenchWindow window = OpenBenchWindow();
    const ModeCosts costs = MeasureFrameCosts(kTimingPlan);
    const AllocationCounts allocations =
        CountAllocations(kAllocationWarmUpFrames, kAllocationCountedFrames, OwnPath());

    std::printf("Machine: %ld x %s. Renderer: %s, OpenGL %s. SDL video driver %s, desktop "
                "%dx%d%s%s.\n",
                sysconf(_SC_NPROCESSORS_ONLN), CpuModel().c_str(), window.renderer.c_str(),
                window.glVersion.c_str(), window.videoDriver.c_str(), window.desktopWidth,
                window.desktopHeight, options.displayNote.empty() ? "" : ", ",
                options.displayNote.c_str());
    std::printf("Full screen: the show's start-up mode, a %dx%d surface that %s SDL_FULLSCREEN. "
                "Windowed: after the f key's toggle%s. The two take turns round by round.\n\n",
                window.windowWidth, window.windowHeight,
                window.fullScreen ? "reports" : "does NOT report",
                costs.toggled ? "" : " (A TOGGLE FAILED)");
    Table table;
    table.Add({"Measure", "", "", "", "Target", "Met"});
    AddFrameRows(table, costs, shares, options.profileFrames);
    AddStartupRows(table, startup, options.runs);
    AddWorkRows(table, allocations, startup, shares, profileNote, options.profileFrames);
    table.Print();
    return 0;
}
