#include "sqlite_store.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>

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
  Statement& Bind(int i, const std::vector<uint8_t>& b) {
    sqlite3_bind_blob(stmt_, i, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
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
  sqlite3_stmt* get() const { return stmt_; }
  int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
  std::vector<uint8_t> Blob(int col) {
    const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, col));
    return p ? std::vector<uint8_t>(p, p + sqlite3_column_bytes(stmt_, col))
             : std::vector<uint8_t>();
  }
  std::string Text(int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    throw StoreError(msg);
  }
}

bool HasColumn(sqlite3* db, const char* table, const char* column) {
  Statement s(
      db, (std::string("SELECT 1 FROM pragma_table_info('") + table + "') WHERE name = ?").c_str());
  s.Bind(1, std::string(column));
  return s.Step();
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

SqliteStore::SqliteStore(const std::string& path, bool readOnly) : path_(path) {
  auto open = [&](sqlite3** db, int flags, const std::string& name) {
    const int rc = sqlite3_open_v2(name.c_str(), db, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      const std::string msg = *db ? sqlite3_errmsg(*db) : "out of memory";
      Close();
      throw StoreError("cannot open the database " + path + ": " + msg);
    }
  };
  if (readOnly) {
    // A copy on read-only media opens too: without a write-ahead log beside
    // it, the file alone is the whole table.
    open(&reader_, SQLITE_OPEN_READONLY, path);
    try {
      sqlite3_busy_timeout(reader_, static_cast<int>(kWriteMs));
      ExecRead("SELECT COUNT(*) FROM scores");
      proofColumns_ = HasColumn(reader_, "scores", "proof");
      return;
    } catch (const StoreError& e) {
      // The write-ahead log's index cannot be made beside a file on
      // read-only media; with no log there, nobody writes the file and it
      // can be read as it lies.
      Close();
      std::error_code ec;
      if (std::filesystem::file_size(path + "-wal", ec) > 0 && !ec) {
        throw StoreError("cannot read the database " + path + ": " + e.what());
      }
    }
    std::string uri = "file:";
    for (const char c : path) {
      if (c == '%' || c == '?' || c == '#') {
        static const char* hex = "0123456789abcdef";
        uri += {'%', hex[(c >> 4) & 15], hex[c & 15]};
      } else {
        uri += c;
      }
    }
    open(&reader_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, uri + "?immutable=1");
    try {
      ExecRead("SELECT COUNT(*) FROM scores");
      proofColumns_ = HasColumn(reader_, "scores", "proof");
    } catch (const StoreError& e) {
      Close();
      throw StoreError("cannot read the database " + path + ": " + e.what());
    }
    return;
  }
  open(&db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, path);
  try {
    // A file the system lets us only read opens without complaint; say so
    // now rather than refuse every player later.
    if (sqlite3_db_readonly(db_, "main") == 1) {
      throw StoreError("cannot write the database " + path + ": the file is read-only");
    }
    sqlite3_busy_timeout(db_, static_cast<int>(kWriteMs));  // another process on the same file
    // The log is folded into the file when the service stops (see Close);
    // a connection's close must not do it behind our back.
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
    // The proofs by replay came later: a table made before them gains the
    // columns in place, its entries unproven.
    if (!HasColumn(db_, "scores", "p")) Exec("ALTER TABLE scores ADD COLUMN p TEXT");
    if (!HasColumn(db_, "scores", "proof")) {
      Exec("ALTER TABLE scores ADD COLUMN proof INTEGER NOT NULL DEFAULT 0");
    }
    if (!HasColumn(db_, "scores", "replay")) Exec("ALTER TABLE scores ADD COLUMN replay BLOB");
    Exec("CREATE INDEX IF NOT EXISTS scores_p ON scores (p)");
    Exec(
        "CREATE TABLE IF NOT EXISTS proof_queue ("
        " score_id INTEGER PRIMARY KEY,"
        " replay BLOB NOT NULL,"
        " lease INTEGER NOT NULL DEFAULT 0,"
        " tries INTEGER NOT NULL DEFAULT 0)");
    Exec("CREATE TABLE IF NOT EXISTS tokens (p TEXT PRIMARY KEY, issued INTEGER NOT NULL)");
    Exec("CREATE INDEX IF NOT EXISTS tokens_issued ON tokens (issued)");
    // Proves the file, its folder (the write-ahead log lives beside it) and
    // the disk take a write.
    Exec("CREATE TABLE IF NOT EXISTS service (k TEXT PRIMARY KEY, v TEXT NOT NULL)");
    Exec("INSERT OR REPLACE INTO service (k, v) VALUES ('opened', datetime('now'))");
  } catch (const StoreError& e) {
    Close();
    const std::string what = e.what();
    if (what.rfind("cannot ", 0) == 0) throw;
    throw StoreError("cannot write the database " + path + ": " + what);
  }
  open(&reader_, SQLITE_OPEN_READWRITE, path);
  sqlite3_busy_timeout(reader_, static_cast<int>(kWriteMs));
  sqlite3_db_config(reader_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

SqliteStore::~SqliteStore() {
  if (db_ != nullptr) {
    // A stop stays within a few seconds however long the file stays locked.
    std::lock_guard<std::timed_mutex> lock(mutex_);
    try {
      FlushTokens(500);
    } catch (const StoreError&) {
      // Tokens lost at a stop cost a player one retry, nothing stored.
    }
    // Everything into the file itself and the log emptied: a copy of the
    // file alone, taken after a clean stop, is a whole backup.
    sqlite3_busy_timeout(db_, 250);
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  }
  Close();
}

void SqliteStore::Close() {
  sqlite3_close(reader_);
  reader_ = nullptr;
  sqlite3_close(db_);
  db_ = nullptr;
}

void SqliteStore::Exec(const char* sql) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  klv::scores::Exec(db_, sql);
}

void SqliteStore::ExecRead(const char* sql) {
  klv::scores::Exec(reader_, sql);
}

void SqliteStore::WriteWaitingTokens(std::vector<std::pair<std::string, int64_t>>& tokens) {
  Statement s(db_, "INSERT OR IGNORE INTO tokens (p, issued) VALUES (?, ?)");
  for (const auto& [p, issued] : tokens) {
    s.Bind(1, p).Bind(2, issued).Step();
    sqlite3_reset(s.get());
  }
}

bool SqliteStore::FlushTokens(int busyMs) {
  std::vector<std::pair<std::string, int64_t>> tokens;
  {
    std::lock_guard<std::mutex> lock(waitingMutex_);
    tokens.swap(waiting_);
  }
  if (tokens.empty()) return true;
  sqlite3_busy_timeout(db_, busyMs);
  bool stored = false;
  try {
    Exec("BEGIN IMMEDIATE");
    try {
      WriteWaitingTokens(tokens);
      Exec("COMMIT");
      stored = true;
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  } catch (const StoreError&) {
  }
  sqlite3_busy_timeout(db_, static_cast<int>(kWriteMs));
  if (!stored) {
    std::lock_guard<std::mutex> lock(waitingMutex_);
    waiting_.insert(waiting_.begin(), tokens.begin(), tokens.end());
  }
  return stored;
}

std::string SqliteStore::IssueToken(int64_t now) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  const std::string token = RandomToken();
  {
    std::lock_guard<std::mutex> lock(waitingMutex_);
    if (waiting_.size() >= kMaxWaitingTokens) {
      throw StoreError("the database " + path_ + " has been locked too long");
    }
    waiting_.emplace_back(token, now);
  }
  // Stored at once unless the file stays locked (an operator's transaction):
  // then the token waits for the next write, and the player does not. A
  // token still waiting is known only to this service, so the wait is long
  // enough to ride out another service's submissions on the same file.
  const int64_t deadline = NowMs() + kTokenWriteMs;
  std::unique_lock<std::timed_mutex> lock(mutex_, std::chrono::milliseconds(kTokenWriteMs));
  if (lock.owns_lock()) {
    const int64_t left = deadline - NowMs();
    FlushTokens(static_cast<int>(left > 0 ? left : 0));
  }
  return token;
}

int64_t SqliteStore::PurgeTokens(int64_t now) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  int64_t purged = 0;
  {
    std::lock_guard<std::mutex> lock(waitingMutex_);
    const auto old = [&](const auto& t) { return t.second <= now - kTokenLifetimeSeconds; };
    const auto before = waiting_.size();
    std::erase_if(waiting_, old);
    purged = static_cast<int64_t>(before - waiting_.size());
  }
  // Never worth waiting for: the next purge will do.
  std::unique_lock<std::timed_mutex> lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock()) return purged;
  sqlite3_busy_timeout(db_, 0);
  try {
    Statement(db_, "DELETE FROM tokens WHERE issued <= ?")
        .Bind(1, now - kTokenLifetimeSeconds)
        .Step();
    purged += sqlite3_changes(db_);
  } catch (const StoreError&) {
  }
  sqlite3_busy_timeout(db_, static_cast<int>(kWriteMs));
  return purged;
}

int64_t SqliteStore::OutstandingTokens() {
  int64_t waiting = 0;
  {
    std::lock_guard<std::mutex> lock(waitingMutex_);
    waiting = static_cast<int64_t>(waiting_.size());
  }
  std::lock_guard<std::mutex> lock(readMutex_);
  Statement s(reader_, "SELECT COUNT(*) FROM tokens");
  return waiting + (s.Step() ? s.Int(0) : 0);
}

ScoreStore::SubmitResult SqliteStore::Submit(const ScoreRecord& record, int64_t now) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  const int64_t deadline = NowMs() + kWriteMs;
  std::unique_lock<std::timed_mutex> lock(mutex_, std::chrono::milliseconds(kWriteMs));
  if (!lock.owns_lock()) throw StoreError("the database " + path_ + " is busy");
  const int64_t left = deadline - NowMs();
  sqlite3_busy_timeout(db_, static_cast<int>(left > 0 ? left : 0));
  std::vector<std::pair<std::string, int64_t>> tokens;
  {
    std::lock_guard<std::mutex> w(waitingMutex_);
    tokens.swap(waiting_);
  }
  SubmitResult result = SubmitResult::Stored;
  try {
    Exec("BEGIN IMMEDIATE");
    try {
      WriteWaitingTokens(tokens);
      Statement(db_, "DELETE FROM tokens WHERE p = ? AND issued > ?")
          .Bind(1, record.P)
          .Bind(2, now - kTokenLifetimeSeconds)
          .Step();
      if (sqlite3_changes(db_) == 1) {
        Statement(db_,
                  "INSERT INTO scores (name, score, add_text, submitted, p) VALUES (?, ?, ?, ?, ?)")
            .Bind(1, Cp1251ToUtf8(record.Name))
            .Bind(2, static_cast<int64_t>(record.Score))
            .Bind(3, Cp1251ToUtf8(record.Add))
            .Bind(4, now)
            .Bind(5, record.P)
            .Step();
      } else {
        result = SubmitResult::UnknownToken;
      }
      Exec("COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  } catch (...) {
    sqlite3_busy_timeout(db_, static_cast<int>(kWriteMs));
    std::lock_guard<std::mutex> w(waitingMutex_);
    waiting_.insert(waiting_.begin(), tokens.begin(), tokens.end());
    throw;
  }
  sqlite3_busy_timeout(db_, static_cast<int>(kWriteMs));
  return result;
}

std::vector<StoredScore> SqliteStore::Best(int limit, ProofFilter which) {
  std::lock_guard<std::mutex> lock(readMutex_);
  std::vector<StoredScore> rows;
  // A file opened read-only as it was made before the proofs has none.
  if (!proofColumns_ && which == ProofFilter::Verified) return rows;
  const char* where = which == ProofFilter::Verified                      ? " WHERE proof = 2"
                      : which == ProofFilter::Unverified && proofColumns_ ? " WHERE proof <> 2"
                                                                          : "";
  const std::string sql = std::string("SELECT id, name, score, add_text, submitted, ") +
                          (proofColumns_ ? "proof" : "0") + " FROM scores" + where +
                          " ORDER BY score DESC, id LIMIT ?";
  Statement s(reader_, sql.c_str());
  s.Bind(1, static_cast<int64_t>(limit));
  while (s.Step()) {
    StoredScore r;
    r.Id = s.Int(0);
    r.Name = s.Text(1);
    r.Score = static_cast<uint32_t>(s.Int(2));
    r.Add = s.Text(3);
    r.Submitted = s.Int(4);
    r.Verified = s.Int(5) == static_cast<int>(ProofState::Verified);
    rows.push_back(std::move(r));
  }
  return rows;
}

std::optional<ScoreStore::Claim> SqliteStore::FindClaim(const std::string& p, int64_t now) {
  std::lock_guard<std::mutex> lock(readMutex_);
  if (!proofColumns_) return std::nullopt;
  Statement s(reader_,
              "SELECT id, name, score, proof FROM scores WHERE p = ? AND submitted > ? "
              "ORDER BY id DESC LIMIT 1");
  s.Bind(1, p).Bind(2, now - kTokenLifetimeSeconds);
  if (!s.Step()) return std::nullopt;
  Claim c;
  c.Id = s.Int(0);
  c.Name = s.Text(1);
  c.Score = static_cast<uint32_t>(s.Int(2));
  c.State = static_cast<ProofState>(s.Int(3));
  return c;
}

void SqliteStore::Write(const std::function<void()>& work) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  std::unique_lock<std::timed_mutex> lock(mutex_, std::chrono::milliseconds(kWriteMs));
  if (!lock.owns_lock()) throw StoreError("the database " + path_ + " is busy");
  Exec("BEGIN IMMEDIATE");
  try {
    work();
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

bool SqliteStore::QueueProof(int64_t id, const std::vector<uint8_t>& replay) {
  bool queued = false;
  Write([&] {
    Statement(db_, "UPDATE scores SET proof = 1 WHERE id = ? AND proof = 0").Bind(1, id).Step();
    queued = sqlite3_changes(db_) == 1;
    if (queued) {
      Statement(db_, "INSERT INTO proof_queue (score_id, replay) VALUES (?, ?)")
          .Bind(1, id)
          .Bind(2, replay)
          .Step();
    }
  });
  return queued;
}

int64_t SqliteStore::QueuedProofs() {
  std::lock_guard<std::mutex> lock(readMutex_);
  if (!proofColumns_) return 0;
  Statement s(reader_, "SELECT COUNT(*) FROM proof_queue");
  return s.Step() ? s.Int(0) : 0;
}

std::optional<ProofJob> SqliteStore::TakeProof(int64_t now, int64_t leaseSeconds) {
  // Idle workers look often: a look at an empty queue takes no write lock.
  {
    std::lock_guard<std::mutex> lock(readMutex_);
    if (!proofColumns_) return std::nullopt;
    Statement free(reader_, "SELECT 1 FROM proof_queue WHERE lease <= ? LIMIT 1");
    free.Bind(1, now);
    if (!free.Step()) return std::nullopt;
  }
  std::optional<ProofJob> job;
  Write([&] {
    Statement take(db_,
                   "UPDATE proof_queue SET lease = ?, tries = tries + 1 WHERE score_id = "
                   "(SELECT score_id FROM proof_queue WHERE lease <= ? ORDER BY score_id LIMIT 1)"
                   " RETURNING score_id, replay, tries - 1");
    take.Bind(1, now + leaseSeconds).Bind(2, now);
    if (!take.Step()) return;
    ProofJob j;
    j.Id = take.Int(0);
    j.Replay = take.Blob(1);
    j.Tries = static_cast<int>(take.Int(2));
    while (take.Step()) {
    }
    Statement entry(db_, "SELECT name, score FROM scores WHERE id = ?");
    entry.Bind(1, j.Id);
    if (!entry.Step()) {
      // The operator removed the entry: its proof goes with it.
      Statement(db_, "DELETE FROM proof_queue WHERE score_id = ?").Bind(1, j.Id).Step();
      return;
    }
    j.Name = entry.Text(0);
    j.Score = static_cast<uint32_t>(entry.Int(1));
    job = std::move(j);
  });
  return job;
}

void SqliteStore::FinishProof(int64_t id, bool verified) {
  Write([&] {
    Statement(db_,
              "UPDATE scores SET proof = ?, replay = CASE WHEN ? THEN "
              "(SELECT replay FROM proof_queue WHERE score_id = ?) ELSE NULL END WHERE id = ?")
        .Bind(1, static_cast<int64_t>(verified ? ProofState::Verified : ProofState::Refused))
        .Bind(2, static_cast<int64_t>(verified))
        .Bind(3, id)
        .Bind(4, id)
        .Step();
    Statement(db_, "DELETE FROM proof_queue WHERE score_id = ?").Bind(1, id).Step();
  });
}

void SqliteStore::ReturnProof(int64_t id) {
  Write([&] {
    Statement(db_, "UPDATE proof_queue SET lease = 0, tries = max(tries - 1, 0) WHERE score_id = ?")
        .Bind(1, id)
        .Step();
  });
}

std::vector<uint8_t> SqliteStore::VerifiedReplay(int64_t id) {
  std::lock_guard<std::mutex> lock(readMutex_);
  if (!proofColumns_) return {};
  Statement s(reader_, "SELECT replay FROM scores WHERE id = ? AND proof = 2");
  s.Bind(1, id);
  return s.Step() ? s.Blob(0) : std::vector<uint8_t>();
}

int64_t SqliteStore::Count() {
  std::lock_guard<std::mutex> lock(readMutex_);
  Statement s(reader_, "SELECT COUNT(*) FROM scores");
  return s.Step() ? s.Int(0) : 0;
}

int64_t SqliteStore::RemoveById(int64_t id) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  std::lock_guard<std::timed_mutex> lock(mutex_);
  Statement(db_, "DELETE FROM scores WHERE id = ?").Bind(1, id).Step();
  return sqlite3_changes(db_);
}

int64_t SqliteStore::RemoveByName(const std::string& utf8Name) {
  if (db_ == nullptr) throw StoreError("the database " + path_ + " is open read-only");
  std::lock_guard<std::timed_mutex> lock(mutex_);
  Statement(db_, "DELETE FROM scores WHERE name = ?").Bind(1, utf8Name).Step();
  return sqlite3_changes(db_);
}

}  // namespace klv::scores
