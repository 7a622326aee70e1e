// The HTTP side of the world-table service against requests no game sends:
// other methods, bodies, oversized heads, and the per-address limits.
#include "score_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "rate_limiter.h"
#include "score_service.h"
#include "score_store.h"
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

class ScoreServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> serial{0};
    dir_ = fs::temp_directory_path() /
           ("klv-server-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    store_ = OpenScoreStore((dir_ / "scores.db").string());
  }
  void TearDown() override {
    server_.reset();
    service_.reset();
    store_.reset();
    fs::remove_all(dir_);
  }
  void Start(ScoreServer::Options o, ServiceOptions so = NoRateLimit()) {
    service_ = std::make_unique<ScoreService>(*store_, ScoreService::Clock{}, so);
    server_ = std::make_unique<ScoreServer>(*service_);
    o.Port = 0;
    port_ = server_->Start(o);
    ASSERT_GT(port_, 0) << server_->Error();
  }

  fs::path dir_;
  std::unique_ptr<ScoreStore> store_;
  std::unique_ptr<ScoreService> service_;
  std::unique_ptr<ScoreServer> server_;
  int port_ = 0;
};

constexpr const char* kPage = "/cgi/version.pl?prg=Marlowfin&show&type=0";

TEST_F(ScoreServerTest, OnlyBodilessGetAndHeadAreServed) {
  Start({});
  struct Case {
    const char* name;
    std::string method, target, headers;
    int status;
    bool body;  // an answer body is expected
  };
  const std::string fill12k = "X-Fill: " + std::string(12 * 1024, 'a') + "\r\n";
  const std::string fill20k = "X-Fill: " + std::string(10 * 1024, 'a') +
                              "\r\nX-More: " + std::string(10 * 1024, 'b') + "\r\n";
  const Case cases[] = {
      {"page", "GET", kPage, "", 200, true},
      {"head of the page", "HEAD", kPage, "", 200, false},
      {"post", "POST", "/cgi/version.pl?version&prg=Marlowfin", "Content-Length: 0\r\n", 405, true},
      {"put", "PUT", kPage, "Content-Length: 3\r\n", 405, true},
      {"delete", "DELETE", kPage, "", 405, true},
      {"get with a body", "GET", kPage, "Content-Length: 5\r\n", 413, true},
      {"get with a chunked body", "GET", kPage, "Transfer-Encoding: chunked\r\n", 413, true},
      {"another path", "GET", "/cgi/other.pl?prg=Marlowfin&show&type=0", "", 404, true},
      {"12 KB of headers", "GET", kPage, fill12k, 200, true},
      {"20 KB of headers", "GET", kPage, fill20k, 431, false},
  };
  for (const Case& c : cases) {
    const siege::Reply r = siege::Request(port_, c.target, "127.0.0.1", 5000, c.method, c.headers);
    EXPECT_EQ(r.Status, c.status) << c.name;
    if (c.body) {
      EXPECT_FALSE(r.Body.empty()) << c.name;
    } else if (c.status == 200) {
      EXPECT_TRUE(r.Body.empty()) << c.name;
    }
  }
  EXPECT_EQ(store_->OutstandingTokens(), 0);  // the refused version query issued nothing
  // A request line longer than the whole cap is refused too, not buffered.
  const siege::Reply longLine =
      siege::Request(port_, std::string(kPage) + "&x=" + std::string(40 * 1024, 'q'));
  EXPECT_GE(longLine.Status, 400);
}

TEST_F(ScoreServerTest, ARequestArrivingTooSlowlyIsCutOff) {
  ScoreServer::Options o;
  o.HeadSeconds = 1;
  Start(o);
  // One header byte every 300 ms never lets the connection go idle, yet the
  // request head is overdue after a second.
  siege::SlowClients slow(port_, 4, 1, 300);
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));
  EXPECT_GE(slow.Dropped(), 4);
  slow.Stop();
  EXPECT_EQ(siege::Request(port_, kPage).Status, 200);
}

TEST_F(ScoreServerTest, OneAddressHoldsOnlyItsShareOfConnections) {
  ScoreServer::Options o;
  o.MaxPerAddress = 8;
  Start(o);
  std::vector<int> fds;
  for (int i = 0; i < 20; ++i) {
    fds.push_back(siege::OpenConnection(port_, "127.0.0.9"));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int open = 0;
  for (const int fd : fds) {
    char c;
    if (fd >= 0 && ::recv(fd, &c, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN) ++open;
  }
  EXPECT_GE(open, 8);
  EXPECT_LE(open, 8 + o.Threads);  // accepts may race on each event loop
  // Everyone else still gets in, and the address gets its share back as
  // its connections end.
  EXPECT_EQ(siege::Request(port_, kPage, "127.0.0.1").Status, 200);
  for (const int fd : fds)
    if (fd >= 0) ::close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(siege::Request(port_, kPage, "127.0.0.9").Status, 200);
}

TEST_F(ScoreServerTest, RateLimitsFollowTheForwardedAddressOfATrustedProxy) {
  ScoreServer::Options o;
  o.TrustedProxy = "127.0.0.1";
  ServiceOptions so;
  so.RatePerMinute = 3;
  Start(o, so);
  auto version = [&](const std::string& from, const std::string& forwarded) {
    return siege::Request(port_, "/cgi/version.pl?version&prg=Marlowfin", from, 5000, "GET",
                          forwarded.empty() ? "" : "X-Forwarded-For: " + forwarded + "\r\n")
        .Status;
  };
  for (int i = 0; i < 3; ++i) EXPECT_EQ(version("127.0.0.1", "203.0.113.7"), 200);
  EXPECT_EQ(version("127.0.0.1", "203.0.113.7"), 429);
  // Another player behind the same proxy; an address the client wrote
  // itself before the proxy's does not count.
  EXPECT_EQ(version("127.0.0.1", "198.51.100.1"), 200);
  EXPECT_EQ(version("127.0.0.1", "198.51.100.1, 203.0.113.8"), 200);
  EXPECT_EQ(version("127.0.0.1", "203.0.113.8, 203.0.113.7"), 429);
  // Anyone else's header is not believed.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(version("127.0.0.2", "198.51.100.9"), 200);
  EXPECT_EQ(version("127.0.0.2", "198.51.100.10"), 429);
  const siege::Reply busy =
      siege::Request(port_, "/cgi/version.pl?version&prg=Marlowfin", "127.0.0.2");
  EXPECT_EQ(busy.Body, "ERR|busy|");
}

TEST_F(ScoreServerTest, EveryAnswerForbidsScriptsFramesAndSniffing) {
  Start({});
  for (const char* target : {kPage, "/cgi/version.pl?version&prg=Marlowfin", "/elsewhere"}) {
    const siege::Reply r = siege::Request(port_, target);
    ASSERT_NE(r.Status, 0) << target;
    for (const char* header :
         {"\r\nContent-Security-Policy: default-src 'none'; style-src 'unsafe-inline'; ",
          "frame-ancestors 'none'", "\r\nX-Content-Type-Options: nosniff\r\n",
          "\r\nX-Frame-Options: DENY\r\n", "\r\nReferrer-Policy: no-referrer\r\n"}) {
      EXPECT_NE(r.Head.find(header), std::string::npos) << target << " lacks " << header;
    }
    EXPECT_EQ(r.Head.find("script-src"), std::string::npos);
  }
}

// However the proxy passes it on (extending the client's line or adding a
// line of its own), the client is the last address over every line: what a
// client writes in front of it is not believed.
TEST_F(ScoreServerTest, TheClientIsTheLastForwardedAddressOverEveryLine) {
  ScoreServer::Options o;
  o.TrustedProxy = "127.0.0.1";
  ServiceOptions so;
  so.RatePerMinute = 1;
  Start(o, so);
  struct Case {
    const char* name;
    const char* headers;  // %s: the client's address; %d: a forged one that changes
  };
  const Case cases[] = {
      {"one line", "X-Forwarded-For: %s\r\n"},
      {"comma list", "X-Forwarded-For: 10.9.9.%d, %s\r\n"},
      {"two lines", "X-Forwarded-For: 10.9.9.%d\r\nX-Forwarded-For: %s\r\n"},
      {"two lines, lower case", "x-forwarded-for: 10.9.9.%d\r\nx-forwarded-for: %s\r\n"},
      {"two lists", "X-Forwarded-For: 10.1.1.%d, 10.2.2.2\r\nX-Forwarded-For: 10.3.3.3,%s\r\n"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string client = "203.0.113." + std::to_string(++n);
    auto ask = [&](int forged) {
      std::string headers = c.headers;
      const std::size_t d = headers.find("%d");
      if (d != std::string::npos) headers.replace(d, 2, std::to_string(forged));
      headers.replace(headers.find("%s"), 2, client);
      return siege::Request(port_, "/cgi/version.pl?version&prg=Marlowfin", "127.0.0.1", 5000,
                            "GET", headers)
          .Status;
    };
    // A new forged address each time does not buy another request.
    EXPECT_EQ(ask(1), 200) << c.name;
    EXPECT_EQ(ask(2), 429) << c.name;
    EXPECT_EQ(ask(3), 429) << c.name;
  }
  // The forged addresses were never charged.
  EXPECT_EQ(siege::Request(port_, "/cgi/version.pl?version&prg=Marlowfin", "127.0.0.1", 5000, "GET",
                           "X-Forwarded-For: 10.9.9.1\r\n")
                .Status,
            200);
}

// The limits themselves, on the service's own clock.
TEST(ScoreServiceLimits, ThirtyAMinutePerAddressAndKind) {
  std::atomic<int64_t> now{1'765'000'000};
  const auto dir = fs::temp_directory_path() / ("klv-limits-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    auto store = OpenScoreStore((dir / "scores.db").string());
    ScoreService service(*store, [&] { return now.load(); });
    const ScoreService::Query version{{"version", ""}, {"prg", "Marlowfin"}};
    const ScoreService::Query page{{"prg", "Marlowfin"}, {"show", ""}, {"type", "0"}};
    for (int i = 0; i < 30; ++i) ASSERT_EQ(service.Handle(version, "192.0.2.1").Status, 200) << i;
    const ServiceAnswer refused = service.Handle(version, "192.0.2.1");
    EXPECT_EQ(refused.Status, 429);
    EXPECT_EQ(refused.RetryAfter, 2);
    EXPECT_EQ(store->OutstandingTokens(), 30);
    // Other kinds and other addresses are counted apart.
    EXPECT_EQ(service.Handle(page, "192.0.2.1").Status, 200);
    EXPECT_EQ(service.Handle(version, "192.0.2.2").Status, 200);
    // One IPv6 network is one client; the next network is another.
    for (int i = 0; i < 30; ++i) service.Handle(version, "2001:db8:1:2::" + std::to_string(i + 1));
    EXPECT_EQ(service.Handle(version, "2001:db8:1:2:ffff::1").Status, 429);
    EXPECT_EQ(service.Handle(version, "2001:db8:1:3::1").Status, 200);
    // The allowance comes back evenly: one request every two seconds.
    now += 2;
    EXPECT_EQ(service.Handle(version, "192.0.2.1").Status, 200);
    EXPECT_EQ(service.Handle(version, "192.0.2.1").Status, 429);
    now += 60;
    for (int i = 0; i < 30; ++i) EXPECT_EQ(service.Handle(version, "192.0.2.1").Status, 200);
  }
  fs::remove_all(dir);
}

TEST(ScoreServiceLimits, AddressesThatEarnedAllBackAreForgotten) {
  RateLimiter limiter(30);
  for (int i = 0; i < 5000; ++i) EXPECT_EQ(limiter.Take("10.0." + std::to_string(i), 0), 0);
  EXPECT_EQ(limiter.Tracked(), 5000u);
  // Two seconds later each has earned its request back; the next sweep
  // forgets them all.
  EXPECT_EQ(limiter.Take("10.1.0.0", 10'000), 0);
  EXPECT_EQ(limiter.Tracked(), 1u);
  EXPECT_EQ(ClientKey("::ffff:192.0.2.5"), "192.0.2.5");
  EXPECT_EQ(ClientKey("2001:db8::1"), ClientKey("2001:db8::ffff:1"));
  EXPECT_NE(ClientKey("2001:db8::1"), ClientKey("2001:db8:0:1::1"));
}

}  // namespace
}  // namespace klv::scores
