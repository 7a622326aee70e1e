#pragma once
// What a step of the round's rules brought about, for the game's frame to
// act on: the holds to start or end and the sound effects to play. The
// rules never touch the timers or the sound themselves; the frame turns
// these into holds and sounds right after the step, in the order below.

#include <cstdint>
#include <cstring>
#include <vector>

namespace klv {

// One sound effect action ("Up", "Poimal", "Level", "Over"), in the order
// play asked for them: the order is heard, and recorded games keep it.
struct SoundCue {
  enum class Act : uint8_t { SilenceAll, Play, Stop };
  Act What = Act::SilenceAll;
  const char* Effect = nullptr;  // the effect played or stopped; none for SilenceAll

  bool operator==(const SoundCue& o) const {
    return What == o.What &&
           (Effect == o.Effect || (Effect && o.Effect && !std::strcmp(Effect, o.Effect)));
  }
};

struct RoundEvents {
  // The hold's timers, as the frame changes them: first the bonus stops,
  // then the clock, then the holds start.
  bool BonusOver = false;      // the time left is counted: the bonus stops
  bool LevelStarted = false;   // a level was set up: the clock stands until a hold ends
  bool LevelComplete = false;  // the quota is met: the clock stops, play holds, the bonus counts
  bool GetReady = false;       // a new game's "Готовсь!" hold, whose end starts the clock
  bool TimeUp = false;         // the clock was at zero: the game is over
  std::vector<SoundCue> Sounds;

  void Silence() { Sounds.push_back({SoundCue::Act::SilenceAll, nullptr}); }
  void Play(const char* effect) { Sounds.push_back({SoundCue::Act::Play, effect}); }
  void Stop(const char* effect) { Sounds.push_back({SoundCue::Act::Stop, effect}); }
};

}  // namespace klv
