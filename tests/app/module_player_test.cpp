#include "app/module_player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/headless_audio_out.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

const std::string kMenuTune = std::string(KLV_GAME_DIR) + "/Sound/1.xm";
const std::string kPlayTune = std::string(KLV_GAME_DIR) + "/Sound/2.xm";

double Rms(const std::vector<int16_t>& pcm) {
  double sum = 0;
  for (int16_t s : pcm) sum += double(s) * s;
  return pcm.empty() ? 0 : std::sqrt(sum / pcm.size());
}

std::vector<int16_t> Render(ModulePlayer& player, int frames) {
  std::vector<int16_t> pcm(size_t(frames) * 2, 1234);
  player.Render(pcm.data(), frames);
  return pcm;
}

class ModulePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kMenuTune)) << "build the game-data-music target first";
  }
  HeadlessAudioOut out_;
  ModulePlayer player_{out_};
};

TEST_F(ModulePlayerTest, FilesThatCannotBeLoadedGiveNoHandle) {
  const fs::path dir = fs::path(testing::TempDir()) / "klv_module_player";
  fs::create_directories(dir);
  struct Case {
    const char* name;
    std::string content;  // empty: the file does not exist
  };
  const Case cases[] = {{"missing.xm", ""},
                        {"garbage.xm", std::string(4000, 'x')},
                        {"truncated.xm", "Extended Module: half a header"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.content.empty()) std::ofstream(dir / c.name, std::ios::binary) << c.content;
    EXPECT_EQ(player_.SongLoadFromFile((dir / c.name).string()), 0);
  }
  EXPECT_EQ(player_.SongLoadFromFile(dir.string()), 0);  // a folder
  EXPECT_EQ(player_.SongCount(), 0);
  player_.SongPlay(0);  // a failed handle does nothing
  EXPECT_EQ(Rms(Render(player_, 1000)), 0);
}

TEST_F(ModulePlayerTest, PlaysStopsAndPlaysAgain) {
  const int h = player_.SongLoadFromFile(kMenuTune);
  ASSERT_NE(h, 0);
  EXPECT_EQ(Rms(Render(player_, 4410)), 0) << "a loaded tune is silent until played";
  player_.SongPlay(h);
  EXPECT_EQ(player_.PlayingSong(), h);
  Render(player_, 44100);  // the intro's first second
  EXPECT_GT(Rms(Render(player_, 44100)), 100);
  player_.SongStop(h);
  EXPECT_EQ(player_.PlayingSong(), 0);
  EXPECT_EQ(Rms(Render(player_, 4410)), 0);
  player_.SongPlay(h);
  EXPECT_GT(Rms(Render(player_, 44100)), 100);
}

TEST_F(ModulePlayerTest, OneTuneSoundsAtATime) {
  const int menu = player_.SongLoadFromFile(kMenuTune);
  const int play = player_.SongLoadFromFile(kPlayTune);
  ASSERT_NE(menu, 0);
  ASSERT_NE(play, 0);
  EXPECT_NE(menu, play);
  player_.SongPlay(menu);
  player_.SongPlay(play);
  EXPECT_EQ(player_.PlayingSong(), play);
  player_.SongStop(menu);  // not the sounding one: nothing changes
  EXPECT_EQ(player_.PlayingSong(), play);
  player_.SongFree(play);
  EXPECT_EQ(player_.PlayingSong(), 0);
  EXPECT_EQ(player_.SongCount(), 1);
  player_.SongPlay(play);  // a freed handle is no longer valid
  EXPECT_EQ(player_.PlayingSong(), 0);
}

TEST_F(ModulePlayerTest, TheMenuTuneLoopsForever) {
  const int h = player_.SongLoadFromFile(kMenuTune);
  ASSERT_NE(h, 0);
  player_.SongPlay(h);
  // Past the first loop (about 90 s) and well into the second.
  for (int second = 0; second < 100; ++second) Render(player_, 44100);
  EXPECT_GT(Rms(Render(player_, 44100)), 100);
}

}  // namespace
}  // namespace klv
