#pragma once
// Plays tracker modules (XM and the other formats libxmp reads) as the game's
// music. One tune sounds at a time: playing a tune silences the one that was
// sounding, which keeps its position. Tunes loop forever. The PCM is decoded
// on the audio thread, inside Render, at the device's rate. Every start, stop
// and change of tune fades over 10 ms, so none of them clicks.
//
// Built on libxmp: a small, long-maintained C library in Debian that reads XM
// faithfully, renders straight into the caller's buffer at any rate without
// threads or allocation while playing, and loops a module by itself.
// libopenmpt would do as well but brings a larger C++ runtime for formats the
// game never uses.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/audio_out.h"

namespace klv {

class ModulePlayer : public AudioSource {
 public:
  // Uses the output's rate and holds its lock while the playing tune changes.
  explicit ModulePlayer(AudioOut& out);
  ~ModulePlayer() override;
  ModulePlayer(const ModulePlayer&) = delete;
  ModulePlayer& operator=(const ModulePlayer&) = delete;

  // A non-zero handle, or 0 when the file cannot be loaded.
  int SongLoadFromFile(const std::string& path);
  // Starts the tune from its stopped place (the beginning when fresh);
  // nothing happens for an unknown handle or a tune already playing.
  void SongPlay(int handle);
  // Silences the tune; a later SongPlay of the same handle plays it again.
  void SongStop(int handle);
  // Forgets a tune and releases its memory at once; its handle is no longer
  // valid. A tune still fading out ends its fade from a few milliseconds
  // rendered ahead, so letting it go never waits for the device.
  void SongFree(int handle);

  int PlayingSong() const { return playingHandle_; }
  int SongCount() const { return int(songs_.size()); }

  // Audio thread: the sounding tune, or silence.
  void Render(int16_t* stereo, int frames) override;

 private:
  struct Song;

  static void RenderSong(Song* song, int16_t* out, int frames);
  // The longest fade: 10 ms at the highest rate the player runs at.
  static constexpr int kMaxFadeFrames = 48000 / 100;

  AudioOut& out_;
  int rate_;
  int fadeFrames_;
  int nextHandle_ = 1;
  std::map<int, std::unique_ptr<Song>> songs_;
  int playingHandle_ = 0;
  // Shared with the audio thread; changed under out_.Lock().
  Song* playing_ = nullptr;
  int fadeIn_ = 0;          // frames of the fade-in done
  Song* fading_ = nullptr;  // a kept tune fading out, if any
  int fadeOutLeft_ = 0;     // frames of the fade-out still to go
  // A freed tune's fade-out: its next frames, rendered when it was freed.
  bool tailFading_ = false;
  int tailPos_ = 0;  // frames of the tail already played
  std::array<int16_t, 2 * kMaxFadeFrames> tail_{};
};

}  // namespace klv
