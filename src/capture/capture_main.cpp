// tromvisk-capture: renders the whole show off screen, with its music, into
// one video file (or a folder of frames), deterministically and at any size.
#include <cstdio>
#include <exception>

extern "C" {
#include <libavutil/log.h>
}

#include "capture/capture_options.h"
#include "capture/capture_run.h"
#include "capture/stop_request.h"

namespace {
constexpr int kFailure = 1;
constexpr int kBadUsage = 2;
constexpr int kSignalBase = 128;
constexpr const char* kProgram = "tromvisk-capture";
} // namespace

int main(int argc, char** argv) {
    CatchStopSignals();
    av_log_set_level(AV_LOG_QUIET); // its failures reach the user as our own one-line messages
    try {
        const CaptureOptions options = ParseCaptureOptions(argc, argv);
        if (options.help) {
            std::fputs(CaptureUsage(kProgram).c_str(), stdout);
            return 0;
        }
        RunCapture(options);
        return 0;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return kBadUsage;
    } catch (const Interrupted& stop) {
        return kSignalBase + stop.signalNumber;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return kFailure;
    }
}
