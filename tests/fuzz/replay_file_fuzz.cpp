// Fuzzes the reading of replay files: any bytes are either refused with a
// ReplayError or read into a replay within every bound, which writes and
// reads back unchanged; its input stream reads record by record to its end
// or to a ReplayError.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "replay/input_log.h"
#include "replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  klv::ReplayFile replay;
  try {
    replay = klv::DecodeReplay(data, size);
  } catch (const klv::ReplayError&) {
    return 0;
  }
  if (replay.Result.Name.size() > klv::kReplayMaxNameBytes ||
      replay.Result.Frames > klv::kReplayMaxFrames ||
      replay.Result.GameMs > klv::kReplayMaxGameMs ||
      replay.Input.size() > klv::kReplayMaxBodyBytes)
    std::abort();
  if (!(klv::DecodeReplay(klv::EncodeReplay(replay)) == replay)) std::abort();
  klv::InputLogReader reader(replay.Input.data(), replay.Input.size());
  try {
    // Every record takes at least its tag byte, so this ends.
    while (!reader.AtEnd()) {
      const klv::InputRecord r = reader.Next();
      if (r.Text.size() > klv::kInputMaxText || r.Toggled.size() > 256) std::abort();
    }
  } catch (const klv::ReplayError&) {
  }
  return 0;
}
