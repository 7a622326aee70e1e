// klevaria-replay-hash: plays a recorded game again headless and prints how it
// ended with the hash of every picture on the way, so that two builds (an
// optimised one and the sanitizer one) can be shown to play it the same.
#include <cstdio>
#include <exception>
#include <string>

#include "app/replay_runner.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: klevaria-replay-hash GAME_DIR FILE\n");
    return 2;
  }
  try {
    std::string appDir = argv[1];
    if (appDir.empty() || appDir.back() != '/') appDir += '/';
    const klv::ReplayFile replay = klv::ReadReplayFile(argv[2]);
    const klv::ReplayOutcome got = klv::RunReplay(replay, appDir, true);
    std::printf("score %u level %u frames %u trail %016llx matches %d\n", unsigned(got.Score),
                unsigned(got.Level), unsigned(got.Frames),
                static_cast<unsigned long long>(got.FrameTrail),
                got.Matches(replay.Result) ? 1 : 0);
    return got.Matches(replay.Result) ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "klevaria-replay-hash: %s\n", e.what());
    return 1;
  }
}
