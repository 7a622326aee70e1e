#include "sqlite_store.h"

#include <sqlite3.h>

#include "engine/cp1251.h"
#include "online/score_record.h"

namespace klv::scores {

namespace {

// A prepared statement that finalises itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      throw StoreError(std::string("prepare: ") + sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int i, const std::string& s) {
    sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int i, int64_t v) {
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw StoreError(std::string("step: ") + sqlite3_errmsg(db_));
  }
  int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string Text(int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace

SqliteStore::SqliteStore(const std::string& path) : path_(path) {
  const int rc =
      sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError("cannot open the database " + path + ": " + msg);
  }
  try {
    // A file the system lets us only read opens without complaint; say so
    // now rather than refuse every player later.
    if (sqlite3_db_readonly(db_, "main") == 1) {
      throw StoreError("cannot write the database " + path + ": the file is read-only");
    }
    sqlite3_busy_timeout(db_, 2000);  // another process on the same file
    // Every commit is already on disk in the write-ahead log; folding the log
    // into the file at close would only make a stop wait on the disk.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec(
        "CREATE TABLE IF NOT EXISTS scores ("
        " id INTEGER PRIMARY KEY,"
        " name TEXT NOT NULL,"
        " score INTEGER NOT NULL,"
        " add_text TEXT NOT NULL,"
        " submitted INTEGER NOT NULL)");
    Exec("CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, id)");
    Exec("CREATE TABLE IF NOT EXISTS tokens (p TEXT PRIMARY KEY, issued INTEGER NOT NULL)");
    Exec("CREATE INDEX IF NOT EXISTS tokens_issued ON tokens (issued)");
    // Proves the file, its folder (the write-ahead log lives beside it) and
    // the disk take a write.
    Exec("CREATE TABLE IF NOT EXISTS service (k TEXT PRIMARY KEY, v TEXT NOT NULL)");
    Exec("INSERT OR REPLACE INTO service (k, v) VALUES ('opened', datetime('now'))");
  } catch (const StoreError& e) {
    sqlite3_close(db_);
    db_ = nullptr;
    const std::string what = e.what();
    if (what.rfind("cannot ", 0) == 0) throw;
    throw StoreError("cannot write the database " + path + ": " + what);
  }
}

SqliteStore::~SqliteStore() {
  sqlite3_close(db_);
}

void SqliteStore::Exec(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw StoreError(msg);
  }
}

std::string SqliteStore::IssueToken(int64_t now) {
  const std::string token = RandomToken();
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_, "INSERT INTO tokens (p, issued) VALUES (?, ?)").Bind(1, token).Bind(2, now).Step();
  return token;
}

int64_t SqliteStore::PurgeTokens(int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_, "DELETE FROM tokens WHERE issued <= ?")
      .Bind(1, now - kTokenLifetimeSeconds)
      .Step();
  return sqlite3_changes(db_);
}

int64_t SqliteStore::OutstandingTokens() {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement s(db_, "SELECT COUNT(*) FROM tokens");
  return s.Step() ? s.Int(0) : 0;
}

ScoreStore::SubmitResult SqliteStore::Submit(const ScoreRecord& record, int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Exec("BEGIN IMMEDIATE");
  try {
    Statement(db_, "DELETE FROM tokens WHERE p = ? AND issued > ?")
        .Bind(1, record.P)
        .Bind(2, now - kTokenLifetimeSeconds)
        .Step();
    if (sqlite3_changes(db_) != 1) {
      Exec("ROLLBACK");
      return SubmitResult::UnknownToken;
    }
    Statement(db_, "INSERT INTO scores (name, score, add_text, submitted) VALUES (?, ?, ?, ?)")
        .Bind(1, Cp1251ToUtf8(record.Name))
        .Bind(2, static_cast<int64_t>(record.Score))
        .Bind(3, Cp1251ToUtf8(record.Add))
        .Bind(4, now)
        .Step();
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  return SubmitResult::Stored;
}

std::vector<StoredScore> SqliteStore::Best(int limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<StoredScore> rows;
  Statement s(db_,
              "SELECT id, name, score, add_text, submitted FROM scores ORDER BY score DESC, id "
              "LIMIT ?");
  s.Bind(1, static_cast<int64_t>(limit));
  while (s.Step()) {
    StoredScore r;
    r.Id = s.Int(0);
    r.Name = s.Text(1);
    r.Score = static_cast<uint32_t>(s.Int(2));
    r.Add = s.Text(3);
    r.Submitted = s.Int(4);
    rows.push_back(std::move(r));
  }
  return rows;
}

int64_t SqliteStore::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement s(db_, "SELECT COUNT(*) FROM scores");
  return s.Step() ? s.Int(0) : 0;
}

int64_t SqliteStore::RemoveById(int64_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_, "DELETE FROM scores WHERE id = ?").Bind(1, id).Step();
  return sqlite3_changes(db_);
}

int64_t SqliteStore::RemoveByName(const std::string& utf8Name) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_, "DELETE FROM scores WHERE name = ?").Bind(1, utf8Name).Step();
  return sqlite3_changes(db_);
}

}  // namespace klv::scores
