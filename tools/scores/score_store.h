#pragma once
// The world table's storage: scores and the single-use tokens handed out by
// the version answer. Two kinds: an SQLite file for one machine (the
// default), and a PostgreSQL database that several services share. Every
// store is safe to use from many threads.

#include <cstdint>
#include <memory>
#include <optional>
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
  bool Verified = false;  // proven by its replay, which can be downloaded
};

// Where an entry's proof stands.
enum class ProofState { None = 0, Queued = 1, Verified = 2, Refused = 3 };

// Which entries a table shows.
enum class ProofFilter { Any, Verified, Unverified };

// A replay waiting to be played again, taken by one worker for a while.
struct ProofJob {
  int64_t Id = 0;    // the entry's number
  std::string Name;  // UTF-8, as submitted
  uint32_t Score = 0;
  std::vector<uint8_t> Replay;
  int Tries = 0;  // workers that took it before, and did not finish
};

class ScoreStore {
 public:
  // How long a token stays valid. Tokens leave only by age: a flood of
  // version queries can never push out a player's token.
  static constexpr int64_t kTokenLifetimeSeconds = 600;

  virtual ~ScoreStore() = default;

  // Where the data lives, for messages (a file name, or the database address).
  virtual std::string Where() const = 0;

  // The service is stopping: calls waiting on the database give up at once,
  // and later ones fail without waiting. A store whose calls cannot hang
  // has nothing to do.
  virtual void Interrupt() {}

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
  std::vector<StoredScore> Best(int limit) { return Best(limit, ProofFilter::Any); }
  virtual std::vector<StoredScore> Best(int limit, ProofFilter which) = 0;
  virtual int64_t Count() = 0;

  // Proving an entry by its replay. A replay is tied to the token its score
  // used, and is taken only within kTokenLifetimeSeconds of the score.
  struct Claim {
    int64_t Id = 0;
    std::string Name;  // UTF-8
    uint32_t Score = 0;
    ProofState State = ProofState::None;
  };
  // The entry stored with token `p` no earlier than the lifetime before `now`.
  virtual std::optional<Claim> FindClaim(const std::string& p, int64_t now) = 0;
  // Puts the replay in the queue for entry `id` when the entry has no proof
  // yet; false when it already has one (queued, verified or refused).
  virtual bool QueueProof(int64_t id, const std::vector<uint8_t>& replay) = 0;
  // Replays waiting, taken or not.
  virtual int64_t QueuedProofs() = 0;
  // Takes the oldest replay that no worker holds, for `leaseSeconds` from
  // `now`: a job whose worker died returns to the queue when its lease ends.
  virtual std::optional<ProofJob> TakeProof(int64_t now, int64_t leaseSeconds) = 0;
  // The verdict: the job leaves the queue; a verified entry keeps its replay.
  virtual void FinishProof(int64_t id, bool verified) = 0;
  // A job given up unplayed (the service is stopping): free again at once,
  // and the try not counted.
  virtual void ReturnProof(int64_t id) = 0;
  // A verified entry's replay; empty when there is none.
  virtual std::vector<uint8_t> VerifiedReplay(int64_t id) = 0;

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
