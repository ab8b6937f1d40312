// Playing a decoded clip through an SDL audio device. The device's thread copies samples from the
// clip and advances the position; the program's thread starts, stops and moves it under the
// device lock. When no device opens, SDL's dummy driver is tried, which keeps time without sound.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/media/media_internal.h"
#include "platform/window/window_internal.h"

namespace zentu {
namespace {

class SdlAudioOutput final : public AudioOutput {
 public:
  explicit SdlAudioOutput(const PcmClip& clip) : clip(clip) {}

  ~SdlAudioOutput() override {
    if (device != 0) SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool open() {
    SDL_AudioSpec want{};
    want.freq = clip.rate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(clip.channels);
    want.samples = 2048;
    want.callback = &SdlAudioOutput::fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device takes.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    return device != 0;
  }

  void play(size_t from, size_t endFrame) override {
    SDL_LockAudioDevice(device);
    frame.store(std::min(from, clip.frames()));
    end = std::min(endFrame, clip.frames());
    active = true;
    SDL_UnlockAudioDevice(device);
    SDL_PauseAudioDevice(device, 0);
  }

  void stop() override {
    SDL_PauseAudioDevice(device, 1);
    SDL_LockAudioDevice(device);
    active = false;
    SDL_UnlockAudioDevice(device);
  }

  size_t position() override { return frame.load(); }

  bool playing() override {
    SDL_LockAudioDevice(device);
    const bool result = active && frame.load() < end;
    SDL_UnlockAudioDevice(device);
    return result;
  }

 private:
  static void fill(void* user, Uint8* stream, int length) {
    auto* self = static_cast<SdlAudioOutput*>(user);
    std::memset(stream, 0, static_cast<size_t>(length));
    if (!self->active) return;
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(self->clip.channels);
    const size_t at = self->frame.load();
    const size_t wanted = static_cast<size_t>(length) / frameBytes;
    const size_t count = at < self->end ? std::min(wanted, self->end - at) : 0;
    std::memcpy(stream, self->clip.samples.data() + at * static_cast<size_t>(self->clip.channels),
                count * frameBytes);
    self->frame.store(at + count);
    if (at + count >= self->end) self->active = false;
  }

  const PcmClip& clip;
  SDL_AudioDeviceID device = 0;
  std::atomic<size_t> frame{0};
  size_t end = 0;       // guarded by the device lock
  bool active = false;  // guarded by the device lock
};

std::unique_ptr<AudioOutput> tryOpen(const PcmClip& clip) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  auto output = std::make_unique<SdlAudioOutput>(clip);
  if (!output->open()) return nullptr;  // its destructor ends the subsystem reference
  return output;
}

}  // namespace

std::unique_ptr<AudioOutput> openSdlAudio(const PcmClip& clip, const char* driver) {
  if (clip.rate <= 0 || clip.channels <= 0 || clip.channels > 8) return nullptr;
  prepareSdlDrivers();
  if (driver != nullptr) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
  if (auto output = tryOpen(clip)) return output;
  static bool told = false;
  const std::string reason = SDL_GetError();
  // From here on every sound goes to the dummy driver, which runs the clock without a card.
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  auto output = tryOpen(clip);
  if (!told) {
    std::fprintf(stderr, "zentu: no sound device (%s); the sound plays silently\n", reason.c_str());
    told = true;
  }
  return output;
}

}  // namespace zentu
