// Fuzzes the reading of Config.cfg: any bytes load into a record whose strings
// fit their fields and whose table is sorted, and that record saves and loads
// back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  klv::Config config;
  const bool whole = klv::ConfigFromFileBytes(bytes, config);
  if (whole != (size >= klv::kConfigSize)) std::abort();
  if (config.AddText.size() > klv::kAddTextCapacity ||
      config.GameName.size() > klv::kGameNameCapacity ||
      config.PlayerName.size() > klv::kPlayerNameCapacity ||
      config.Levels.size() > klv::kLevelsCapacity) {
    std::abort();
  }
  for (int i = 0; i < klv::kScoreEntries; ++i) {
    if (config.Scores[i].Name.size() > klv::kScoreNameCapacity) std::abort();
    if (i > 0 && config.Scores[i].Score.Value() > config.Scores[i - 1].Score.Value()) {
      std::abort();
    }
  }

  klv::ConfigImage image = klv::ConfigToImage(config);
  klv::ScrambleNames(image);
  klv::Config again;
  if (!klv::ConfigFromFileBytes(std::vector<uint8_t>(image.begin(), image.end()), again)) {
    std::abort();
  }
  if (!(again == config)) std::abort();
  return 0;
}
