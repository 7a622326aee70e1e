#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "http/http_client.h"
#include "online/world_table.h"
#include "score_server.h"
#include "score_service.h"
#include "score_store.h"

namespace klv::scores {
namespace {

// Counts score answers that were not "stored".
class CheckingClient : public HttpClient {
 public:
  explicit CheckingClient(std::atomic<int>& refused) : refused_(refused) {}
  Result Get(const std::string& url) override {
    Result r = HttpClient::Get(url);
    if (url.find("?hs&") != std::string::npos && (!r.ok || r.body != "OK|stored|")) ++refused_;
    return r;
  }

 private:
  std::atomic<int>& refused_;
};

// 50 clients at once, each submitting its share of 2,000 scores the way the
// game does (version query, then the record): every score is stored once.
TEST(ScoreServiceLoad, FiftyClientsTwoThousandSubmissions) {
  constexpr int kClients = 50;
  constexpr int kEach = 40;
  const auto dir =
      std::filesystem::temp_directory_path() / ("klv-scores-load-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    ScoreStore store((dir / "scores.db").string());
    ScoreService service(store);
    ScoreServer server(service);
    ScoreServer::Options o;
    o.Port = 0;
    const int port = server.Start(o);
    ASSERT_GT(port, 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    std::atomic<int> unreachable{0};
    std::atomic<int> refused{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        CheckingClient client(refused);
        for (int i = 0; i < kEach; ++i) {
          const std::string name = "c" + std::to_string(c) + "n" + std::to_string(i);
          if (!SubmitWorldScore(client, base, name, static_cast<uint32_t>(c * 1000 + i), "load")) {
            ++unreachable;
          }
        }
      });
    }
    for (std::thread& t : clients) t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("seconds", std::to_string(seconds));
    std::printf("2000 submissions from 50 clients in %.2f s\n", seconds);

    EXPECT_EQ(unreachable.load(), 0);
    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(store.Count(), kClients * kEach);
    const std::vector<StoredScore> all = store.Best(kClients * kEach + 10);
    std::set<std::string> names;
    for (const StoredScore& s : all) names.insert(s.Name);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kClients * kEach));
    EXPECT_TRUE(names.count("c0n0") && names.count("c49n39"));
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace klv::scores
