// The world-table submission over the network: kept apart from the record's
// encoding so that the rules and the service link without the HTTP client.
#include <chrono>

#include "http/http_client.h"
#include "online/world_table.h"

namespace klv {

namespace {

// An answer that says the score did not go in: an HTTP error status, or a
// body that says so. No answer at all is not a refusal: the score may well
// have arrived.
bool RefusedAnswer(const HttpClient::Result& r) {
  if (r.ok) return r.body.rfind("ERR", 0) == 0;
  return r.failure == HttpFailure::Status;
}

}  // namespace

SubmitOutcome SubmitWorldScore(HttpClient& client, std::string_view base, std::string_view name,
                               uint32_t unmaskedScore, std::string_view addText,
                               std::string_view replay) {
  // The player waits one request's time limit for the whole submission: each
  // request gets what the ones before it left of it.
  struct Deadline {
    HttpClient& client;
    ~Deadline() { client.SetDeadline(std::chrono::steady_clock::time_point::max()); }
  } deadline{client};
  client.SetDeadline(std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(client.Limits().TotalMs));
  SubmitOutcome outcome;
  const HttpClient::Result version = client.Get(VersionQueryUrl(base));
  const VersionAnswer answer = ParseVersionAnswer(version.ok ? version.body : std::string());
  if (!answer.Ok) return outcome;
  outcome.Reached = true;
  const std::string record = BuildScoreRecord(name, unmaskedScore, answer.P, addText);
  const HttpClient::Result score = client.Get(ScoreQueryUrl(base, InfEncode(record)));
  outcome.Refused = RefusedAnswer(score);
  // The proof follows only a score that went in; a failed upload leaves the
  // score in the table, unproven.
  if (!outcome.Refused && score.ok && !replay.empty()) {
    const HttpClient::Result upload = client.Post(ReplayUploadUrl(base, answer.P),
                                                  std::string(replay), "application/octet-stream");
    outcome.ReplayQueued = upload.ok && upload.status == 202;
  }
  return outcome;
}

}  // namespace klv
