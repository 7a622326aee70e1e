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
#include "score_test_store.h"
#include "siege.h"

namespace klv::scores {
namespace {

// Many requests come from a test's one address: the limits have tests of their own.
ServiceOptions NoRateLimit() {
  ServiceOptions o;
  o.RatePerMinute = 0;
  return o;
}

namespace fs = std::filesystem;

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

fs::path WorkDir(const char* what) {
  const fs::path dir =
      fs::temp_directory_path() / ("klv-" + std::string(what) + "-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// 50 clients at once, each submitting its share of 2,000 scores through the
// game's own client (version query, then the record): every score is stored
// once.
TEST(ScoreServiceLoad, FiftyClientsTwoThousandSubmissions) {
  constexpr int kClients = 50;
  constexpr int kEach = 40;
  const fs::path dir = WorkDir("scores-load");
  {
    const std::string where = FreshDatabase(dir);
    ASSERT_FALSE(where.empty());
    auto store = OpenScoreStore(where, 5);
    // All the clients share the test's one address: no per-address limit.
    ScoreService service(*store, {}, NoRateLimit());
    ScoreServer server(service);
    ScoreServer::Options o;
    o.Port = 0;
    o.MaxPerAddress = 0;
    const int port = server.Start(o);
    ASSERT_GT(port, 0) << server.Error();
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
          if (!SubmitWorldScore(client, base, name, static_cast<uint32_t>(c * 1000 + i * 5),
                                "load")) {
            ++unreachable;
          }
        }
      });
    }
    for (std::thread& t : clients) t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("2000 submissions from 50 clients in %.2f s\n", seconds);

    EXPECT_EQ(unreachable.load(), 0);
    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(store->Count(), kClients * kEach);
    const std::vector<StoredScore> all = store->Best(kClients * kEach + 10);
    std::set<std::string> names;
    for (const StoredScore& s : all) names.insert(s.Name);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kClients * kEach));
    EXPECT_TRUE(names.count("c0n0") && names.count("c49n39"));
  }
  fs::remove_all(dir);
}

// Two service processes on one database, as behind a load balancer: a burst
// spread over both, each token fetched from one and spent at the other, and
// every score on both pages.
TEST(ScoreServiceLoad, TwoServicesShareOneDatabase) {
  const fs::path dir = WorkDir("scores-pair");
  {
    const std::string where = FreshDatabase(dir);
    ASSERT_FALSE(where.empty());
    const std::string binary = std::string(KLV_BIN_DIR) + "/klevaria-scores";
    siege::ServiceProcess a, b;
    std::string error;
    ASSERT_TRUE(a.Start(binary, {"--db", where}, &error)) << error;
    ASSERT_TRUE(b.Start(binary, {"--db", where}, &error)) << error;

    const siege::BurstResult burst = siege::Burst({a.Port(), b.Port()}, 20, 5, "p");
    EXPECT_EQ(burst.Acknowledged, 100);
    EXPECT_EQ(burst.Failed, 0);
    for (const int port : {a.Port(), b.Port()}) {
      const siege::Reply page = siege::Request(port, "/cgi/version.pl?prg=Marlowfin&show&type=0");
      ASSERT_EQ(page.Status, 200);
      int missing = 0;
      for (const std::string& name : burst.Names)
        if (page.Body.find("<td class=\"name\">" + name + "</td>") == std::string::npos) ++missing;
      EXPECT_EQ(missing, 0) << "on the page of port " << port;
      EXPECT_EQ(page.Body.find("<td class=\"rank\">101</td>"), std::string::npos);
    }
    // A token is good once in all: spent at one service, refused at the other.
    const siege::Reply v = siege::Request(a.Port(), "/cgi/version.pl?version&prg=Marlowfin");
    const std::string inf =
        InfEncode(BuildScoreRecord("Twice", 50, ParseVersionAnswer(v.Body).P, ""));
    const std::string target = "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf;
    EXPECT_EQ(siege::Request(b.Port(), target).Status, 200);
    EXPECT_EQ(siege::Request(a.Port(), target).Status, 403);

    EXPECT_LT(a.Terminate(), 3.0);
    EXPECT_LT(b.Terminate(), 3.0);
    EXPECT_EQ(a.ExitStatus(), 0) << a.Output();
    EXPECT_EQ(b.ExitStatus(), 0) << b.Output();
    EXPECT_EQ(OpenScoreStore(where)->Count(), 101);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace klv::scores
