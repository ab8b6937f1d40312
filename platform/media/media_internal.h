// What the files of the media command interface share: the command parser, the decoded sound,
// and the audio output seam with its SDL and silent implementations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zentu/mmsystem.h"

namespace zentu {

// --- Commands ---------------------------------------------------------------------------------
struct MciCommand {
  std::string verb;                // lower case
  std::vector<std::string> words;  // the rest, quotes removed
};

// Splits a command into words at blanks; a word in double quotes may hold blanks. 0 or an error.
MCIERROR parseMciCommand(const char* text, MciCommand* command);
bool equalsNoCase(const std::string& a, const char* b);
// Non-negative decimal integer that fits in 32 bits.
bool parseMilliseconds(const std::string& word, uint32_t* value);

// --- Decoded sound ----------------------------------------------------------------------------
struct PcmClip {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

// Decodes a whole MP3 file. 0, MCIERR_FILE_NOT_FOUND, MCIERR_INVALID_FILE (no audio in it) or
// MCIERR_OUT_OF_MEMORY (longer than the decoder's cap).
MCIERROR decodeMp3File(const std::string& path, PcmClip* clip);

// --- Output -----------------------------------------------------------------------------------
// Plays a clip from a frame on. The clip outlives the output.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Starts (or restarts) playing at `frame`; `endFrame` is where playback stops by itself.
  virtual void play(size_t frame, size_t endFrame) = 0;
  virtual void stop() = 0;
  virtual size_t position() = 0;
  virtual bool playing() = 0;
};

// An SDL audio device for the clip. When none opens, says so in one line on stderr (once per
// process) and uses SDL's dummy driver from then on; null when even that fails. `driver` names the
// driver to try first instead of the usual choice (for tests).
std::unique_ptr<AudioOutput> openSdlAudio(const PcmClip& clip, const char* driver = nullptr);
// Plays nothing; the position follows the monotonic clock.
std::unique_ptr<AudioOutput> openSilentAudio(const PcmClip& clip);

}  // namespace zentu
