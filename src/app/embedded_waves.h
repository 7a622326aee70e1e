#pragma once
// The sound effects carried inside the program: RIFF WAV files made at build
// time, in the order the sound list holds them ("Up", "Poimal", "Level", "Over").

#include <cstddef>
#include <cstdint>
#include <span>

namespace klv {

struct EmbeddedWave {
  const char* name;
  const uint8_t* data;
  size_t size;
};

std::span<const EmbeddedWave> EmbeddedWaves();

}  // namespace klv
