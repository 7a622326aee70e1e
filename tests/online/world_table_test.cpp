#include "online/world_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "http/http_client.h"
#include "http/loopback_server.h"

namespace klv {
namespace {

TEST(InfEncode, KnownRecordsAndLengths) {
  struct Case {
    std::string plain;
    std::string encoded;
  };
  const Case cases[] = {
      {"", ""},
      {"AAAAA", "AYQVELDW"},
      {std::string(5, '\0'), "QQQQQQQQ"},
      {std::string(5, '\xFF'), "99999999"},
      // Not a whole 5-byte group: zero bits go in front (10 bits: 00 11111111).
      {std::string(1, '\xFF'), "P9"},
      {std::string(2, '\x01'), "QQAW"},  // 4 zeros + 16 bits: 00000 00000 01000 00001
  };
  for (const Case& c : cases) EXPECT_EQ(InfEncode(c.plain), c.encoded) << c.plain.size();
}

TEST(InfEncode, RoundTripsEveryByteAndUsesOnlyTheAlphabet) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  all += "0000";  // 260 bytes, a multiple of 5
  std::mt19937 rng(7);
  std::vector<std::string> plains = {all};
  for (int n = 0; n < 50; ++n) {
    std::string s(5 * (n % 23), '\0');
    for (char& c : s) c = static_cast<char>(rng());
    plains.push_back(s);
  }
  for (const std::string& p : plains) {
    const std::string e = InfEncode(p);
    EXPECT_EQ(e.size(), p.size() / 5 * 8);
    EXPECT_EQ(e.find_first_not_of(kInfAlphabet), std::string::npos);
    const auto back = InfDecode(e);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, p);
  }
}

TEST(InfDecode, RefusesBrokenText) {
  for (const char* bad : {"Q", "QQQQQQQ", "QQQQQQQQQ", "QQQQQQQO", "qqqqqqqq", "QQQQ0QQQ",
                          "QQQQIQQQ", "QQQQQQQ ", "AYQVELD=", "AYQVELDWAYQVELD"}) {
    EXPECT_FALSE(InfDecode(bad).has_value()) << bad;
  }
  EXPECT_EQ(InfDecode(""), std::string());
}

TEST(ParseVersionAnswer, OkTestAndFifthField) {
  struct Case {
    const char* answer;
    bool ok;
    const char* p;
  };
  const Case cases[] = {
      {"OK|1.0|2026-12-10|Hello|tok123|", true, "tok123"},
      {"OK", true, ""},
      {"OK|1.0|date|motd|tail without fifth bar", true, ""},  // four "|"
      {"OK|a|b|c||", true, ""},
      {"OK|a|b|c|d|e|f|", true, "d"},
      {"OKAY|a|b|c|d|", true, "d"},
      {"ok|1.0|date|motd|tok|", false, "tok"},
      {"Ok|1|2|3|4|", false, "4"},
      {" OK|1|2|3|4|", false, "4"},
      {"O", false, ""},
      {"", false, ""},
      {"|||||", false, ""},
      {"ERR|a|b|c|d|", false, "d"},
  };
  for (const Case& c : cases) {
    const VersionAnswer a = ParseVersionAnswer(c.answer);
    EXPECT_EQ(a.Ok, c.ok) << c.answer;
    EXPECT_EQ(a.P, c.p) << c.answer;
  }
}

TEST(BuildScoreRecord, FieldOrderAndPadding) {
  struct Case {
    std::string name;
    uint32_t score;
    std::string p;
    std::string add;
    std::string record;
  };
  const Case cases[] = {
      // 46 bytes before padding: four "0".
      {"Bob", 1234, "tok", "", "type=0|name=Bob|score=1234|key=K|p=tok|add=|z=0000"},
      // Already 45 bytes: nothing after "|z=".
      {"Bo", 1234, "tok", "", "type=0|name=Bo|score=1234|key=K|p=tok|add=|z="},
      {"", 0, "", "", "type=0|name=|score=0|key=K|p=|add=|z=000"},
      {"\xC2\xE0\xED\xFF", 4294967295u, "p", "hi",
       "type=0|name=\xC2\xE0\xED\xFF|score=4294967295|key=K|p=p|add=hi|z=00"},
      // Name cut to 12 and added text to 10 characters.
      {"ABCDEFGHIJKLMN", 5, "t", "0123456789XY",
       "type=0|name=ABCDEFGHIJKL|score=5|key=K|p=t|add=0123456789|z="},
  };
  for (const Case& c : cases) {
    const std::string r = BuildScoreRecord(c.name, c.score, c.p, c.add);
    EXPECT_EQ(r, c.record);
    EXPECT_EQ(r.size() % 5, 0u) << r;
  }
}

TEST(WorldTableUrls, UnderTheServiceBase) {
  for (const char* base : {"http://127.0.0.1:8765", "http://127.0.0.1:8765/"}) {
    EXPECT_EQ(VersionQueryUrl(base), "http://127.0.0.1:8765/cgi/version.pl?version&prg=Marlowfin");
    EXPECT_EQ(ScoreQueryUrl(base, "AYQVELDW"),
              "http://127.0.0.1:8765/cgi/version.pl?hs&prg=Marlowfin&inf=AYQVELDW");
    EXPECT_EQ(WorldTableUrl(base),
              "http://127.0.0.1:8765/cgi/version.pl?prg=Marlowfin&show&type=0");
  }
}

// Answers from a script and records what was asked.
class ScriptedClient : public HttpClient {
 public:
  std::vector<Result> answers;
  std::vector<std::string> urls;
  std::vector<std::string> bodies;  // "" for a GET
  Result Get(const std::string& url) override {
    urls.push_back(url);
    bodies.emplace_back();
    if (urls.size() > answers.size()) return Result{false, "", "no answer", HttpFailure::Other, 0};
    return answers[urls.size() - 1];
  }
  Result Post(const std::string& url, const std::string& body, const std::string&) override {
    Result r = Get(url);
    bodies.back() = body;
    return r;
  }
};

HttpClient::Result Ok(const std::string& body) {
  return HttpClient::Result{true, body, "", HttpFailure::None, 200};
}
HttpClient::Result Failed(HttpFailure f) {
  return HttpClient::Result{false, "", "failed", f, 0};
}

TEST(SubmitWorldScore, VersionFailuresSendNoScore) {
  const HttpClient::Result failures[] = {
      Failed(HttpFailure::Timeout), Failed(HttpFailure::Connect), Failed(HttpFailure::Redirect),
      Failed(HttpFailure::Status),  Ok("ok|1|2|3|tok|"),          Ok(""),
      Ok("Service down"),
  };
  for (const HttpClient::Result& f : failures) {
    ScriptedClient client;
    client.answers = {f, Ok("OK")};
    EXPECT_FALSE(SubmitWorldScore(client, "http://127.0.0.1:1", "Bob", 10, ""));
    ASSERT_EQ(client.urls.size(), 1u);
    EXPECT_EQ(client.urls[0], "http://127.0.0.1:1/cgi/version.pl?version&prg=Marlowfin");
  }
}

TEST(SubmitWorldScore, SendsTheEncodedRecordWithTheReceivedToken) {
  struct Case {
    std::string answer;
    std::string p;
    HttpClient::Result scoreAnswer;
  };
  const Case cases[] = {
      {"OK|1.0|2026-12-10|motd|a1b2c3|", "a1b2c3", Ok("OK")},
      {"OK", "", Ok("ERR")},
      {"OK|1|2|3|no fifth bar", "", Failed(HttpFailure::Timeout)},  // score failure ignored
  };
  for (const Case& c : cases) {
    ScriptedClient client;
    client.answers = {Ok(c.answer), c.scoreAnswer};
    EXPECT_TRUE(SubmitWorldScore(client, "http://127.0.0.1:1", "\xC2\xE0\xED\xFF", 70000, "hi!"));
    ASSERT_EQ(client.urls.size(), 2u);
    const std::string prefix = "http://127.0.0.1:1/cgi/version.pl?hs&prg=Marlowfin&inf=";
    ASSERT_EQ(client.urls[1].rfind(prefix, 0), 0u) << client.urls[1];
    const auto record = InfDecode(client.urls[1].substr(prefix.size()));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(*record, BuildScoreRecord("\xC2\xE0\xED\xFF", 70000, c.p, "hi!"));
  }
}

// The score's answer decides whether the replay follows: a refusal (an error
// status, or "ERR") is reported and nothing is uploaded; no answer at all
// is not a refusal. The replay goes tied to the token, byte for byte.
TEST(SubmitWorldScore, ReadsTheScoreAnswerAndUploadsTheReplay) {
  HttpClient::Result refusedStatus = Failed(HttpFailure::Status);
  refusedStatus.status = 429;
  HttpClient::Result queued = Ok("OK|queued|");
  queued.status = 202;
  HttpClient::Result unknown = Failed(HttpFailure::Status);
  unknown.status = 404;
  struct Case {
    HttpClient::Result scoreAnswer;
    HttpClient::Result uploadAnswer;
    bool refused, uploaded, queued;
  };
  const Case cases[] = {
      {Ok("OK|stored|"), queued, false, true, true},
      {Ok("OK|stored|"), unknown, false, true, false},  // an older service: left unproven
      {Ok("ERR|token|"), queued, true, false, false},
      {refusedStatus, queued, true, false, false},
      {Failed(HttpFailure::Timeout), queued, false, false, false},
  };
  const std::string replay("KLVR\0\x01\xff\n", 8);
  for (const Case& c : cases) {
    ScriptedClient client;
    client.answers = {Ok("OK|1|2|3|t+k/n|"), c.scoreAnswer, c.uploadAnswer};
    const SubmitOutcome got = SubmitWorldScore(client, "http://h:1", "Bob", 10, "", replay);
    EXPECT_TRUE(got.Reached);
    EXPECT_EQ(got.Refused, c.refused) << c.scoreAnswer.body;
    EXPECT_EQ(got.ReplayQueued, c.queued);
    ASSERT_EQ(client.urls.size(), c.uploaded ? 3u : 2u);
    if (c.uploaded) {
      EXPECT_EQ(client.urls[2], "http://h:1/cgi/replay.pl?prg=Marlowfin&p=t%2Bk%2Fn");
      EXPECT_EQ(client.bodies[2], replay);
    }
  }
  // Without a replay nothing is uploaded.
  ScriptedClient client;
  client.answers = {Ok("OK|1|2|3|t|"), Ok("OK|stored|")};
  EXPECT_FALSE(SubmitWorldScore(client, "http://h:1", "Bob", 10, "").ReplayQueued);
  EXPECT_EQ(client.urls.size(), 2u);
}

// A hostile or broken service at the first request: the game reports it as
// unreachable and never sends the score.
TEST(SubmitWorldScore, HostileServicesCountAsUnreachable) {
  using test::LoopbackServer;
  const std::string okAnswer = "OK|1.0|2026-12-10|motd|tok|";
  const LoopbackServer::Behaviour behaviours[] = {
      [](LoopbackServer& s, int fd, const std::string&) { s.Hold(fd); },
      [&](LoopbackServer&, int fd, const std::string&) {
        LoopbackServer::SendAll(fd,
                                LoopbackServer::Answer(200, okAnswer + std::string(70000, 'x')));
      },
      [&](LoopbackServer&, int fd, const std::string&) {
        LoopbackServer::SendAll(fd, LoopbackServer::Answer(301, okAnswer, "Location: /x\r\n"));
      },
      [&](LoopbackServer&, int fd, const std::string&) {
        LoopbackServer::SendAll(fd, LoopbackServer::Answer(503, okAnswer));
      },
  };
  HttpLimits quick;
  quick.ConnectMs = 1000;
  quick.TotalMs = 2000;
  quick.StallMs = 1000;
  for (const auto& b : behaviours) {
    LoopbackServer server(b);
    HttpClient client(quick);
    EXPECT_FALSE(SubmitWorldScore(client, server.Base(), "Bob", 10, ""));
    server.Stop();
    EXPECT_EQ(server.Requests().size(), 1u);
  }
}

TEST(WorldTableLinks, OpenOnlyWhatExists) {
  std::vector<std::string> opened;
  auto open = [&](const std::string& s) { opened.push_back(s); };
  OpenWorldTable("http://127.0.0.1:8765", open);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "http://127.0.0.1:8765/cgi/version.pl?prg=Marlowfin&show&type=0");

  // Only the game's own folder is asked about, and only for the two links.
  opened.clear();
  std::vector<std::string> asked;
  auto none = [&](const std::string& f) {
    asked.push_back(f);
    return false;
  };
  OpenMoreGames("/usr/share/games/klevaria/", none, open);
  OpenExitLinks("/usr/share/games/klevaria", none, open);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(asked, (std::vector<std::string>{"/usr/share/games/klevaria/moregames.url",
                                             "/usr/share/games/klevaria/play.url"}));

  auto all = [](const std::string&) { return true; };
  OpenMoreGames("/opt/klv/", all, open);
  OpenExitLinks("/opt/klv/", all, open);
  EXPECT_EQ(opened, (std::vector<std::string>{"/opt/klv/moregames.url", "/opt/klv/play.url"}));

  // A relative or empty folder would mean the current one: nothing is opened.
  opened.clear();
  for (const char* dir : {"", "./", "Data/"}) {
    OpenMoreGames(dir, all, open);
    OpenExitLinks(dir, all, open);
  }
  EXPECT_TRUE(opened.empty());
}

TEST(WorldTableLinks, OnlyPlainFilesAreLinks) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("klv-links-" + std::to_string(getpid()));
  fs::create_directories(dir / "folder.url");
  std::ofstream(dir / "play.url") << "[InternetShortcut]\nURL=https://example.org/\n";
  std::ofstream(dir / "run.url") << "#!/bin/sh\n";
  fs::permissions(dir / "run.url", fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_TRUE(IsLinkFile((dir / "play.url").string()));
  EXPECT_FALSE(IsLinkFile((dir / "run.url").string()));     // a program
  EXPECT_FALSE(IsLinkFile((dir / "folder.url").string()));  // a folder
  EXPECT_FALSE(IsLinkFile((dir / "missing.url").string()));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace klv
