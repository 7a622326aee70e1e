#pragma once
// The world table in a PostgreSQL database, shared by every service that
// names it: a small pool of connections, each submission one statement that
// uses up its token and stores the score together.

#include <condition_variable>
#include <mutex>
#include <vector>

#include "score_store.h"

typedef struct pg_conn PGconn;

namespace klv::scores {

class PostgresStore : public ScoreStore {
 public:
  // `address` is a postgresql:// address as libpq reads it. Creates the
  // tables when missing and proves they can be written.
  PostgresStore(const std::string& address, int connections);
  ~PostgresStore() override;
  PostgresStore(const PostgresStore&) = delete;
  PostgresStore& operator=(const PostgresStore&) = delete;

  std::string Where() const override { return shown_; }
  std::string IssueToken(int64_t now) override;
  int64_t PurgeTokens(int64_t now) override;
  int64_t OutstandingTokens() override;
  SubmitResult Submit(const ScoreRecord& record, int64_t now) override;
  std::vector<StoredScore> Best(int limit) override;
  int64_t Count() override;
  int64_t RemoveById(int64_t id) override;
  int64_t RemoveByName(const std::string& utf8Name) override;

  class Lease;

 private:
  PGconn* Connect();
  PGconn* Borrow();
  void Return(PGconn* c);

  std::string address_;  // as given, for connecting
  std::string shown_;    // without a password, for messages
  int capacity_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<PGconn*> idle_;
  int open_ = 0;  // connections made and not closed, idle or lent
};

}  // namespace klv::scores
