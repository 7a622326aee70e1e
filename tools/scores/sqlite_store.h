#pragma once
// The world table in one SQLite file: write-ahead log, every submission one
// durable transaction, calls serialised on one connection.

#include <mutex>

#include "score_store.h"

struct sqlite3;

namespace klv::scores {

class SqliteStore : public ScoreStore {
 public:
  // Opens or creates the file and proves it can be written.
  explicit SqliteStore(const std::string& path);
  ~SqliteStore() override;
  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;

  std::string Where() const override { return path_; }
  std::string IssueToken(int64_t now) override;
  int64_t PurgeTokens(int64_t now) override;
  int64_t OutstandingTokens() override;
  SubmitResult Submit(const ScoreRecord& record, int64_t now) override;
  std::vector<StoredScore> Best(int limit) override;
  int64_t Count() override;
  int64_t RemoveById(int64_t id) override;
  int64_t RemoveByName(const std::string& utf8Name) override;

 private:
  void Exec(const char* sql);

  std::string path_;
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace klv::scores
