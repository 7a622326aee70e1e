#pragma once
// Sound output: the device pulls mixed frames from one source on its own thread.

#include <cstdint>
#include <string>

namespace klv {

// Produces interleaved stereo 16-bit frames. Called on the audio thread: it must
// never block or allocate.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual void Render(int16_t* stereo, int frames) = 0;
};

class AudioOut {
 public:
  virtual ~AudioOut() = default;
  // Starts pulling from the source; false when there is no sound device.
  virtual bool Start(AudioSource* source) = 0;
  virtual int SampleRate() const = 0;
  // Held while the game changes what the source plays.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // What was asked to sound ("sound Poimal", "music Sound/1.xm", "music none");
  // the headless platform keeps these for tests, a real device ignores them.
  virtual void Note(const std::string& /*event*/) {}
};

}  // namespace klv
