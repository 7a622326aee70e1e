#pragma once
// A recorded game as a file: what a replay needs to start the game exactly as
// it started (generator, clock, frame phase, the settings that change play),
// the input stream the platform delivered, and what the game ended with.
// The file is zlib-compressed behind a small fixed header and checked by a
// CRC-32; docs/replay-format.md describes it byte by byte. Every file is read
// as if a stranger made it: sizes, counts and lengths are bounded before
// anything is allocated, and any fault is a ReplayError saying what is wrong.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace klv {

class ReplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bounds on what a replay may hold. A game is at most three hours of play.
constexpr uint16_t kReplayFormatVersion = 1;
constexpr size_t kReplayMaxFileBytes = 256 * 1024;
constexpr size_t kReplayMaxBodyBytes = 4 * 1024 * 1024;
constexpr uint32_t kReplayMaxGameMs = 3 * 60 * 60 * 1000;
constexpr uint32_t kReplayMaxFrames = kReplayMaxGameMs / 10;
constexpr size_t kReplayMaxVersionBytes = 32;
constexpr size_t kReplayMaxNameBytes = 12;
constexpr size_t kReplayHeaderBytes = 20;

// The settings that change play, one bit each.
enum ReplaySettings : uint8_t {
  kReplayMusic = 1,
  kReplaySound = 2,
  kReplayWindowed = 4,
};

// How the game stood when the recorded game began.
struct ReplayStart {
  uint64_t RngState = 1;         // the generator's state word
  uint64_t ClockUs = 0;          // the platform clock when the game started
  uint64_t FrameLastTickUs = 0;  // when the frame timer last ticked (its phase)
  uint16_t FrameIntervalMs = 16;
  uint8_t FrameCounter = 0;  // the 8-bit frame counter, wrapping
  uint8_t Settings = 0;      // ReplaySettings bits
  bool FrameActive = true;   // whether frames ran (the window had the focus)
  bool operator==(const ReplayStart&) const = default;
};

// How the game ended.
struct ReplayResult {
  uint32_t Score = 0;  // plain, not masked
  uint16_t Level = 0;
  std::string Name;     // code page 1251, at most kReplayMaxNameBytes; empty when none was asked
  uint32_t Frames = 0;  // frames run from the start to the end
  uint32_t GameMs = 0;  // platform time from the start to the end
  bool operator==(const ReplayResult&) const = default;
};

struct ReplayFile {
  std::string GameVersion;
  ReplayStart Start;
  std::vector<uint8_t> Input;  // the input stream (see replay_stream.h)
  ReplayResult Result;
  bool operator==(const ReplayFile&) const = default;
};

// The file's bytes. Throws ReplayError when the replay exceeds a bound.
std::vector<uint8_t> EncodeReplay(const ReplayFile& replay);
// Reads a file's bytes; throws ReplayError with a clear reason (truncated,
// damaged, too big, another format version, impossible values).
ReplayFile DecodeReplay(const uint8_t* data, size_t size);
inline ReplayFile DecodeReplay(const std::vector<uint8_t>& bytes) {
  return DecodeReplay(bytes.data(), bytes.size());
}

// Whole files; both throw ReplayError naming the file.
ReplayFile ReadReplayFile(const std::string& path);
void WriteReplayFile(const std::string& path, const ReplayFile& replay);

}  // namespace klv
