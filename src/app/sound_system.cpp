#include "app/sound_system.h"

#include <utility>

#include "platform/audio_out.h"

namespace klv {
namespace {

constexpr const char* kMenuTune = "Sound/1.xm";
constexpr const char* kPlayTune = "Sound/2.xm";
constexpr const char* kCantLoad = "Can't load music.";
constexpr const char* kCantLoadRu = "Не могу загрузить музыку";

}  // namespace

SoundSystem::SoundSystem(AudioOut& out, std::string appDir)
    : out_(out),
      appDir_(std::move(appDir)),
      mixer_(out.SampleRate()),
      music_(out),
      waves_(out, mixer_) {
  if (!appDir_.empty() && appDir_.back() != '/') appDir_ += '/';
  mixer_.SetMusic(&music_);
  deviceReady_ = out_.Start(&mixer_);
  waves_.Prepare(deviceReady_);
}

SoundSystem::~SoundSystem() {
  // The device must not pull from the mixer once it is gone.
  if (deviceReady_) out_.Start(nullptr);
}

void SoundSystem::SetMessageHandler(std::function<void(const std::string& utf8)> handler) {
  onMessage_ = std::move(handler);
}

void SoundSystem::Message(const std::string& text) {
  if (onMessage_) onMessage_(text);
}

bool SoundSystem::LoadAndPlay(const char* file) {
  const int handle = music_.SongLoadFromFile(appDir_ + file);
  const int previous = musicHandle_;
  musicHandle_ = handle;
  if (handle == 0) {
    // The tune loaded before can no longer be reached to stop it: silence it
    // now rather than leave it sounding with music switched off.
    if (previous != 0) {
      music_.SongFree(previous);
      out_.Note("music none");
    }
    musicFile_.clear();
    return false;
  }
  music_.SongPlay(handle);
  if (previous != 0) music_.SongFree(previous);
  musicFile_ = file;
  out_.Note(std::string("music ") + file);
  return true;
}

bool SoundSystem::StartMusic(uint8_t& musicFlag, const char* file, const char* failText) {
  if (musicFlag == 0) return false;
  if (LoadAndPlay(file)) return true;
  Message(failText);
  musicFlag = 0;
  return false;
}

bool SoundSystem::StartMenuMusic(uint8_t& musicFlag) {
  return StartMusic(musicFlag, kMenuTune, kCantLoad);
}

bool SoundSystem::StartPlayMusic(uint8_t& musicFlag) {
  return StartMusic(musicFlag, kPlayTune, kCantLoad);
}

void SoundSystem::ResumeMusic(uint8_t& musicFlag) {
  if (musicFlag == 0) return;
  if (musicHandle_ != 0) {
    if (music_.PlayingSong() != musicHandle_) {
      music_.SongPlay(musicHandle_);
      out_.Note("music " + musicFile_);
    }
    return;
  }
  StartMusic(musicFlag, kMenuTune, kCantLoadRu);
}

void SoundSystem::StopMusic() {
  if (musicHandle_ == 0) return;
  if (music_.PlayingSong() == musicHandle_) out_.Note("music none");
  music_.SongStop(musicHandle_);
}

void SoundSystem::MusicOff() {
  StopMusic();
}

void SoundSystem::StopMusicOnDeactivate() {
  StopMusic();
}

void SoundSystem::SilenceAll() {
  for (int i = 0; i < waves_.Count(); ++i) {
    WaveItem& item = waves_.ItemAt(i);
    waves_.Stop(item);
    out_.Note("stop " + item.Name);
  }
}

void SoundSystem::PlayEffect(const char* name) {
  WaveItem& item = waves_.Find(name);
  waves_.Play(item);
  out_.Note("sound " + item.Name);
}

void SoundSystem::StopEffect(const char* name) {
  WaveItem& item = waves_.Find(name);
  waves_.Stop(item);
  out_.Note("stop " + item.Name);
}

}  // namespace klv
