#pragma once
// A sound effect decoded from its RIFF WAV data: 16-bit samples at the
// recording's own rate, interleaved when it has two channels.

#include <cstdint>
#include <span>
#include <vector>

namespace klv {

struct WaveFile {
  int Channels = 0;              // 1 or 2
  int Rate = 0;                  // frames per second
  int Bits = 0;                  // as stored: 8 or 16
  int Frames = 0;                // samples per channel
  std::vector<int16_t> Samples;  // Frames * Channels, 8-bit data widened

  double Seconds() const { return Rate > 0 ? double(Frames) / Rate : 0.0; }
};

// Reads PCM RIFF WAV data (format 1, 1 or 2 channels, 8 or 16 bits, 1000 to
// 192000 Hz). Damaged or unsupported data raises DataError("Invalid wave data").
WaveFile ParseWave(std::span<const uint8_t> riff);

}  // namespace klv
