#pragma once
// The world table in one SQLite file: write-ahead log, every submission one
// durable transaction. Writes go through one connection and readers through
// another, so that a page view never waits for a writer: another process
// holding the write lock (an operator's open transaction) delays only
// submissions, and those at most kWriteMs. Tokens wait in memory while the
// file is locked and go in with the next write.

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "score_store.h"

struct sqlite3;

namespace klv::scores {

class SqliteStore : public ScoreStore {
 public:
  // The longest a write waits for the file's write lock, in milliseconds.
  static constexpr int64_t kWriteMs = 2000;
  // The longest a version query waits to store its token before it lets the
  // token wait in memory, in milliseconds.
  static constexpr int64_t kTokenWriteMs = 250;
  // Tokens that may wait in memory for the file at most.
  static constexpr std::size_t kMaxWaitingTokens = 100'000;

  // Opens or creates the file and proves it can be written; read-only, opens
  // a file that exists and writes nothing (every change then throws).
  explicit SqliteStore(const std::string& path, bool readOnly = false);
  ~SqliteStore() override;
  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;

  std::string Where() const override { return path_; }
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

 private:
  void Exec(const char* sql);
  void ExecRead(const char* sql);
  // With the writer's lock held: the waiting tokens into the open transaction.
  void WriteWaitingTokens(std::vector<std::pair<std::string, int64_t>>& tokens);
  // With the writer's lock held: stores the waiting tokens, waiting at most
  // `busyMs` for the file; false when it is locked and they still wait.
  bool FlushTokens(int busyMs);
  void Close();
  // One write transaction under the writer's lock; rolled back on a throw.
  void Write(const std::function<void()>& work);

  std::string path_;
  bool proofColumns_ = true;  // false only for an old file opened read-only
  std::timed_mutex mutex_;    // the writer
  sqlite3* db_ = nullptr;     // null when read-only
  std::mutex readMutex_;
  sqlite3* reader_ = nullptr;
  std::mutex waitingMutex_;
  std::vector<std::pair<std::string, int64_t>> waiting_;  // tokens not yet in the file
};

}  // namespace klv::scores
