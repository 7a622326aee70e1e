#include "app/wave_file.h"

#include <cstring>

#include "engine/errors.h"

namespace klv {
namespace {

[[noreturn]] void Invalid() {
  throw DataError("Invalid wave data");
}

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
  return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace

WaveFile ParseWave(std::span<const uint8_t> riff) {
  if (riff.size() < 12 || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
      std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
    Invalid();
  WaveFile wave;
  bool haveFormat = false;
  size_t pos = 12;
  while (pos + 8 <= riff.size()) {
    const uint8_t* chunk = riff.data() + pos;
    uint32_t size = Le32(chunk + 4);
    if (size > riff.size() - pos - 8) Invalid();
    const uint8_t* body = chunk + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) Invalid();
      uint16_t format = Le16(body);
      wave.Channels = Le16(body + 2);
      uint32_t rate = Le32(body + 4);
      wave.Bits = Le16(body + 14);
      if (format != 1 || (wave.Channels != 1 && wave.Channels != 2) ||
          (wave.Bits != 8 && wave.Bits != 16) || rate < 1000 || rate > 192000)
        Invalid();
      wave.Rate = int(rate);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) Invalid();
      size_t bytesPerFrame = size_t(wave.Channels) * (wave.Bits / 8);
      size_t frames = size / bytesPerFrame;
      if (frames > 0x7fffffff / 2) Invalid();
      wave.Frames = int(frames);
      wave.Samples.resize(frames * wave.Channels);
      for (size_t i = 0; i < wave.Samples.size(); ++i) {
        if (wave.Bits == 8)
          wave.Samples[i] = int16_t((int(body[i]) - 128) * 256);
        else
          wave.Samples[i] = int16_t(Le16(body + 2 * i));
      }
      return wave;
    }
    pos += 8 + size + (size & 1);
  }
  Invalid();
}

}  // namespace klv
