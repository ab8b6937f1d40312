#include "platform/system/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zentu {
namespace {

struct SettingCase {
  const char* name;
  const char* text;
  SettingType type;
  DWORD value;
};

TEST(Settings, ParsesDwordsAndOtherText) {
  const SettingCase cases[] = {
      {"absent", nullptr, SettingType::kAbsent, 0},
      {"decimal", "1", SettingType::kDword, 1},
      {"zero", "0", SettingType::kDword, 0},
      {"largest", "4294967295", SettingType::kDword, 0xFFFFFFFFu},
      {"hex", "0x1F", SettingType::kDword, 0x1F},
      {"hex upper", "0XfF", SettingType::kDword, 0xFF},
      {"too large", "4294967296", SettingType::kOther, 0},
      {"empty", "", SettingType::kOther, 0},
      {"bare prefix", "0x", SettingType::kOther, 0},
      {"word", "yes", SettingType::kOther, 0},
      {"sign", "-1", SettingType::kOther, 0},
      {"space", " 1", SettingType::kOther, 0},
      {"hex digit in decimal", "1a", SettingType::kOther, 0},
  };
  for (const auto& c : cases) {
    Setting s = parseSetting(c.text);
    EXPECT_EQ(s.type, c.type) << c.name;
    if (c.type == SettingType::kDword) {
      EXPECT_EQ(s.value, c.value) << c.name;
    }
  }
}

TEST(Settings, ReadsPrefixedEnvironment) {
  setenv("ZENTU_TestSetting", "0x10", 1);
  Setting s = readSetting("TestSetting");
  EXPECT_EQ(s.type, SettingType::kDword);
  EXPECT_EQ(s.value, 16u);
  unsetenv("ZENTU_TestSetting");
  EXPECT_EQ(readSetting("TestSetting").type, SettingType::kAbsent);
}

}  // namespace
}  // namespace zentu
