#include "score_service.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "http/http_client.h"
#include "online/score_record.h"
#include "online/world_table.h"
#include "score_bound.h"
#include "score_server.h"
#include "score_store.h"
#include "score_test_store.h"

namespace klv::scores {
namespace {

// Many requests come from a test's one address: the limits have tests of their own.
ServiceOptions NoRateLimit() {
  ServiceOptions o;
  o.RatePerMinute = 0;
  return o;
}

namespace fs = std::filesystem;

// A service on a free loopback port with its own database and a clock the
// test moves. The same tests run on an SQLite file and on PostgreSQL.
class ScoreServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> serial{0};
    dir_ = fs::temp_directory_path() /
           ("klv-scores-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    where_ = FreshDatabase(dir_);
    ASSERT_FALSE(where_.empty());
    Open();
  }
  void TearDown() override {
    Close();
    fs::remove_all(dir_);
  }

  void Open() {
    store_ = OpenScoreStore(where_);
    // Many requests come from the test's one address; the limits have tests of their own.
    service_ = std::make_unique<ScoreService>(
        *store_, [this] { return now_.load(); }, NoRateLimit());
    server_ = std::make_unique<ScoreServer>(*service_);
    ScoreServer::Options o;
    o.Port = 0;
    const int port = server_->Start(o);
    ASSERT_GT(port, 0);
    base_ = "http://127.0.0.1:" + std::to_string(port);
  }
  void Close() {
    server_.reset();
    service_.reset();
    store_.reset();
  }

  HttpClient::Result Ask(const std::string& query) {
    HttpClient client;
    return client.Get(base_ + "/cgi/version.pl?" + query);
  }
  std::string Token() {
    const HttpClient::Result r = Ask("version&prg=Marlowfin");
    EXPECT_TRUE(r.ok) << r.error;
    return ParseVersionAnswer(r.body).P;
  }
  std::string Page() {
    const HttpClient::Result r = Ask("prg=Marlowfin&show&type=0");
    EXPECT_TRUE(r.ok) << r.error;
    return r.body;
  }
  HttpClient::Result SendRecord(const std::string& plain) {
    return Ask("hs&prg=Marlowfin&inf=" + InfEncode(plain));
  }
  static std::string Padded(std::string record) {
    while (record.size() % 5 != 0) record += '0';
    return record;
  }

  fs::path dir_;
  std::string where_;
  std::atomic<int64_t> now_{1'765'000'000};
  std::unique_ptr<ScoreStore> store_;
  std::unique_ptr<ScoreService> service_;
  std::unique_ptr<ScoreServer> server_;
  std::string base_;
};

TEST_F(ScoreServiceTest, VersionAnswerCarriesAFreshToken) {
  const HttpClient::Result r = Ask("version&prg=Marlowfin");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.body.rfind("OK|1.0|2025-12-06|", 0), 0u) << r.body;
  const VersionAnswer a = ParseVersionAnswer(r.body);
  EXPECT_TRUE(a.Ok);
  EXPECT_EQ(a.P.size(), 32u);
  EXPECT_NE(a.P, Token());
}

TEST_F(ScoreServiceTest, SubmittedScoresAppearRankedOnThePage) {
  HttpClient client;
  // "Ваня" and "привет" in code page 1251.
  ASSERT_TRUE(
      SubmitWorldScore(client, base_, "\xC2\xE0\xED\xFF", 1235, "\xEF\xF0\xE8\xE2\xE5\xF2"));
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Best", 79315200, ""));
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Zero", 0, "z"));
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Tied", 1235, ""));
  EXPECT_EQ(store_->Count(), 4);

  const std::string page = Page();
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  const std::size_t best = page.find("<td class=\"name\">Best</td><td class=\"score\">79315200");
  const std::size_t vanya = page.find(
      "<td class=\"name\">Ваня</td><td class=\"score\">1235</td><td class=\"add\">привет");
  const std::size_t tied = page.find("<td class=\"name\">Tied</td>");
  const std::size_t zero = page.find("<td class=\"name\">Zero</td><td class=\"score\">0</td>");
  ASSERT_NE(best, std::string::npos) << page;
  ASSERT_NE(vanya, std::string::npos) << page;
  ASSERT_NE(tied, std::string::npos);
  ASSERT_NE(zero, std::string::npos);
  // Best first; of equal scores the earlier one ranks higher.
  EXPECT_LT(best, vanya);
  EXPECT_LT(vanya, tied);
  EXPECT_LT(tied, zero);
  EXPECT_NE(page.find("<td class=\"rank\">4</td><td class=\"name\">Zero</td>"), std::string::npos);
  EXPECT_NE(page.find("06.12.2025"), std::string::npos);
}

TEST_F(ScoreServiceTest, StoredTextIsShownAsText) {
  HttpClient client;
  ASSERT_TRUE(SubmitWorldScore(client, base_, "<script>", 500, "<b>&\"'"));
  const std::string page = Page();
  EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
  EXPECT_NE(page.find("&lt;b&gt;&amp;&quot;&#39;"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
}

TEST_F(ScoreServiceTest, ForgedOrDamagedRecordsStoreNothing) {
  struct Case {
    const char* name;
    std::function<std::string(const std::string& token)> inf;
  };
  auto rec = [](const std::string& body) { return InfEncode(Padded(body)); };
  const std::string good = "type=0|name=Bob|score=10|key=K|p=";
  const Case cases[] = {
      {"wrong key",
       [&](auto& t) { return rec("type=0|name=Bob|score=10|key=Q|p=" + t + "|add=|z="); }},
      {"lower-case key",
       [&](auto& t) { return rec("type=0|name=Bob|score=10|key=k|p=" + t + "|add=|z="); }},
      {"unknown p", [&](auto&) { return rec(good + "0123456789abcdef0123456789abcdef|add=|z="); }},
      {"empty p", [&](auto&) { return rec(good + "|add=|z="); }},
      {"type 1",
       [&](auto& t) { return rec("type=1|name=Bob|score=10|key=K|p=" + t + "|add=|z="); }},
      {"fields reordered",
       [&](auto& t) { return rec("type=0|score=10|name=Bob|key=K|p=" + t + "|add=|z="); }},
      {"extra field", [&](auto& t) { return rec(good + t + "|add=|x=1|z="); }},
      {"field missing",
       [&](auto& t) { return rec("type=0|name=Bob|score=10|key=K|p=" + t + "|z="); }},
      {"name of 13",
       [&](auto& t) {
         return rec("type=0|name=ABCDEFGHIJKLM|score=10|key=K|p=" + t + "|add=|z=");
       }},
      {"added text of 11", [&](auto& t) { return rec(good + t + "|add=ABCDEFGHIJK|z="); }},
      {"name with a bar",
       [&](auto& t) { return rec("type=0|name=B|b|score=10|key=K|p=" + t + "|add=|z="); }},
      {"control character",
       [&](auto& t) { return rec("type=0|name=B\nb|score=10|key=K|p=" + t + "|add=|z="); }},
      {"score too big",
       [&](auto& t) { return rec("type=0|name=Bob|score=4294967296|key=K|p=" + t + "|add=|z="); }},
      {"score leading zero",
       [&](auto& t) { return rec("type=0|name=Bob|score=010|key=K|p=" + t + "|add=|z="); }},
      {"score negative",
       [&](auto& t) { return rec("type=0|name=Bob|score=-1|key=K|p=" + t + "|add=|z="); }},
      {"score empty",
       [&](auto& t) { return rec("type=0|name=Bob|score=|key=K|p=" + t + "|add=|z="); }},
      {"padding not zeros", [&](auto& t) { return rec(good + t + "|add=|z=x"); }},
      {"too much padding",
       [&](auto& t) { return InfEncode(Padded(good + t + "|add=|z=") + "00000"); }},
      {"symbol outside the alphabet",
       [&](auto& t) {
         auto e = rec(good + t + "|add=|z=");
         e[3] = '0';
         return e;
       }},
      {"altered first symbol",
       [&](auto& t) {
         auto e = rec(good + t + "|add=|z=");
         e[0] = e[0] == 'W' ? 'E' : 'W';
         return e;
       }},
      {"altered key symbols",
       [&](auto& t) {
         const std::string plain = Padded(good + t + "|add=|z=");
         auto e = InfEncode(plain);
         const std::size_t keyByte = plain.find("key=K") + 4;
         const std::size_t sym = keyByte * 8 / 5;
         e[sym] = e[sym] == 'Q' ? '9' : 'Q';
         return e;
       }},
      {"cut short",
       [&](auto& t) {
         auto e = rec(good + t + "|add=|z=");
         return e.substr(0, e.size() - 8);
       }},
      {"not whole groups",
       [&](auto& t) {
         auto e = rec(good + t + "|add=|z=");
         return e.substr(0, e.size() - 1);
       }},
      {"empty", [&](auto&) { return std::string(); }},
  };
  for (const Case& c : cases) {
    const std::string token = Token();
    const HttpClient::Result r = Ask("hs&prg=Marlowfin&inf=" + c.inf(token));
    EXPECT_FALSE(r.ok) << c.name << ": " << r.body;
    EXPECT_EQ(r.failure, HttpFailure::Status) << c.name;
  }
  EXPECT_EQ(store_->Count(), 0);
  // The requests themselves, not just the records, are checked.
  for (const char* q :
       {"hs&prg=Other&inf=QQQQQQQQ", "hs&prg=Marlowfin", "version&prg=marlowfin", "version",
        "prg=Marlowfin&show&type=1", "prg=Marlowfin&show", "prg=Marlowfin",
        "version&show&prg=Marlowfin", "version&prg=Marlowfin&prg=Other"}) {
    EXPECT_FALSE(Ask(q).ok) << q;
  }
  // A refused record leaves its token usable.
  const std::string t = Token();
  EXPECT_FALSE(SendRecord("type=0|name=Bob|score=10|key=Q|p=" + t + "|add=|z=").ok);
  EXPECT_TRUE(SendRecord(Padded(good + t + "|add=|z=")).ok);
  EXPECT_EQ(store_->Count(), 1);
}

TEST_F(ScoreServiceTest, TokensAreSingleUseAndExpire) {
  const std::string t = Token();
  const std::string record = Padded("type=0|name=Bob|score=10|key=K|p=" + t + "|add=|z=");
  EXPECT_TRUE(SendRecord(record).ok);
  const HttpClient::Result replay = SendRecord(record);
  EXPECT_FALSE(replay.ok);
  EXPECT_EQ(replay.status, 403);
  EXPECT_EQ(store_->Count(), 1);

  const std::string late = Token();
  now_ += ScoreStore::kTokenLifetimeSeconds;
  EXPECT_FALSE(SendRecord(Padded("type=0|name=Bob|score=10|key=K|p=" + late + "|add=|z=")).ok);
  const std::string inTime = Token();
  now_ += ScoreStore::kTokenLifetimeSeconds - 1;
  EXPECT_TRUE(SendRecord(Padded("type=0|name=Bob|score=15|key=K|p=" + inTime + "|add=|z=")).ok);
  EXPECT_EQ(store_->Count(), 2);
}

TEST_F(ScoreServiceTest, ScoresAndTokensSurviveARestart) {
  HttpClient client;
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Kept", 775, "disk"));
  const std::string pending = Token();
  Close();
  Open();
  EXPECT_EQ(store_->Count(), 1);
  EXPECT_NE(Page().find("<td class=\"name\">Kept</td><td class=\"score\">775"), std::string::npos);
  // A token issued before the restart is still good once.
  EXPECT_TRUE(SendRecord(Padded("type=0|name=Late|score=5|key=K|p=" + pending + "|add=|z=")).ok);
  EXPECT_EQ(store_->Count(), 2);
}

TEST_F(ScoreServiceTest, PageShowsTheBestHundred) {
  for (int i = 0; i < 120; ++i) {
    ScoreRecord r;
    r.Name = "P" + std::to_string(i);
    r.Score = static_cast<uint32_t>(i * 10);
    r.P = store_->IssueToken(now_);
    ASSERT_EQ(store_->Submit(r, now_), ScoreStore::SubmitResult::Stored);
  }
  const std::string page = Page();
  EXPECT_NE(page.find("<td class=\"rank\">1</td><td class=\"name\">P119</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"rank\">100</td><td class=\"name\">P20</td>"), std::string::npos);
  EXPECT_EQ(page.find("<td class=\"rank\">101</td>"), std::string::npos);
  EXPECT_EQ(page.find("<td class=\"name\">P19</td>"), std::string::npos);
}

TEST_F(ScoreServiceTest, GameReportsAnUnreachableService) {
  const std::string base = base_;
  Close();
  HttpClient client;
  EXPECT_FALSE(SubmitWorldScore(client, base, "Bob", 10, ""));
}

TEST_F(ScoreServiceTest, ScoresNoGameCanReachAreRefused) {
  struct Case {
    uint32_t score;
    bool kept;
  };
  const Case cases[] = {
      {0, true},
      {5000, true},
      {static_cast<uint32_t>(kMaxReachableScore), true},
      {static_cast<uint32_t>(kMaxReachableScore) + 5, false},
      {5001, false},         // every source of points is a multiple of 5
      {4294967295u, false},  // the largest the record can carry
      {4294967246u, false},  // a game that ended at -50, wrapped around
      {2147483650u, false},  // beyond what the game can even show
  };
  int64_t stored = 0;
  for (const Case& c : cases) {
    const std::string t = Token();
    const HttpClient::Result r = SendRecord(BuildScoreRecord("Bob", c.score, t, ""));
    EXPECT_EQ(r.ok, c.kept) << c.score << ": " << r.body;
    if (c.kept) {
      ++stored;
      continue;
    }
    EXPECT_EQ(r.status, 403) << c.score;
    // The refusal leaves the token for the real score.
    EXPECT_TRUE(SendRecord(BuildScoreRecord("Bob", 10, t, "")).ok) << c.score;
    ++stored;
  }
  EXPECT_EQ(store_->Count(), stored);
  EXPECT_EQ(Page().find("4294967295"), std::string::npos);
}

TEST_F(ScoreServiceTest, TokensLeaveOnlyByAge) {
  // A flood of version queries is many tokens, none of which pushes out an
  // earlier one: the first token of a hundred is as good as the last.
  std::vector<std::string> tokens;
  for (int i = 0; i < 100; ++i) tokens.push_back(store_->IssueToken(now_));
  EXPECT_EQ(store_->OutstandingTokens(), 100);
  now_ += ScoreStore::kTokenLifetimeSeconds - 1;
  EXPECT_EQ(store_->PurgeTokens(now_), 0);
  EXPECT_TRUE(SendRecord(BuildScoreRecord("First", 10, tokens.front(), "")).ok);
  EXPECT_TRUE(SendRecord(BuildScoreRecord("Last", 10, tokens.back(), "")).ok);
  // Their time up, they are refused, and a version query clears them out.
  now_ += 1;
  EXPECT_FALSE(SendRecord(BuildScoreRecord("Late", 10, tokens[1], "")).ok);
  const std::string fresh = Token();
  EXPECT_EQ(store_->OutstandingTokens(), 1);
  EXPECT_TRUE(SendRecord(BuildScoreRecord("Fresh", 10, fresh, "")).ok);
  EXPECT_EQ(store_->Count(), 3);
}

TEST_F(ScoreServiceTest, OperatorRemovesEntriesByIdOrName) {
  HttpClient client;
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Cheat", 79315200, "x"));
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Cheat", 77000000, "y"));
  ASSERT_TRUE(SubmitWorldScore(client, base_, "\xC2\xE0\xED\xFF", 900, ""));  // "Ваня"
  ASSERT_TRUE(SubmitWorldScore(client, base_, "Honest", 800, ""));
  const std::vector<StoredScore> rows = store_->Best(10);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(store_->RemoveByName("Cheat"), 2);
  EXPECT_EQ(store_->RemoveByName("Cheat"), 0);
  EXPECT_EQ(store_->RemoveByName("Ваня"), 1);    // names are kept, and matched, as UTF-8
  EXPECT_EQ(store_->RemoveById(rows[3].Id), 1);  // "Honest"
  EXPECT_EQ(store_->RemoveById(rows[3].Id), 0);
  EXPECT_EQ(store_->Count(), 0);
  EXPECT_NE(Page().find("Пока нет ни одного результата."), std::string::npos);
}

#ifdef KLV_SCORES_ON_POSTGRES
TEST_F(ScoreServiceTest, ADatabaseThatCannotBeWrittenStopsTheStart) {
  // A role that may read the tables but not change them.
  const std::string db = where_.substr(where_.rfind('/') + 1);
  PgTestServer& pg = *PgTestServer::Get();
  pg.Exec(db,
          "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'reader') THEN "
          "CREATE ROLE reader LOGIN; END IF; END $$");
  pg.Exec(db, "GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader");
  const std::string reader =
      "postgresql://reader@127.0.0.1:" + std::to_string(pg.Port()) + "/" + db;
  try {
    OpenScoreStore(reader);
    ADD_FAILURE() << "opened a database it cannot write";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find("cannot write the database"), std::string::npos)
        << e.what();
  }
  // Nothing there at all is said as clearly.
  const std::string missing =
      "postgresql://postgres@127.0.0.1:" + std::to_string(pg.Port()) + "/no_such_db";
  EXPECT_THROW(OpenScoreStore(missing), StoreError);
}
#endif

#ifndef KLV_SCORES_ON_POSTGRES

TEST(ScoreRecordCheck, AcceptsTheGameRecordsExactly) {
  std::string why;
  const auto r = ParseScoreRecord(
      BuildScoreRecord("\xC2\xE0\xED\xFF", 4294967295u, "tok", "0123456789"), &why);
  ASSERT_TRUE(r.has_value()) << why;
  EXPECT_EQ(r->Name, "\xC2\xE0\xED\xFF");
  EXPECT_EQ(r->Score, 4294967295u);
  EXPECT_EQ(r->P, "tok");
  EXPECT_EQ(r->Add, "0123456789");
  EXPECT_TRUE(ParseScoreRecord(BuildScoreRecord("", 0, "t", "")).has_value());
  EXPECT_TRUE(ParseScoreRecord(BuildScoreRecord("ABCDEFGHIJKL", 1, "t", "")).has_value());
  EXPECT_FALSE(ParseScoreRecord("type=0|name=|score=0|key=K|p=t|add=|z=0000").has_value());
  EXPECT_FALSE(DecodeScoreRecord(std::string(kMaxEncodedRecord + 8, 'Q')).has_value());
}

TEST(ScoreRecordCheck, NamesTheFirstBrokenRule) {
  struct Case {
    std::string plain;  // padded to a multiple of 5 with "0" unless it already is
    const char* reason;
  };
  const Case cases[] = {
      {"type=0|name=Bob|score=1|key=K|p=t|add=|z=|", "field count"},
      {"type=0|name=Bob|score=1|key=K|p=t|add=", "field count"},
      {"type=0|nam=Bob|score=1|key=K|p=t|add=|z=", "field order"},
      {"type=00|name=Bob|score=1|key=K|p=t|add=|z=", "type"},
      {"type=0|name=Bob|score=1|key=KK|p=t|add=|z=", "key"},
      {"type=0|name=Bob|score=1|key=|p=t|add=|z=", "key"},
      {"type=0|name=Bob|score=+1|key=K|p=t|add=|z=", "score"},
      {"type=0|name=Bob|score=99999999999|key=K|p=t|add=|z=", "score"},
      {"type=0|name=Bo\x7F|score=1|key=K|p=t|add=|z=", "name"},
      {"type=0|name=Bo\x98|score=1|key=K|p=t|add=|z=", "name"},
      {"type=0|name=Bob|score=1|key=K|p=t|add=\t|z=", "add"},
      {"type=0|name=Bob|score=1|key=K|p=|add=|z=", "token"},
      {"type=0|name=Bob|score=1|key=K|p=" + std::string(kMaxTokenLength + 1, 'a') + "|add=|z=",
       "token"},
      {"type=0|name=Bob|score=1|key=K|p=t|add=|z=1", "padding"},
  };
  for (const Case& c : cases) {
    std::string plain = c.plain;
    while (plain.size() % 5 != 0) plain += '0';
    std::string why;
    EXPECT_FALSE(ParseScoreRecord(plain, &why).has_value()) << plain;
    EXPECT_EQ(why, c.reason) << plain;
  }
  std::string why;
  EXPECT_FALSE(ParseScoreRecord("type=0|name=|score=0|key=K|p=t|add=|z=0", &why).has_value());
  EXPECT_EQ(why, "length");
}

#endif  // KLV_SCORES_ON_POSTGRES

}  // namespace
}  // namespace klv::scores
