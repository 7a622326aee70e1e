#include "score_service.h"

#include <chrono>
#include <ctime>
#include <iterator>

#include "online/score_record.h"
#include "online/world_table.h"
#include "replay/replay_file.h"
#include "replay_verifier.h"
#include "score_bound.h"
#include "score_store.h"
#include "world_table_page.h"

namespace klv::scores {

namespace {

constexpr const char* kServiceVersion = "1.0";
constexpr const char* kMotd = "Klevaria world table";
constexpr int kPageRows = 100;
constexpr size_t kMaxReplayUpload = kReplayMaxFileBytes;
constexpr int64_t kPurgeEverySeconds = 60;
// When a player may try again after the database failed, in seconds.
constexpr int64_t kStorageRetrySeconds = 5;
// When an upload may try again after finding the queue full, in seconds.
constexpr int64_t kQueueRetrySeconds = 30;

int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string IsoDate(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return "";
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

ServiceAnswer Text(int status, std::string body) {
  return ServiceAnswer{status, "text/plain; charset=utf-8", std::move(body), 0, ""};
}

ServiceAnswer Refused(int status, const std::string& reason) {
  return Text(status, "ERR|" + reason + "|");
}

// The value of a parameter given exactly once.
const std::string* Single(const ScoreService::Query& q, const char* name) {
  const auto [first, last] = q.equal_range(name);
  if (first == last || std::next(first) != last) return nullptr;
  return &first->second;
}

}  // namespace

ScoreService::ScoreService(ScoreStore& store, Clock clock, ServiceOptions options)
    : store_(store),
      clock_(clock ? std::move(clock) : Clock(SystemSeconds)),
      versionLimit_(options.RatePerMinute),
      submitLimit_(options.RatePerMinute),
      pageLimit_(options.RatePerMinute),
      uploadLimit_(options.RatePerMinute),
      options_(std::move(options)) {}

std::vector<StoredScore> ScoreService::ReadTable() {
  std::vector<StoredScore> rows = store_.Best(kPageRows, ProofFilter::Verified);
  if (!options_.VerifiedOnly) {
    std::vector<StoredScore> rest = store_.Best(kPageRows, ProofFilter::Unverified);
    rows.insert(rows.end(), rest.begin(), rest.end());
  }
  return rows;
}

ServiceAnswer ScoreService::HandleReplay(const Query& query, bool post, const std::string& body,
                                         const std::string& client) {
  const std::string* prg = Single(query, "prg");
  if (prg == nullptr || *prg != kProductCode) return Refused(400, "product");
  const int64_t now = clock_();
  RateLimiter& limit = post ? uploadLimit_ : pageLimit_;
  if (const int64_t wait = limit.Take(ClientKey(client), now * 1000); wait > 0) {
    ServiceAnswer a = Refused(429, "busy");
    a.RetryAfter = wait;
    return a;
  }
  try {
    if (!post) {
      const std::string* id = Single(query, "id");
      if (id == nullptr || id->empty() || id->size() > 18 ||
          id->find_first_not_of("0123456789") != std::string::npos) {
        return Refused(400, "id");
      }
      const std::vector<uint8_t> replay = store_.VerifiedReplay(std::stoll(*id));
      if (replay.empty()) return Refused(404, "replay");
      ServiceAnswer a{200, "application/octet-stream", std::string(replay.begin(), replay.end()), 0,
                      ""};
      a.Disposition = "attachment; filename=\"klevaria-" + *id + ".klr\"";
      return a;
    }
    const std::string* p = Single(query, "p");
    if (p == nullptr || p->empty() || p->size() > 64) return Refused(400, "token");
    if (body.size() > kMaxReplayUpload) return Refused(413, "too big");
    const std::optional<ScoreStore::Claim> claim = store_.FindClaim(*p, now);
    if (!claim) return Refused(404, "token");
    if (claim->State != ProofState::None) return Refused(409, "proven");
    const std::string why =
        CheckReplayClaim(std::vector<uint8_t>(body.begin(), body.end()), claim->Name, claim->Score);
    if (!why.empty()) return Refused(400, why);
    if (store_.QueuedProofs() >= options_.MaxQueuedProofs) {
      ServiceAnswer a = Refused(503, "queue");
      a.RetryAfter = kQueueRetrySeconds;
      return a;
    }
    if (!store_.QueueProof(claim->Id, std::vector<uint8_t>(body.begin(), body.end()))) {
      return Refused(409, "proven");
    }
    if (options_.ProofQueued) options_.ProofQueued();
    return Text(202, "OK|queued|");
  } catch (const StoreError&) {
    ServiceAnswer a = Refused(503, "storage");
    a.RetryAfter = kStorageRetrySeconds;
    return a;
  }
}

ServiceAnswer ScoreService::Handle(const Query& query, const std::string& client) {
  const std::string* prg = Single(query, "prg");
  if (prg == nullptr || *prg != kProductCode) return Refused(400, "product");
  const bool version = query.count("version") != 0;
  const bool hs = query.count("hs") != 0;
  const bool show = query.count("show") != 0;
  if (int(version) + int(hs) + int(show) != 1) return Refused(400, "request");

  const int64_t now = clock_();
  RateLimiter& limit = version ? versionLimit_ : hs ? submitLimit_ : pageLimit_;
  if (const int64_t wait = limit.Take(ClientKey(client), now * 1000); wait > 0) {
    ServiceAnswer a = Refused(429, "busy");
    a.RetryAfter = wait;
    return a;
  }

  try {
    if (version) {
      int64_t due = nextPurge_.load();
      if (now >= due && nextPurge_.compare_exchange_strong(due, now + kPurgeEverySeconds)) {
        store_.PurgeTokens(now);
      }
      return Text(200, std::string("OK|") + kServiceVersion + "|" + IsoDate(now) + "|" + kMotd +
                           "|" + store_.IssueToken(now) + "|");
    }
    if (show) {
      const std::string* type = Single(query, "type");
      if (type == nullptr || *type != "0") return Refused(400, "type");
      const std::string* format = Single(query, "format");
      if (query.count("format") != 0 && (format == nullptr || *format != "json")) {
        return Refused(400, "format");
      }
      const bool json = format != nullptr;
      std::vector<StoredScore> rows;
      try {
        rows = ReadTable();
      } catch (const StoreError&) {
        // The last table read, marked with its age, beats no table at all.
        std::lock_guard<std::mutex> lock(pageMutex_);
        if (pageAt_ == 0 || json) throw;
        return ServiceAnswer{200, "text/html; charset=utf-8",
                             RenderWorldTablePage(pageRows_, pageAt_, now), 0, ""};
      }
      {
        std::lock_guard<std::mutex> lock(pageMutex_);
        pageRows_ = rows;
        pageAt_ = now;
      }
      if (json) return ServiceAnswer{200, "application/json", RenderWorldTableJson(rows), 0, ""};
      return ServiceAnswer{200, "text/html; charset=utf-8", RenderWorldTablePage(rows), 0, ""};
    }
    const std::string* inf = Single(query, "inf");
    if (inf == nullptr) return Refused(400, "record");
    std::string why;
    const std::optional<ScoreRecord> record = DecodeScoreRecord(*inf, &why);
    if (!record) return Refused(400, why);
    // No game reaches it (see score_bound.h); the token stays usable.
    if (!IsReachableScore(record->Score)) return Refused(403, "score");
    if (store_.Submit(*record, now) != ScoreStore::SubmitResult::Stored) {
      return Refused(403, "token");
    }
    return Text(200, "OK|stored|");
  } catch (const StoreError&) {
    ServiceAnswer a = Refused(503, "storage");
    a.RetryAfter = kStorageRetrySeconds;
    return a;
  }
}

}  // namespace klv::scores
