// klevaria-scores on PostgreSQL when the database fails under it: a server
// that hangs (every process stopped), one that restarts, one that is gone.
// Real service processes on loopback, the throw-away test server, every
// wait bounded. Built into klevaria-scores-pg-tests alone.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "pg_test_server.h"
#include "postgres_store.h"
#include "score_store.h"
#include "siege.h"

namespace klv::scores {
namespace {

const std::string kBinary = std::string(KLV_BIN_DIR) + "/klevaria-scores";
constexpr const char* kPage = "/cgi/version.pl?prg=Marlowfin&show&type=0";
constexpr const char* kVersion = "/cgi/version.pl?version&prg=Marlowfin";

class ScoreOutageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pg_ = PgTestServer::Get();
    ASSERT_NE(pg_, nullptr) << PgTestServer::Problem();
    db_ = pg_->NewDatabase();
  }
  void TearDown() override {
    if (pg_ != nullptr) pg_->Resume();
  }
  void Start(siege::ServiceProcess& p) {
    std::string error;
    ASSERT_TRUE(p.Start(kBinary, {"--db", db_, "--rate", "0"}, &error)) << error;
  }

  PgTestServer* pg_ = nullptr;
  std::string db_;
};

TEST_F(ScoreOutageTest, AHungDatabaseGivesQuickAnswersAndAQuickStop) {
  siege::ServiceProcess a, b;
  Start(a);
  Start(b);
  ASSERT_EQ(siege::Request(a.Port(), kPage).Status, 200);  // a table to fall back on
  siege::BurstResult burst;
  std::thread players([&] { burst = siege::Burst({a.Port(), b.Port()}, 8, 60, "h"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(pg_->Pause());

  // What needs no database is answered; the page comes as last read, marked
  // so; a request that needs the database is told to come back.
  const siege::Reply missing = siege::Request(a.Port(), "/nothing", "127.0.0.1", 3000);
  EXPECT_EQ(missing.Status, 404);
  const siege::Reply page = siege::Request(a.Port(), kPage, "127.0.0.1", 3000);
  EXPECT_EQ(page.Status, 200);
  EXPECT_NE(page.Body.find("не отвечает"), std::string::npos);
  const siege::Reply version = siege::Request(a.Port(), kVersion, "127.0.0.1", 3000);
  EXPECT_EQ(version.Status, 503);
  EXPECT_NE(version.Head.find("Retry-After: "), std::string::npos) << version.Head;
  std::printf("hung database: 404 in %.2f s, page in %.2f s, 503 in %.2f s\n", missing.Seconds,
              page.Seconds, version.Seconds);

  const double stop = b.Terminate(10);
  std::printf("ended %.2f s after SIGTERM with the database hung\n", stop);
  // Well inside one call's own deadline on the database: the stop did not
  // wait on it.
  EXPECT_LT(stop, PostgresStore::kCallMs / 1000.0);
  EXPECT_EQ(b.ExitStatus(), 0) << b.Output();
  players.join();
  pg_->Resume();

  // Back to work within a few tries once the database is, and nothing that
  // was acknowledged is missing.
  int status = 0;
  for (int i = 0; i < 40 && status != 200; ++i) {
    status = siege::Request(a.Port(), kVersion, "127.0.0.1", 3000).Status;
    if (status != 200) std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  EXPECT_EQ(status, 200);
  std::set<std::string> stored;
  for (const StoredScore& s : OpenScoreStore(db_)->Best(1000)) stored.insert(s.Name);
  int lost = 0;
  for (const std::string& name : burst.Names) lost += stored.count(name) == 0;
  std::printf("%d submissions acknowledged, %d refused, %d lost\n", burst.Acknowledged,
              burst.Failed, lost);
  EXPECT_GT(burst.Acknowledged, 0);
  EXPECT_EQ(lost, 0);
}

TEST_F(ScoreOutageTest, TheFirstRequestsAfterARestartOfTheDatabaseSucceed) {
  siege::ServiceProcess p;
  Start(p);
  // Several connections in the pool, all of them from before the restart.
  std::vector<std::thread> warm;
  for (int i = 0; i < 8; ++i)
    warm.emplace_back([&] { siege::Request(p.Port(), kVersion, "127.0.0.1", 5000); });
  for (std::thread& t : warm) t.join();
  ASSERT_TRUE(pg_->Restart());
  for (int i = 0; i < 6; ++i) {
    const siege::Reply r = siege::Request(p.Port(), i % 2 ? kPage : kVersion, "127.0.0.1", 5000);
    EXPECT_EQ(r.Status, 200) << "request " << i << ": " << r.Body;
  }
}

// Listens where the database was and counts who knocks.
class KnockCounter {
 public:
  explicit KnockCounter(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd_, 128) == 0;
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int c = ::accept(fd_, nullptr, nullptr);
        if (c < 0) continue;
        ++count_;
        ::close(c);  // as a server that refuses
      }
    });
  }
  ~KnockCounter() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  bool Listening() const { return ok_; }
  int Count() const { return count_.load(); }

 private:
  int fd_ = -1;
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::thread thread_;
};

TEST_F(ScoreOutageTest, AGoneDatabaseIsTriedOnlyAFewTimesASecond) {
  siege::ServiceProcess p;
  Start(p);
  ASSERT_EQ(siege::Request(p.Port(), kVersion).Status, 200);
  ASSERT_TRUE(pg_->StopServer());
  int knocks = 0;
  int refused = 0, requests = 0;
  double slowest = 0;
  constexpr double kSeconds = 3;
  {
    KnockCounter counter(pg_->Port());
    ASSERT_TRUE(counter.Listening());
    // Eight players asking as fast as they can for three seconds.
    std::vector<std::thread> players;
    std::mutex m;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kSeconds);
    for (int i = 0; i < 8; ++i) {
      players.emplace_back([&, i] {
        for (int n = 0; n < 2000 && std::chrono::steady_clock::now() < end; ++n) {
          const siege::Reply r = siege::Request(p.Port(), kVersion, siege::Address(1, i), 3000);
          std::lock_guard<std::mutex> lock(m);
          ++requests;
          refused += r.Status == 503;
          slowest = std::max(slowest, r.Seconds);
        }
      });
    }
    for (std::thread& t : players) t.join();
    knocks = counter.Count();
  }
  ASSERT_TRUE(pg_->StartAgain());
  std::printf(
      "database gone for %.0f s: %d requests (%d answered 503, slowest %.2f s), %d "
      "connection attempts\n",
      kSeconds, requests, refused, slowest, knocks);
  EXPECT_EQ(refused, requests);
  EXPECT_LE(knocks, 5 * kSeconds);
  int status = 0;
  for (int i = 0; i < 40 && status != 200; ++i) {
    status = siege::Request(p.Port(), kVersion, "127.0.0.1", 3000).Status;
    if (status != 200) std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  EXPECT_EQ(status, 200);
}

}  // namespace
}  // namespace klv::scores
