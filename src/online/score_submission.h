#pragma once
// One world-table submission running on a worker thread, so that the game's
// frames go on ("Пожалуйста ждите...") while the requests are under way.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace klv {

class HttpClient;

class ScoreSubmission {
 public:
  // Starts SubmitWorldScore at once and returns without waiting. Name and
  // added text are code page 1251 bytes.
  ScoreSubmission(std::unique_ptr<HttpClient> client, std::string base, std::string name,
                  uint32_t unmaskedScore, std::string addText);
  // Cancels a request still in flight and joins the worker (at most about a
  // second's wait).
  ~ScoreSubmission();
  ScoreSubmission(const ScoreSubmission&) = delete;
  ScoreSubmission& operator=(const ScoreSubmission&) = delete;

  bool Running() const { return !done_.load(std::memory_order_acquire); }
  // The outcome once the worker is done (true: the service was reached),
  // handed out once; empty while running and after it was taken.
  std::optional<bool> TakeResult();

 private:
  std::unique_ptr<HttpClient> client_;
  std::atomic<bool> done_{false};
  bool result_ = false;  // written by the worker before done_ is set
  bool taken_ = false;
  std::thread worker_;
};

}  // namespace klv
