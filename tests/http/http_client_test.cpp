#include "http/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "http/curl_library.h"
#include "http/loopback_server.h"

namespace klv {
namespace {

using test::LoopbackServer;
using namespace std::chrono_literals;

// Short limits keep the failing cases quick; the game's own limits are the
// defaults of HttpLimits.
HttpLimits QuickLimits() {
  HttpLimits l;
  l.ConnectMs = 1000;
  l.TotalMs = 2000;
  l.StallMs = 1000;
  return l;
}

struct MisbehaviourCase {
  const char* name;
  LoopbackServer::Behaviour behaviour;
  HttpFailure expected;
};

void PrintTo(const MisbehaviourCase& c, std::ostream* os) {
  *os << c.name;
}

class HttpClientMisbehaviour : public ::testing::TestWithParam<MisbehaviourCase> {};

TEST_P(HttpClientMisbehaviour, EndsInFailureWithoutBody) {
  LoopbackServer server(GetParam().behaviour);
  HttpClient client(QuickLimits());
  const HttpClient::Result r = client.Get(server.Url("/cgi/version.pl?version&prg=Marlowfin"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failure, GetParam().expected) << r.error;
  EXPECT_TRUE(r.body.empty());
  EXPECT_FALSE(r.error.empty());
  // A redirect is never followed: the server sees exactly one request.
  server.Stop();
  EXPECT_EQ(server.Requests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, HttpClientMisbehaviour,
    ::testing::Values(
        MisbehaviourCase{"NeverAnswers",
                         [](LoopbackServer& s, int fd, const std::string&) { s.Hold(fd); },
                         HttpFailure::Timeout},
        MisbehaviourCase{"StallsAfterHead",
                         [](LoopbackServer& s, int fd, const std::string&) {
                           LoopbackServer::SendAll(
                               fd, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nOK");
                           s.Hold(fd);
                         },
                         HttpFailure::Timeout},
        MisbehaviourCase{"TricklesForever",
                         [](LoopbackServer& s, int fd, const std::string&) {
                           LoopbackServer::SendAll(
                               fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
                           // Fast enough never to count as a stall.
                           while (s.Pause(100ms) && LoopbackServer::SendAll(fd, "O")) {
                           }
                         },
                         HttpFailure::Timeout},
        MisbehaviourCase{"HugeDeclaredBody",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(
                               fd, "HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n");
                           const std::string block(65536, 'x');
                           for (int i = 0; i < 1600 && LoopbackServer::SendAll(fd, block); ++i) {
                           }
                         },
                         HttpFailure::TooLarge},
        MisbehaviourCase{"HugeChunkedBody",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(
                               fd, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
                           const std::string chunk = "10000\r\n" + std::string(65536, 'y') + "\r\n";
                           for (int i = 0; i < 1600 && LoopbackServer::SendAll(fd, chunk); ++i) {
                           }
                         },
                         HttpFailure::TooLarge},
        MisbehaviourCase{"UntilCloseBody",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
                           const std::string block(65536, 'z');
                           for (int i = 0; i < 1600 && LoopbackServer::SendAll(fd, block); ++i) {
                           }
                         },
                         HttpFailure::TooLarge},
        MisbehaviourCase{"Redirects",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(
                               fd, LoopbackServer::Answer(302, "OK|1|2|3|p|",
                                                          "Location: /cgi/version.pl?again\r\n"));
                         },
                         HttpFailure::Redirect},
        MisbehaviourCase{"ServerError",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(fd, LoopbackServer::Answer(500, "OK|1|2|3|p|"));
                         },
                         HttpFailure::Status},
        MisbehaviourCase{"NotFound",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(fd, LoopbackServer::Answer(404, "OK"));
                         },
                         HttpFailure::Status},
        MisbehaviourCase{"ClosesAtOnce", [](LoopbackServer&, int, const std::string&) {},
                         HttpFailure::Other},
        MisbehaviourCase{"NotHttp",
                         [](LoopbackServer&, int fd, const std::string&) {
                           LoopbackServer::SendAll(fd, "OK|1|2|3|p|\r\n\r\n");
                         },
                         HttpFailure::Other}),
    [](const ::testing::TestParamInfo<MisbehaviourCase>& i) { return std::string(i.param.name); });

TEST(HttpClient, SendsTheGameHeadersAndKeepsCookies) {
  LoopbackServer server([](LoopbackServer&, int fd, const std::string&) {
    LoopbackServer::SendAll(
        fd, LoopbackServer::Answer(200, "OK|1|", "Set-Cookie: session=abc123; Path=/\r\n"));
  });
  HttpClient client;
  const HttpClient::Result first = client.Get(server.Url("/a?x=1"));
  const HttpClient::Result second = client.Get(server.Url("/b"));
  server.Stop();
  ASSERT_TRUE(first.ok) << first.error;
  ASSERT_TRUE(second.ok) << second.error;
  EXPECT_EQ(first.body, "OK|1|");
  EXPECT_EQ(first.status, 200);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind("GET /a?x=1 HTTP/1.1\r\n", 0), 0u) << requests[0];
  for (const std::string& r : requests) {
    EXPECT_NE(r.find("\r\nAccept: text/html, */*\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("\r\nContent-Type: text/html\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("\r\nUser-Agent: Mozilla/3.0 (compatible; Klevaria)\r\n"), std::string::npos)
        << r;
  }
  EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
  EXPECT_NE(requests[1].find("\r\nCookie: session=abc123\r\n"), std::string::npos) << requests[1];
}

TEST(HttpClient, BodyCapIsInclusive) {
  const std::size_t cap = HttpLimits{}.MaxBodyBytes;
  for (const std::size_t size : {std::size_t{0}, cap, cap + 1}) {
    LoopbackServer server([size](LoopbackServer&, int fd, const std::string&) {
      LoopbackServer::SendAll(fd, LoopbackServer::Answer(200, std::string(size, 'b')));
    });
    HttpClient client(QuickLimits());
    const HttpClient::Result r = client.Get(server.Url("/"));
    if (size <= cap) {
      EXPECT_TRUE(r.ok) << size << ": " << r.error;
      EXPECT_EQ(r.body.size(), size);
    } else {
      EXPECT_FALSE(r.ok) << size;
      EXPECT_EQ(r.failure, HttpFailure::TooLarge) << r.error;
    }
  }
}

TEST(HttpClient, RefusedConnectionAndForeignSchemesFail) {
  int port = 0;
  {
    // A port that was just free and is now closed again.
    LoopbackServer gone([](LoopbackServer&, int, const std::string&) {});
    port = gone.Port();
  }
  HttpClient client(QuickLimits());
  const HttpClient::Result refused =
      client.Get("http://127.0.0.1:" + std::to_string(port) + "/cgi/version.pl");
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.failure, HttpFailure::Connect) << refused.error;

  for (const char* url : {"file:///etc/hostname", "ftp://127.0.0.1/", "not a url", ""}) {
    const HttpClient::Result r = client.Get(url);
    EXPECT_FALSE(r.ok) << url;
    EXPECT_NE(r.failure, HttpFailure::None) << url;
    EXPECT_TRUE(r.body.empty()) << url;
  }
}

TEST(HttpClient, CancelEndsARequestInFlight) {
  std::atomic<bool> holding{false};
  LoopbackServer server([&](LoopbackServer& s, int fd, const std::string&) {
    holding.store(true);
    s.Hold(fd);
  });
  HttpLimits patient;  // the game's limits: the cancel has to beat them
  HttpClient client(patient);
  std::thread canceller([&] {
    while (!holding.load()) std::this_thread::sleep_for(1ms);
    client.Cancel();
  });
  const HttpClient::Result r = client.Get(server.Url("/"));
  canceller.join();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failure, HttpFailure::Cancelled) << r.error;
  // A cancelled client stays cancelled.
  EXPECT_EQ(client.Get(server.Url("/")).failure, HttpFailure::Cancelled);
}

TEST(HttpClient, ADeadlineEndsRequestsBeforeTheirOwnLimit) {
  // "/ok" answers at once; anything else trickles a byte every 100 ms, fast
  // enough never to count as a stall.
  LoopbackServer server([](LoopbackServer& s, int fd, const std::string& head) {
    if (head.rfind("GET /ok ", 0) == 0) {
      LoopbackServer::SendAll(fd, LoopbackServer::Answer(200, "OK"));
      return;
    }
    LoopbackServer::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    while (s.Pause(100ms) && LoopbackServer::SendAll(fd, "O")) {
    }
  });
  HttpLimits limits = QuickLimits();
  limits.TotalMs = 4000;
  HttpClient client(limits);

  const auto start = std::chrono::steady_clock::now();
  client.SetDeadline(start + 500ms);
  const HttpClient::Result cut = client.Get(server.Url("/trickle"));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(cut.failure, HttpFailure::Timeout) << cut.error;
  EXPECT_LT(took, 2500ms) << "the request ran to its own limit of 4 s";

  // Past the deadline a request fails without reaching the server.
  const HttpClient::Result late = client.Get(server.Url("/ok"));
  EXPECT_EQ(late.failure, HttpFailure::Timeout) << late.error;
  EXPECT_EQ(server.Requests().size(), 1u);

  client.SetDeadline(std::chrono::steady_clock::time_point::max());
  const HttpClient::Result lifted = client.Get(server.Url("/ok"));
  EXPECT_TRUE(lifted.ok) << lifted.error;
  EXPECT_EQ(lifted.body, "OK");
}

// libcurl is opened by name when the first request is made: a missing or
// wrong library is a clear error, never a call through a null pointer.
TEST(CurlLibrary, OpensByNameOrSaysWhyNot) {
  struct Case {
    const char* soname;
    const char* error;  // how the error starts; "" when it opens
  };
  for (const Case& c : {Case{"libcurl.so.4", ""},
                        Case{"libklv-no-such-curl.so.4", "cannot open libklv-no-such-curl.so.4: "},
                        Case{"libz.so.1", "libcurl has no curl_global_init"}}) {
    SCOPED_TRACE(c.soname);
    const CurlLibrary curl = OpenCurlLibrary(c.soname);
    EXPECT_EQ(curl.Error.rfind(c.error, 0), 0u) << curl.Error;
    const bool opened = *c.error == '\0';
    EXPECT_EQ(curl.Error.empty(), opened);
    for (const bool found :
         {curl.GlobalInit != nullptr, curl.EasyInit != nullptr, curl.EasySetopt != nullptr,
          curl.EasyPerform != nullptr, curl.EasyGetinfo != nullptr, curl.EasyCleanup != nullptr,
          curl.EasyStrerror != nullptr, curl.SlistAppend != nullptr, curl.SlistFreeAll != nullptr})
      EXPECT_EQ(found, opened);
  }
  EXPECT_EQ(Curl().Error, "");
}

}  // namespace
}  // namespace klv
