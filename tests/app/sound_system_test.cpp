#include "app/sound_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/live_heap.h"
#include "engine/errors.h"
#include "platform/headless_audio_out.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

// A game folder with the tunes that a case asks for.
class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::path(testing::TempDir()) /
        ("klv_sound_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Sound");
  }
  void TearDown() override { fs::remove_all(dir_); }
  void AddTune(const char* name) {
    fs::copy_file(fs::path(KLV_GAME_DIR) / "Sound" / name, dir_ / "Sound" / name);
  }
  void RemoveTune(const char* name) { fs::remove(dir_ / "Sound" / name); }
  std::unique_ptr<SoundSystem> Make(HeadlessAudioOut& out) {
    auto s = std::make_unique<SoundSystem>(out, dir_.string());
    s->SetMessageHandler([this](const std::string& t) { messages_.push_back(t); });
    return s;
  }

  fs::path dir_;
  std::vector<std::string> messages_;
};

TEST_F(SoundSystemTest, MissingMenuTuneAtStartUpIsReportedOnceThenAgainOnMusicOn) {
  HeadlessAudioOut out;
  auto sound = Make(out);
  uint8_t music = 1;
  EXPECT_FALSE(sound->StartMenuMusic(music));
  EXPECT_EQ(music, 0);
  EXPECT_EQ(sound->MusicHandle(), 0);
  // With Music off nothing else tries to load or complains.
  EXPECT_FALSE(sound->StartPlayMusic(music));
  sound->ResumeMusic(music);
  sound->StopMusicOnDeactivate();
  sound->MusicOff();
  EXPECT_EQ(messages_, std::vector<std::string>{"Can't load music."});
  // Music switched on in the options: the menu tune is tried again.
  music = 1;
  sound->ResumeMusic(music);
  EXPECT_EQ(music, 0);
  EXPECT_EQ(messages_, (std::vector<std::string>{"Can't load music.", "Не могу загрузить музыку"}));
  EXPECT_TRUE(out.Notes().empty());
}

TEST_F(SoundSystemTest, MissingPlayTuneSilencesTheMenuTune) {
  AddTune("1.xm");
  HeadlessAudioOut out;
  auto sound = Make(out);
  uint8_t music = 1;
  ASSERT_TRUE(sound->StartMenuMusic(music));
  EXPECT_FALSE(sound->StartPlayMusic(music));
  EXPECT_EQ(messages_, std::vector<std::string>{"Can't load music."});
  EXPECT_EQ(music, 0);
  EXPECT_EQ(sound->MusicHandle(), 0);
  EXPECT_EQ(sound->Music().PlayingSong(), 0) << "no tune may sound on with Music off";
  EXPECT_EQ(out.TakeNotes(), (std::vector<std::string>{"music Sound/1.xm", "music none"}));
}

TEST_F(SoundSystemTest, StopAndResumePlayTheSameTuneAgain) {
  AddTune("1.xm");
  AddTune("2.xm");
  HeadlessAudioOut out;
  auto sound = Make(out);
  uint8_t music = 1;
  ASSERT_TRUE(sound->StartMenuMusic(music));
  const int menu = sound->MusicHandle();
  ASSERT_TRUE(sound->StartPlayMusic(music));
  const int play = sound->MusicHandle();
  EXPECT_NE(play, menu);
  EXPECT_EQ(sound->Music().PlayingSong(), play);
  EXPECT_EQ(sound->Music().SongCount(), 1) << "the menu tune is let go";

  sound->StopMusicOnDeactivate();  // switching to another application
  EXPECT_EQ(sound->Music().PlayingSong(), 0);
  RemoveTune("2.xm");  // resuming does not load again
  sound->ResumeMusic(music);
  EXPECT_EQ(sound->Music().PlayingSong(), play);
  EXPECT_EQ(sound->MusicHandle(), play);

  music = 0;  // the options' music-off
  sound->MusicOff();
  EXPECT_EQ(sound->Music().PlayingSong(), 0);
  sound->ResumeMusic(music);  // off: nothing
  EXPECT_EQ(sound->Music().PlayingSong(), 0);
  music = 1;
  sound->ResumeMusic(music);
  EXPECT_EQ(sound->Music().PlayingSong(), play);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(out.TakeNotes(),
            (std::vector<std::string>{"music Sound/1.xm", "music Sound/2.xm", "music none",
                                      "music Sound/2.xm", "music none", "music Sound/2.xm"}));
}

// A long session switches tunes hundreds of times: whatever happened before,
// only the tune loaded last stays in memory, even on a device that has not
// played the old tune's fade-out (the headless one never pulls sound).
TEST_F(SoundSystemTest, OnlyTheLastTuneStaysInMemory) {
  AddTune("1.xm");
  AddTune("2.xm");
  HeadlessAudioOut out;
  auto sound = Make(out);
  uint8_t music = 1;
  const size_t before = LiveHeapBytes();
  ASSERT_TRUE(sound->StartMenuMusic(music));
  const size_t oneTune = LiveHeapBytes() - before;
  ASSERT_GT(oneTune, 100u * 1024) << "a tune is a few hundred KB once loaded";
  struct Step {
    const char* what;
    void (*act)(SoundSystem&, uint8_t&);
  };
  const Step steps[] = {
      {"a game starts", [](SoundSystem& s, uint8_t& m) { s.StartPlayMusic(m); }},
      {"focus lost", [](SoundSystem& s, uint8_t&) { s.StopMusicOnDeactivate(); }},
      {"focus back", [](SoundSystem& s, uint8_t& m) { s.ResumeMusic(m); }},
      {"the game ends", [](SoundSystem& s, uint8_t& m) { s.StartMenuMusic(m); }},
      {"focus lost in the menu", [](SoundSystem& s, uint8_t&) { s.StopMusicOnDeactivate(); }},
      {"a game starts unfocused", [](SoundSystem& s, uint8_t& m) { s.StartPlayMusic(m); }},
      {"focus back in play", [](SoundSystem& s, uint8_t& m) { s.ResumeMusic(m); }},
      {"music off", [](SoundSystem& s, uint8_t& m) { m = 0, s.MusicOff(); }},
      {"music on", [](SoundSystem& s, uint8_t& m) { m = 1, s.ResumeMusic(m); }},
      {"the name entry ends", [](SoundSystem& s, uint8_t& m) { s.StartMenuMusic(m); }},
  };
  for (int round = 0; round < 3; ++round) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      step.act(*sound, music);
      const size_t held = LiveHeapBytes() - before;
      EXPECT_LT(held, oneTune * 3 / 2) << "round " << round << ": more than one tune held";
    }
  }
  EXPECT_EQ(sound->Music().SongCount(), 1);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SoundSystemTest, EffectsAreNotedByTheirOwnNames) {
  HeadlessAudioOut out;
  auto sound = Make(out);
  sound->PlayEffect("poimal");
  sound->PlayEffect("UP");
  sound->StopEffect("Up");
  sound->SilenceAll();
  sound->PlayEffect("Over");
  EXPECT_EQ(out.TakeNotes(),
            (std::vector<std::string>{"sound Poimal", "sound Up", "stop Up", "stop Up",
                                      "stop Poimal", "stop Level", "stop Over", "sound Over"}));
  EXPECT_THROW(sound->PlayEffect("Splash"), KlvError);
}

TEST_F(SoundSystemTest, TimeUpCutsEveryEffectThenPlaysOver) {
  HeadlessAudioOut out;
  auto sound = Make(out);
  sound->PlayEffect("Up");
  sound->PlayEffect("Poimal");
  sound->PlayEffect("Level");
  out.Render(441);
  sound->SilenceAll();
  sound->PlayEffect("Over");
  // Once the cut effects have faded (5 ms), only "Over" is heard: compare
  // with "Over" alone.
  const std::vector<int16_t> mixed = out.Render(2000);
  HeadlessAudioOut alone;
  auto reference = std::make_unique<SoundSystem>(alone, dir_.string());
  reference->PlayEffect("Over");
  const std::vector<int16_t> expected = alone.Render(2000);
  EXPECT_TRUE(std::equal(mixed.begin() + 2 * 300, mixed.end(), expected.begin() + 2 * 300));
  EXPECT_NE(mixed, expected) << "the cut effects fade out instead of stopping dead";
}

TEST_F(SoundSystemTest, WithoutADeviceEverythingIsSilentAndQuiet) {
  AddTune("1.xm");
  HeadlessAudioOut out(false);
  auto sound = Make(out);
  EXPECT_FALSE(sound->DeviceReady());
  uint8_t music = 1;
  sound->StartMenuMusic(music);
  EXPECT_EQ(music, 1);
  sound->PlayEffect("Level");
  EXPECT_TRUE(sound->WaveList1().Find("Level").Buffers.empty());
  EXPECT_TRUE(messages_.empty());
  for (int16_t s : out.Render(1000)) ASSERT_EQ(s, 0);
}

}  // namespace
}  // namespace klv
