#pragma once
// The world table's storage: scores and the single-use tokens handed out by
// the version answer, in one SQLite file (write-ahead log, each submission
// one transaction). Safe to use from many threads; calls are serialised.

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace klv::scores {

struct ScoreRecord;

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StoredScore {
  std::string Name;  // UTF-8
  uint32_t Score = 0;
  std::string Add;        // UTF-8
  int64_t Submitted = 0;  // seconds since 1970, UTC
};

class ScoreStore {
 public:
  // How long a token stays valid, and how many may be outstanding at once
  // (the oldest are forgotten first).
  static constexpr int64_t kTokenLifetimeSeconds = 600;
  static constexpr int64_t kMaxOutstandingTokens = 10000;

  // Opens or creates the database; throws StoreError when it cannot.
  explicit ScoreStore(const std::string& path);
  ~ScoreStore();
  ScoreStore(const ScoreStore&) = delete;
  ScoreStore& operator=(const ScoreStore&) = delete;

  // A fresh random token, remembered from `now` on.
  std::string IssueToken(int64_t now);

  enum class SubmitResult { Stored, UnknownToken };
  // Uses up the record's token and stores the score in one transaction;
  // nothing is stored when the token is unknown, used or expired. Names and
  // texts are converted from code page 1251 to UTF-8.
  SubmitResult Submit(const ScoreRecord& record, int64_t now);

  // The best scores, highest first; equal scores in the order they came.
  std::vector<StoredScore> Best(int limit);
  int64_t Count();

 private:
  void Exec(const char* sql);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace klv::scores
