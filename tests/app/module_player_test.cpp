#include "app/module_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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
  const std::vector<int16_t> start = Render(player_, 44100);
  EXPECT_EQ(start[0], 0) << "fades in from silence";
  EXPECT_GT(Rms(Render(player_, 44100)), 100);
  player_.SongStop(h);
  EXPECT_EQ(player_.PlayingSong(), 0);
  Render(player_, 441);  // the 10 ms fade-out
  EXPECT_EQ(Rms(Render(player_, 4410)), 0);
  player_.SongPlay(h);
  EXPECT_GT(Rms(Render(player_, 44100)), 100);
}

// Largest step between neighbouring samples of one side, in a stretch of sound.
int LargestStep(const std::vector<int16_t>& pcm, size_t from, size_t to) {
  int worst = 0;
  for (size_t i = from + 2; i < to && i < pcm.size(); i += 2)
    worst = std::max(worst, std::abs(pcm[i] - pcm[i - 2]));
  return worst;
}

TEST_F(ModulePlayerTest, StoppingAndSwitchingTunesFadeInsteadOfClicking) {
  const int menu = player_.SongLoadFromFile(kMenuTune);
  const int play = player_.SongLoadFromFile(kPlayTune);
  ASSERT_NE(menu, 0);
  ASSERT_NE(play, 0);
  player_.SongPlay(menu);
  std::vector<int16_t> pcm = Render(player_, 2 * 44100);
  const int musicStep = LargestStep(pcm, pcm.size() - 2 * 4410, pcm.size());
  struct Change {
    const char* what;
    std::function<void()> act;
  };
  const Change changes[] = {{"switch", [&] { player_.SongPlay(play); }},
                            {"stop", [&] { player_.SongStop(play); }},
                            {"resume", [&] { player_.SongPlay(play); }},
                            {"free while sounding", [&] { player_.SongFree(play); }}};
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    const int16_t before = pcm[pcm.size() - 2];
    c.act();
    pcm = Render(player_, 4410);
    EXPECT_LE(std::abs(pcm[0] - before), musicStep + 64);
    EXPECT_LE(LargestStep(pcm, 0, 2 * 441), musicStep * 3 / 2 + 64);
  }
  EXPECT_EQ(Rms(Render(player_, 4410)), 0);
  EXPECT_EQ(player_.SongCount(), 1);
}

// A freed tune is released at once, but what is heard is the same as if it
// had been kept until its fade-out ended: the rest of the fade, from where
// the device had got to, then silence.
TEST_F(ModulePlayerTest, AFreedTuneFadesOutAsAKeptOneWould) {
  struct Case {
    const char* what;
    bool switchFirst;  // a new tune starts before the old one goes (else it is stopped)
    int playedFirst;   // frames of the fade the device plays before the free
  };
  const Case cases[] = {{"switch, then the old tune freed at once", true, 0},
                        {"switch, the old tune freed halfway through its fade", true, 220},
                        {"the sounding tune freed", false, 0},
                        {"a stopped tune freed while it fades", false, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeadlessAudioOut freedOut, keptOut;
    ModulePlayer freed(freedOut), kept(keptOut);
    int old = 0;
    for (ModulePlayer* p : {&freed, &kept}) {
      old = p->SongLoadFromFile(kMenuTune);
      ASSERT_NE(old, 0);
      p->SongPlay(old);
      Render(*p, 44100);
      if (c.switchFirst) {
        p->SongPlay(p->SongLoadFromFile(kPlayTune));
      } else if (c.playedFirst > 0) {
        p->SongStop(old);
      }
      Render(*p, c.playedFirst);
    }
    freed.SongFree(old);
    if (!c.switchFirst && c.playedFirst == 0) kept.SongStop(old);
    const std::vector<int16_t> heard = Render(freed, 4410);
    const std::vector<int16_t> wanted = Render(kept, 4410);
    const auto differ = std::mismatch(heard.begin(), heard.end(), wanted.begin());
    EXPECT_TRUE(differ.first == heard.end())
        << "differs from sample " << (differ.first - heard.begin()) << ": " << *differ.first
        << " instead of " << *differ.second;
    EXPECT_GT(Rms(std::vector<int16_t>(heard.begin(), heard.begin() + 2 * 200)), 100)
        << "the fade is heard";
    EXPECT_EQ(freed.SongCount(), c.switchFirst ? 1 : 0);
  }
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
