// The media command interface: open devices by name, each a decoded sound with its output, and
// the commands the program sends to them. Every failure is a result code; nothing here throws
// out of mciSendStringA or ends the program.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/media/media_control.h"
#include "platform/media/media_internal.h"
#include "zentu/mmsystem.h"

namespace zentu {
namespace {

// Positions round to the nearest frame and millisecond, so a position given comes back unchanged.
struct MediaDevice {
  unsigned id = 0;
  std::string name;
  PcmClip clip;
  std::unique_ptr<AudioOutput> output;

  size_t framesFromMs(uint32_t ms) const {
    return static_cast<size_t>((static_cast<uint64_t>(ms) * static_cast<uint64_t>(clip.rate) + 500u) / 1000u);
  }
  uint64_t msFromFrames(size_t frames) const {
    const auto rate = static_cast<uint64_t>(clip.rate);
    return (static_cast<uint64_t>(frames) * 1000u + rate / 2) / rate;
  }
};

struct MediaState {
  std::vector<std::unique_ptr<MediaDevice>> devices;
  unsigned nextId = 1;
  AudioMode mode = AudioMode::kDevice;
};

MediaState& mediaState() {
  static MediaState state;
  return state;
}

MediaDevice* findDevice(const std::string& name) {
  for (auto& device : mediaState().devices)
    if (equalsNoCase(device->name, name.c_str())) return device.get();
  return nullptr;
}

bool endsWithNoCase(const std::string& text, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return text.size() >= n && equalsNoCase(text.substr(text.size() - n), suffix);
}

struct Answer {
  std::string text;
};

MCIERROR openDevice(const std::vector<std::string>& words, Answer* answer) {
  if (words.empty()) return MCIERR_MISSING_DEVICE_NAME;
  const std::string& file = words[0];
  const std::string* type = nullptr;
  const std::string* alias = nullptr;
  for (size_t i = 1; i < words.size(); i += 2) {
    const bool isType = equalsNoCase(words[i], "type");
    const bool isAlias = equalsNoCase(words[i], "alias");
    if (!isType && !isAlias) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (i + 1 >= words.size()) return MCIERR_MISSING_STRING_ARGUMENT;
    const std::string*& slot = isType ? type : alias;
    if (slot != nullptr) return MCIERR_DUPLICATE_FLAGS;
    slot = &words[i + 1];
  }
  if (type != nullptr) {
    if (!equalsNoCase(*type, "mpegvideo") && !equalsNoCase(*type, "mpegaudio"))
      return MCIERR_INVALID_DEVICE_NAME;
  } else if (!endsWithNoCase(file, ".mp3")) {
    return MCIERR_EXTENSION_NOT_FOUND;
  }
  const std::string& name = alias != nullptr ? *alias : file;
  if (name.empty() || equalsNoCase(name, "all")) return MCIERR_INVALID_DEVICE_NAME;
  if (findDevice(name) != nullptr) return alias != nullptr ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;

  auto device = std::make_unique<MediaDevice>();
  if (MCIERROR error = decodeMp3File(file, &device->clip)) return error;
  if (mediaState().mode == AudioMode::kDevice) device->output = openSdlAudio(device->clip);
  if (!device->output) device->output = openSilentAudio(device->clip);
  device->name = name;
  device->id = mediaState().nextId++;
  answer->text = std::to_string(device->id);
  mediaState().devices.push_back(std::move(device));
  return 0;
}

MCIERROR playDevice(MediaDevice& device, const std::vector<std::string>& words) {
  const size_t length = device.clip.frames();
  bool hasFrom = false, hasTo = false;
  size_t from = device.output->position();
  size_t to = length;
  for (size_t i = 1; i < words.size(); i += 2) {
    const bool isFrom = equalsNoCase(words[i], "from");
    const bool isTo = equalsNoCase(words[i], "to");
    if (!isFrom && !isTo) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (i + 1 >= words.size()) return MCIERR_MISSING_PARAMETER;
    bool& seen = isFrom ? hasFrom : hasTo;
    if (seen) return MCIERR_DUPLICATE_FLAGS;
    seen = true;
    uint32_t ms = 0;
    if (!parseMilliseconds(words[i + 1], &ms)) return MCIERR_BAD_INTEGER;
    if (ms > device.msFromFrames(length)) return MCIERR_OUTOFRANGE;
    (isFrom ? from : to) = std::min(device.framesFromMs(ms), length);
  }
  if (from > to) return MCIERR_OUTOFRANGE;
  device.output->play(from, to);
  return 0;
}

MCIERROR statusDevice(MediaDevice& device, const std::vector<std::string>& words, Answer* answer) {
  if (words.size() < 2) return MCIERR_MISSING_PARAMETER;
  if (words.size() > 2) return MCIERR_UNRECOGNIZED_KEYWORD;
  const std::string& item = words[1];
  if (equalsNoCase(item, "mode"))
    answer->text = device.output->playing() ? "playing" : "stopped";
  else if (equalsNoCase(item, "position"))
    answer->text = std::to_string(device.msFromFrames(device.output->position()));
  else if (equalsNoCase(item, "length"))
    answer->text = std::to_string(device.msFromFrames(device.clip.frames()));
  else
    return MCIERR_UNRECOGNIZED_KEYWORD;
  return 0;
}

// stop and close, on one device or on all.
MCIERROR stopOrClose(bool close, const std::vector<std::string>& words) {
  if (words.empty()) return MCIERR_MISSING_DEVICE_NAME;
  if (words.size() > 1) return MCIERR_UNRECOGNIZED_KEYWORD;
  auto& devices = mediaState().devices;
  const bool all = equalsNoCase(words[0], "all");
  MediaDevice* one = all ? nullptr : findDevice(words[0]);
  if (!all && one == nullptr) return MCIERR_INVALID_DEVICE_NAME;
  for (auto it = devices.begin(); it != devices.end();) {
    if (!all && it->get() != one) {
      ++it;
      continue;
    }
    (*it)->output->stop();
    if (close) {
      it = devices.erase(it);  // the output goes before its clip
    } else {
      ++it;
    }
  }
  return 0;
}

MCIERROR runCommand(const char* text, Answer* answer) {
  MciCommand command;
  if (MCIERROR error = parseMciCommand(text, &command)) return error;
  const std::vector<std::string>& words = command.words;
  if (command.verb == "open") return openDevice(words, answer);
  if (command.verb == "stop") return stopOrClose(false, words);
  if (command.verb == "close") return stopOrClose(true, words);
  if (command.verb == "play" || command.verb == "status") {
    if (words.empty()) return MCIERR_MISSING_DEVICE_NAME;
    MediaDevice* device = findDevice(words[0]);
    if (device == nullptr) return MCIERR_INVALID_DEVICE_NAME;
    return command.verb == "play" ? playDevice(*device, words) : statusDevice(*device, words, answer);
  }
  return MCIERR_UNRECOGNIZED_COMMAND;
}

}  // namespace

void setAudioMode(AudioMode mode) {
  mediaState().mode = mode;
}
AudioMode audioMode() {
  return mediaState().mode;
}

}  // namespace zentu

MCIERROR mciSendStringA(LPCSTR lpstrCommand, LPSTR lpstrReturnString, UINT uReturnLength, HWND) {
  zentu::Answer answer;
  MCIERROR error = 0;
  try {
    error = zentu::runCommand(lpstrCommand, &answer);
  } catch (const std::bad_alloc&) {
    error = MCIERR_OUT_OF_MEMORY;
  } catch (...) {
    error = MCIERR_HARDWARE;
  }
  if (lpstrReturnString != nullptr && uReturnLength > 0) {
    if (error != 0) answer.text.clear();
    if (answer.text.size() + 1 > uReturnLength) {
      lpstrReturnString[0] = '\0';
      return error != 0 ? error : MCIERR_PARAM_OVERFLOW;
    }
    std::memcpy(lpstrReturnString, answer.text.c_str(), answer.text.size() + 1);
  }
  return error;
}
