#include "score_store.h"

#include <sqlite3.h>

#include <random>

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

std::string RandomToken() {
  static std::mutex m;
  static std::random_device device;
  std::lock_guard<std::mutex> lock(m);
  static const char* hex = "0123456789abcdef";
  std::string t;
  for (int i = 0; i < 4; ++i) {
    uint32_t v = device();
    for (int k = 0; k < 8; ++k, v >>= 4) t.push_back(hex[v & 15]);
  }
  return t;  // 128 random bits as 32 hex digits
}

}  // namespace

ScoreStore::ScoreStore(const std::string& path) {
  const int rc =
      sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError("cannot open " + path + ": " + msg);
  }
  try {
    sqlite3_busy_timeout(db_, 5000);  // another process on the same file
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
  } catch (...) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

ScoreStore::~ScoreStore() {
  sqlite3_close(db_);
}

void ScoreStore::Exec(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw StoreError(msg);
  }
}

std::string ScoreStore::IssueToken(int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string token = RandomToken();
  Exec("BEGIN IMMEDIATE");
  try {
    Statement(db_, "DELETE FROM tokens WHERE issued <= ?")
        .Bind(1, now - kTokenLifetimeSeconds)
        .Step();
    Statement(db_,
              "DELETE FROM tokens WHERE p IN (SELECT p FROM tokens ORDER BY issued DESC, rowid DESC"
              " LIMIT -1 OFFSET ?)")
        .Bind(1, kMaxOutstandingTokens - 1)
        .Step();
    Statement(db_, "INSERT INTO tokens (p, issued) VALUES (?, ?)")
        .Bind(1, token)
        .Bind(2, now)
        .Step();
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  return token;
}

ScoreStore::SubmitResult ScoreStore::Submit(const ScoreRecord& record, int64_t now) {
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

std::vector<StoredScore> ScoreStore::Best(int limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<StoredScore> rows;
  Statement s(
      db_, "SELECT name, score, add_text, submitted FROM scores ORDER BY score DESC, id LIMIT ?");
  s.Bind(1, static_cast<int64_t>(limit));
  while (s.Step()) {
    StoredScore r;
    r.Name = s.Text(0);
    r.Score = static_cast<uint32_t>(s.Int(1));
    r.Add = s.Text(2);
    r.Submitted = s.Int(3);
    rows.push_back(std::move(r));
  }
  return rows;
}

int64_t ScoreStore::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement s(db_, "SELECT COUNT(*) FROM scores");
  return s.Step() ? s.Int(0) : 0;
}

}  // namespace klv::scores
