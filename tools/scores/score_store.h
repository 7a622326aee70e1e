#pragma once
// The world table's storage: scores and the single-use tokens handed out by
// the version answer. Two kinds: an SQLite file for one machine (the
// default), and a PostgreSQL database that several services share. Every
// store is safe to use from many threads.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace klv::scores {

struct ScoreRecord;

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StoredScore {
  int64_t Id = 0;    // the entry's number, for the operator
  std::string Name;  // UTF-8
  uint32_t Score = 0;
  std::string Add;        // UTF-8
  int64_t Submitted = 0;  // seconds since 1970, UTC
};

class ScoreStore {
 public:
  // How long a token stays valid. Tokens leave only by age: a flood of
  // version queries can never push out a player's token.
  static constexpr int64_t kTokenLifetimeSeconds = 600;

  virtual ~ScoreStore() = default;

  // Where the data lives, for messages (a file name, or the database address).
  virtual std::string Where() const = 0;

  // A fresh random token, remembered from `now` on.
  virtual std::string IssueToken(int64_t now) = 0;
  // Forgets the tokens issued `kTokenLifetimeSeconds` or more before `now`;
  // returns how many.
  virtual int64_t PurgeTokens(int64_t now) = 0;
  virtual int64_t OutstandingTokens() = 0;

  enum class SubmitResult { Stored, UnknownToken };
  // Uses up the record's token and stores the score at once; nothing is
  // stored when the token is unknown, used or expired. Names and texts are
  // converted from code page 1251 to UTF-8.
  virtual SubmitResult Submit(const ScoreRecord& record, int64_t now) = 0;

  // The best scores, highest first; equal scores in the order they came.
  virtual std::vector<StoredScore> Best(int limit) = 0;
  virtual int64_t Count() = 0;

  // The operator's clean-up of forged entries; each returns how many went.
  virtual int64_t RemoveById(int64_t id) = 0;
  virtual int64_t RemoveByName(const std::string& utf8Name) = 0;
};

// True for "postgresql://..." and "postgres://..." addresses.
bool IsPostgresAddress(std::string_view where);

// Opens a PostgreSQL address with up to `connections` connections at once,
// or else the SQLite file of that name, creating what is missing. Throws
// StoreError, with a message for the operator, when the data cannot be
// reached or cannot be written: the service never starts read-only.
// Read-only (for the operator's look at the data, a backup's too), nothing
// is created or written, and every change throws.
std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& where, int connections = 4,
                                           bool readOnly = false);

// 128 random bits as 32 hex digits.
std::string RandomToken();

}  // namespace klv::scores
