// Settings: the stand-in for the registry values the library reads. A value named N comes from the
// environment variable ZENTU_N. Decimal digits, or 0x and hexadecimal digits, read as a DWORD value;
// any other text reads as a value of another type, which callers that want a DWORD ignore.
#pragma once

#include "zentu/wintypes.h"

namespace zentu {

enum class SettingType { kAbsent, kDword, kOther };

struct Setting {
  SettingType type = SettingType::kAbsent;
  DWORD value = 0;  // meaningful only for kDword
};

// Reads the setting `name` (without the prefix).
Setting readSetting(const char* name);

// Parses the text of a setting; exposed for tests.
Setting parseSetting(const char* text);

}  // namespace zentu
