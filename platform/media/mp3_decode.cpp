// Decoding a whole MP3 file into 16-bit samples with libmpg123, at the file's own rate and
// channel count. Damaged frames are skipped by the decoder; a file with no audio at all fails.
#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/media/media_internal.h"

namespace zentu {
namespace {

// An hour of sound at most: far past any sound track, and a bound on memory for a hostile file.
constexpr size_t kMaxSeconds = 3600;

struct HandleCloser {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

void initDecoderOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

MCIERROR decodeMp3File(const std::string& path, PcmClip* clip) {
  *clip = PcmClip{};
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return MCIERR_FILE_NOT_FOUND;

  initDecoderOnce();
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, HandleCloser> handle(mpg123_new(nullptr, &error));
  if (!handle) return MCIERR_OUT_OF_MEMORY;
  // Gapless: the encoder's delay and padding, as its header records them, are cut off.
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i)
    mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open_fd(handle.get(), fileno(file.get())) != MPG123_OK) return MCIERR_INVALID_FILE;

  std::vector<unsigned char> buffer(64 * 1024);
  size_t maxSamples = 0;
  while (true) {
    size_t done = 0;
    const int result = mpg123_read(handle.get(), buffer.data(), buffer.size(), &done);
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(handle.get(), &rate, &channels, &encoding);
      // A stream that changes its format part-way ends where the change is.
      if (clip->rate != 0 && (rate != clip->rate || channels != clip->channels)) break;
      clip->rate = static_cast<int>(rate);
      clip->channels = channels;
      maxSamples = static_cast<size_t>(rate) * static_cast<size_t>(channels) * kMaxSeconds;
      continue;
    }
    if (result != MPG123_OK && result != MPG123_DONE) break;
    const size_t count = done / sizeof(int16_t);
    if (count > 0) {
      if (clip->rate == 0) break;
      if (clip->samples.size() + count > maxSamples) {
        *clip = PcmClip{};
        return MCIERR_OUT_OF_MEMORY;
      }
      const size_t at = clip->samples.size();
      clip->samples.resize(at + count);
      std::memcpy(clip->samples.data() + at, buffer.data(), count * sizeof(int16_t));
    }
    if (result == MPG123_DONE) break;
  }
  if (clip->rate <= 0 || clip->channels <= 0 || clip->frames() == 0) {
    *clip = PcmClip{};
    return MCIERR_INVALID_FILE;
  }
  clip->samples.resize(clip->frames() * static_cast<size_t>(clip->channels));
  return 0;
}

}  // namespace zentu
