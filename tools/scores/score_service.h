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
  int64_t RetryAfter = 0;  // seconds, with status 429 or 503
};

struct ServiceOptions {
  // Version queries, submissions and page views each, per client address and
  // minute; 0: no limit.
  int RatePerMinute = 30;
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

 private:
  ScoreStore& store_;
  Clock clock_;
  RateLimiter versionLimit_;
  RateLimiter submitLimit_;
  RateLimiter pageLimit_;
  std::atomic<int64_t> nextPurge_{0};
  std::mutex pageMutex_;  // guards the last table read
  std::vector<StoredScore> pageRows_;
  int64_t pageAt_ = 0;  // when it was read; 0: never
};

}  // namespace klv::scores
