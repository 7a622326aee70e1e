#pragma once
// The game's music and sound effects as the shell uses them: the menu and play
// tunes with their failure messages, and the four effects of WaveList1.
//
// One tune sounds at a time: starting a newly loaded tune silences and forgets
// the one loaded before it (only the latest handle is ever played again).
// PlayEffect does not look at the Sound setting: the caller plays an effect
// only while Sound is on, because some stops apply regardless of it.
// Every operation also tells the output what it asked to sound ("sound Up",
// "stop Up", "music Sound/1.xm", "music none") so the headless platform can
// record it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/audio_mixer.h"
#include "app/module_player.h"
#include "app/wave_list.h"

namespace klv {

class AudioOut;

class SoundSystem {
 public:
  // appDir: the game's folder; tunes are read from appDir + "Sound/1.xm" and
  // "Sound/2.xm". Starts the output; without a device everything is silent.
  // The output must outlive the sound system, which detaches from it with
  // Start(nullptr) when it goes.
  SoundSystem(AudioOut& out, std::string appDir);
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  // Shows a modal message box with the text.
  void SetMessageHandler(std::function<void(const std::string& utf8)> handler);

  // At start-up, game end and return from the name entry / at game start.
  // While musicFlag is on: loads the tune and plays it; when it can't be
  // loaded shows "Can't load music." and sets musicFlag := 0. True when the
  // tune plays.
  bool StartMenuMusic(uint8_t& musicFlag);
  bool StartPlayMusic(uint8_t& musicFlag);
  // On activation and on music-on: while musicFlag is on plays the tune loaded
  // last, or loads the menu tune when there is none; when that fails shows
  // "Не могу загрузить музыку" and sets musicFlag := 0.
  void ResumeMusic(uint8_t& musicFlag);
  // On music-off (the caller clears the flag) and on deactivation (whatever
  // the flag says): stops the tune, keeping it for ResumeMusic.
  void MusicOff();
  void StopMusicOnDeactivate();

  // Stops every effect, in list order.
  void SilenceAll();
  // Plays / stops the named effect (case-insensitive; an unknown name raises
  // KlvError("Wave '%s' not found")).
  void PlayEffect(const char* name);
  void StopEffect(const char* name);

  int MusicHandle() const { return musicHandle_; }
  bool DeviceReady() const { return deviceReady_; }
  ModulePlayer& Music() { return music_; }
  WaveList& WaveList1() { return waves_; }

 private:
  bool StartMusic(uint8_t& musicFlag, const char* file, const char* failText);
  bool LoadAndPlay(const char* file);
  void StopMusic();
  void Message(const std::string& text);

  AudioOut& out_;
  std::string appDir_;
  std::function<void(const std::string&)> onMessage_;
  AudioMixer mixer_;
  ModulePlayer music_;
  WaveList waves_;
  bool deviceReady_ = false;
  int musicHandle_ = 0;
  std::string musicFile_;  // relative name of the tune of musicHandle_
};

}  // namespace klv
