#include "app/module_player.h"

#include <xmp.h>

#include <algorithm>
#include <cstring>

namespace klv {

struct ModulePlayer::Song {
  xmp_context ctx = nullptr;
  bool started = false;  // the player state exists (position kept while stopped)

  ~Song() {
    if (ctx == nullptr) return;
    if (started) xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
  }
};

ModulePlayer::ModulePlayer(AudioOut& out) : out_(out) {
  rate_ = std::clamp(out.SampleRate(), 8000, 48000);
}

ModulePlayer::~ModulePlayer() {
  out_.Lock();
  playing_ = nullptr;
  playingHandle_ = 0;
  out_.Unlock();
}

int ModulePlayer::SongLoadFromFile(const std::string& path) {
  auto song = std::make_unique<Song>();
  song->ctx = xmp_create_context();
  if (song->ctx == nullptr) return 0;
  if (xmp_load_module(song->ctx, const_cast<char*>(path.c_str())) != 0) {
    xmp_free_context(song->ctx);
    song->ctx = nullptr;
    return 0;
  }
  if (nextHandle_ <= 0) nextHandle_ = 1;  // after 2^31 loads
  const int handle = nextHandle_++;
  songs_[handle] = std::move(song);
  return handle;
}

void ModulePlayer::SongPlay(int handle) {
  auto it = songs_.find(handle);
  if (it == songs_.end()) return;
  Song* song = it->second.get();
  if (song == playing_) return;
  if (!song->started) {
    // The song is not sounding, so its player can be set up outside the lock.
    if (xmp_start_player(song->ctx, rate_, 0) != 0) return;
    xmp_set_player(song->ctx, XMP_PLAYER_INTERP, XMP_INTERP_SPLINE);
    song->started = true;
  }
  out_.Lock();
  playing_ = song;
  playingHandle_ = handle;
  out_.Unlock();
}

void ModulePlayer::SongStop(int handle) {
  if (handle == 0 || handle != playingHandle_) return;
  out_.Lock();
  playing_ = nullptr;
  playingHandle_ = 0;
  out_.Unlock();
}

void ModulePlayer::SongFree(int handle) {
  auto it = songs_.find(handle);
  if (it == songs_.end()) return;
  SongStop(handle);
  songs_.erase(it);
}

void ModulePlayer::Render(int16_t* stereo, int frames) {
  if (frames <= 0) return;
  if (playing_ == nullptr ||
      xmp_play_buffer(playing_->ctx, stereo, frames * 2 * int(sizeof(int16_t)), 0) != 0)
    std::memset(stereo, 0, size_t(frames) * 2 * sizeof(int16_t));
}

}  // namespace klv
