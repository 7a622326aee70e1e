#include "app/wave_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/audio_mixer.h"
#include "app/embedded_waves.h"
#include "app/wave_file.h"
#include "engine/errors.h"
#include "platform/headless_audio_out.h"

namespace klv {
namespace {

// A RIFF WAV of a constant non-zero level, so a playing voice is audible.
std::vector<uint8_t> MakeWav(int channels, int rate, int bits, int frames) {
  std::vector<uint8_t> w;
  auto put = [&](const void* p, size_t n) {
    w.insert(w.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  auto u32 = [&](uint32_t v) { put(&v, 4); };
  auto u16 = [&](uint16_t v) { put(&v, 2); };
  const uint32_t dataBytes = uint32_t(frames * channels * bits / 8);
  put("RIFF", 4);
  u32(36 + dataBytes);
  put("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(uint16_t(channels));
  u32(uint32_t(rate));
  u32(uint32_t(rate * channels * bits / 8));
  u16(uint16_t(channels * bits / 8));
  u16(uint16_t(bits));
  put("data", 4);
  u32(dataBytes);
  for (int i = 0; i < frames * channels; ++i) {
    if (bits == 8)
      w.push_back(200);
    else
      u16(uint16_t(int16_t(12000)));
  }
  return w;
}

TEST(EffectFormats, EmbeddedRecordingsMatchTheirTable) {
  struct Expected {
    const char* name;
    int channels, rate, bits;
    double seconds;
  };
  const Expected table[] = {{"Up", 2, 22050, 16, 4.67},
                            {"Poimal", 2, 22050, 16, 0.07},
                            {"Level", 1, 12000, 16, 1.81},
                            {"Over", 1, 11025, 8, 0.78}};
  const auto waves = EmbeddedWaves();
  ASSERT_EQ(waves.size(), std::size(table));
  for (size_t i = 0; i < waves.size(); ++i) {
    SCOPED_TRACE(table[i].name);
    EXPECT_STREQ(waves[i].name, table[i].name);
    const WaveFile w = ParseWave({waves[i].data, waves[i].size});
    EXPECT_EQ(w.Channels, table[i].channels);
    EXPECT_EQ(w.Rate, table[i].rate);
    EXPECT_EQ(w.Bits, table[i].bits);
    EXPECT_NEAR(w.Seconds(), table[i].seconds, table[i].seconds * 0.05);
    // Audible, and without a click at either end.
    int peak = 0;
    for (int16_t s : w.Samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(std::abs(int(w.Samples.front())), 512);
    EXPECT_LT(std::abs(int(w.Samples.back())), 512);
  }
}

TEST(EffectFormats, DamagedWaveDataIsRejected) {
  const std::vector<uint8_t> good = MakeWav(1, 11025, 8, 10);
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"not RIFF", good});
  cases.back().data[0] = 'X';
  cases.push_back({"truncated data chunk", good});
  cases.back().data.resize(good.size() - 4);
  cases.push_back({"chunk size past the end", good});
  cases.back().data[16] = 0xff;  // fmt chunk size
  cases.push_back({"24-bit", MakeWav(1, 11025, 8, 10)});
  cases.back().data[34] = 24;
  cases.push_back({"three channels", MakeWav(1, 11025, 8, 10)});
  cases.back().data[22] = 3;
  cases.push_back({"compressed", MakeWav(1, 11025, 8, 10)});
  cases.back().data[20] = 2;
  cases.push_back({"zero rate", MakeWav(1, 11025, 8, 10)});
  std::memset(cases.back().data.data() + 24, 0, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(ParseWave(c.data), DataError);
  }
  const WaveFile w = ParseWave(good);
  EXPECT_EQ(w.Frames, 10);
  EXPECT_EQ(w.Samples[0], (200 - 128) * 256);  // 8-bit data is unsigned
}

class WaveListTest : public ::testing::Test {
 protected:
  WaveListTest() : mixer_(out_.SampleRate()) {
    // 0.1 s each at 10000 Hz = 441 device frames.
    short_ = MakeWav(1, 10000, 16, 1000);
    looped_ = MakeWav(2, 22050, 16, 500);
    list_ = std::make_unique<WaveList>(out_, mixer_,
                                       std::vector<WaveSpec>{{"Free", short_, false, 0},
                                                             {"One", short_, false, 1},
                                                             {"Two", short_, false, 2},
                                                             {"Loop", looped_, true, 0}});
    out_.Start(&mixer_);
    list_->Prepare(true);
  }
  void Advance(int frames) {
    std::vector<int16_t> buf(size_t(frames) * 2);
    mixer_.Render(buf.data(), frames);
  }

  HeadlessAudioOut out_;
  AudioMixer mixer_;
  std::vector<uint8_t> short_, looped_;
  std::unique_ptr<WaveList> list_;
};

TEST_F(WaveListTest, FindsNamesWithoutRegardToCase) {
  EXPECT_EQ(&list_->Find("free"), &list_->ItemAt(0));
  EXPECT_EQ(&list_->Find("TWO"), &list_->ItemAt(2));
  try {
    list_->Find("Splash");
    FAIL() << "no error";
  } catch (const KlvError& e) {
    EXPECT_STREQ(e.what(), "Wave 'Splash' not found");
  }
  EXPECT_THROW(list_->ItemAt(4), KlvError);
  EXPECT_THROW(list_->ItemAt(-1), KlvError);
}

TEST_F(WaveListTest, AFinishedBufferIsReusedBeforeANewOneIsMade) {
  WaveItem& item = list_->Find("Free");
  list_->Play(item);
  Advance(5000);  // past its end (4410 device frames)
  EXPECT_FALSE(mixer_.VoicePlaying(item.Buffers[0]));
  list_->Play(item);
  EXPECT_EQ(item.Buffers.size(), 1u);
  EXPECT_TRUE(mixer_.VoicePlaying(item.Buffers[0]));
}

TEST_F(WaveListTest, UnlimitedItemsOverlap) {
  WaveItem& item = list_->Find("Free");
  list_->Play(item);
  Advance(100);
  list_->Play(item);
  ASSERT_EQ(item.Buffers.size(), 2u);
  EXPECT_TRUE(mixer_.VoicePlaying(item.Buffers[0]));
  EXPECT_TRUE(mixer_.VoicePlaying(item.Buffers[1]));
  EXPECT_GT(mixer_.VoiceFrame(item.Buffers[0]), 0);
  EXPECT_EQ(mixer_.VoiceFrame(item.Buffers[1]), 0);
}

TEST_F(WaveListTest, AtTheLimitTheOldestPlayRestarts) {
  WaveItem& one = list_->Find("One");
  list_->Play(one);
  Advance(200);
  list_->Play(one);
  ASSERT_EQ(one.Buffers.size(), 1u);
  EXPECT_EQ(mixer_.VoiceFrame(one.Buffers[0]), 0);
  EXPECT_TRUE(mixer_.VoicePlaying(one.Buffers[0]));

  WaveItem& two = list_->Find("Two");
  list_->Play(two);
  Advance(100);
  list_->Play(two);
  Advance(100);
  const int first = two.Buffers[0], second = two.Buffers[1];
  const int secondAt = mixer_.VoiceFrame(second);
  list_->Play(two);  // both busy: the first buffer restarts and goes to the end
  ASSERT_EQ(two.Buffers.size(), 2u);
  EXPECT_EQ(two.Buffers[0], second);
  EXPECT_EQ(two.Buffers[1], first);
  EXPECT_EQ(mixer_.VoiceFrame(first), 0);
  EXPECT_EQ(mixer_.VoiceFrame(second), secondAt);
  list_->Play(two);  // and the next play takes the other one in turn
  EXPECT_EQ(two.Buffers[1], second);
  EXPECT_EQ(mixer_.VoiceFrame(second), 0);
}

TEST_F(WaveListTest, StopSilencesEveryPlayAndKeepsTheBuffers) {
  WaveItem& item = list_->Find("Free");
  for (int i = 0; i < 3; ++i) list_->Play(item);
  list_->Stop(item);
  for (int v : item.Buffers) EXPECT_FALSE(mixer_.VoicePlaying(v));
  Advance(300);  // the 5 ms fade-out
  std::vector<int16_t> buf(200);
  mixer_.Render(buf.data(), 100);
  for (int16_t s : buf) ASSERT_EQ(s, 0);
  const int inUse = mixer_.VoicesInUse();
  list_->Play(item);
  EXPECT_EQ(mixer_.VoicesInUse(), inUse);
  EXPECT_EQ(item.Buffers.size(), 3u);
}

TEST_F(WaveListTest, StoppedAndRestartedPlaysFadeInsteadOfClicking) {
  struct Case {
    const char* what;
    const char* item;
    bool restart;  // play again at the limit rather than stop
  };
  const Case cases[] = {{"stop", "Free", false}, {"restart at the limit", "One", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WaveItem& item = list_->Find(c.item);
    list_->Play(item);
    Advance(100);
    if (c.restart)
      list_->Play(item);
    else
      list_->Stop(item);
    std::vector<int16_t> buf(2 * 400);
    mixer_.Render(buf.data(), 400);
    // The old play's constant 12000 fades to nothing in steps of 12000/220,
    // under the restarted play when there is one.
    const int base = c.restart ? 12000 : 0;
    EXPECT_NEAR(buf[0], base + 12000, 12000 / 220 + 2);
    int worst = 0;
    for (size_t i = 2; i < buf.size(); i += 2)
      worst = std::max(worst, std::abs(buf[i] - buf[i - 2]));
    EXPECT_LE(worst, 12000 / 220 + 2);
    EXPECT_EQ(buf.back(), base);
    list_->Stop(item);
    Advance(400);
  }
}

TEST_F(WaveListTest, ALoopedItemKeepsOneBufferAndLoops) {
  WaveItem& item = list_->Find("Loop");
  list_->Play(item);
  list_->Play(item);
  EXPECT_TRUE(item.Buffers.empty());
  Advance(5000);  // several times its length
  EXPECT_TRUE(mixer_.VoicePlaying(item.LoopBuffer));
  EXPECT_EQ(mixer_.VoicesInUse(), 1);
  list_->Stop(item);
  EXPECT_FALSE(mixer_.VoicePlaying(item.LoopBuffer));
}

TEST_F(WaveListTest, PlaysBeyondTheMixerPoolAreDropped) {
  WaveItem& item = list_->Find("Free");
  for (int i = 0; i < AudioMixer::kMaxVoices + 5; ++i) list_->Play(item);
  EXPECT_EQ(int(item.Buffers.size()), AudioMixer::kMaxVoices);
  // The pool is full but a limited item with a buffer of its own still plays.
  list_->Stop(item);
  WaveItem& one = list_->Find("One");
  list_->Play(one);
  EXPECT_TRUE(one.Buffers.empty());
}

TEST_F(WaveListTest, UnpreparedItemsIgnorePlayAndStop) {
  list_->Prepare(false);
  WaveItem& item = list_->Find("Free");
  list_->Play(item);
  list_->Stop(item);
  EXPECT_TRUE(item.Buffers.empty());
  EXPECT_EQ(mixer_.VoicesInUse(), 0);
}

TEST_F(WaveListTest, EachEffectPlaysAtItsOwnRate) {
  WaveItem& item = list_->Find("Free");  // 10000 Hz mono
  list_->Play(item);
  std::vector<int16_t> buf(2 * 441);
  mixer_.Render(buf.data(), 441);  // 10 ms of device time
  EXPECT_NEAR(mixer_.VoiceFrame(item.Buffers[0]), 100, 1);
  EXPECT_EQ(buf[0], 12000);  // mono reaches both sides at full volume
  EXPECT_EQ(buf[1], 12000);
  mixer_.Render(buf.data(), 441);
  mixer_.Render(buf.data(), 441);  // 1000 source frames take 4410 device frames
  EXPECT_TRUE(mixer_.VoicePlaying(item.Buffers[0]));
  for (int i = 0; i < 8; ++i) mixer_.Render(buf.data(), 441);
  EXPECT_FALSE(mixer_.VoicePlaying(item.Buffers[0]));
}

TEST_F(WaveListTest, LoudPlaysSaturateInsteadOfWrapping) {
  WaveItem& item = list_->Find("Free");
  for (int i = 0; i < 4; ++i) list_->Play(item);  // 4 x 12000
  std::vector<int16_t> buf(2 * 16);
  mixer_.Render(buf.data(), 16);
  for (int16_t s : buf) EXPECT_EQ(s, 32767);
}

TEST(BuiltInWaveList, HoldsTheGameEffectsWithTheirLimits) {
  HeadlessAudioOut out;
  AudioMixer mixer(out.SampleRate());
  WaveList list(out, mixer);
  list.Prepare(true);
  struct Expected {
    const char* name;
    int limit;
  };
  const Expected table[] = {{"Up", 0}, {"Poimal", 1}, {"Level", 0}, {"Over", 1}};
  ASSERT_EQ(list.Count(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(table[i].name);
    WaveItem& item = list.ItemAt(i);
    EXPECT_EQ(item.Name, table[i].name);
    EXPECT_FALSE(item.Looped);
    EXPECT_EQ(item.MaxPlayCount, table[i].limit);
    list.Play(item);
    list.Play(item);  // played twice at once: restart or overlap
    EXPECT_EQ(item.Buffers.size(), table[i].limit == 1 ? 1u : 2u);
  }
}

}  // namespace
}  // namespace klv
