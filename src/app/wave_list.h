#pragma once
// The game's named list of sound effects ("Up", "Poimal", "Level", "Over").
// Each item keeps one device buffer per simultaneous play; a buffer here is a
// voice of the mixer that plays the item's decoded recording.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/wave_file.h"

namespace klv {

class AudioMixer;
class AudioOut;

// What an item is made from: its name, RIFF data, looped flag and the limit of
// simultaneous plays (0: unlimited).
struct WaveSpec {
  std::string Name;
  std::span<const uint8_t> Data;
  bool Looped = false;
  int MaxPlayCount = 0;
};

struct WaveItem {
  std::string Name;
  bool Looped = false;
  int MaxPlayCount = 0;
  WaveFile Wave;
  bool Prepared = false;     // set up on a working sound device
  std::vector<int> Buffers;  // mixer voices, in rotation order
  int LoopBuffer = -1;       // the single buffer of a looped item
};

class WaveList {
 public:
  // The four effects carried inside the program.
  WaveList(AudioOut& out, AudioMixer& mixer);
  // Any items (tests). Damaged data raises DataError("Invalid wave data").
  WaveList(AudioOut& out, AudioMixer& mixer, const std::vector<WaveSpec>& specs);
  ~WaveList();
  WaveList(const WaveList&) = delete;
  WaveList& operator=(const WaveList&) = delete;

  // Items are prepared only on a working device; unprepared items ignore
  // Play and Stop.
  void Prepare(bool deviceReady);

  int Count() const { return int(items_.size()); }
  // Index 0..Count()-1; others raise KlvError("List index out of bounds (%d)").
  WaveItem& ItemAt(int index);
  // Case-insensitive; unknown names raise KlvError("Wave '%s' not found").
  WaveItem& Find(std::string_view name);

  // Starts one play of the item without waiting for it: a free buffer of the
  // item first; at the limit the first buffer is rotated to the end and
  // restarted; otherwise a new buffer. No buffer left in the mixer: no play.
  void Play(WaveItem& item);
  // Stops every play of the item; the buffers stay for reuse.
  void Stop(WaveItem& item);

 private:
  void StartBuffer(int voice, bool looped);

  AudioOut& out_;
  AudioMixer& mixer_;
  std::vector<WaveItem> items_;
};

}  // namespace klv
