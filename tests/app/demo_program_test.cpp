// The program's options and frame capture: what the command line asks for, what a run without a
// display does, and the PNG files a headless run writes.
#include <png.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo_entry.h"
#include "app/placeholder_director.h"

namespace zentu {
namespace {

namespace fs = std::filesystem;

struct Parsed {
  ParseOutcome outcome;
  int exitCode = 0;
  DemoOptions options;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zentu-demo");
  Parsed p;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  p.outcome = parseDemoOptions(static_cast<int>(args.size()), args.data(), &p.options, &p.exitCode);
  testing::internal::GetCapturedStdout();
  testing::internal::GetCapturedStderr();
  return p;
}

TEST(DemoOptionsTest, CommandLines) {
  struct Case {
    const char* name;
    std::vector<const char*> args;
    bool runs;
  };
  const Case cases[] = {
      {"none", {}, true},
      {"window and limits", {"--windowed", "--seconds", "2.5", "--frames", "30"}, true},
      {"capture at times", {"--offscreen", "--capture", "out", "--capture-at", "3,1.5,2"}, true},
      {"capture every", {"--offscreen", "--capture", "out", "--capture-every", "30"}, true},
      {"help", {"--help"}, false},
      {"version", {"--version"}, false},
      {"unknown option", {"--fullscreen"}, false},
      {"times without a directory", {"--capture-at", "1"}, false},
      {"every without a directory", {"--capture-every", "5"}, false},
      {"times and every", {"--capture", "out", "--capture-at", "1", "--capture-every", "5"}, false},
      {"zero frames", {"--frames", "0"}, false},
      {"negative seconds", {"--seconds", "-1"}, false},
      {"zero fps", {"--offscreen", "--fps", "0"}, false},
      {"negative capture time", {"--capture", "out", "--capture-at", "1,-2"}, false},
      {"missing data directory", {"--data", "/nonexistent/zentu"}, false},
  };
  for (const Case& c : cases) {
    const Parsed p = parse(c.args);
    EXPECT_EQ(p.outcome == ParseOutcome::kRun, c.runs) << c.name;
    const bool information = c.name == std::string("help") || c.name == std::string("version");
    if (!c.runs) {
      EXPECT_EQ(p.exitCode != 0, !information) << c.name;
    }
  }
  const Parsed times = parse({"--capture", "out", "--capture-at", "3,1.5,2"});
  EXPECT_EQ(times.options.captureTimes, (std::vector<double>{1.5, 2, 3}));  // sorted
  const Parsed limits = parse({"--windowed", "--seconds", "2.5", "--frames", "30", "--no-audio"});
  EXPECT_TRUE(limits.options.windowed);
  EXPECT_EQ(limits.options.seconds, 2.5);
  EXPECT_EQ(limits.options.frames, 30);
  EXPECT_TRUE(limits.options.noAudio);
}

TEST(DemoOptionsTest, WhatTheDisplayDecides) {
  std::string error;
  DemoOptions automatic;
  automatic.dataDir = "assets";  // where the files are does not shape the run
  automatic.noAudio = true;
  ASSERT_TRUE(resolveDemoOptions(&automatic, false, &error));
  EXPECT_TRUE(automatic.offscreen);
  EXPECT_TRUE(automatic.automatic);
  EXPECT_EQ(automatic.seconds, kTimelineSeconds);
  EXPECT_EQ(automatic.fps, kHeadlessFps);
  EXPECT_EQ(automatic.captureDir, kDefaultCaptureDir);
  EXPECT_EQ(automatic.captureEvery, 30);

  DemoOptions framesOnly;
  framesOnly.frames = 10;
  ASSERT_TRUE(resolveDemoOptions(&framesOnly, false, &error));
  EXPECT_TRUE(framesOnly.offscreen);
  EXPECT_FALSE(framesOnly.automatic);
  EXPECT_EQ(framesOnly.seconds, 0);  // the frame limit stops it
  EXPECT_TRUE(framesOnly.captureDir.empty());

  DemoOptions onDisplay;
  ASSERT_TRUE(resolveDemoOptions(&onDisplay, true, &error));
  EXPECT_FALSE(onDisplay.offscreen);
  EXPECT_EQ(onDisplay.seconds, 0);  // runs until Escape

  DemoOptions offscreen;
  offscreen.offscreen = true;
  ASSERT_TRUE(resolveDemoOptions(&offscreen, true, &error));
  EXPECT_EQ(offscreen.seconds, kTimelineSeconds);

  DemoOptions clockOnScreen;
  clockOnScreen.fps = 30;
  EXPECT_FALSE(resolveDemoOptions(&clockOnScreen, true, &error));
  EXPECT_NE(error.find("--offscreen"), std::string::npos);
}

TEST(FrameCaptureTest, ChoosesFrames) {
  struct Case {
    const char* name;
    std::vector<double> times;
    long long every;
    std::vector<long long> chosen;  // of frames 0 to 9 at 10 frames per second
  };
  const Case cases[] = {
      {"every frame", {}, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"every third", {}, 3, {0, 3, 6, 9}},
      {"at times", {0.0, 0.25, 0.5}, 0, {0, 3, 5}},
      {"two times in one frame", {0.41, 0.45, 0.9}, 0, {5, 9}},
      {"times past the run", {2.0}, 0, {}},
  };
  for (const Case& c : cases) {
    FrameCapture capture("dir", c.times, c.every);
    std::vector<long long> chosen;
    for (long long f = 0; f < 10; ++f)
      if (capture.wants(f, f * 0.1)) chosen.push_back(f);
    EXPECT_EQ(chosen, c.chosen) << c.name;
  }
  EXPECT_FALSE(FrameCapture().wants(0, 0));
  EXPECT_EQ(captureFileName(30), "frame-000030.png");
}

class HeadlessRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("zentu-capture-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
           "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  int runProgram(std::vector<const char*> args) {
    args.insert(args.begin(), "zentu-demo");
    testing::internal::CaptureStderr();
    const int result = runDemoProgram(static_cast<int>(args.size()), args.data());
    errors = testing::internal::GetCapturedStderr();
    return result;
  }

  fs::path dir;
  std::string errors;
};

TEST_F(HeadlessRunTest, CaptureWritesTheChosenFramesAsPng) {
  const std::string out = dir.string();
  ASSERT_EQ(runProgram({"--offscreen", "--no-audio", "--fps", "10", "--frames", "5", "--capture", out.c_str(),
                        "--capture-every", "2"}),
            0)
      << errors;
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"frame-000000.png", "frame-000002.png", "frame-000004.png"}));
  EXPECT_NE(errors.find("3 frames written to " + out), std::string::npos) << errors;

  // Frame 4 shows 0.4 demo seconds of the placeholder's colour, opaque, all over.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir / "frame-000004.png").c_str()));
  EXPECT_EQ(image.width, 800u);
  EXPECT_EQ(image.height, 600u);
  EXPECT_EQ(image.format, static_cast<png_uint_32>(PNG_FORMAT_RGB));
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  const D3DCOLOR colour = PlaceholderDirector::colourAt(0.4f);
  for (size_t at : {size_t{0}, size_t{400 + 300 * 800}, size_t{800 * 600 - 1}}) {
    const int expected[3] = {static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                             static_cast<int>(colour & 0xFF)};
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(pixels[at * 3 + ch], expected[ch], 1) << at << " " << ch;
  }
}

TEST_F(HeadlessRunTest, DataDirectoryBecomesTheWorkingDirectoryAfterTheCaptureIsPlaced) {
  fs::create_directories(dir / "data");
  const fs::path launched = fs::current_path();
  fs::current_path(dir);
  const int result = runProgram({"--offscreen", "--frames", "1", "--data", "data", "--capture", "out"});
  const fs::path working = fs::current_path();
  fs::current_path(launched);
  EXPECT_EQ(result, 0) << errors;
  EXPECT_EQ(working, fs::canonical(dir / "data"));
  EXPECT_TRUE(fs::exists(dir / "out" / "frame-000000.png"));  // relative to where it started
  EXPECT_FALSE(fs::exists(dir / "data" / "out"));
}

TEST_F(HeadlessRunTest, CaptureDirectoryThatCannotBeMadeStopsTheProgram) {
  fs::create_directories(dir);
  const std::string file = (dir / "taken").string();
  {
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  EXPECT_EQ(runProgram({"--offscreen", "--frames", "1", "--capture", file.c_str()}), 1);
  EXPECT_NE(errors.find("cannot make the capture directory"), std::string::npos) << errors;
}

}  // namespace
}  // namespace zentu
