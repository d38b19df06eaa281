#include "capture/capture_run.h"

#include <cstdio>
#include <deque>
#include <exception>
#include <thread>
#include <vector>

#include "capture/capture_output.h"
#include "capture/capture_timeline.h"
#include "capture/frame_queue.h"
#include "capture/music_location.h"
#include "capture/output_format.h"
#include "capture/pending_output.h"
#include "capture/progress.h"
#include "capture/show_renderer.h"
#include "capture/stop_request.h"

namespace {

// Frames between the renderer and the encoder: enough to even out their
// speeds, few enough to keep memory small at large sizes.
constexpr std::size_t kQueuedFrames = 3;
constexpr std::size_t kBuffers = kQueuedFrames + 2;

struct QueuedFrame {
    std::vector<std::uint8_t> pixels;
    std::int64_t index = 0;
};

std::string RateText(std::int64_t num, std::int64_t den) {
    return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

// The encoding thread: takes frames in order, hands their buffers back.
class EncodingThread {
  public:
    EncodingThread(CaptureOutput& output, BoundedQueue<QueuedFrame>& work,
                   BoundedQueue<QueuedFrame>& spare)
        : work_(work), spare_(spare), thread_([&output, &work, &spare, this] {
              try {
                  QueuedFrame frame;
                  while (work.Pop(frame)) {
                      if (StopSignal() != 0) {
                          break;
                      }
                      output.AddFrame(frame.pixels.data(), frame.index);
                      spare.Push(std::move(frame));
                  }
              } catch (...) {
                  error_ = std::current_exception();
              }
              spare.Close(); // the renderer waits on it: let it see the end
              work.Close();
          }) {}
    ~EncodingThread() {
        work_.Close(); // a renderer that fails must not leave the encoder waiting
        spare_.Close();
        Join();
    }
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    void RethrowError() {
        if (error_) {
            std::rethrow_exception(error_);
        }
    }

  private:
    BoundedQueue<QueuedFrame>& work_;
    BoundedQueue<QueuedFrame>& spare_;
    std::exception_ptr error_;
    std::thread thread_;
};

} // namespace

void RunCapture(const CaptureOptions& options) {
    const OutputName name = ParseOutputName(options.output);
    const OutputFormat format = ChooseOutputFormat(name);
    const CaptureTimeline timeline(options.fpsNum, options.fpsDen, options.motionRateNum,
                                   options.motionRateDen, options.from, options.to);
    if (timeline.FrameCount() == 0) {
        throw UsageError("--from: " + std::to_string(options.from) +
                         " s is past the end of the video (" + SecondsText(kVideoEnd) + " s)");
    }
    const std::string music = options.noMusic         ? std::string()
                              : options.music.empty() ? DefaultMusicPath()
                                                      : options.music;

    ShowRenderer renderer(options.width, options.height, options.samples, options.fill,
                          options.motionRateNum, options.motionRateDen);
    PendingOutput pending(name, format.folder);
    OutputSettings settings;
    settings.format = format;
    settings.path = pending.Path();
    settings.shown = options.output;
    settings.width = options.width;
    settings.height = options.height;
    settings.fpsNum = options.fpsNum;
    settings.fpsDen = options.fpsDen;
    settings.crf = options.crf;
    settings.preset = options.preset;
    settings.music = music;
    settings.firstFrame = timeline.FirstFrame();
    std::int64_t written = 0;
    {
        CaptureOutput output(settings);
        BoundedQueue<QueuedFrame> work(kQueuedFrames);
        BoundedQueue<QueuedFrame> spare(kBuffers);
        for (std::size_t i = 0; i < kBuffers; ++i) {
            spare.Push({std::vector<std::uint8_t>(renderer.FrameBytes()), 0});
        }
        EncodingThread encoder(output, work, spare);
        Progress progress(timeline.FrameCount(), options.quiet);

        // Video frames each drawn frame stands for (more than one when the
        // video samples the same live frame again, as in the held end).
        std::deque<std::int64_t> standsFor;
        std::vector<std::uint8_t> held(renderer.FrameBytes());
        bool open = true;
        auto handOver = [&] {
            const std::int64_t copies = standsFor.front();
            standsFor.pop_front();
            QueuedFrame frame;
            if (copies == 1) {
                if (!(open = spare.Pop(frame))) {
                    return;
                }
                renderer.FinishFrame(frame.pixels.data());
                frame.index = written++;
                open = work.Push(std::move(frame));
                return;
            }
            renderer.FinishFrame(held.data());
            for (std::int64_t c = 0; c < copies && open; ++c) {
                if (!(open = spare.Pop(frame))) {
                    return;
                }
                frame.pixels = held; // same size: no allocation
                frame.index = written++;
                open = work.Push(std::move(frame));
            }
        };

        std::int64_t lastLive = -1;
        for (std::int64_t k = timeline.FirstFrame(); k < timeline.EndFrame() && open; ++k) {
            if (StopSignal() != 0) {
                break;
            }
            const std::int64_t live = timeline.LiveFrameOf(k);
            // The same live frame again, or one that draws what the last did.
            if (live == lastLive || !renderer.NeedsDrawing(live)) {
                ++standsFor.back();
            } else {
                while (static_cast<int>(standsFor.size()) >= renderer.Depth() && open) {
                    handOver();
                }
                renderer.Draw();
                standsFor.push_back(1);
            }
            lastLive = live;
            progress.Update(k - timeline.FirstFrame() + 1, timeline.FrameMiddle(k));
        }
        while (!standsFor.empty() && open && StopSignal() == 0) {
            handOver();
        }
        work.Close();
        encoder.Join();
        progress.Abandon();
        if (StopSignal() != 0) {
            throw Interrupted(StopSignal());
        }
        encoder.RethrowError();
        if (written != timeline.FrameCount()) {
            throw std::runtime_error("the capture stopped early");
        }
        output.Finish(written);
        if (StopSignal() != 0) { // asked to stop while the file was being finished
            throw Interrupted(StopSignal());
        }
        pending.Commit();
        char summary[256];
        std::snprintf(summary, sizeof summary,
                      "wrote %s: %lld frames, %dx%d at %s fps, %.2f s to %.2f s of the show, %s",
                      options.output.c_str(), static_cast<long long>(written), options.width,
                      options.height, RateText(options.fpsNum, options.fpsDen).c_str(),
                      timeline.FrameStart(timeline.FirstFrame()),
                      timeline.FrameStart(timeline.EndFrame()),
                      music.empty() ? "no music" : "with music");
        progress.Finish(summary);
    }
}
