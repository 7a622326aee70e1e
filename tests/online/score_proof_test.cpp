// World-table entries proven by their replays: a real game recorded by the
// headless runner is uploaded after its score and played again by the
// service's workers; a record sent without one, or with an edited one, stays
// unverified, and a broken upload is refused at once while the service goes
// on answering.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/game_recorder.h"
#include "app/script_runner.h"
#include "http/http_client.h"
#include "online/score_record.h"
#include "online/world_table.h"
#include "proof_pool.h"
#include "replay/replay_file.h"
#include "replay_verifier.h"
#include "score_server.h"
#include "score_service.h"
#include "score_store.h"
#include "score_test_store.h"
#include "world_table_page.h"
#ifdef KLV_SCORES_ON_POSTGRES
#include <libpq-fe.h>
#include <signal.h>

#include "pg_test_server.h"
#include "siege.h"
#endif

namespace klv::scores {
namespace {

namespace fs = std::filesystem;

// A folder with the game's data, as the service is given it.
std::string GameDir() {
  return std::string(KLV_GAME_DIR) + "/";
}

// A game of the real game, recorded once per program: the autopilot fishes
// for a while, then the player leaves the game. Named "Bob" afterwards, as
// the name entry would have.
const ReplayFile& RecordedGame() {
  static const ReplayFile game = [] {
    const fs::path dir = fs::temp_directory_path() / ("klv-proof-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* sub : {"Data", "Sound"})
      fs::create_directory_symlink(fs::path(KLV_GAME_DIR) / sub, dir / sub);
    ScriptOptions options;
    options.appDir = dir.string();
    options.scoreService = "http://127.0.0.1:1";
    std::string path;
    {
      ScriptRunner runner(options);
      std::ostringstream out, err;
      EXPECT_EQ(runner.Run("seed 8\nwait 300\nkey Return\nwait 2500\nautopilot on\nwait 8000\n"
                           "autopilot off\nkey Escape\nkey Y\nwait 100\n",
                           out, err),
                0)
          << err.str();
      runner.Recorder().Finish();
      path = runner.Recorder().LastPath();
    }
    ReplayFile f = ReadReplayFile(path);
    fs::remove_all(dir);
    f.Result.Name = "Bob";
    return f;
  }();
  return game;
}

std::string Bytes(const ReplayFile& f) {
  const std::vector<uint8_t> b = EncodeReplay(f);
  return std::string(b.begin(), b.end());
}

class ScoreProofTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> serial{0};
    dir_ = fs::temp_directory_path() /
           ("klv-proofs-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    where_ = FreshDatabase(dir_);
    ASSERT_FALSE(where_.empty());
    store_ = OpenScoreStore(where_);
    ProofPool::Options po;
    po.Workers = 1;
    po.IdleMs = 50;
    pool_ = std::make_unique<ProofPool>(
        *store_,
        [](const std::vector<uint8_t>& r, const std::atomic<bool>& stop) {
          return PlayReplay(r, GameDir(), 120, &stop);
        },
        po, [this] { return now_.load(); });
    ServiceOptions so;
    so.RatePerMinute = 0;
    so.ProofQueued = [this] { pool_->Wake(); };
    service_ = std::make_unique<ScoreService>(
        *store_, [this] { return now_.load(); }, so);
    server_ = std::make_unique<ScoreServer>(*service_);
    ScoreServer::Options o;
    o.Port = 0;
    const int port = server_->Start(o);
    ASSERT_GT(port, 0);
    base_ = "http://127.0.0.1:" + std::to_string(port);
    pool_->Start();
  }
  void TearDown() override {
    server_.reset();
    pool_.reset();
    service_.reset();
    store_.reset();
    fs::remove_all(dir_);
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
  // The game's two requests, as a forger's script makes them too.
  std::string SubmitScore(const std::string& name, uint32_t score) {
    const std::string p = Token();
    const HttpClient::Result r =
        Ask("hs&prg=Marlowfin&inf=" + InfEncode(BuildScoreRecord(name, score, p, "")));
    EXPECT_EQ(r.body, "OK|stored|") << r.error;
    return p;
  }
  HttpClient::Result Upload(const std::string& p, const std::string& body) {
    HttpClient client;
    return client.Post(ReplayUploadUrl(base_, p), body, "application/octet-stream");
  }
  std::string Json() {
    const HttpClient::Result r = Ask("prg=Marlowfin&show&type=0&format=json");
    EXPECT_TRUE(r.ok) << r.error;
    return r.body;
  }
  // Waits until the workers have emptied the queue and counted as many
  // verdicts (bounded). The store leaves the queue before the pool counts
  // the verdict, so an empty queue alone does not mean the count is final.
  void WaitForVerdicts(int64_t verdicts = 1) {
    const auto done = [&] {
      return store_->QueuedProofs() == 0 && pool_->Verified() + pool_->Refused() >= verdicts;
    };
    for (int i = 0; i < 3000 && !done(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(store_->QueuedProofs(), 0);
    ASSERT_EQ(pool_->Verified() + pool_->Refused(), verdicts);
  }

  fs::path dir_;
  std::string where_;
  std::atomic<int64_t> now_{1'765'000'000};
  std::unique_ptr<ScoreStore> store_;
  std::unique_ptr<ProofPool> pool_;
  std::unique_ptr<ScoreService> service_;
  std::unique_ptr<ScoreServer> server_;
  std::string base_;
};

// The forger's two GET requests still put a score in the table, but apart:
// unverified, below every proven entry, and gone with --verified-only.
TEST_F(ScoreProofTest, AForgedGetOnlyRecordStaysUnverified) {
  SubmitScore("Cheat", 79315200);
  const ReplayFile& game = RecordedGame();
  Upload(SubmitScore("Bob", game.Result.Score), Bytes(game));
  WaitForVerdicts();

  EXPECT_EQ(
      Json(),
      "{\"rows\":[\n{\"rank\":1,\"name\":\"Bob\",\"score\":" + std::to_string(game.Result.Score) +
          ",\"verified\":true,\"date\":\"2025-12-06T05:46:40Z\",\"replay\":"
          "\"replay.pl?prg=Marlowfin&id=2\"},\n{\"rank\":2,\"name\":\"Cheat\",\"score\":"
          "79315200,\"verified\":false,\"date\":\"2025-12-06T05:46:40Z\"}\n]}\n");
  const std::string page = Ask("prg=Marlowfin&show&type=0").body;
  const size_t bob = page.find("<td class=\"name\">Bob</td>");
  const size_t apart = page.find("<h2>Не проверено</h2>");
  const size_t cheat = page.find("<td class=\"name\">Cheat</td>");
  ASSERT_NE(bob, std::string::npos) << page;
  ASSERT_NE(apart, std::string::npos);
  ASSERT_NE(cheat, std::string::npos);
  EXPECT_LT(bob, apart);
  EXPECT_LT(apart, cheat);
  EXPECT_NE(page.find("<span class=\"verified\">проверено</span> <a href=\"replay.pl?prg="
                      "Marlowfin&amp;id=2\" download>",
                      bob),
            std::string::npos);
  EXPECT_NE(page.find("<span class=\"unverified\">не проверено</span>", cheat), std::string::npos);

  // The operator's list says the same.
  const std::string cmd =
      std::string(KLV_BIN_DIR) + "/klevaria-scores --db '" + where_ + "' --list 5 2>&1";
  FILE* list = popen(cmd.c_str(), "r");
  ASSERT_NE(list, nullptr);
  std::string listed;
  char buf[512];
  for (size_t n; (n = fread(buf, 1, sizeof buf, list)) > 0;) listed.append(buf, n);
  EXPECT_EQ(WEXITSTATUS(pclose(list)), 0) << listed;
  const std::string date = "\t2025-12-06 05:46";
  EXPECT_NE(listed.find("\tBob\t" + date + "\tverified\n"), std::string::npos) << listed;
  EXPECT_NE(listed.find("\tCheat\t" + date + "\tunverified\n"), std::string::npos) << listed;

  ServiceOptions only;
  only.RatePerMinute = 0;
  only.VerifiedOnly = true;
  ScoreService strict(
      *store_, [this] { return now_.load(); }, only);
  const ScoreService::Query show = {{"prg", "Marlowfin"}, {"show", ""}, {"type", "0"}};
  const std::string shown = strict.Handle(show).Body;
  EXPECT_NE(shown.find("<td class=\"name\">Bob</td>"), std::string::npos);
  EXPECT_EQ(shown.find("Cheat"), std::string::npos);
}

// The whole way: the replay is taken (202), proven, offered for download
// byte for byte, and a second upload for the same entry is refused.
TEST_F(ScoreProofTest, AReplayProvesItsEntryAndCanBeDownloaded) {
  const ReplayFile& game = RecordedGame();
  const std::string p = SubmitScore("Bob", game.Result.Score);
  const HttpClient::Result up = Upload(p, Bytes(game));
  EXPECT_EQ(up.status, 202) << up.error;
  EXPECT_EQ(up.body, "OK|queued|");
  WaitForVerdicts();
  EXPECT_EQ(pool_->Verified(), 1);
  ASSERT_NE(Json().find("\"verified\":true"), std::string::npos) << Json();

  HttpClient client;
  const HttpClient::Result got = client.Get(base_ + "/cgi/replay.pl?prg=Marlowfin&id=1");
  ASSERT_TRUE(got.ok) << got.error;
  EXPECT_EQ(got.body, Bytes(game));
  const ServiceAnswer a = service_->HandleReplay({{"prg", "Marlowfin"}, {"id", "1"}}, false, "");
  EXPECT_EQ(a.ContentType, "application/octet-stream");
  EXPECT_EQ(a.Disposition, "attachment; filename=\"klevaria-1.klr\"");

  EXPECT_EQ(Upload(p, Bytes(game)).status, 409);
}

// A replay whose score was edited (its checksum made good again) matches
// the submitted score, so it is taken; played again it does not end there,
// and the entry stays unverified with nothing to download.
TEST_F(ScoreProofTest, AReplayWithAnEditedScoreIsRefused) {
  ReplayFile edited = RecordedGame();
  edited.Result.Score += 10;
  const std::string p = SubmitScore("Bob", edited.Result.Score);
  EXPECT_EQ(Upload(p, Bytes(edited)).status, 202);
  WaitForVerdicts();
  EXPECT_EQ(pool_->Refused(), 1);
  EXPECT_EQ(pool_->Verified(), 0);
  EXPECT_NE(Json().find("\"verified\":false"), std::string::npos);
  EXPECT_EQ(Json().find("\"verified\":true"), std::string::npos);
  HttpClient client;
  EXPECT_EQ(client.Get(base_ + "/cgi/replay.pl?prg=Marlowfin&id=1").status, 404);
  // Refused is final: the same token cannot try again.
  EXPECT_EQ(Upload(p, Bytes(RecordedGame())).status, 409);
}

// Broken, foreign and mismatched uploads get a 4xx at once; nothing is
// queued, the entry may still be proven, and the service answers throughout.
TEST_F(ScoreProofTest, BadUploadsAreRefusedAtOnce) {
  const ReplayFile& game = RecordedGame();
  const std::string good = Bytes(game);
  std::string flipped = good;
  flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x10);
  ReplayFile foreign = game;
  foreign.GameVersion = "0.9.0";
  ReplayFile renamed = game;
  renamed.Result.Name = "Eve";
  ReplayFile rescored = game;
  rescored.Result.Score += 5;
  struct Case {
    const char* what;
    std::string body;
    int status;
  };
  const Case cases[] = {
      {"truncated", good.substr(0, good.size() / 2), 400},
      {"bit-flipped", flipped, 400},
      {"oversized", std::string(kReplayMaxFileBytes + 1, 'K'), 413},
      {"foreign version", Bytes(foreign), 400},
      {"hand-made", std::string("KLVR\x01\0\0\0garbage", 15), 400},
      {"empty", "", 400},
      {"another name", Bytes(renamed), 400},
      {"another score", Bytes(rescored), 400},
  };
  const std::string p = SubmitScore("Bob", game.Result.Score);
  for (const Case& c : cases) {
    const HttpClient::Result r = Upload(p, c.body);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(store_->QueuedProofs(), 0) << c.what;
    EXPECT_EQ(ParseVersionAnswer(Ask("version&prg=Marlowfin").body).P.size(), 32u) << c.what;
  }
  EXPECT_EQ(Upload("0123456789abcdef0123456789abcdef", good).status, 404);  // no such entry
  now_ += ScoreStore::kTokenLifetimeSeconds + 1;
  EXPECT_EQ(Upload(p, good).status, 404);  // too late
  now_ -= ScoreStore::kTokenLifetimeSeconds + 1;
  EXPECT_EQ(Upload(p, good).status, 202);
  WaitForVerdicts();
  EXPECT_EQ(pool_->Verified(), 1);
}

// Uploads count against their address like the other requests; another
// address is not held up.
TEST_F(ScoreProofTest, UploadsAreRateLimitedPerAddress) {
  ServiceOptions limited;
  limited.RatePerMinute = 2;
  ScoreService service(
      *store_, [this] { return now_.load(); }, limited);
  const ScoreService::Query q = {{"prg", "Marlowfin"}, {"p", "nosuchtoken"}};
  EXPECT_EQ(service.HandleReplay(q, true, "x", "192.0.2.1").Status, 404);
  EXPECT_EQ(service.HandleReplay(q, true, "x", "192.0.2.1").Status, 404);
  const ServiceAnswer busy = service.HandleReplay(q, true, "x", "192.0.2.1");
  EXPECT_EQ(busy.Status, 429);
  EXPECT_GT(busy.RetryAfter, 0);
  EXPECT_EQ(service.HandleReplay(q, true, "x", "192.0.2.2").Status, 404);
}

// A job is held by one worker at a time; when its worker dies (its lease
// runs out) it goes back to the queue, and one that killed every worker it
// met is given up.
TEST_F(ScoreProofTest, AJobWhoseWorkerDiedReturnsToTheQueue) {
  pool_->Stop();
  const ReplayFile& game = RecordedGame();
  const std::string p = SubmitScore("Bob", game.Result.Score);
  const std::optional<ScoreStore::Claim> claim = store_->FindClaim(p, now_);
  ASSERT_TRUE(claim.has_value());
  ASSERT_TRUE(store_->QueueProof(claim->Id, EncodeReplay(game)));
  EXPECT_FALSE(store_->QueueProof(claim->Id, EncodeReplay(game)));

  const int64_t t = now_;
  const std::optional<ProofJob> first = store_->TakeProof(t, 60);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->Name, "Bob");
  EXPECT_EQ(first->Tries, 0);
  EXPECT_FALSE(store_->TakeProof(t + 59, 60).has_value());  // still held
  const std::optional<ProofJob> again = store_->TakeProof(t + 60, 60);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->Id, first->Id);
  EXPECT_EQ(again->Tries, 1);
  EXPECT_EQ(again->Replay, EncodeReplay(game));
  EXPECT_EQ(store_->QueuedProofs(), 1);

  // A fresh pool takes it up once the lease has run out and proves it.
  now_ = t + 200;
  pool_ = std::make_unique<ProofPool>(
      *store_,
      [](const std::vector<uint8_t>& r, const std::atomic<bool>& stop) {
        return PlayReplay(r, GameDir(), 120, &stop);
      },
      ProofPool::Options{1, 60, 50, 3}, [this] { return now_.load(); });
  pool_->Start();
  WaitForVerdicts();
  EXPECT_EQ(pool_->Verified(), 1);
  EXPECT_FALSE(store_->VerifiedReplay(claim->Id).empty());
}

// A stop does not wait for a replay being played: its verifier is killed and
// the job goes back to the queue at once, its try not counted, for the next
// start. The verifier here is a stand-in that would take a minute.
TEST_F(ScoreProofTest, AStopGivesUpTheReplayBeingPlayedAndReturnsIt) {
  pool_->Stop();
  const fs::path slow = dir_ / "slow-verifier";
  {
    std::ofstream f(slow);
    f << "#!/bin/sh\necho $$ > \"$0.pid\"\nexec sleep 60\n";
  }
  fs::permissions(slow, fs::perms::owner_all);
  const ReplayFile& game = RecordedGame();
  const std::optional<ScoreStore::Claim> claim =
      store_->FindClaim(SubmitScore("Bob", game.Result.Score), now_);
  ASSERT_TRUE(claim.has_value());
  ASSERT_TRUE(store_->QueueProof(claim->Id, EncodeReplay(game)));

  pool_ = std::make_unique<ProofPool>(
      *store_,
      [&](const std::vector<uint8_t>& r, const std::atomic<bool>& stop) {
        return PlayReplayInChild(slow.string(), r, GameDir(), 60, &stop);
      },
      ProofPool::Options{1, 60, 50, 3}, [this] { return now_.load(); });
  pool_->Start();
  const fs::path pidFile = slow.string() + ".pid";
  pid_t child = 0;
  for (int i = 0; i < 200 && child == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(pidFile);
    in >> child;
  }
  ASSERT_GT(child, 0) << "the verifier never started";

  const auto start = std::chrono::steady_clock::now();
  pool_->Stop();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("stopped %.2f s after the verifier started\n", seconds);
  EXPECT_LT(seconds, 30.0) << "the stop waited for the verifier";
  EXPECT_EQ(kill(child, 0), -1) << "the verifier still runs";
  EXPECT_EQ(pool_->Verified() + pool_->Refused(), 0);

  const std::optional<ProofJob> again = store_->TakeProof(now_, 60);
  ASSERT_TRUE(again.has_value()) << "the job is not free again";
  EXPECT_EQ(again->Id, claim->Id);
  EXPECT_EQ(again->Tries, 0);
}

// The verdict of `klevaria-scores --verify FILE`, as an operator runs it,
// and of the child process the service's workers start.
TEST(ScoreProofCommand, VerifiesAFileAsTheServiceWould) {
  const fs::path dir = fs::temp_directory_path() / ("klv-verify-" + std::to_string(getpid()));
  fs::create_directories(dir);
  ReplayFile edited = RecordedGame();
  edited.Result.Score += 10;
  WriteReplayFile((dir / "good.klr").string(), RecordedGame());
  WriteReplayFile((dir / "edited.klr").string(), edited);
  const std::string program = std::string(KLV_BIN_DIR) + "/klevaria-scores";
  struct Case {
    const char* file;
    int status;
    const char* says;
  };
  for (const Case& c : {Case{"good.klr", 0, "verified: score "},
                        Case{"edited.klr", 1, "refused: played again it ends with score"},
                        Case{"missing.klr", 1, "refused: cannot read"}}) {
    const std::string cmd = program + " --verify " + (dir / c.file).string() + " --game-dir " +
                            GameDir() + " 2>/dev/null";
    FILE* out = popen(cmd.c_str(), "r");
    ASSERT_NE(out, nullptr);
    char buf[512] = "";
    const size_t n = fread(buf, 1, sizeof buf - 1, out);
    buf[n] = '\0';
    const int status = pclose(out);
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.file << ": " << buf;
    EXPECT_EQ(std::string(buf).rfind(c.says, 0), 0u) << c.file << ": " << buf;
  }
  const std::vector<uint8_t> good = EncodeReplay(RecordedGame());
  EXPECT_TRUE(PlayReplayInChild(program, good, GameDir(), 120).Verified);
  const Verdict refused = PlayReplayInChild(program, EncodeReplay(edited), GameDir(), 120);
  EXPECT_FALSE(refused.Verified);
  EXPECT_EQ(refused.Reason.rfind("played again it ends with score", 0), 0u) << refused.Reason;
  fs::remove_all(dir);
}

// Names in the JSON table are the players' own text: every one stays a
// string, and nothing in it reads as markup to a page that embeds it.
TEST(WorldTableJson, HostileNamesStayStrings) {
  const struct {
    const char* name;
    const char* written;
  } cases[] = {
      {"Щукарь", "Щукарь"},
      {"a\"b", "a\\\"b"},
      {"back\\slash", "back\\\\slash"},
      {"</script><b>&", "\\u003c/script\\u003e\\u003cb\\u003e\\u0026"},
      {"tab\tnl\n", "tab\\u0009nl\\u000a"},
  };
  for (const auto& c : cases) {
    StoredScore row;
    row.Id = 3;
    row.Name = c.name;
    row.Score = 5;
    row.Submitted = 0;
    EXPECT_EQ(RenderWorldTableJson({row}),
              std::string("{\"rows\":[\n{\"rank\":1,\"name\":\"") + c.written +
                  "\",\"score\":5,\"verified\":false,\"date\":\"1970-01-01T00:00:00Z\"}\n]}\n")
        << c.name;
  }
}

#ifndef KLV_SCORES_ON_POSTGRES
// A table made before the proofs opens: read-only as it lies (its entries
// all unverified), and for the service with the new columns added in place,
// its entries kept and unproven, ready to be proven.
TEST(ScoreProofMigration, AnOlderDatabaseOpensAndGainsTheProofs) {
  const fs::path dir = fs::temp_directory_path() / ("klv-old-db-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string file = (dir / "scores.db").string();
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE scores (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                           " score INTEGER NOT NULL, add_text TEXT NOT NULL,"
                           " submitted INTEGER NOT NULL);"
                           "CREATE TABLE tokens (p TEXT PRIMARY KEY, issued INTEGER NOT NULL);"
                           "CREATE TABLE service (k TEXT PRIMARY KEY, v TEXT NOT NULL);"
                           "INSERT INTO scores VALUES (1, 'Old', 4200, '', 1765000000);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  {
    const std::unique_ptr<ScoreStore> looking = OpenScoreStore(file, 1, true);
    const std::vector<StoredScore> rows = looking->Best(10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0].Verified);
    EXPECT_TRUE(looking->Best(10, ProofFilter::Verified).empty());
    EXPECT_EQ(looking->Best(10, ProofFilter::Unverified).size(), 1u);
  }
  const std::unique_ptr<ScoreStore> store = OpenScoreStore(file);
  ASSERT_EQ(store->Best(10, ProofFilter::Unverified).size(), 1u);
  EXPECT_EQ(store->Best(10, ProofFilter::Unverified)[0].Name, "Old");
  const std::string p = store->IssueToken(1'765'000'100);
  ScoreRecord r;
  r.Name = "Bob";
  r.Score = RecordedGame().Result.Score;
  r.P = p;
  ASSERT_EQ(store->Submit(r, 1'765'000'100), ScoreStore::SubmitResult::Stored);
  const std::optional<ScoreStore::Claim> claim = store->FindClaim(p, 1'765'000'100);
  ASSERT_TRUE(claim.has_value());
  EXPECT_TRUE(store->QueueProof(claim->Id, EncodeReplay(RecordedGame())));
  fs::remove_all(dir);
}
#endif

#ifdef KLV_SCORES_ON_POSTGRES
// The children of a process: the replays its workers are playing.
std::vector<pid_t> Children(pid_t parent) {
  std::vector<pid_t> found;
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(e.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state = 0;
    pid_t ppid = 0;
    if (rest >> state >> ppid && ppid == parent) found.push_back(std::stoi(name));
  }
  return found;
}

// A database made before the proofs gains them in place, its entries kept.
TEST(ScoreProofPostgres, AnOlderDatabaseGainsTheProofs) {
  PgTestServer* pg = PgTestServer::Get();
  ASSERT_NE(pg, nullptr) << PgTestServer::Problem();
  const std::string db = pg->NewDatabase();
  {
    PGconn* c = PQconnectdb(db.c_str());
    ASSERT_EQ(PQstatus(c), CONNECTION_OK) << PQerrorMessage(c);
    PGresult* r = PQexec(c,
                         "CREATE TABLE scores (id BIGSERIAL PRIMARY KEY, name TEXT NOT NULL,"
                         " score BIGINT NOT NULL, add_text TEXT NOT NULL,"
                         " submitted BIGINT NOT NULL);"
                         "CREATE TABLE tokens (p TEXT PRIMARY KEY, issued BIGINT NOT NULL);"
                         "INSERT INTO scores (name, score, add_text, submitted)"
                         " VALUES ('Old', 4200, '', 1765000000);");
    EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
  }
  {
    const std::unique_ptr<ScoreStore> looking = OpenScoreStore(db, 1, true);
    ASSERT_EQ(looking->Best(10).size(), 1u);
    EXPECT_TRUE(looking->Best(10, ProofFilter::Verified).empty());
  }
  const std::unique_ptr<ScoreStore> store = OpenScoreStore(db);
  const std::vector<StoredScore> rows = store->Best(10, ProofFilter::Unverified);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, "Old");
  EXPECT_FALSE(rows[0].Verified);
  EXPECT_EQ(store->QueuedProofs(), 0);
}

// Two services on one database share its queue: uploads made to the first,
// which is killed while it plays one of them, are all proven by the second,
// the one it held as soon as its lease runs out.
TEST(ScoreProofPostgres, TwoServicesShareTheQueueAndAKilledOneLosesNothing) {
  PgTestServer* pg = PgTestServer::Get();
  ASSERT_NE(pg, nullptr) << PgTestServer::Problem();
  const std::string db = pg->NewDatabase();
  const std::string binary = std::string(KLV_BIN_DIR) + "/klevaria-scores";
  const std::vector<std::string> args = {
      "--db",       db,        "--rate",           "0", "--workers", "1",
      "--game-dir", GameDir(), "--verify-seconds", "20"};
  const ReplayFile& game = RecordedGame();
  constexpr int kUploads = 3;
  auto base = [](const siege::ServiceProcess& p) {
    return "http://127.0.0.1:" + std::to_string(p.Port());
  };
  std::string error;
  siege::ServiceProcess first;
  ASSERT_TRUE(first.Start(binary, args, &error)) << error;
  for (int i = 0; i < kUploads; ++i) {
    HttpClient client;
    const std::string name = "P" + std::to_string(i);
    const VersionAnswer v = ParseVersionAnswer(client.Get(VersionQueryUrl(base(first))).body);
    ReplayFile named = game;
    named.Result.Name = name;
    ASSERT_EQ(client
                  .Get(ScoreQueryUrl(base(first),
                                     InfEncode(BuildScoreRecord(name, game.Result.Score, v.P, ""))))
                  .body,
              "OK|stored|");
    const std::string bytes = Bytes(named);
    EXPECT_EQ(
        client.Post(ReplayUploadUrl(base(first), v.P), bytes, "application/octet-stream").status,
        202);
  }
  // Killed in the middle of playing a replay.
  bool playing = false;
  for (int i = 0; i < 2000 && !playing; ++i) {
    playing = !Children(first.Pid()).empty();
    if (!playing) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(playing) << "the first service never started a replay";
  kill(first.Pid(), SIGKILL);
  first.Terminate(5);

  siege::ServiceProcess second;
  ASSERT_TRUE(second.Start(binary, args, &error)) << error;
  const std::unique_ptr<ScoreStore> store = OpenScoreStore(db);
  // The lease is the time limit and 30 s: the held job comes back after it.
  int verified = 0;
  for (int i = 0; i < 240 && verified < kUploads; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    verified = static_cast<int>(store->Best(100, ProofFilter::Verified).size());
  }
  EXPECT_EQ(verified, kUploads) << second.Terminate(5) << second.Output();
  EXPECT_EQ(store->QueuedProofs(), 0);
}
#endif

}  // namespace
}  // namespace klv::scores
