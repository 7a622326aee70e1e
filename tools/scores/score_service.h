#pragma once
// klevaria-scores: answers the game's version query with a single-use token,
// takes encoded score records, and serves the world table page, all at
// "/cgi/version.pl" under the product code the game sends.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "rate_limiter.h"
#include "score_store.h"

namespace klv::scores {

struct ServiceAnswer {
  int Status = 200;
  std::string ContentType;
  std::string Body;
  int64_t RetryAfter = 0;   // seconds, with status 429 or 503
  std::string Disposition;  // Content-Disposition, for a download
};

struct ServiceOptions {
  // Version queries, submissions and page views each, per client address and
  // minute; 0: no limit.
  int RatePerMinute = 30;
  // The page and its JSON show only the entries proven by their replay.
  bool VerifiedOnly = false;
  // Replays waiting for a worker at most; an upload beyond is told to come
  // back later (503).
  int64_t MaxQueuedProofs = 1000;
  // Called when a replay joins the queue (wakes the workers); may be empty.
  std::function<void()> ProofQueued;
};

class ScoreService {
 public:
  using Query = std::multimap<std::string, std::string>;
  using Clock = std::function<int64_t()>;  // seconds since 1970, UTC

  // The store must outlive the service. Without a clock the system's is used.
  explicit ScoreService(ScoreStore& store, Clock clock = {}, ServiceOptions options = {});

  // One request to "/cgi/version.pl" with its decoded query parameters, from
  // the client address `client`.
  //   version&prg=P            -> "OK|<version>|<date>|<motd>|<token>|"
  //   hs&prg=P&inf=<encoded>   -> "OK|stored|", or 4xx "ERR|<reason>|"
  //   prg=P&show&type=0        -> the world table page
  // Too many requests of a kind from one address: 429 "ERR|busy|". The
  // database failing: 503 "ERR|storage|" with a time to come back, except
  // for the page, shown as last read (with its date) when it was read before.
  ServiceAnswer Handle(const Query& query, const std::string& client = "");

  // One request to "/cgi/replay.pl" (docs/world-table-protocol.md):
  //   POST prg=P&p=<token>, body the replay file -> 202 "OK|queued|", or
  //     400 unreadable or not this entry's game, 404 no entry for the token
  //     (or too late), 409 already proven, 413 too big, 429, 503
  //   GET prg=P&id=<n>   -> a verified entry's replay file, 404 otherwise
  ServiceAnswer HandleReplay(const Query& query, bool post, const std::string& body,
                             const std::string& client = "");

 private:
  ScoreStore& store_;
  Clock clock_;
  RateLimiter versionLimit_;
  RateLimiter submitLimit_;
  RateLimiter pageLimit_;
  RateLimiter uploadLimit_;
  ServiceOptions options_;
  std::atomic<int64_t> nextPurge_{0};
  std::mutex pageMutex_;  // guards the last table read
  std::vector<StoredScore> pageRows_;
  std::vector<StoredScore> ReadTable();
  int64_t pageAt_ = 0;  // when it was read; 0: never
};

}  // namespace klv::scores
