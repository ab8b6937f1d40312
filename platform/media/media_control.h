// How the media command interface makes its sound: through the system's audio device (the default),
// or silently with positions that still advance (for a program run without sound).
#pragma once

namespace zentu {

enum class AudioMode { kDevice, kSilent };

// Applies to devices opened afterwards.
void setAudioMode(AudioMode mode);
AudioMode audioMode();

}  // namespace zentu
