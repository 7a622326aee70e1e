#pragma once
// What the screens see of a world-table submission: a job that runs beside
// the game and hands out its outcome once. The game is given a starter by
// its entry point (the one that links the HTTP client), so that the rules
// and the screens build and replay without any network code.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace klv {

// How a submission ended.
struct SubmitOutcome {
  // The version query was answered with "OK": the service was reached.
  bool Reached = false;
  // The service answered the score request with a refusal (an HTTP error
  // status, or an answer beginning "ERR"): nothing went into the table. A
  // score request that got no answer at all is not counted as refused.
  bool Refused = false;
  // The game's replay was taken for proving (answered 202).
  bool ReplayQueued = false;
  explicit operator bool() const { return Reached; }
};

// One submission: the entered name and added text are code page 1251 bytes;
// `Replay` is the replay file of the game just played ("" when there is none).
struct WorldSubmitRequest {
  std::string Base;
  std::string Name;
  uint32_t Score = 0;  // unmasked
  std::string AddText;
  std::string Replay;
};

class WorldSubmission {
 public:
  virtual ~WorldSubmission() = default;
  // The outcome once the job is done, handed out once; empty while it runs
  // and after it was taken.
  virtual std::optional<SubmitOutcome> TakeResult() = 0;
};

using WorldSubmissionStarter =
    std::function<std::unique_ptr<WorldSubmission>(WorldSubmitRequest request)>;

}  // namespace klv
