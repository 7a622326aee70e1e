#pragma once
// klevaria-scores: answers the game's version query with a single-use token,
// takes encoded score records, and serves the world table page, all at
// "/cgi/version.pl" under the product code the game sends.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace klv::scores {

class ScoreStore;

struct ServiceAnswer {
  int Status = 200;
  std::string ContentType;
  std::string Body;
};

class ScoreService {
 public:
  using Query = std::multimap<std::string, std::string>;
  using Clock = std::function<int64_t()>;  // seconds since 1970, UTC

  // The store must outlive the service. Without a clock the system's is used.
  explicit ScoreService(ScoreStore& store, Clock clock = {});

  // One request to "/cgi/version.pl" with its decoded query parameters.
  //   version&prg=P            -> "OK|<version>|<date>|<motd>|<token>|"
  //   hs&prg=P&inf=<encoded>   -> "OK|stored|", or 4xx "ERR|<reason>|"
  //   prg=P&show&type=0        -> the world table page
  ServiceAnswer Handle(const Query& query);

 private:
  ScoreStore& store_;
  Clock clock_;
};

}  // namespace klv::scores
