#include "app/module_player.h"

#include <xmp.h>

#include <algorithm>
#include <cstring>

namespace klv {
namespace {

constexpr int kChunk = 256;  // frames rendered per pass on the audio thread's stack

}  // namespace

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
  fadeFrames_ = rate_ / 100;
}

ModulePlayer::~ModulePlayer() {
  out_.Lock();
  playing_ = nullptr;
  fading_ = nullptr;
  tailFading_ = false;
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
  const int gainNow = std::min(fadeIn_, fadeFrames_);  // of the tune sounding now
  int fadeIn = 0;
  if (fading_ == song) {
    // Played again while it fades out: turn the fade around where it is.
    fadeIn = fadeOutLeft_;
    fading_ = nullptr;
  }
  if (playing_ != nullptr) {
    fading_ = playing_;  // an older fade still running is cut short
    fadeOutLeft_ = gainNow;
    tailFading_ = false;
  }
  playing_ = song;
  fadeIn_ = fadeIn;
  playingHandle_ = handle;
  out_.Unlock();
}

void ModulePlayer::SongStop(int handle) {
  if (handle == 0 || handle != playingHandle_) return;
  out_.Lock();
  fading_ = playing_;
  fadeOutLeft_ = std::min(fadeIn_, fadeFrames_);  // from the gain it has reached
  tailFading_ = false;
  playing_ = nullptr;
  playingHandle_ = 0;
  out_.Unlock();
}

void ModulePlayer::SongFree(int handle) {
  auto it = songs_.find(handle);
  if (it == songs_.end()) return;
  SongStop(handle);
  std::unique_ptr<Song> song = std::move(it->second);
  songs_.erase(it);
  out_.Lock();
  if (fading_ == song.get()) {
    // What is left of its fade is at most 10 ms: render it now, from where
    // the device has got to, and play the fade from that.
    const int frames = std::clamp(fadeOutLeft_, 0, kMaxFadeFrames);
    if (frames > 0) RenderSong(song.get(), tail_.data(), frames);
    fadeOutLeft_ = frames;
    tailPos_ = 0;
    tailFading_ = frames > 0;
    fading_ = nullptr;
  }
  out_.Unlock();
  // The song is released here, outside the lock: the device no longer sees it.
}

void ModulePlayer::RenderSong(Song* song, int16_t* out, int frames) {
  if (xmp_play_buffer(song->ctx, out, frames * 2 * int(sizeof(int16_t)), 0) != 0)
    std::memset(out, 0, size_t(frames) * 2 * sizeof(int16_t));
}

void ModulePlayer::Render(int16_t* stereo, int frames) {
  int16_t fade[2 * kChunk];
  while (frames > 0) {
    const int n = std::min(frames, kChunk);
    if (playing_ != nullptr) {
      RenderSong(playing_, stereo, n);
      for (int i = 0; i < n && fadeIn_ < fadeFrames_; ++i, ++fadeIn_) {
        stereo[2 * i] = int16_t(stereo[2 * i] * fadeIn_ / fadeFrames_);
        stereo[2 * i + 1] = int16_t(stereo[2 * i + 1] * fadeIn_ / fadeFrames_);
      }
    } else {
      std::memset(stereo, 0, size_t(n) * 2 * sizeof(int16_t));
    }
    if (fading_ != nullptr || tailFading_) {
      const int16_t* from = fade;
      if (fading_ != nullptr)
        RenderSong(fading_, fade, n);
      else
        from = tail_.data() + 2 * tailPos_;  // fadeOutLeft_ frames of it are left
      int i = 0;
      for (; i < n && fadeOutLeft_ > 0; ++i, --fadeOutLeft_) {
        const int l = stereo[2 * i] + from[2 * i] * fadeOutLeft_ / fadeFrames_;
        const int r = stereo[2 * i + 1] + from[2 * i + 1] * fadeOutLeft_ / fadeFrames_;
        stereo[2 * i] = int16_t(std::clamp(l, -32768, 32767));
        stereo[2 * i + 1] = int16_t(std::clamp(r, -32768, 32767));
      }
      if (fading_ == nullptr) tailPos_ += i;
      if (fadeOutLeft_ <= 0) {
        fading_ = nullptr;
        tailFading_ = false;
      }
    }
    stereo += 2 * n;
    frames -= n;
  }
}

}  // namespace klv
