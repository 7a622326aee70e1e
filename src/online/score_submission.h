#pragma once
// One world-table submission running on a worker thread, so that the game's
// frames go on ("Пожалуйста ждите...") while the requests are under way.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "online/world_submission.h"

namespace klv {

class HttpClient;

class ScoreSubmission : public WorldSubmission {
 public:
  // Starts SubmitWorldScore at once and returns without waiting. Name and
  // added text are code page 1251 bytes; `replay` is uploaded after the
  // score when it is not empty.
  ScoreSubmission(std::unique_ptr<HttpClient> client, std::string base, std::string name,
                  uint32_t unmaskedScore, std::string addText, std::string replay = {});
  // Cancels a request still in flight and joins the worker (at most about a
  // second's wait).
  ~ScoreSubmission() override;
  ScoreSubmission(const ScoreSubmission&) = delete;
  ScoreSubmission& operator=(const ScoreSubmission&) = delete;

  bool Running() const { return !done_.load(std::memory_order_acquire); }
  std::optional<SubmitOutcome> TakeResult() override;

 private:
  std::unique_ptr<HttpClient> client_;
  std::atomic<bool> done_{false};
  SubmitOutcome result_;  // written by the worker before done_ is set
  bool taken_ = false;
  std::thread worker_;
};

// The game's starter: each submission on a fresh HTTP client of the game's
// limits.
WorldSubmissionStarter HttpSubmissionStarter();

}  // namespace klv
