// The output used without any audio device: nothing is heard, and the position moves with the
// monotonic clock at the clip's rate, so commands that read it behave as with sound.
#include <algorithm>
#include <chrono>

#include "platform/media/media_internal.h"

namespace zentu {
namespace {

using Clock = std::chrono::steady_clock;

class SilentAudioOutput final : public AudioOutput {
 public:
  explicit SilentAudioOutput(const PcmClip& clip) : rate(clip.rate), frames(clip.frames()) {}

  void play(size_t from, size_t endFrame) override {
    startFrame = std::min(from, frames);
    end = std::min(endFrame, frames);
    started = Clock::now();
    active = true;
  }

  void stop() override {
    startFrame = position();
    active = false;
  }

  size_t position() override {
    if (!active) return startFrame;
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const double moved = seconds * static_cast<double>(rate);
    const size_t left = end > startFrame ? end - startFrame : 0;
    return startFrame + (moved >= static_cast<double>(left) ? left : static_cast<size_t>(moved));
  }

  bool playing() override { return active && position() < end; }

 private:
  int rate;
  size_t frames;
  size_t startFrame = 0;
  size_t end = 0;
  Clock::time_point started;
  bool active = false;
};

}  // namespace

std::unique_ptr<AudioOutput> openSilentAudio(const PcmClip& clip) {
  return std::make_unique<SilentAudioOutput>(clip);
}

}  // namespace zentu
