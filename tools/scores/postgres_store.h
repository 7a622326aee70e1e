#pragma once
// The world table in a PostgreSQL database, shared by every service that
// names it: a small pool of connections, each submission one statement that
// uses up its token and stores the score together. Every call is bounded:
// a database that hangs or has gone away costs a call at most kCallMs, after
// which calls fail at once (StoreError) while a thread of the store's own
// tries the database again, no more than a few times a second.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "score_store.h"

typedef struct pg_conn PGconn;

namespace klv::scores {

class PostgresStore : public ScoreStore {
 public:
  // `address` is a postgresql:// address as libpq reads it. Creates the
  // tables when missing and proves they can be written; read-only, only
  // reads, in read-only transactions.
  PostgresStore(const std::string& address, int connections, bool readOnly = false);
  ~PostgresStore() override;
  PostgresStore(const PostgresStore&) = delete;
  PostgresStore& operator=(const PostgresStore&) = delete;

  std::string Where() const override { return shown_; }
  std::string IssueToken(int64_t now) override;
  int64_t PurgeTokens(int64_t now) override;
  int64_t OutstandingTokens() override;
  SubmitResult Submit(const ScoreRecord& record, int64_t now) override;
  using ScoreStore::Best;
  std::vector<StoredScore> Best(int limit, ProofFilter which) override;
  std::optional<Claim> FindClaim(const std::string& p, int64_t now) override;
  bool QueueProof(int64_t id, const std::vector<uint8_t>& replay) override;
  int64_t QueuedProofs() override;
  std::optional<ProofJob> TakeProof(int64_t now, int64_t leaseSeconds) override;
  void FinishProof(int64_t id, bool verified) override;
  void ReturnProof(int64_t id) override;
  std::vector<uint8_t> VerifiedReplay(int64_t id) override;
  int64_t Count() override;
  int64_t RemoveById(int64_t id) override;
  int64_t RemoveByName(const std::string& utf8Name) override;
  void Interrupt() override;

  // The longest one call waits on the database, in milliseconds: for a free
  // connection, a new connection and the statement together.
  static constexpr int64_t kCallMs = 2000;
  // Between two tries of a database that failed: doubling from the first to
  // the last.
  static constexpr int64_t kFirstRetryMs = 250;
  static constexpr int64_t kLastRetryMs = 2000;

 private:
  // One call: `work` on a lent connection, within `deadlineMs`. A connection
  // that broke before the call (the database restarted) is replaced and the
  // call made once more.
  template <class T>
  T Call(const std::function<T(PGconn*, int64_t)>& work);
  PGconn* Connect(int64_t deadlineMs);
  void CreateTables(PGconn* c, int64_t deadlineMs);
  PGconn* Borrow(int64_t deadlineMs, bool* fresh);
  void Return(PGconn* c, bool broken);
  void DropIdle();
  void Failed(int64_t nowMs);
  void Answered();
  void Probe();

  std::string address_;  // as given, for connecting
  std::string shown_;    // without a password, for messages
  int capacity_;
  bool readOnly_;
  bool proofColumns_ = true;  // false only for an old database opened read-only
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<PGconn*> idle_;
  int open_ = 0;  // connections made and not closed, idle or lent
  // While the database fails: calls fail at once, and the prober tries a
  // new connection at retryAtMs_.
  int64_t retryMs_ = 0;    // 0: the database answers
  int64_t retryAtMs_ = 0;  // steady clock
  bool closing_ = false;
  // Set by Interrupt(); every wait on the database looks at it.
  std::atomic<bool> interrupted_{false};
  std::condition_variable probe_;
  std::thread prober_;
};

}  // namespace klv::scores
