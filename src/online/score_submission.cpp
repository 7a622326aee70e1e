#include "online/score_submission.h"

#include "http/http_client.h"
#include "online/world_table.h"

namespace klv {

ScoreSubmission::ScoreSubmission(std::unique_ptr<HttpClient> client, std::string base,
                                 std::string name, uint32_t unmaskedScore, std::string addText,
                                 std::string replay)
    : client_(client ? std::move(client) : std::make_unique<HttpClient>()) {
  worker_ = std::thread([this, base = std::move(base), name = std::move(name), unmaskedScore,
                         addText = std::move(addText), replay = std::move(replay)] {
    result_ = SubmitWorldScore(*client_, base, name, unmaskedScore, addText, replay);
    done_.store(true, std::memory_order_release);
  });
}

ScoreSubmission::~ScoreSubmission() {
  if (!done_.load(std::memory_order_acquire)) client_->Cancel();
  if (worker_.joinable()) worker_.join();
}

std::optional<SubmitOutcome> ScoreSubmission::TakeResult() {
  if (!done_.load(std::memory_order_acquire) || taken_) return std::nullopt;
  taken_ = true;
  return result_;
}

WorldSubmissionStarter HttpSubmissionStarter() {
  return [](WorldSubmitRequest r) -> std::unique_ptr<WorldSubmission> {
    return std::make_unique<ScoreSubmission>(std::make_unique<HttpClient>(), std::move(r.Base),
                                             std::move(r.Name), r.Score, std::move(r.AddText),
                                             std::move(r.Replay));
  };
}

}  // namespace klv
