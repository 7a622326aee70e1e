#include "platform/sdl_audio_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace klv {
namespace {

class CountingSource : public AudioSource {
 public:
  void Render(int16_t* stereo, int frames) override {
    for (int i = 0; i < 2 * frames; ++i) stereo[i] = 0;
    framesPulled += frames;
  }
  std::atomic<long> framesPulled{0};
};

// Sets an SDL audio driver for one case.
class ScopedAudioDriver {
 public:
  explicit ScopedAudioDriver(const char* name) {
    if (const char* old = std::getenv("SDL_AUDIODRIVER")) old_ = old, hadOld_ = true;
    setenv("SDL_AUDIODRIVER", name, 1);
  }
  ~ScopedAudioDriver() {
    if (hadOld_)
      setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
    else
      unsetenv("SDL_AUDIODRIVER");
  }

 private:
  std::string old_;
  bool hadOld_ = false;
};

TEST(SdlAudioOut, WithoutADeviceStartFailsQuietly) {
  ScopedAudioDriver driver("no-such-driver");
  SdlAudioOut out;
  CountingSource source;
  EXPECT_FALSE(out.Start(&source));
  EXPECT_FALSE(out.Start(&source));  // and keeps failing without trying again
  out.Lock();                        // harmless without a device
  out.Unlock();
  EXPECT_EQ(out.SampleRate(), 44100);
}

TEST(SdlAudioOut, TheDevicePullsFromTheSourceUntilDetached) {
  ScopedAudioDriver driver("dummy");
  CountingSource source;
  {
    SdlAudioOut out;
    ASSERT_TRUE(out.Start(&source));
    // The device thread runs on its own; wait (generously) for its first pull.
    for (int i = 0; i < 500 && source.framesPulled == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(source.framesPulled.load(), 0);
    EXPECT_TRUE(out.Start(nullptr));
    out.Lock();
    const long pulled = source.framesPulled;
    out.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(source.framesPulled.load(), pulled) << "a detached source is never called";
  }
}

}  // namespace
}  // namespace klv
