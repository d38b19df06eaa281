#include "capture/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

} // namespace

Progress::Progress(std::int64_t frames, bool quiet)
    : frames_(frames), quiet_(quiet), terminal_(isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()), lastDrawn_(start_) {}

double Progress::Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::Update(std::int64_t done, double showSeconds) {
    if (quiet_ || !terminal_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDrawn_ < kRedrawEvery && done != frames_) {
        return;
    }
    lastDrawn_ = now;
    const double elapsed = Elapsed();
    const double rate = elapsed > 0 ? done / elapsed : 0;
    const double left = rate > 0 ? (frames_ - done) / rate : 0;
    const int filled = frames_ > 0 ? static_cast<int>(kBarWidth * done / frames_) : kBarWidth;
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i) {
        bar[i] = i < filled ? '#' : '-';
    }
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] frame %lld/%lld  show %6.2f s  %5.1f fps  %d:%02d left \x1b[K",
                 bar, static_cast<long long>(done), static_cast<long long>(frames_), showSeconds,
                 rate, static_cast<int>(left) / 60, static_cast<int>(left) % 60);
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::Finish(const std::string& summary) {
    Abandon();
    if (quiet_) {
        return;
    }
    const double elapsed = Elapsed();
    std::fprintf(stderr, "%s in %.1f s (%.1f fps)\n", summary.c_str(), elapsed,
                 elapsed > 0 ? frames_ / elapsed : 0.0);
}

void Progress::Abandon() {
    if (drawn_) {
        std::fputs("\n", stderr);
        drawn_ = false;
    }
}
