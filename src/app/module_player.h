#pragma once
// Plays tracker modules (XM and the other formats libxmp reads) as the game's
// music. One tune sounds at a time: playing a tune silences the one that was
// sounding, which keeps its position. Tunes loop forever. The PCM is decoded
// on the audio thread, inside Render, at the device's rate.
//
// Built on libxmp: a small, long-maintained C library in Debian that reads XM
// faithfully, renders straight into the caller's buffer at any rate without
// threads or allocation while playing, and loops a module by itself.
// libopenmpt would do as well but brings a larger C++ runtime for formats the
// game never uses.

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
  // Forgets a tune; its handle is no longer valid.
  void SongFree(int handle);

  int PlayingSong() const { return playingHandle_; }
  int SongCount() const { return int(songs_.size()); }

  // Audio thread: the sounding tune, or silence.
  void Render(int16_t* stereo, int frames) override;

 private:
  struct Song;

  AudioOut& out_;
  int rate_;
  int nextHandle_ = 1;
  std::map<int, std::unique_ptr<Song>> songs_;
  Song* playing_ = nullptr;  // read by Render; changed under out_.Lock()
  int playingHandle_ = 0;
};

}  // namespace klv
