#include "app/wave_list.h"

#include <cstdio>

#include "app/audio_mixer.h"
#include "app/embedded_waves.h"
#include "engine/errors.h"
#include "platform/audio_out.h"

namespace klv {
namespace {

struct BuiltInWave {
  const char* name;
  bool looped;
  int maxPlayCount;  // 0: unlimited
};

// The game's effects: reeling, a landed catch (also menu clicks), a new level
// and time running out.
constexpr BuiltInWave kBuiltIn[] = {
    {"Up", false, 0},
    {"Poimal", false, 1},
    {"Level", false, 0},
    {"Over", false, 1},
};

std::vector<WaveSpec> BuiltInSpecs() {
  std::vector<WaveSpec> specs;
  for (const BuiltInWave& b : kBuiltIn) {
    WaveSpec wave{b.name, {}, b.looped, b.maxPlayCount};
    for (const EmbeddedWave& e : EmbeddedWaves())
      if (std::string_view(e.name) == b.name) wave.Data = {e.data, e.size};
    specs.push_back(wave);
  }
  return specs;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

WaveList::WaveList(AudioOut& out, AudioMixer& mixer) : WaveList(out, mixer, BuiltInSpecs()) {}

WaveList::WaveList(AudioOut& out, AudioMixer& mixer, const std::vector<WaveSpec>& specs)
    : out_(out), mixer_(mixer) {
  for (const WaveSpec& wave : specs) {
    WaveItem item;
    item.Name = wave.Name;
    item.Looped = wave.Looped;
    item.MaxPlayCount = wave.MaxPlayCount < 0 ? 0 : wave.MaxPlayCount;
    item.Wave = ParseWave(wave.Data);
    items_.push_back(std::move(item));
  }
}

WaveList::~WaveList() {
  out_.Lock();
  for (WaveItem& item : items_) {
    for (int v : item.Buffers) mixer_.ReleaseVoice(v);
    if (item.LoopBuffer >= 0) mixer_.ReleaseVoice(item.LoopBuffer);
  }
  out_.Unlock();
}

void WaveList::Prepare(bool deviceReady) {
  for (WaveItem& item : items_) item.Prepared = deviceReady;
}

WaveItem& WaveList::ItemAt(int index) {
  if (index < 0 || index >= Count()) {
    char text[64];
    std::snprintf(text, sizeof text, "List index out of bounds (%d)", index);
    throw KlvError(text);
  }
  return items_[size_t(index)];
}

WaveItem& WaveList::Find(std::string_view name) {
  for (WaveItem& item : items_)
    if (SameText(item.Name, name)) return item;
  throw KlvError("Wave '" + std::string(name) + "' not found");
}

void WaveList::StartBuffer(int voice, bool looped) {
  mixer_.StopVoice(voice);
  mixer_.PlayVoice(voice, looped);
}

void WaveList::Play(WaveItem& item) {
  if (!item.Prepared) return;
  out_.Lock();
  if (item.Looped) {
    if (item.LoopBuffer < 0) item.LoopBuffer = mixer_.NewVoice(&item.Wave);
    if (item.LoopBuffer >= 0) StartBuffer(item.LoopBuffer, true);
    out_.Unlock();
    return;
  }
  int voice = -1;
  for (int v : item.Buffers) {
    if (!mixer_.VoicePlaying(v)) {
      voice = v;
      break;
    }
  }
  if (voice < 0) {
    if (item.MaxPlayCount != 0 && int(item.Buffers.size()) >= item.MaxPlayCount) {
      voice = item.Buffers.front();
      item.Buffers.erase(item.Buffers.begin());
      item.Buffers.push_back(voice);
    } else {
      voice = mixer_.NewVoice(&item.Wave);
      if (voice >= 0) item.Buffers.push_back(voice);
    }
  }
  if (voice >= 0) StartBuffer(voice, false);
  out_.Unlock();
}

void WaveList::Stop(WaveItem& item) {
  if (!item.Prepared) return;
  out_.Lock();
  if (item.LoopBuffer >= 0) mixer_.StopVoice(item.LoopBuffer);
  for (int v : item.Buffers) mixer_.StopVoice(v);
  out_.Unlock();
}

}  // namespace klv
