#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "platform/media/media_control.h"
#include "platform/media/media_internal.h"
#include "platform/window/window.h"
#include "zentu/mmsystem.h"

namespace zentu {
namespace {

constexpr const char* kSine = "data/sine_1s.mp3";  // one second of 440 Hz, mono, 22 050 Hz

std::string answerOf(const std::string& command, MCIERROR* error = nullptr) {
  char buffer[64] = "unchanged";
  MCIERROR result = mciSendStringA(command.c_str(), buffer, sizeof buffer, nullptr);
  if (error != nullptr) *error = result;
  return buffer;
}

MCIERROR send(const std::string& command) {
  return mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

std::string writeFile(const char* name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Waits, for at most two seconds, until the device's position is past `ms`.
bool positionPasses(const char* device, long ms) {
  for (int i = 0; i < 200; ++i) {
    if (std::stol(answerOf(std::string("status ") + device + " position")) > ms) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requestHeadless();  // SDL's dummy audio driver: time runs, nothing is heard
    setAudioMode(AudioMode::kDevice);
  }
  void TearDown() override { send("close all"); }
};

TEST(MciCommandParse, SplitsWordsAndQuotes) {
  struct Case {
    const char* name;
    const char* text;
    MCIERROR error;
    const char* verb;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"open",
       "open music.mp3 type mpegvideo alias music",
       0,
       "open",
       {"music.mp3", "type", "mpegvideo", "alias", "music"}},
      {"verb case", "PLAY music from 0", 0, "play", {"music", "from", "0"}},
      {"blanks", "  stop\tmusic  ", 0, "stop", {"music"}},
      {"quoted path", "open \"my music.mp3\" alias m", 0, "open", {"my music.mp3", "alias", "m"}},
      {"open quote", "open \"music.mp3", MCIERR_NO_CLOSING_QUOTE, "", {}},
      {"empty", "", MCIERR_MISSING_COMMAND_STRING, "", {}},
      {"blank only", "   ", MCIERR_MISSING_COMMAND_STRING, "", {}},
      {"null", nullptr, MCIERR_MISSING_COMMAND_STRING, "", {}},
  };
  for (const Case& c : cases) {
    MciCommand command;
    EXPECT_EQ(parseMciCommand(c.text, &command), c.error) << c.name;
    EXPECT_EQ(command.verb, c.verb) << c.name;
    EXPECT_EQ(command.words, c.words) << c.name;
  }
}

TEST_F(MediaTest, TheDemosFourCommandsWork) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(send("open data/sine_1s.mp3 type mpegvideo alias music"), 0u);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the dummy driver opened at once
  EXPECT_EQ(send("play music from 0"), 0u);
  EXPECT_EQ(answerOf("status music mode"), "playing");
  EXPECT_TRUE(positionPasses("music", 0));
  EXPECT_EQ(send("stop music"), 0u);
  EXPECT_EQ(answerOf("status music mode"), "stopped");
  const std::string stoppedAt = answerOf("status music position");
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(answerOf("status music position"), stoppedAt);
  EXPECT_EQ(send("close music"), 0u);
  EXPECT_EQ(send("play music from 0"), MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MediaTest, CommandsAnswerEachString) {
  ASSERT_EQ(answerOf(std::string("open ") + kSine + " type mpegvideo alias music"), "1");
  const long length = std::stol(answerOf("status music length"));
  EXPECT_EQ(length, 1000);
  struct Case {
    const char* command;
    MCIERROR error;
  };
  const Case cases[] = {
      {"play music", 0},
      {"play MUSIC from 500 to 900", 0},
      {"play music from 2000", MCIERR_OUTOFRANGE},
      {"play music from 900 to 100", MCIERR_OUTOFRANGE},
      {"play music from -1", MCIERR_BAD_INTEGER},
      {"play music from", MCIERR_MISSING_PARAMETER},
      {"play music from 0 from 0", MCIERR_DUPLICATE_FLAGS},
      {"play music wait", MCIERR_UNRECOGNIZED_KEYWORD},
      {"play", MCIERR_MISSING_DEVICE_NAME},
      {"play tune", MCIERR_INVALID_DEVICE_NAME},
      {"status music volume", MCIERR_UNRECOGNIZED_KEYWORD},
      {"status music", MCIERR_MISSING_PARAMETER},
      {"stop music now", MCIERR_UNRECOGNIZED_KEYWORD},
      {"pause music", MCIERR_UNRECOGNIZED_COMMAND},
      {"seek music to start", MCIERR_UNRECOGNIZED_COMMAND},
      {"open data/sine_1s.mp3 alias music", MCIERR_DUPLICATE_ALIAS},
      {"open data/sine_1s.mp3 type mpegvideo alias", MCIERR_MISSING_STRING_ARGUMENT},
      {"open data/sine_1s.mp3 type waveaudio alias wave", MCIERR_INVALID_DEVICE_NAME},
      {"open data/sine_1s.mp3 type mpegvideo type mpegvideo alias twice", MCIERR_DUPLICATE_FLAGS},
      {"open data/sine_1s.mp3 shareable alias s", MCIERR_UNRECOGNIZED_KEYWORD},
      {"open", MCIERR_MISSING_DEVICE_NAME},
      {"stop", MCIERR_MISSING_DEVICE_NAME},
      {"close tune", MCIERR_INVALID_DEVICE_NAME},
      {"stop all", 0},
  };
  for (const Case& c : cases) {
    MCIERROR error = 1;
    const std::string answer = answerOf(c.command, &error);
    EXPECT_EQ(error, c.error) << c.command;
    if (c.error == 0) {
      EXPECT_EQ(answer, "") << c.command;
    }
  }
  char small[2];
  EXPECT_EQ(mciSendStringA("status music length", small, sizeof small, nullptr), MCIERR_PARAM_OVERFLOW);
  EXPECT_EQ(small[0], '\0');
}

TEST_F(MediaTest, OpenByFileNameWithoutType) {
  EXPECT_EQ(send(std::string("open ") + kSine), 0u);
  EXPECT_EQ(send(std::string("play ") + kSine + " from 0"), 0u);
  EXPECT_EQ(send(std::string("open ") + kSine), MCIERR_DEVICE_OPEN);
  EXPECT_EQ(send(std::string("close ") + kSine), 0u);
  EXPECT_EQ(send("open data/sine_1s.wav"), MCIERR_EXTENSION_NOT_FOUND);
}

TEST_F(MediaTest, MissingOrBadFilesFailWithoutStoppingAnything) {
  ASSERT_EQ(send(std::string("open ") + kSine + " type mpegvideo alias music"), 0u);
  ASSERT_EQ(send("play music from 0"), 0u);
  const std::string text = writeFile("not_sound.mp3", std::string(4096, 'x'));
  const std::string empty = writeFile("empty.mp3", "");
  struct Case {
    const char* name;
    std::string command;
    MCIERROR error;
  };
  const Case cases[] = {
      {"missing file", "open no_such_file.mp3 type mpegvideo alias other", MCIERR_FILE_NOT_FOUND},
      {"text, not sound", "open \"" + text + "\" type mpegvideo alias other", MCIERR_INVALID_FILE},
      {"empty file", "open \"" + empty + "\" type mpegvideo alias other", MCIERR_INVALID_FILE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(send(c.command), c.error) << c.name;
    EXPECT_EQ(send("play other from 0"), MCIERR_INVALID_DEVICE_NAME) << c.name;
    EXPECT_EQ(send("stop other"), MCIERR_INVALID_DEVICE_NAME) << c.name;
    EXPECT_EQ(send("close other"), MCIERR_INVALID_DEVICE_NAME) << c.name;
  }
  EXPECT_EQ(answerOf("status music mode"), "playing");
  std::remove(text.c_str());
  std::remove(empty.c_str());
}

TEST_F(MediaTest, PlaybackStopsByItselfAtTheEnd) {
  ASSERT_EQ(send(std::string("open ") + kSine + " alias music"), 0u);
  ASSERT_EQ(send("play music from 900 to 950"), 0u);
  for (int i = 0; i < 200 && answerOf("status music mode") == "playing"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(answerOf("status music mode"), "stopped");
  EXPECT_EQ(answerOf("status music position"), "950");
}

TEST_F(MediaTest, SilentModeStillKeepsTime) {
  setAudioMode(AudioMode::kSilent);
  ASSERT_EQ(send(std::string("open ") + kSine + " alias quiet"), 0u);
  ASSERT_EQ(send("play quiet from 100"), 0u);
  EXPECT_TRUE(positionPasses("quiet", 120));
  EXPECT_EQ(send("stop quiet"), 0u);
  EXPECT_EQ(answerOf("status quiet mode"), "stopped");
}

TEST(AudioOutput, NoDeviceSaysSoOnceAndKeepsTime) {
  requestHeadless();
  PcmClip clip;
  ASSERT_EQ(decodeMp3File(kSine, &clip), 0u);
  ::testing::internal::CaptureStderr();
  auto first = openSdlAudio(clip, "no_such_driver");
  auto second = openSdlAudio(clip, "no_such_driver");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("no sound device"), std::string::npos);
  EXPECT_EQ(said.find('\n'), said.size() - 1);  // one line for both
  ASSERT_NE(first, nullptr);                    // the dummy driver took over
  first->play(0, clip.frames());
  for (int i = 0; i < 200 && first->position() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(first->position(), 0u);
  first->stop();
}

TEST(Mp3Decode, DecodesTheFixtureExactly) {
  PcmClip clip;
  ASSERT_EQ(decodeMp3File(kSine, &clip), 0u);
  EXPECT_EQ(clip.rate, 22050);
  EXPECT_EQ(clip.channels, 1);
  EXPECT_EQ(clip.frames(), 22050u);  // the encoder's delay and padding cut off
  int16_t peak = 0;
  for (int16_t s : clip.samples) peak = std::max<int16_t>(peak, s);
  EXPECT_GT(peak, 9000);  // encoded at 12 000
  EXPECT_LT(peak, 15000);
}

}  // namespace
}  // namespace zentu
