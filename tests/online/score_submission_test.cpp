#include "online/score_submission.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "http/http_client.h"
#include "http/loopback_server.h"

namespace klv {
namespace {

// Each Get waits until the test opens the gate (or the client is cancelled).
class GatedClient : public HttpClient {
 public:
  struct Shared {
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    bool cancelled = false;
    int calls = 0;
  };
  explicit GatedClient(Shared& s, std::string version) : s_(s), version_(std::move(version)) {}
  Result Get(const std::string&) override {
    std::unique_lock<std::mutex> lock(s_.m);
    ++s_.calls;
    s_.cv.notify_all();
    s_.cv.wait(lock, [&] { return s_.open || s_.cancelled; });
    if (s_.cancelled) return Result{false, "", "cancelled", HttpFailure::Cancelled, 0};
    return Result{true, s_.calls == 1 ? version_ : "OK", "", HttpFailure::None, 200};
  }
  void Cancel() override {
    std::lock_guard<std::mutex> lock(s_.m);
    s_.cancelled = true;
    s_.cv.notify_all();
  }

 private:
  Shared& s_;
  std::string version_;
};

// Whether the service was reached, once the submission is done.
std::optional<bool> WaitForResult(ScoreSubmission& s) {
  while (s.Running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const std::optional<SubmitOutcome> r = s.TakeResult();
  if (!r) return std::nullopt;
  return r->Reached;
}

TEST(ScoreSubmission, RunsBesideTheCallerAndHandsOutItsResultOnce) {
  for (const bool reachable : {true, false}) {
    GatedClient::Shared shared;
    ScoreSubmission s(std::make_unique<GatedClient>(shared, reachable ? "OK|1|2|3|t|" : "down"),
                      "http://127.0.0.1:1", "Bob", 100, "");
    {
      // The request is under way and held: the caller is free meanwhile.
      std::unique_lock<std::mutex> lock(shared.m);
      shared.cv.wait(lock, [&] { return shared.calls == 1; });
    }
    EXPECT_TRUE(s.Running());
    EXPECT_FALSE(s.TakeResult().has_value());
    {
      std::lock_guard<std::mutex> lock(shared.m);
      shared.open = true;
      shared.cv.notify_all();
    }
    EXPECT_EQ(WaitForResult(s), std::optional<bool>(reachable));
    EXPECT_FALSE(s.TakeResult().has_value());
    EXPECT_EQ(shared.calls, reachable ? 2 : 1);
  }
}

TEST(ScoreSubmission, DestroyedWhileWaitingCancelsTheRequest) {
  GatedClient::Shared shared;
  {
    ScoreSubmission s(std::make_unique<GatedClient>(shared, "OK|1|2|3|t|"), "http://127.0.0.1:1",
                      "Bob", 100, "");
    std::unique_lock<std::mutex> lock(shared.m);
    shared.cv.wait(lock, [&] { return shared.calls == 1; });
  }
  // Leaving the scope joined the worker after cancelling; no score request went out.
  EXPECT_TRUE(shared.cancelled);
  EXPECT_EQ(shared.calls, 1);
}

// A server that answers the version request just in time, a byte every
// 220 ms, and then trickles the score answer (or, once the score is taken,
// the replay upload's) for ever: the requests share one deadline, so the
// player waits one request's limit, not two or three.
TEST(ScoreSubmission, AllRequestsEndWithinOneDeadline) {
  using namespace std::chrono_literals;
  for (const bool scoreTaken : {false, true}) {
    SCOPED_TRACE(scoreTaken ? "the upload trickles" : "the score answer trickles");
    test::LoopbackServer server(
        [scoreTaken](test::LoopbackServer& s, int fd, const std::string& head) {
          if (head.find("?version&") != std::string::npos) {
            const std::string body = "OK|1|2|3|t|";
            test::LoopbackServer::SendAll(
                fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\nOK");
            for (size_t i = 2; i < body.size(); ++i) {
              if (!s.Pause(220ms) || !test::LoopbackServer::SendAll(fd, body.substr(i, 1))) return;
            }
            return;
          }
          if (scoreTaken && head.find("?hs&") != std::string::npos) {
            test::LoopbackServer::SendAll(fd, test::LoopbackServer::Answer(200, "OK|stored|"));
            return;
          }
          test::LoopbackServer::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
          while (s.Pause(200ms) && test::LoopbackServer::SendAll(fd, "O")) {
          }
        });
    HttpLimits limits;
    limits.ConnectMs = 1000;
    limits.TotalMs = 3000;  // the version answer takes about 2 s of it
    limits.StallMs = 1000;

    const auto start = std::chrono::steady_clock::now();
    ScoreSubmission s(std::make_unique<HttpClient>(limits), server.Base(), "Bob", 100, "",
                      "replay bytes");
    const std::optional<bool> result = WaitForResult(s);
    const auto took = std::chrono::steady_clock::now() - start;
    server.Stop();

    EXPECT_EQ(result, std::optional<bool>(true));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), scoreTaken ? 3u : 2u);
    EXPECT_NE(requests[1].find("?hs&prg=Marlowfin&inf="), std::string::npos) << requests[1];
    if (scoreTaken) {
      EXPECT_NE(requests[2].find("POST /cgi/replay.pl?prg=Marlowfin&p=t "), std::string::npos)
          << requests[2];
    }
    // One request after the other, each with 3 s, would take 5 s or more.
    EXPECT_LT(took, 4000ms);
  }
}

}  // namespace
}  // namespace klv
