#include "platform/system/settings.h"

#include <cstdlib>
#include <string>

namespace zentu {

namespace {
int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}
}  // namespace

Setting parseSetting(const char* text) {
  Setting s;
  if (text == nullptr) return s;
  s.type = SettingType::kOther;
  const char* p = text;
  int base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (*p == '\0') return s;
  uint64_t value = 0;
  for (; *p != '\0'; ++p) {
    int d = digitValue(*p, base);
    if (d < 0) return s;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFu) return s;  // does not fit a DWORD: some other type
  }
  s.type = SettingType::kDword;
  s.value = static_cast<DWORD>(value);
  return s;
}

Setting readSetting(const char* name) {
  std::string var = std::string("ZENTU_") + name;
  return parseSetting(std::getenv(var.c_str()));
}

}  // namespace zentu
