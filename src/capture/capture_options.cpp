#include "capture/capture_options.h"

#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "show/timeline.h"

namespace {

constexpr int kMaxSide = 16384;
constexpr int kMaxSamples = 256;
constexpr std::int64_t kMaxRatePart = 1000000;
constexpr int kMaxCrf = 63;

[[noreturn]] void Bad(const std::string& option, const std::string& what) {
    throw UsageError(option + ": " + what);
}

long long WholeNumber(const std::string& option, const std::string& text, long long low,
                      long long high) {
    if (text.empty() || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0]))) {
        Bad(option, "'" + text + "' is not a whole number");
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        Bad(option, "'" + text + "' is not a whole number");
    }
    if (value < low || value > high) {
        Bad(option, "'" + text + "' is out of range (" + std::to_string(low) + " to " +
                        std::to_string(high) + ")");
    }
    return value;
}

double Seconds(const std::string& option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(value) || value < 0 ||
        std::isspace(static_cast<unsigned char>(text[0]))) {
        Bad(option, "'" + text + "' is not a number of seconds");
    }
    return value;
}

// N or N/D, both positive.
void Rate(const std::string& option, const std::string& text, std::int64_t& num,
          std::int64_t& den) {
    const std::size_t slash = text.find('/');
    num = WholeNumber(option, text.substr(0, slash), 1, kMaxRatePart);
    den = slash == std::string::npos ? 1
                                     : WholeNumber(option, text.substr(slash + 1), 1, kMaxRatePart);
}

void Size(const std::string& option, const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) {
        Bad(option, "'" + text + "' is not WIDTHxHEIGHT");
    }
    width = static_cast<int>(WholeNumber(option, text.substr(0, x), 1, kMaxSide));
    height = static_cast<int>(WholeNumber(option, text.substr(x + 1), 1, kMaxSide));
}

} // namespace

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

CaptureOptions ParseCaptureOptions(int argc, char** argv) {
    CaptureOptions options;
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (endOfOptions || arg.size() < 2 || arg[0] != '-') {
            if (!options.output.empty()) {
                throw UsageError("one OUTPUT only: '" + options.output + "' and '" + arg + "'");
            }
            if (arg.empty()) {
                throw UsageError("OUTPUT is an empty name");
            }
            options.output = arg;
            continue;
        }
        if (arg == "--") {
            endOfOptions = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        const std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        auto flag = [&](bool& field) {
            if (hasValue) {
                Bad(arg, "takes no value");
            }
            field = true;
        };
        auto next = [&]() -> std::string {
            if (hasValue) {
                return value;
            }
            if (i + 1 >= argc) {
                Bad(arg, "needs a value");
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            flag(options.help);
        } else if (arg == "--quiet" || arg == "-q") {
            flag(options.quiet);
        } else if (arg == "--no-music") {
            flag(options.noMusic);
        } else if (arg == "--fill") {
            flag(options.fill);
        } else if (arg == "--size") {
            Size(arg, next(), options.width, options.height);
        } else if (arg == "--fps") {
            Rate(arg, next(), options.fpsNum, options.fpsDen);
        } else if (arg == "--motion-rate") {
            Rate(arg, next(), options.motionRateNum, options.motionRateDen);
        } else if (arg == "--aa") {
            options.samples = static_cast<int>(WholeNumber(arg, next(), 1, kMaxSamples));
        } else if (arg == "--from") {
            options.from = Seconds(arg, next());
        } else if (arg == "--to") {
            options.to = Seconds(arg, next());
        } else if (arg == "--crf") {
            options.crf = static_cast<int>(WholeNumber(arg, next(), 0, kMaxCrf));
        } else if (arg == "--preset") {
            options.preset = next();
            if (options.preset.empty()) {
                Bad(arg, "needs a name");
            }
        } else if (arg == "--music") {
            options.music = next();
            if (options.music.empty()) {
                Bad(arg, "needs a file name");
            }
        } else {
            throw UsageError(arg + ": unknown option (see --help)");
        }
    }
    if (options.help) {
        return options;
    }
    if (options.output.empty()) {
        throw UsageError("missing OUTPUT (a .mp4, .mkv or .webm file, or a folder; see --help)");
    }
    if (options.noMusic && !options.music.empty()) {
        throw UsageError("--no-music: cannot be given with --music");
    }
    if (options.to >= 0 && options.to <= options.from) {
        throw UsageError("--to: must be later than --from");
    }
    return options;
}

std::string CaptureUsage(const char* program) {
    return std::string("usage: ") + program + " [OPTIONS] OUTPUT\n" +
           R"(Renders the whole Tromvisk show off screen, with its music, into one video file.

OUTPUT's extension picks the format:
  .mp4            H.264 (yuv420p) and AAC, ready to stream (the usual choice)
  .mkv            H.264 and AAC in Matroska
  .webm           VP9 and Opus
  a folder        numbered PNG frames (frame_000000.png, ...) and music.wav

Options:
  --size WxH        video frame in pixels (default 1920x1080)
  --fps N|N/D       frames a second (default 60; 30000/1001 works)
  --aa N            samples per pixel (default 4; 1 for none): multisampling up to
                    the driver's limit, and beyond it jittered passes of that many
  --fill            fill the whole frame with a wider view (default: the show's
                    own 4:3 picture, with black bars at the sides)
  --from S          start at S seconds of show time (default 0)
  --to S            end at S seconds of show time (default: the end, )" +
           SecondsText(kVideoEnd) + R"( s with
                    the fade)
  --motion-rate R   live frame rate whose motion the capture shows (default 300;
                    N or N/D): live, the turns advance once per drawn frame
  --crf N           encoder quality (lower is better; default: the codec's)
  --preset NAME     encoder speed preset, e.g. veryfast or slow (H.264 only)
  --music FILE      the module to play (default: demo.xm next to the program)
  --no-music        no sound track
  --quiet           print nothing but errors
  --help            show this help

Frame k shows the show at (k + 1/2) / fps seconds. Ctrl-C stops cleanly and
leaves no partial file.
)";
}
